#!/usr/bin/env bash
# Builds the program and runs it against the project's own Wine prefix, seeded with a demo
# installation of both products. With a display it opens the window for you; without one (or
# with HV_RUN_HEADLESS=1) it runs under a private Xvfb, prints what the window shows, saves a
# screenshot and closes it. Where this machine cannot run 32-bit code it runs the 64-bit build of
# the same sources; HV_BUILD="$PWD/build" runs the 32-bit program there under emulation.
# Ends with the program's own exit code (0 when it ended normally).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
source "$root/scripts/wine-arch.sh"
if [ "$HV_ARCH" = 64 ] && [ "${HV_BUILD:-}" != "$root/build" ]; then
  echo "run.sh: running the 64-bit build: $HV_ARCH_REASON; the 32-bit program itself runs here under emulation, slowly: HV_BUILD=\"$root/build\" bash scripts/run.sh"
elif [ "$HV_ARCH" = 64 ]; then
  echo "run.sh: running the 32-bit program under emulation (qemu-i386): $HV_ARCH_REASON"
else
  echo "run.sh: running the ${HV_ARCH}-bit build: $HV_ARCH_REASON"
fi
hv_build_for_machine "$root" >/dev/null
source "$root/scripts/wine-env.sh"
had_display=0
if [ "${HV_RUN_HEADLESS:-0}" != 1 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=1; fi
if [ "$had_display" = 0 ]; then unset DISPLAY; fi
source "$root/scripts/xvfb.sh"
source "$root/scripts/ui-driver.sh"
hv_display_ready
hv_wine_ready
app="$HV_BUILD/app/HalvernUninstaller.exe"
wine "$HV_TOOLS/plant_traces.exe" demo
echo "What the program detects (HalvernUninstaller.exe /detect):"
# /detect answers 0 when it finds nothing and 1 when it finds something; anything else is an error.
report="$HV_BUILD/tmp/run-detect.txt"
mkdir -p "$(dirname "$report")"
detect_status=0
wine "$app" /detect >"$report" || detect_status=$?
sed 's/^/  /' "$report"
case "$detect_status" in
  0 | 1) ;;
  *) echo "run.sh: /detect failed with exit code $detect_status" >&2; exit "$detect_status" ;;
esac

status=0
if [ "$had_display" = 1 ]; then
  wine "$app" || status=$?
else
  wine "$app" &
  pid=$!
  drive="$HV_TOOLS/ui_driver.exe"
  # Under emulation the window takes minutes to appear.
  if ! hv_main_window_ready "Halvern Uninstaller" 600000; then
    echo "run.sh: the window did not open and look for the products" >&2
    kill "$pid" 2>/dev/null || echo "run.sh: the program had already ended"
    wineserver -k >/dev/null 2>&1 </dev/null || echo "run.sh: the Wine server had already stopped"
    exit 1
  fi
  sleep 1
  echo "The window shows:"
  wine "$drive" dump "Halvern Uninstaller" | sed 's/^/  /'
  mkdir -p "$HV_BUILD/screenshots"
  import -window root "$HV_BUILD/screenshots/run_main_window.png"
  echo "Screenshot: $HV_BUILD/screenshots/run_main_window.png"
  wine "$drive" close "Halvern Uninstaller"
  wait "$pid" || status=$?
fi
wineserver -k >/dev/null 2>&1 </dev/null || echo "run.sh: the Wine server had already stopped"
[ "$status" = 0 ] || echo "run.sh: the program ended with exit code $status"
exit $status
