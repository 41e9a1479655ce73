#!/usr/bin/env bash
# The unattended removal as an administrator runs it: HalvernUninstaller.exe /uninstall with its
# options, checked through the exit code, the log, the registry backup and, independently of
# the program, the machine itself (registry snapshot, folders, /detect).
set -euo pipefail
source "$(dirname "$0")/fixtures/session.sh" "$1"

app_win="Z:$(tr / '\\' <<<"$build/app/HalvernUninstaller.exe")"
drive_c="$WINEPREFIX/drive_c"
# The library's own temporary folder under Wine, below the user data folder in the host home.
temp_host="$HOME/Library/Application Support/Halvern/HalvernUninstaller/Temp"
mkdir -p "$temp_host"
corvista_dir="$drive_c/Program Files (x86)/Halvern/Corvista"
work="$build/tmp/e2e-unattended"
rm -rf "$work" && mkdir -p "$work"
rm -f "$drive_c"/e2e-unattended*.log
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
plant() { wine "$HV_TOOLS/plant_traces.exe" "$@"; }
drive() { wine "$HV_TOOLS/ui_driver.exe" "$@" | tr -d '\r'; }
host_path() {  # a path on drive C: or Z: (the host's root) as the Linux side names it
  local p="${1:3}"
  case "${1:0:2}" in [Cc]:) echo "$drive_c/${p//\\//}" ;; [Zz]:) echo "/${p//\\//}" ;; *) echo "$1" ;; esac
}
# Runs the program with the arguments given; sets $out (its output) and $code (the whole exit
# code: the Linux side would see only its low 8 bits).
run() {
  out=$(wine "$HV_TOOLS/exit_code.exe" "$app_win" "$@" | tr -d '\r')
  code=$(sed -n 's/^exit code: //p' <<<"$out")
  out=$(sed '/^exit code: /d' <<<"$out")
}
expect_code() { [ "$code" = "$1" ] || fail "$2: exit code $code, expected $1 (output: $out)"; }
# The product lines of /detect (its exit code, 0 or 1, is checked in its own test).
detect() {
  local report rc=0
  report=$(wine "$build/app/HalvernUninstaller.exe" /detect) || rc=$?
  [ "$rc" -le 1 ] || fail "/detect ended with $rc"
  tr -d '\r' <<<"$report" | sed '/^  /d'
}
registry_snapshot() { wine "$HV_TOOLS/snapshot_machine.exe" | tr -d '\r' | grep -E '^(key|value) ' | LC_ALL=C sort; }
log_text() { iconv -f UTF-8 -t UTF-8 "$1" | sed '1s/^\xef\xbb\xbf//' | tr -d '\r'; }  # checked as UTF-8, without its BOM
log_has() { grep -qxF -- "$2" <(log_text "$1") || fail "log $1 lacks the line [$2]"; }
log_of_run() { host_path "$(sed -n 's/^Log: //p' <<<"$out")"; }

echo "== a command line that is not understood changes nothing"
plant both
echo keep >"$temp_host/e2e-unattended-keep.txt"
# Wine's shell writes settings of its own (the Users folder of the 32-bit view) the first time a
# program of one bitness asks it for a folder: one run of the program first, so they are there.
run /?
registry_snapshot >"$work/before.txt"
log_count() { find "$temp_host" "$drive_c" -maxdepth 1 -name '*.log' | wc -l; }
logs_before=$(log_count)
while IFS='|' read -r reason args; do
  # shellcheck disable=SC2086
  run $args
  expect_code 87 "$reason"
  [ "$(wc -l <<<"$out")" = 1 ] && [ -n "$out" ] || fail "$reason: the reason is not one line: [$out]"
done <<'CASES'
unknown command|/frobnicate
unknown option|/uninstall /quiet /frobnicate
unknown product|/uninstall pelmark /quiet
two products|/uninstall corvista sendaro /quiet
both levels|/uninstall /quiet /passive
log without a file|/uninstall /quiet /log
log twice|/uninstall /quiet /log C:\a.log /log C:\b.log
detect with an option|/detect /quiet
CASES
registry_snapshot >"$work/after.txt"
cmp -s "$work/before.txt" "$work/after.txt" ||
  fail "a refused command line changed the registry: $(diff "$work/before.txt" "$work/after.txt" | head -20)"
[ -f "$temp_host/e2e-unattended-keep.txt" ] || fail "a refused command line cleaned the temporary folder"
[ -d "$corvista_dir" ] || fail "a refused command line removed a folder"
[ "$(log_count)" = "$logs_before" ] || fail "a refused command line wrote a log"

