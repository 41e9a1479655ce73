#!/usr/bin/env bash
# A file of Corvista's folder that another program holds open without sharing its deletion, as
# a loaded shell extension or an open document is: the window and /norestartremoval stop with
# the file named and leave the product as it was; the unattended removal takes every other
# trace, leaves the held file and its folders to the system's next start and exits with 3010;
# Wine's restart (wineboot -r) then deletes them.
set -euo pipefail
source "$(dirname "$0")/fixtures/session.sh" "$1"

app="$build/app/HalvernUninstaller.exe"
app_win="Z:$(tr / '\\' <<<"$app")"
drive_c="$WINEPREFIX/drive_c"
corvista_dir="$drive_c/Program Files (x86)/Halvern/Corvista"
corvista_win='C:\Program Files (x86)\Halvern\Corvista'
held_win="$corvista_win\\shell\\CorvistaShell.dll"
session_manager='HKLM\System\CurrentControlSet\Control\Session Manager'
title="Halvern Uninstaller"
work="$build/tmp/e2e-files-in-use"
rm -rf "$work" && mkdir -p "$work"
rm -f "$drive_c"/e2e-in-use*.log
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
plant() { wine "$HV_TOOLS/plant_traces.exe" "$@" >/dev/null; }
drive() { wine "$HV_TOOLS/ui_driver.exe" "$@" | tr -d '\r'; }
run() {  # sets $out and $code (the whole exit code)
  out=$(wine "$HV_TOOLS/exit_code.exe" "$app_win" "$@" | tr -d '\r')
  code=$(sed -n 's/^exit code: //p' <<<"$out")
}
expect_code() { [ "$code" = "$1" ] || fail "$2: exit code $code, expected $1 (output: $out)"; }
log_text() { sed '1s/^\xef\xbb\xbf//' "$1" | tr -d '\r'; }
log_has() { grep -qxF -- "$2" <(log_text "$1") || fail "log $1 lacks the line [$2]"; }
registry_snapshot() { wine "$HV_TOOLS/snapshot_machine.exe" | tr -d '\r' | grep -E '^(key|value) ' | LC_ALL=C sort; }
# The system's list of deletions at its next start, one path a line, "\??\" taken off.
pending_deletions() {
  wine reg query "$session_manager" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_MULTI_SZ *//p' | sed 's/\\0\\0/\n/g; s/\\0$//' | sed 's/^\\??\\//'
}
holder_pid=""
# Holds the file the way a program that uses it does, in a process of its own.
hold() {
  wine "$HV_TOOLS/hold_file.exe" "$held_win" 600 >"$work/holder.out" 2>&1 &
  holder_job=$!
  local tries=0
  while ! grep -q '^holding: ' "$work/holder.out" && [ $tries -lt $((100 * ${HV_WAIT_FACTOR:-1})) ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  holder_pid=$(tr -d '\r' <"$work/holder.out" | sed -n 's/^holding: .* (process \([0-9]*\))$/\1/p')
  [ -n "$holder_pid" ] || fail "the file could not be held: $(cat "$work/holder.out")"
}
release() {
  [ -n "$holder_pid" ] || return 0
  wine taskkill /pid "$holder_pid" /f >/dev/null 2>&1 || fail "the holder could not be ended"
  wait "$holder_job" || true
  holder_pid=""
}
# Ends the holder on every way out, before what the session set up for the exit (its display).
trap "release; $(trap -p EXIT | sed "s/^trap -- '\(.*\)' EXIT$/\1/")" EXIT
plant_with_held_file() {
  plant clean
  plant corvista
  mkdir -p "$corvista_dir/shell/ext"
  echo MZ >"$corvista_dir/shell/CorvistaShell.dll"
  echo free >"$corvista_dir/shell/ext/free.txt"
  hold
}
# Nothing scheduled by an earlier run may decide what a restart here deletes.
wine reg delete "$session_manager" /v PendingFileRenameOperations /f >/dev/null 2>&1 || true

echo "== /norestartremoval: the held file stops the removal, named; nothing is touched"
plant_with_held_file
registry_snapshot >"$work/before.txt"
run /uninstall corvista /quiet /notemp /norestartremoval /log 'C:\e2e-in-use-1.log'
expect_code 1603 "/norestartremoval"
log_has "$drive_c/e2e-in-use-1.log" "Error: Could not delete $held_win: it is in use by another program."
registry_snapshot >"$work/after.txt"
cmp -s "$work/before.txt" "$work/after.txt" || fail "/norestartremoval changed the registry"
[ -f "$corvista_dir/shell/ext/free.txt" ] && [ -f "$corvista_dir/readme.txt" ] || fail "/norestartremoval deleted files"
[ -z "$(pending_deletions)" ] || fail "/norestartremoval scheduled deletions: $(pending_deletions)"

echo "== the window: the same stop, the holder named in its error box"
wine "$app" &
app_job=$!
hv_main_window_ready "$title" || fail "the window did not open and look for the products"
sleep 1
drive toggle "$title" Corvista >/dev/null
sleep 0.5
drive click "$title" "Clean Out Temporary Folder" >/dev/null
drive click "$title" "Uninstall Products!" >/dev/null
box=$(drive box "$title") || fail "no error box for the held file"
case "$box" in *"Could not delete $held_win: it is in use by another program."*) ;;
  *) fail "unexpected box for the held file: [$box]" ;; esac
