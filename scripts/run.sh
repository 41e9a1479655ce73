#!/usr/bin/env bash
# Builds the program and runs it against the project's own Wine prefix, seeded with a demo
# installation of both products. With a display it opens the window for you; without one it
# runs under a private Xvfb, prints what the window shows, saves a screenshot and closes it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" >/dev/null
source "$root/scripts/wine-env.sh"
had_display=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=1; fi
source "$root/scripts/xvfb.sh"
hv_display_ready
hv_wine_ready
bin="$root/build"
wine "$bin/tools/plant_traces.exe" demo
echo "What the program detects (HalvernUninstaller.exe /detect):"
wine "$bin/app/HalvernUninstaller.exe" /detect | sed 's/^/  /'

if [ "$had_display" = 1 ]; then
  wine "$bin/app/HalvernUninstaller.exe"
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
  wait "$pid" || true
fi
wineserver -k 2>/dev/null || true
