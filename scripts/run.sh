#!/usr/bin/env bash
# Builds the program and runs it against the project's own Wine prefix, seeded with a demo
# installation of both products. Without a display it runs under a private Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" >/dev/null
source "$root/scripts/wine-env.sh"
source "$root/scripts/xvfb.sh"
hv_display_ready
hv_wine_ready
bin="$root/build"
if [ -f "$bin/tools/plant_traces.exe" ]; then
  wine "$bin/tools/plant_traces.exe" demo
fi
wine "$bin/app/HalvernUninstaller.exe" /detect | cat
wineserver -k 2>/dev/null || true
