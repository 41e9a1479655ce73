#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with a private X display for the windows).
# The whole 32-bit build, tests included, is made on every machine and the product's imports
# checked. Where this machine runs 32-bit code, every suite runs against the 32-bit build.
# Where it cannot (see wine-arch.sh), every suite runs against the 64-bit twin, and after it the
# tests labelled "emulated" (the program's detection, unattended removal and installer packages
# end to end, code patching, delay-loading, the WinHTTP replacement and exception reports;
# tests/CMakeLists.txt) run against the 32-bit build under user-mode emulation; in CI warnings
# fail the build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
start=$SECONDS
# First the set-up: the choice of build starts Wine's 32-bit loader, which it installs.
bash "$root/scripts/setup.sh"
source "$root/scripts/wine-arch.sh"
echo "test.sh: running the ${HV_ARCH}-bit build: $HV_ARCH_REASON"
hv_build_for_machine "$root"
echo "test.sh: built in $((SECONDS - start)) s"
source "$root/scripts/xvfb.sh"
hv_display_ready

source "$root/scripts/wine-env.sh"
hv_wine_ready
status=0
(cd "$HV_BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 900) || status=$?
wineserver -k >/dev/null 2>&1 </dev/null || echo "test.sh: the Wine server had already stopped"
echo "test.sh: the ${HV_ARCH}-bit suites finished in $((SECONDS - start)) s with exit code $status"

# Then the 32-bit program under emulation, in a Wine machine (prefix, home, temporary folder)
# of its own, after the twin's suites, so neither slows the other down (the twin's window tests
# took turns badly beside it).
if [ "$HV_ARCH" = 64 ]; then
  emulated_status=0
  (
    set -e
    # The twin's prefix was chosen above; this run has its own.
    unset WINEPREFIX
    export HV_BUILD="$root/build" HV_MACHINE="$root/build/emulated"
    source "$root/scripts/wine-env.sh"
    hv_wine_ready
    echo "test.sh: the 32-bit program under emulation (qemu-i386), tools of the 64-bit twin"
    # qemu 7.2 hands Wine its fault signals without the trap number, so Wine takes an access
    # violation for an illegal instruction: the one report test whose child must survive its
    # own access violation cannot pass there. A crash must not start Wine's debugger, which
    # waits for ever under emulation.
    export GTEST_FILTER="-ReportsOfAChild.AFaultWhileTheLineTableIsReadIsReportedWithoutWaitingForIt"
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"
    cd "$HV_BUILD"
    status=0
    ctest -L emulated --output-on-failure -j1 --timeout 1500 || status=$?
    wineserver -k >/dev/null 2>&1 </dev/null || echo "test.sh: the emulated run's Wine server had already stopped"
    exit $status
  ) || emulated_status=$?
  echo "test.sh: the 32-bit program's tests under emulation ended with exit code $emulated_status"
  [ "$status" != 0 ] || status=$emulated_status
fi
echo "test.sh: finished in $((SECONDS - start)) s with exit code $status"
exit $status
