#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with a private X display for the windows).
# The 32-bit product is built and its imports checked on every machine; the suites run in the
# build this machine's Wine can start (see wine-arch.sh), and in CI warnings fail the build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine-arch.sh"
echo "test.sh: running the ${HV_ARCH}-bit build: $HV_ARCH_REASON"
start=$SECONDS
hv_build_for_machine "$root"
echo "test.sh: built in $((SECONDS - start)) s"
source "$root/scripts/wine-env.sh"
source "$root/scripts/xvfb.sh"
hv_display_ready
hv_wine_ready
status=0
(cd "$HV_BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 900) || status=$?
wineserver -k >/dev/null 2>&1 </dev/null || echo "test.sh: the Wine server had already stopped"
echo "test.sh: finished in $((SECONDS - start)) s with exit code $status"
exit $status