echo "== /? and options in any case, with - or /"
run /?
expect_code 0 "/?"
grep -q "1605" <<<"$out" && grep -q "/detect" <<<"$out" || fail "/? does not explain the exit codes: $out"

echo "== both products removed quietly; the backup restores the registry exactly"
# Values of every type and odd names beside the planted ones, in the 32-bit view.
prepare() { wine reg add "$@" /reg:32 /f >/dev/null || fail "could not prepare the registry: reg add $*"; }
entry='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pelmark'
prepare "$entry" /v Binary /t REG_BINARY /d 00ff10203040506070809aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899
prepare "$entry" /v Multi /t REG_MULTI_SZ /d 'one\0two\0three'
prepare "$entry" /v Expand /t REG_EXPAND_SZ /d '%ProgramFiles%\Corvista'
prepare "$entry" /v Quad /t REG_QWORD /d 0x1122334455667788
prepare "$entry" /v Nothing /t REG_NONE
prepare "$entry" /v 'odd "name" with \ backslash' /d 'a "quoted" \ value'
prepare "$entry\Sub\Deeper" /v Größe /d 'Zürich'
registry_snapshot >"$work/before.txt" || fail "the registry snapshot before the removal failed"
run /UNINSTALL all -Quiet /log 'C:\e2e-unattended.log'
expect_code 0 "both removed"
log="$drive_c/e2e-unattended.log"
[ "$(head -c 3 "$log" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the log does not start with the UTF-8 byte order mark"
grep -q $'[^\r]$' <(head -2 "$log") && fail "the log's lines do not end in CR LF"
log_has "$log" "Cleaned out temporary folder."
log_has "$log" "Corvista was successfully uninstalled."
log_has "$log" "Sendaro was successfully uninstalled."
log_has "$log" 'Removed: Add/Remove Programs entry: HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pelmark'
log_has "$log" "Exit code: 0"
grep -q '^User: .*, elevated: ' <(log_text "$log") || fail "the log has no user line"
grep -q '^Command line: .*/UNINSTALL all -Quiet' <(log_text "$log") || fail "the log has no command line"
[ "$(detect)" = $'Corvista is not detected.\nSendaro is not detected.' ] || fail "traces remain: $(detect)"
[ ! -e "$corvista_dir" ] || fail "Corvista's folder remains"
backup=$(host_path "$(sed -n 's/^Registry backup: //p' <(log_text "$log"))")
[ -f "$backup" ] || fail "the log names no backup file: $backup"
[ "$(head -c 2 "$backup" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "the backup is not UTF-16 with a byte order mark"
grep -q 'Wow6432Node' <(iconv -f UTF-16 -t UTF-8 "$backup") || fail "the backup does not name the keys where they live"
wine reg import "$(tr / '\\' <<<"Z:$backup")" >/dev/null 2>&1 || fail "reg import refused the backup"
registry_snapshot >"$work/restored.txt"
diff "$work/before.txt" "$work/restored.txt" >"$work/restore.diff" || fail "the restored registry differs: $(head -20 "$work/restore.diff")"
[ -f "$temp_host/e2e-unattended-keep.txt" ] && fail "the temporary folder was not cleaned"

echo "== the log is appended to, never replaced"
plant clean
headers=$(log_text "$log" | grep -c '^=== ')
run /uninstall /notemp /quiet /log 'C:\e2e-unattended.log'
expect_code 1605 "nothing planted, no cleaning"
[ "$(log_text "$log" | grep -c '^=== ')" = $((headers + 1)) ] || fail "the second run did not append its own header"
[ "$(grep -c $'\xef\xbb\xbf' "$log")" = 1 ] || fail "the byte order mark was written again"
log_has "$log" "Exit code: 1605"

echo "== nothing there, the temporary folder cleaned: success; the log is a new file in the administrators' folder"
run /uninstall /quiet
expect_code 0 "nothing planted, folder cleaned"
default_log=$(log_of_run)
case "$default_log" in "$drive_c/ProgramData/HalvernUninstaller/Logs"/*.log) ;; *) fail "the default log is not in ProgramData's log folder: $default_log" ;; esac
[ -f "$default_log" ] || fail "the default log is missing: $default_log"
first_default_log=$default_log
run /uninstall /quiet /notemp
[ "$(log_of_run)" != "$first_default_log" ] || fail "a second run wrote into the first run's default log"
log_has "$default_log" "Cleaned out temporary folder."

echo "== one product, folders kept"
plant both
run /uninstall Sendaro /keepfolders /notemp /quiet /log 'C:\e2e-unattended-2.log'
expect_code 0 "Sendaro only"
[ "$(detect)" = $'Corvista is ready to be uninstalled.\nSendaro is ready to be uninstalled.' ] ||
  fail "Sendaro's folder should remain and Corvista be untouched: $(detect)"
[ -d "$drive_c/Program Files (x86)/Halvern/Sendaro" ] || fail "/keepfolders removed Sendaro's folder"
run /detect
grep -q 'Add/Remove Programs entry: .*Halvern Sendaro' <<<"$out" && fail "Sendaro's registry traces remain"

echo "== a product that runs is not touched; the other one is removed"
plant both
cp "$HV_TOOLS/ui_driver.exe" "$corvista_dir/idle.exe"
# A copy of a small program of ours, waiting for a window that never comes.
wine 'C:\Program Files (x86)\Halvern\Corvista\idle.exe' wait "no such window" 120000 >/dev/null 2>&1 &
idle_pid=$!
sleep 2
run /uninstall /notemp /quiet /log 'C:\e2e-unattended-3.log'
expect_code 1603 "Corvista running"
log3="$drive_c/e2e-unattended-3.log"
grep -qE '^Error: Corvista is running: C:\\Program Files \(x86\)\\Halvern\\Corvista\\idle.exe \(process [0-9]+\)\. Close it and try again\.$' \
  <(log_text "$log3") || fail "no error line naming the running program: $(log_text "$log3" | grep Error)"
log_has "$log3" "Sendaro was successfully uninstalled."
[ "$(detect)" = $'Corvista is ready to be uninstalled.\nSendaro is not detected.' ] || fail "after the refusal: $(detect)"
plant corvista
registry_snapshot >"$work/running-before.txt"
# The default level shows the error in a box captioned with the program's title.
(run /uninstall corvista /notemp /log 'C:\e2e-unattended-4.log'; echo "$code" >"$work/box-code") &
runner=$!
box=$(drive box "Halvern Uninstaller") || fail "no message box came"
box=$(sed -n 's/^box: //p' <<<"$box")
case "$box" in *"Corvista is running"*) ;; *) fail "no error box for the running product: [$box]" ;; esac
wait "$runner"
[ "$(cat "$work/box-code")" = 1603 ] || fail "exit code with the box: $(cat "$work/box-code")"
# Ended by the Windows process id the log named: the Linux side's id is only Wine's launcher's.
idle_win_pid=$(log_text "$log3" | sed -n 's/.*idle\.exe (process \([0-9]*\)).*/\1/p')
wine taskkill /pid "$idle_win_pid" /f >/dev/null || fail "the idle program could not be ended"
wait "$idle_pid" || echo "the idle program ended with exit code $?"
registry_snapshot >"$work/running-after.txt"
cmp -s "$work/running-before.txt" "$work/running-after.txt" || fail "the running product's registry traces were touched"

echo "== cancelling /passive during the cleaning"
plant both
mkdir -p "$temp_host/e2e-unattended-big"
(cd "$temp_host" && seq 1 30000 | sed 's/^/e2e-unattended-file-/' | xargs touch)
(run /uninstall /passive /log 'C:\e2e-unattended-5.log'; echo "$code" >"$work/cancel-code") &
runner=$!
drive seen Cancel 30000 >/dev/null || fail "no Cancel button appeared"
drive press Cancel 5000 >/dev/null || fail "Cancel could not be pressed"
wait "$runner"
[ "$(cat "$work/cancel-code")" = 1602 ] || fail "cancelled run ended with $(cat "$work/cancel-code"), not 1602"
log_has "$drive_c/e2e-unattended-5.log" "Cancelled by the user."
[ "$(detect)" = $'Corvista is ready to be uninstalled.\nSendaro is ready to be uninstalled.' ] || fail "a product was touched after Cancel"
find "$temp_host" -maxdepth 1 -name "e2e-unattended*" -exec rm -rf {} +

plant clean
rm -f "$corvista_dir/idle.exe" "$drive_c"/e2e-unattended*.log "$first_default_log"
if [ "$failures" -gt 0 ]; then
  echo "unattended command: $failures check(s) failed"
  exit 1
fi
echo "unattended command: all checks passed"
