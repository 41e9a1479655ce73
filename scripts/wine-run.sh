#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (ctest's cross-compiling emulator).
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
set -e
export HV_BUILD="$1"
shift
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
hv_wine_ready
# The program writes to a file that is shown when it ends: a Wine service or desktop that the
# program starts inherits its output, and on ctest's pipe it would keep the test "running"
# for as long as that service lives.
out=$(mktemp "$HV_BUILD/wine-run.XXXXXX")
status=0
"$HV_WINE" "$@" >"$out" 2>&1 || status=$?
cat "$out"
rm -f "$out"
exit "$status"
