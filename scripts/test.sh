#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with a private X display for the windows).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"
source "$root/scripts/xvfb.sh"
hv_display_ready
hv_wine_ready
status=0
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)" --timeout 900) || status=$?
wineserver -k 2>/dev/null || true
exit $status
