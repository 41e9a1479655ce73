#!/usr/bin/env bash
# The program's /detect report on a machine with both products planted, with one product
# planted, and with none; and that /detect changes nothing.
set -euo pipefail
build="$(cd "$1" && pwd)"
source "$(dirname "$0")/../../scripts/wine-env.sh"
hv_wine_ready
plant() { wine "$build/tools/plant_traces.exe" "$@"; }
detect() { wine "$build/app/HalvernUninstaller.exe" /detect | tr -d '\r'; }
fail() { echo "FAIL: $*"; plant clean; exit 1; }

plant both
out=$(detect)
echo "$out"
grep -qx "Corvista is ready to be uninstalled." <<<"$out" || fail "Corvista not detected"
grep -qx "Sendaro is ready to be uninstalled." <<<"$out" || fail "Sendaro not detected"
grep -q "^  Installation folder: C:.*Halvern.Corvista$" <<<"$out" || fail "no folder line"
grep -q "^  Windows Installer registration: HKEY_CLASSES_ROOT.Installer.Products." <<<"$out" || fail "no installer line"
[ "$(detect)" = "$out" ] || fail "a second /detect differs: the first one changed something"

plant sendaro
out=$(detect)
[ "$(head -1 <<<"$out")" = "Corvista is not detected." ] || fail "Corvista still detected: $out"
grep -qx "Sendaro is ready to be uninstalled." <<<"$out" || fail "Sendaro not detected"

plant clean
out=$(detect)
[ "$out" = $'Corvista is not detected.\nSendaro is not detected.' ] || fail "unexpected: $out"
echo "detect command: all checks passed"