sleep 2
drive close "$title" >/dev/null || fail "the window could not be closed"
wait "$app_job" || fail "the program ended with exit code $?"
registry_snapshot >"$work/after-window.txt"
cmp -s "$work/before.txt" "$work/after-window.txt" || fail "the window's stopped removal changed the registry"
[ -f "$corvista_dir/shell/ext/free.txt" ] || fail "the window's stopped removal deleted files"

echo "== unattended: everything else goes now, the held file at the restart, exit code 3010"
run /uninstall corvista /quiet /notemp /log 'C:\e2e-in-use-2.log'
expect_code 3010 "held file, unattended"
log="$drive_c/e2e-in-use-2.log"
for entry in "$held_win" "$corvista_win\\shell" "$corvista_win"; do
  log_has "$log" "Scheduled for deletion at the next restart: $entry"
done
log_has "$log" "Exit code: 3010"
[ "$(pending_deletions)" = "$held_win"$'\n'"$corvista_win\\shell"$'\n'"$corvista_win" ] ||
  fail "the start-up deletions are not the held file, then its folders: [$(pending_deletions)]"
[ ! -e "$corvista_dir/shell/ext" ] && [ ! -e "$corvista_dir/readme.txt" ] || fail "what was not held is still there"
[ -f "$corvista_dir/shell/CorvistaShell.dll" ] || fail "the held file was taken from its holder"
# What /detect still finds is the folder alone: every registry trace is gone.
detected=$(wine "$app" /detect | tr -d '\r' | sed -n 's/^  //p' || true)
[ "$detected" = "Installation folder: $corvista_win" ] || fail "traces besides the folder remain: [$detected]"

echo "== the restart: Wine carries out the start-up deletions"
release
wine wineboot -r >/dev/null 2>&1 || fail "wineboot -r failed"
[ ! -e "$corvista_dir" ] || fail "Corvista's folder is still there after the restart: $(find "$corvista_dir")"
[ -z "$(pending_deletions)" ] || fail "deletions are still pending after the restart: $(pending_deletions)"
run /detect
[ "$code" = 0 ] || fail "something of Corvista is still detected: $out"

plant clean
rm -f "$drive_c"/e2e-in-use*.log
if [ "$failures" -gt 0 ]; then
  echo "files in use: $failures check(s) failed"
  exit 1
fi
echo "files in use: all checks passed"
