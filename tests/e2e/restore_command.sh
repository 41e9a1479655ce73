#!/usr/bin/env bash
# Undoing a removal as an administrator meets it: both products planted with folders of varied
# contents and values of every type, "/uninstall all /quiet", then "/restore": the machine is
# as it was before the removal (the Recycle Bin aside). A second /restore has nothing to do, and
# a backup with a key added outside the products' places restores nothing.
set -euo pipefail
source "$(dirname "$0")/fixtures/session.sh" "$1"

app_win="Z:$(tr / '\\' <<<"$build/app/HalvernUninstaller.exe")"
drive_c="$WINEPREFIX/drive_c"
work="$build/tmp/e2e-restore"
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
plant() { wine "$HV_TOOLS/plant_traces.exe" "$@"; }
host_path() {  # a path on drive C: as the Linux side names it
  local p="${1:3}"
  case "${1:0:2}" in [Cc]:) echo "$drive_c/${p//\\//}" ;; *) echo "$1" ;; esac
}
# Runs the program; sets $out (its output) and $code (the whole exit code).
run() {
  out=$(wine "$HV_TOOLS/exit_code.exe" "$app_win" "$@" | tr -d '\r')
  code=$(sed -n 's/^exit code: //p' <<<"$out")
  out=$(sed '/^exit code: /d' <<<"$out")
}
expect_code() { [ "$code" = "$1" ] || fail "$2: exit code $code, expected $1 (output: $out)"; }
snapshot() { wine "$HV_TOOLS/snapshot_machine.exe" | tr -d '\r' | LC_ALL=C sort; }
registry_only() { grep -E '^(key|value) ' "$1"; }
prepare() { wine reg add "$@" /reg:32 /f >/dev/null || fail "could not prepare the registry: reg add $*"; }
backups="$drive_c/ProgramData/HalvernUninstaller/Backups"
trash="$XDG_DATA_HOME/Trash"

