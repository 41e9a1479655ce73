#!/usr/bin/env bash
# Products registered by the prefix's own Windows Installer. A package that a real msiexec
# installed is detected by its registration, which the removal takes away and its registry
# backup brings back where msiexec finds it again; a near miss installed beside it stays
# registered throughout and still uninstalls through msiexec.
set -euo pipefail
source "$(dirname "$0")/fixtures/session.sh" "$1"

command -v wixl >/dev/null || { echo "FAIL: wixl is missing (Debian's wixl package; scripts/setup.sh installs it)"; exit 1; }
app_win="Z:$(tr / '\\' <<<"$build/app/HalvernUninstaller.exe")"
work="$build/tmp/e2e-installer"
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
win_path() { echo "Z:$(tr / '\\' <<<"$1")"; }

# Builds $work/<name>.msi, a per-machine package of one file whose product is called <product>.
package() {
  local name="$1" product="$2" code="$3" upgrade="$4" dir="$work/$1"
  mkdir -p "$dir"
  echo "$product" >"$dir/readme.txt"
  cat >"$dir/package.wxs" <<EOF
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="$code" Name="$product" Language="1033" Version="1.0.0" Manufacturer="Halvern" UpgradeCode="$upgrade">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="package.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="TESTDIR" Name="HvPackageTest">
          <Directory Id="INSTALLDIR" Name="$name">
            <Component Id="Readme" Guid="*"><File Id="Readme" Source="readme.txt"/></Component>
          </Directory>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="Readme"/></Feature>
  </Product>
</Wix>
EOF
  (cd "$dir" && wixl -o "$work/$name.msi" package.wxs)  # sources are named relative to the folder
}
msiexec() {  # $1: /i or /x, $2: package name; the installer's exit code must be 0
  local rc=0
  wine msiexec "$1" "$(win_path "$work/$2.msi")" /qn || rc=$?
  [ "$rc" = 0 ] || fail "msiexec $1 $2.msi ended with $rc"
}
# The product names registered with the installer, as the prefix's msiexec keeps them.
registered() {
  wine reg query 'HKCR\Installer\Products' /s /v ProductName /reg:64 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *ProductName *REG_SZ *//p' | LC_ALL=C sort
}
has_registration() { grep -qxF "$1" <<<"$(registered)"; }

package corvista Corvista '{6A1D3C52-0E4B-4F7A-9D21-3B5E8C7F0A11}' '{6A1D3C52-0E4B-4F7A-9D21-3B5E8C7F0B11}'
package viewer 'Corvista Viewer' '{6A1D3C52-0E4B-4F7A-9D21-3B5E8C7F0A12}' '{6A1D3C52-0E4B-4F7A-9D21-3B5E8C7F0B12}'
wine "$HV_TOOLS/plant_traces.exe" clean

echo "== packages installed by the prefix's msiexec are registered in its 64-bit view"
msiexec /i corvista
msiexec /i viewer
has_registration Corvista || fail "msiexec did not register Corvista: $(registered)"
has_registration 'Corvista Viewer' || fail "msiexec did not register the near miss: $(registered)"

echo "== /detect finds the registration, and only the product's"
rc=0
report=$(wine "$build/app/HalvernUninstaller.exe" /detect) || rc=$?
report=$(tr -d '\r' <<<"$report")
echo "$report"
[ "$rc" = 1 ] || fail "/detect ended with $rc, not 1 (something found)"
grep -qx "Corvista is ready to be uninstalled." <<<"$report" || fail "Corvista's registration was not detected"
[ "$(grep -c '^  Windows Installer registration: ' <<<"$report")" = 1 ] || fail "not exactly one registration listed"
grep -qF 'ProductName = Corvista Viewer' <<<"$report" && fail "the near miss was listed"

echo "== the removal takes the registration away and leaves the near miss"
log_win='C:\e2e-installer.log'
log="$WINEPREFIX/drive_c/e2e-installer.log"
rm -f "$log"
out=$(wine "$HV_TOOLS/exit_code.exe" "$app_win" /uninstall corvista /quiet /notemp /log "$log_win" | tr -d '\r')
[ "$(sed -n 's/^exit code: //p' <<<"$out")" = 0 ] || fail "/uninstall corvista: $out"
has_registration Corvista && fail "Corvista is still registered after its removal"
has_registration 'Corvista Viewer' || fail "the near miss lost its registration"

echo "== the backup restores the registration where msiexec finds it"
backup=$(iconv -f UTF-8 -t UTF-8 "$log" | tr -d '\r' | sed -n 's/^Registry backup: //p')
[ -n "$backup" ] || fail "the log names no registry backup"
if [ -n "$backup" ]; then
  wine reg import "$backup" /reg:64 >/dev/null 2>&1 || fail "reg import refused $backup"
  has_registration Corvista || fail "the restored registration is not where msiexec looks"
fi

echo "== both packages still uninstall through msiexec"
msiexec /x viewer
msiexec /x corvista
[ -z "$(registered | grep -F Corvista)" ] || fail "registrations remain: $(registered)"
tests_dir="$WINEPREFIX/drive_c/Program Files (x86)/HvPackageTest"
for name in corvista viewer; do [ ! -e "$tests_dir/$name" ] || fail "msiexec left the files of $name"; done
rmdir "$tests_dir"  # the package names no removal of the parent it did not create alone
rm -f "$log"

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all installer package checks passed"
