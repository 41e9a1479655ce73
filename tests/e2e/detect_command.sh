#!/usr/bin/env bash
# The program's /detect report on a machine with both products planted, with one product
# planted, and with none, with its exit code (0 nothing, 1 something detected, 1603 an error);
# and that /detect changes nothing.
set -euo pipefail
build="$(cd "$1" && pwd)"
export HV_BUILD="$build"
source "$(dirname "$0")/../../scripts/wine-env.sh"
hv_wine_ready
plant() { wine "$HV_TOOLS/plant_traces.exe" "$@"; }
# The report; the exit code says whether anything was found (1) or an error came (1603, of which
# the Linux side sees 67), so only other codes are failures here.
detect() {
  local report rc=0
  report=$(wine "$build/app/HalvernUninstaller.exe" /detect) || rc=$?
  case "$rc" in 0 | 1 | 67) ;; *) echo "FAIL: /detect ended with $rc" >&2; return 1 ;; esac
  tr -d '\r' <<<"$report"
}
fail() { echo "FAIL: $*"; plant clean; exit 1; }
# The whole exit code: the Linux side sees only its low 8 bits (1603 arrives as 67).
detect_code() {
  wine "$HV_TOOLS/exit_code.exe" "Z:$(tr / '\\' <<<"$build/app/HalvernUninstaller.exe")" /detect | tr -d '\r' |
    sed -n 's/^exit code: //p'
}

plant both
out=$(detect)
echo "$out"
grep -qx "Corvista is ready to be uninstalled." <<<"$out" || fail "Corvista not detected"
grep -qx "Sendaro is ready to be uninstalled." <<<"$out" || fail "Sendaro not detected"
grep -q "^  Installation folder: C:.*Halvern.Corvista$" <<<"$out" || fail "no folder line"
grep -q "^  Windows Installer registration: HKEY_LOCAL_MACHINE.SOFTWARE.Classes.Installer.Products." <<<"$out" || fail "no installer line"
[ "$(detect)" = "$out" ] || fail "a second /detect differs: the first one changed something"
[ "$(detect_code)" = 1 ] || fail "exit code $(detect_code) with both products, not 1"

plant sendaro
out=$(detect)
[ "$(head -1 <<<"$out")" = "Corvista is not detected." ] || fail "Corvista still detected: $out"
grep -qx "Sendaro is ready to be uninstalled." <<<"$out" || fail "Sendaro not detected"

plant clean
out=$(detect)
[ "$out" = $'Corvista is not detected.\nSendaro is not detected.' ] || fail "unexpected: $out"
[ "$(detect_code)" = 0 ] || fail "exit code $(detect_code) with nothing planted, not 0"

# Traces written by another tool into the registry view of 32-bit programs are found by every
# build (the 64-bit one asks for that view); the same traces in the 64-bit view alone are not,
# as a 32-bit program on 64-bit Windows does not see them. Installer registrations are the
# exception: Windows keeps them once for both views, and a 64-bit prefix keeps them in its 64-bit
# view only, where its own msiexec writes them, so they are found there and only there.
uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
products='HKCR\Installer\Products'
reg_view() {  # $1: 32 or 64; then "add" or "delete" and the key
  local view="$1" verb="$2" key="$3"
  shift 3
  wine reg "$verb" "$key" "$@" "/reg:$view" /f >/dev/null
}
for view in 64 32; do
  reg_view "$view" add "$uninstall\Pelmark" /v DisplayName /d Pelmark
  reg_view "$view" add "$products\72E4D18C93A506F47B8EA2D6915F0C43" /v ProductName /d "Halvern Sendaro"
  out=$(detect)
  echo "$out"
  entry_found=no registration_found=no
  grep -q "^  Add/Remove Programs entry: .*Uninstall.Pelmark" <<<"$out" && entry_found=yes
  grep -q "^  Windows Installer registration: .*72E4D18C93A506F47B8EA2D6915F0C43" <<<"$out" && registration_found=yes
  if [ "$view" = 64 ]; then
    [ "$entry_found" = no ] || fail "an uninstall entry of the 64-bit view was detected: $out"
    [ "$registration_found" = yes ] || fail "the registration in the 64-bit view was not found: $out"
  else
    [ "$entry_found" = yes ] || fail "the 32-bit view's entry was not found: $out"
    [ "$registration_found" = no ] || fail "a registration in Wine's separate 32-bit view of HKCR was detected: $out"
  fi
  reg_view "$view" delete "$uninstall\Pelmark"
  reg_view "$view" delete "$products\72E4D18C93A506F47B8EA2D6915F0C43"
done
# A cached folder that must never be deleted is reported as left in place, with the reason.
ident='HKLM\SOFTWARE\MimarSinan\InstallAware\Ident.Cache\{C81D4E27-93A5-4F60-B7E8-2A6D19F5C034}'
wine reg add "$ident" /ve /d 'C:\windows' /reg:32 /f >/dev/null
out=$(detect)
echo "$out"
grep -qx "Sendaro is ready to be uninstalled." <<<"$out" || fail "the cache entry alone was not detected: $out"
grep -qxF '  Identification cache folder: C:\windows - left in place: the Windows folder' <<<"$out" ||
  fail "no left-in-place line for the Windows folder: $out"
wine reg delete "$ident" /reg:32 /f >/dev/null

# A registry value of the wrong type stops the report with the error's class and text, and
# the exit code says so.
broken="$uninstall\{A0000000-0000-0000-0000-0000000000FF}"
wine reg add "$broken" /v UninstallString /t REG_DWORD /d 7 /reg:32 /f >/dev/null
out=$(detect)
code=$(detect_code)
wine reg delete "$broken" /reg:32 /f >/dev/null
echo "$out"
[ "$code" = 1603 ] || fail "exit code $code after a registry error, not 1603"
grep -qx "ERegistryException: Invalid data type for 'UninstallString'" <<<"$out" || fail "no error line: $out"

echo "detect command: all checks passed"
