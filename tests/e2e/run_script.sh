#!/usr/bin/env bash
# The README's run command as a newcomer meets it on a machine without a display: it builds,
# plants the demo, prints the /detect report, shows the window headless and saves a screenshot,
# and ends with exit code 0.
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$build/tmp/run-script.txt"
mkdir -p "$build/tmp"
rm -f "$build/screenshots/run_main_window.png"
status=0
HV_BUILD="$build" HV_RUN_HEADLESS=1 bash "$root/scripts/run.sh" >"$out" 2>&1 </dev/null || status=$?
tr -d '\r' <"$out" >"$out.txt"
cat "$out.txt"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ "$status" = 0 ] || fail "run.sh ended with exit code $status"
grep -q '^run.sh: running the ' <(head -1 "$out.txt") || fail "the first line does not say which build runs"
for product in Corvista Sendaro; do
  grep -qx "  $product is ready to be uninstalled." "$out.txt" || fail "the /detect report lacks $product"
done
# The window's dump lists both products in its check list.
dump=$(sed -n '/^The window shows:$/,/^Screenshot: /p' "$out.txt")
[ -n "$dump" ] || fail "no dump of the window"
for product in Corvista Sendaro; do
  grep -q "$product" <<<"$dump" || fail "the window's dump does not list $product"
done
[ -s "$build/screenshots/run_main_window.png" ] || fail "no screenshot, or an empty one"
[ "$failures" = 0 ] || exit 1
echo "run script: all checks passed"
