#!/usr/bin/env bash
# Builds the program and runs it against the project's own Wine prefix, seeded with a demo
# installation of both products. With a display it opens the window for you; without one it
# runs under a private Xvfb, prints what the window shows, saves a screenshot and closes it.
# Where this machine cannot run 32-bit code it runs the 64-bit build of the same sources.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine-arch.sh"
echo "run.sh: running the ${HV_ARCH}-bit build: $HV_ARCH_REASON"
hv_build_for_machine "$root" >/dev/null
source "$root/scripts/wine-env.sh"
had_display=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=1; fi
source "$root/scripts/xvfb.sh"
hv_display_ready
hv_wine_ready
bin="$HV_BUILD"
wine "$bin/tools/plant_traces.exe" demo
echo "What the program detects (HalvernUninstaller.exe /detect):"
wine "$bin/app/HalvernUninstaller.exe" /detect | sed 's/^/  /'

status=0
if [ "$had_display" = 1 ]; then
  wine "$bin/app/HalvernUninstaller.exe" || status=$?
else
  wine "$bin/app/HalvernUninstaller.exe" &
  pid=$!
  drive="$bin/tools/ui_driver.exe"
  wine "$drive" wait "Halvern Uninstaller" 30000
  sleep 1
  echo "The window shows:"
  wine "$drive" dump "Halvern Uninstaller" | sed 's/^/  /'
  mkdir -p "$bin/screenshots"
  import -window root "$bin/screenshots/run_main_window.png"
  echo "Screenshot: $bin/screenshots/run_main_window.png"
  wine "$drive" close "Halvern Uninstaller"
  wait "$pid" || status=$?
fi
wineserver -k >/dev/null 2>&1 </dev/null || echo "run.sh: the Wine server had already stopped"
[ "$status" = 0 ] || echo "run.sh: the program ended with exit code $status"
exit $status
