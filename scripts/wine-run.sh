#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (ctest's cross-compiling emulator).
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
set -e
export HV_BUILD="$1"
shift
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
hv_wine_ready
exec "$HV_WINE" "$@"
