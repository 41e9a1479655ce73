#!/usr/bin/env bash
# The check of the host at the first start under Wine, as a user meets it: a host home where the
# program cannot make its data folder shows a "Startup Error" box with that reason (none under
# /quiet, where the reason goes to the console only) and ends the program with exit code 1603,
# never the 0 of success, without remembering the check as passed; a working host passes it
# once, remembers that, and the program goes on to its work.
set -euo pipefail
source "$(dirname "$0")/fixtures/session.sh" "$1"

work="$build/tmp/e2e-startup"
app_win="Z:$(tr / '\\' <<<"$build/app/HalvernUninstaller.exe")"
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The remembered value ("0x1"), empty when there is none (reg query then fails).
remembered() {
  local out
  if out=$(wine reg query 'HKCU\Software\Wine' /v HalvernTestedLXUtils 2>/dev/null); then
    tr -d '\r' <<<"$out" | awk '/HalvernTestedLXUtils/ {print $3}'
  fi
}
forget() { wine reg delete 'HKCU\Software\Wine' /v HalvernTestedLXUtils /f >/dev/null 2>&1 || [ -z "$(remembered)" ]; }
before=$(remembered)
restore() {
  if [ -n "$before" ]; then wine reg add 'HKCU\Software\Wine' /v HalvernTestedLXUtils /t REG_DWORD /d "$before" /f >/dev/null
  else forget; fi
}
trap restore EXIT

echo "== a host home where the data folder cannot be made"
# "Library" is a file there, so "Library/Application Support" cannot be created below it.
mkdir -p "$work/home" && touch "$work/home/Library"
forget
HOME="$work/home" wine "$HV_TOOLS/exit_code.exe" "$app_win" /detect >"$work/out.txt" 2>&1 &
program=$!
box=$(wine "$HV_TOOLS/ui_driver.exe" box "Startup Error" | tr -d '\r') || fail "no Startup Error box: $box"
echo "$box" | cut -c1-300
wait "$program" || echo "the launcher ended with exit code $? (its line below is what counts)"
grep -q '^exit code: 1603' "$work/out.txt" || fail "the program did not end with 1603 after the start-up error: $(cat "$work/out.txt")"
expected='box: EHvGeneralError: Could not create "Z:'"$(tr / '\\' <<<"$work/home/Library/Application Support")"'"'
[ "${box:0:${#expected}}" = "$expected" ] || fail "the box does not name the data folder: ${box:0:200}"
grep -q "Corvista" "$work/out.txt" && fail "the program went on to its work: $(cat "$work/out.txt")"
[ -z "$(remembered)" ] || fail "a failed check was remembered as passed"

echo "== the same under /quiet: no box, the reason on the console, 1603"
forget
out=$(HOME="$work/home" timeout $((120 * ${HV_WAIT_FACTOR:-1})) "$HV_WINE" "$HV_TOOLS/exit_code.exe" "$app_win" \
  /uninstall /quiet /notemp | tr -d '\r') || fail "the quiet run did not end by itself (a box waits?): $out"
grep -q '^exit code: 1603' <<<"$out" || fail "the quiet run did not end with 1603: $out"
grep -q '^Startup Error: EHvGeneralError: Could not create' <<<"$out" || fail "the quiet run printed no reason: $out"
grep -q "Corvista" <<<"$out" && fail "the quiet run went on to its work: $out"
[ -z "$(remembered)" ] || fail "a failed quiet check was remembered as passed"

echo "== a working host passes once and is remembered"
forget
out=$(wine "$build/app/HalvernUninstaller.exe" /detect | tr -d '\r') || [ $? -le 1 ] || fail "/detect failed on a working host"
grep -q "^Corvista " <<<"$out" || fail "the program did not go on to its work: $out"
[ "$(remembered)" = 0x1 ] || fail "the passed check was not remembered: [$(remembered)]"

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "start-up check: all checks passed"
