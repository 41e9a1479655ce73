#!/usr/bin/env bash
# The program runs elevated, so a DLL planted beside it under the name of a system DLL must
# never be loaded, neither at start nor when the program first needs that DLL. Wine would take
# its own copy of these DLLs anyway; the override makes it look for a native one first, in the
# program's folder, as Windows does.
set -euo pipefail
source "$(dirname "$0")/fixtures/session.sh" "$1"

planted_dlls="comctl32 msimg32 uxtheme"
folder="$build/tmp/planted-dll"
rm -rf "$folder"
mkdir -p "$folder"
cp "$build/app/HalvernUninstaller.exe" "$folder/"
for dll in $planted_dlls; do cp "$build/tests/e2e/PlantedDll.dll" "$folder/$dll.dll"; done
export WINEDLLOVERRIDES="comctl32,msimg32,uxtheme=n,b"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
markers() { find "$folder" -name '*.loaded' -printf '%f ' ; }

echo "== /detect"
set +e
out=$(wine "$folder/HalvernUninstaller.exe" /detect | tr -d '\r')
code=$?
set -e
echo "$out"
# 0: nothing detected, 1: something detected; anything else is a failure.
[ "$code" -le 1 ] || fail "/detect ended with exit code $code beside the planted DLLs"
grep -q "^Corvista is " <<<"$out" || fail "/detect printed no report"
[ -z "$(markers)" ] || fail "planted DLLs were loaded: $(markers)"

echo "== the window, which draws with those DLLs"
# Wine's own comctl32 and uxtheme import msimg32 and, told to prefer a native msimg32, look for
# it in the program's folder whatever search order the program has set; Windows resolves
# their imports in the program's order. So here msimg32 stays Wine's own choice.
export WINEDLLOVERRIDES="comctl32,uxtheme=n,b"
title="Halvern Uninstaller"
wine "$folder/HalvernUninstaller.exe" &
app_pid=$!
if wine "$HV_TOOLS/ui_driver.exe" wait "$title" 30000 >/dev/null; then
  sleep 1
  wine "$HV_TOOLS/ui_driver.exe" close "$title" >/dev/null || fail "the window could not be closed"
else
  fail "the window did not open"
fi
rc=0
wait "$app_pid" || rc=$?
[ "$rc" = 0 ] || fail "the program ended with exit code $rc"
[ -z "$(markers)" ] || fail "planted DLLs were loaded: $(markers)"

rm -rf "$folder"
if [ "$failures" -gt 0 ]; then
  echo "planted DLL: $failures check(s) failed"
  exit 1
fi
echo "planted DLL: all checks passed"
