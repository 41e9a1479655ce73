#!/usr/bin/env bash
# Installs what is missing, then configures and builds.
# Usage: build.sh [32|64 [TARGET...]]  (default: 32, everything)
#   32: the 32-bit product and everything else into build/
#   64: the 64-bit twin of the same sources into build64/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="${1:-32}"
if [ $# -gt 0 ]; then shift; fi
case "$arch" in
  32) dir="$root/build" toolchain="$root/cmake/mingw-i686.cmake" ;;
  64) dir="$root/build64" toolchain="$root/cmake/mingw-x86_64.cmake" ;;
  *) echo "build.sh: unknown architecture '$arch' (32 or 64)" >&2; exit 2 ;;
esac
bash "$root/scripts/setup.sh"
launcher=()
# Worktrees of the same project share compiled objects through ccache when paths are relative.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
# The same sources give the same program: its time stamp is the last commit's, not the build's
# (the linker and objcopy take it from here).
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null); then
  export SOURCE_DATE_EPOCH="$epoch"
fi
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
