#!/usr/bin/env bash
# The checks that run when the program is linked, against small programs whose faults are known:
# - scripts/check-delay-imports.py fails on a program linked with dlltool's own delay-load
#   library, whose i386 slots start as 0 (the fault that kept the 32-bit program from starting),
#   and passes the libraries of scripts/delay-import-lib.sh in both architectures;
# - scripts/check-oldest-windows.sh fails on imports that Windows 7 lacks, whether the headers
#   hide them (GetCurrentThreadStackLimits) or not (SetDefaultDllDirectories), and passes a
#   program that binds them at run time.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cat >"$work/calls.c" <<'C'
#include <windows.h>
#include <wininet.h>
int main(void) { return InternetSetOptionW(0, 0, 0, 0) && InternetCloseHandle(0); }
C
for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
  lib="$work/$triplet"
  mkdir -p "$lib"
  bash "$root/scripts/delay-import-lib.sh" "$triplet" wininet wininet.dll "$lib"
  "$triplet-gcc" "$work/calls.c" -o "$lib/good.exe" -L"$lib" -lwininet_delay -static
  out=$(python3 "$root/scripts/check-delay-imports.py" "$lib/good.exe" "$triplet-nm") ||
    fail "$triplet: the check refused the project's delay-load library: $out"
  grep -q '2 delay-load slots of 1 DLLs lead to their functions' <<<"$out" || fail "$triplet: unexpected report: $out"
done

printf 'LIBRARY wininet.dll\nEXPORTS\nInternetSetOptionW@16\nInternetCloseHandle@4\n' >"$work/wininet.def"
(cd "$work" && i686-w64-mingw32-dlltool --input-def wininet.def --output-delaylib libplain.a -k)
i686-w64-mingw32-gcc "$work/calls.c" -o "$work/plain.exe" -L"$work" -lplain -static
if out=$(python3 "$root/scripts/check-delay-imports.py" "$work/plain.exe" i686-w64-mingw32-nm); then
  fail "the check passed a program whose delay-load slots start as 0: $out"
else
  grep -q 'wininet.dll!InternetSetOptionW (slot at 0x[0-9a-f]*): starts as 0' <<<"$out" ||
    fail "the check did not name the zero slot: $out"
fi

check_windows7() {  # $1: name; $2: C source; $3: expected word in the failure, or "" for a pass
  local exe="$work/$1.exe" out status=0
  printf '%s\n' "$2" >"$work/$1.c"
  i686-w64-mingw32-gcc "$work/$1.c" -o "$exe" -static
  out=$(bash "$root/scripts/check-oldest-windows.sh" "$exe" i686-w64-mingw32-g++-posix) || status=$?
  if [ -z "$3" ]; then
    [ "$status" = 0 ] || fail "$1: refused: $out"
  elif [ "$status" = 0 ]; then
    fail "$1: passed although it imports $3"
  else
    grep -q "$3" <<<"$out" || fail "$1: the failure does not name $3: $out"
  fi
}
check_windows7 windows8_header '#define _WIN32_WINNT 0x0602
#include <windows.h>
int main(void) { ULONG_PTR low, high; GetCurrentThreadStackLimits(&low, &high); return low < high; }' \
  'kernel32.dll!GetCurrentThreadStackLimits: not declared for Windows 7'
check_windows7 loader_update '#include <windows.h>
int main(void) { return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }' \
  'kernel32.dll!SetDefaultDllDirectories: came after Windows 7'
check_windows7 bound_at_run_time '#include <windows.h>
typedef BOOL (WINAPI *Restrict)(DWORD);
int main(void) {
  Restrict r = (Restrict)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  return r ? r(LOAD_LIBRARY_SEARCH_SYSTEM32) : 0;
}' ''

[ "$failures" = 0 ] || exit 1
echo "link checks: all checks passed"