# Both products with values of every type and folders holding more than the planter puts there.
plant_varied() {
  plant both
  local entry='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pelmark'
  prepare "$entry" /v Binary /t REG_BINARY /d 00ff10203040506070809aabbccddeeff00112233445566778899aabbccddeeff0011223344
  prepare "$entry" /v Multi /t REG_MULTI_SZ /d 'one\0two\0three'
  prepare "$entry" /v Expand /t REG_EXPAND_SZ /d '%ProgramFiles%\Corvista'
  prepare "$entry" /v Quad /t REG_QWORD /d 0x1122334455667788
  prepare "$entry" /v Nothing /t REG_NONE
  prepare "$entry" /v 'odd "name" with \ backslash' /d 'a "quoted" \ value'
  prepare "$entry\Sub\Deeper" /v Größe /d 'Zürich'
  local corvista="$drive_c/Program Files (x86)/Halvern/Corvista" sendaro="$drive_c/Program Files (x86)/Halvern/Sendaro"
  mkdir -p "$corvista/Daten für Zürich ✓" "$corvista/empty" "$sendaro/docs"
  printf 'grüße\r\n' >"$corvista/Daten für Zürich ✓/naïve résumé.txt"
  head -c 70000 /dev/urandom >"$sendaro/docs/blob.bin"
  : >"$sendaro/docs/zero length"
  # A path past 260 characters, which only the long form of Windows paths reaches.
  local deep="$sendaro" i
  for i in 1 2 3 4 5 6; do deep="$deep/a rather long folder name number $i of six"; done
  mkdir -p "$deep" && echo deep >"$deep/file at the bottom.txt"
  [ ${#deep} -gt 300 ] || fail "the deep path is not past 260 characters"
}

last_backup() { find "$backups" -maxdepth 1 -name 'Registry backup *.reg' -printf '%f\n' | LC_ALL=C sort | tail -1; }

echo "== /restore with a bad command line changes nothing"
for args in "/restore a.reg b.reg" "/restore /frobnicate" "/restore /log" "/restore /quiet /quiet"; do
  # shellcheck disable=SC2086
  run $args
  expect_code 87 "$args"
done

echo "== remove both products, then undo the removal"
plant clean
rm -rf "$trash"
plant_varied
snapshot >"$work/before.txt"
run /uninstall all /quiet /notemp
expect_code 0 "the removal"
snapshot >"$work/removed.txt"
cmp -s "$work/before.txt" "$work/removed.txt" && fail "the removal changed nothing"
run /restore /quiet
expect_code 0 "the restore"
echo "$out"
snapshot >"$work/restored.txt"
diff "$work/before.txt" "$work/restored.txt" >"$work/restore.diff" || fail "the machine differs after the restore: $(head -20 "$work/restore.diff")"

echo "== a second /restore has nothing to do"
run /restore /quiet
expect_code 1605 "the second restore"
diff "$work/before.txt" <(snapshot) >/dev/null || fail "the second restore changed the machine"

echo "== a tampered backup restores nothing"
run /uninstall all /quiet /notemp
expect_code 0 "the second removal"
backup="$backups/$(last_backup)"
snapshot >"$work/removed-again.txt"
cp "$backup" "$work/original.reg"
{ cat "$backup"; printf '\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\HvRestoreTampered]\r\n"Planted"="by another user"\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$work/tampered.reg"
cp "$work/tampered.reg" "$backup"
run /restore /quiet
expect_code 1603 "the tampered backup"
grep -q 'HvRestoreTampered' <<<"$out" || fail "the refusal does not name the key: $out"
diff "$work/removed-again.txt" <(snapshot) >/dev/null || fail "the tampered backup changed the machine"

echo "== the untampered backup, named on the command line, still restores"
cp "$work/original.reg" "$backup"
run /restore "$(tr / '\\' <<<"Z:$backup")" /quiet
expect_code 0 "the named backup"
diff "$work/before.txt" <(snapshot) >"$work/restore2.diff" || fail "the named backup did not restore the machine: $(head -20 "$work/restore2.diff")"

echo "== a folder whose place is taken stays in the bin; one gone from the bin is named"
run /uninstall all /quiet /notemp
expect_code 0 "the third removal"
corvista_win='C:\Program Files (x86)\Halvern\Corvista'
mkdir -p "$(host_path "$corvista_win")/new"
for info in "$trash/info/"*.trashinfo; do
  case "$(basename "$info")" in Sendaro*.trashinfo) ;; *) continue ;; esac
  grep -q 'Halvern/Sendaro$' "$info" || continue
  rm -rf "$trash/files/$(basename "$info" .trashinfo)" "$info"
done
run /restore /quiet
expect_code 1603 "a folder in the way and one gone from the bin"
grep -qxF "Left in the Recycle Bin: $corvista_win: something else is in its place now." <<<"$out" ||
  fail "the folder in the way is not named: $out"
grep -qxF 'Not in the Recycle Bin any more: C:\Program Files (x86)\Halvern\Sendaro' <<<"$out" ||
  fail "the folder gone from the bin is not named: $out"
grep -q '^Restored: .*Uninstall\\Pelmark$' <<<"$out" || fail "the registry did not come back beside them: $out"
[ -e "$(host_path "$corvista_win")/new" ] && [ ! -e "$(host_path "$corvista_win")/readme.txt" ] ||
  fail "the restore wrote into the folder that took Corvista's place"
grep -lq 'Halvern/Corvista$' "$trash/info/"*.trashinfo || fail "Corvista's folder left the bin"

echo "== the window's system menu undoes the last removal once the user agrees"
plant clean
rm -rf "$trash"
plant_varied
snapshot >"$work/before-window.txt"
run /uninstall all /quiet /notemp
expect_code 0 "the removal before the window"
snapshot >"$work/removed-window.txt"
drive() { wine "$HV_TOOLS/ui_driver.exe" "$@" | tr -d '\r'; }
title="Halvern Uninstaller"
wine "$build/app/HalvernUninstaller.exe" &
app_pid=$!
hv_main_window_ready "$title" || fail "the window did not open and look for the products"
sleep 1
# The entry's command number (app/HalvernUninstallerMainFrm.cpp): Wine lets no other process read the menu.
drive syscommand "$title" 0x0110 >/dev/null || fail "the window took no system command"
# No first: nothing changes.
box=$(drive box "Undo Last Removal" "&No") || fail "no confirmation came"
grep -qF 'Uninstall\Pelmark' <<<"$box" && grep -qF 'Halvern\Corvista (from the Recycle Bin)' <<<"$box" ||
  fail "the confirmation does not list what comes back: $box"
sleep 1
diff "$work/removed-window.txt" <(snapshot) >/dev/null || fail "answering No changed the machine"
drive syscommand "$title" 0x0110 >/dev/null || fail "the window took no second system command"
drive box "Undo Last Removal" "&Yes" >/dev/null || fail "no confirmation came the second time"
if [ "${HV_WAIT_FACTOR:-1}" -gt 1 ]; then sleep 30; else sleep 4; fi
drive dump "$title" | grep -q 'Everything came back.' || fail "the window does not show the outcome: $(drive dump "$title")"
drive close "$title" >/dev/null || fail "the window could not be closed"
wait "$app_pid" || fail "the program ended with an error"
diff "$work/before-window.txt" <(snapshot) >"$work/window.diff" || fail "the window's undo did not restore the machine: $(head -20 "$work/window.diff")"

plant clean
[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all restore checks passed"
