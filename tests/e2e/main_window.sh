#!/usr/bin/env bash
# The program as a person meets it: started with no arguments under Wine and Xvfb, read
# through its window, driven by presses on its controls; then the registry and the folders
# are checked. Screenshots go to build/screenshots/.
set -euo pipefail
source "$(dirname "$0")/fixtures/session.sh" "$1"

app="$build/app/HalvernUninstaller.exe"
drive() { wine "$HV_TOOLS/ui_driver.exe" "$@" | tr -d '\r'; }
plant() { wine "$HV_TOOLS/plant_traces.exe" "$@"; }
title="Halvern Uninstaller"
shots="$build/screenshots"
mkdir -p "$shots"
# Under Wine the program cleans its own temporary folder, below the host home folder.
temp_host="$HOME/Library/Application Support/Halvern/HalvernUninstaller/Temp"
mkdir -p "$temp_host"
# The program takes its Windows branches while HKCU\Software\Wine "HalvernIsWine" says False.
windows_mode() { wine reg add 'HKCU\Software\Wine' /v HalvernIsWine /d "$1" /f >/dev/null; }
windows_mode True
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
read_log() { drive dump "$title" | sed -n 's/^Edit "\(.*\)"$/\1/p' | sed 's/\\n/\n/g'; }
expect_log() {  # the results log, one line per entry, must become exactly $1
  local got tries=0
  got=$(read_log)
  # The window works on its main thread; a slow machine may still be at it.
  while [ "$got" != "$1" ] && [ $tries -lt $((30 * ${HV_WAIT_FACTOR:-1})) ]; do
    sleep 1
    tries=$((tries + 1))
    got=$(read_log)
  done
  [ "$got" = "$1" ] || fail "$2: log was [$got], expected [$1]"
}
expect_ticks() {  # the product list's ticks as assistive technology reads them must be exactly $1
  local got
  got=$(drive ticks "$title") || fail "$2: the ticks could not be read"
  [ "$got" = "$1" ] || fail "$2: ticks were [$got], expected [$1]"
}
items() {  # the product list's items, comma-separated; a list that cannot be read fails
  local dump
  if ! dump=$(drive dump "$title") || ! grep -q '^ListBox ' <<<"$dump"; then
    fail "the product list could not be read"
    echo "<unreadable>"
    return
  fi
  sed -n 's/^  item [0-9]*: //p' <<<"$dump" | paste -sd, -
}
# Each product's planted traces, checked from outside the program: registry keys in the
# registry view of 32-bit programs (installer registrations, which Windows shares between the
# views, in the 64-bit one, where a 64-bit prefix keeps them), folders on the host.
uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
ident='HKLM\SOFTWARE\MimarSinan\InstallAware\Ident.Cache'
drive_c="$WINEPREFIX/drive_c"
traces_of() {
  case "$1" in
    Corvista) printf '%s\n' "reg $uninstall\\{1C0E7A5B-0D2F-4C11-9C55-6A3B2D1E0F01}" "reg $uninstall\\Pelmark" \
      'val HKLM\SOFTWARE\Halvern\Corvista|UninstallLink' 'reg HKCR\Installer\Products\19A7E6F3D4C7E8B41A2DE5C9B0F7A436' \
      "reg $ident\\{3F6E2A91-7C4D-4B8E-A1D2-5E9C0B7F4A63}" "dir $drive_c/Program Files (x86)/Halvern/Corvista" \
      "dir $drive_c/ProgramData/Halvern/CorvistaSetupCache" ;;
    Sendaro) printf '%s\n' "reg $uninstall\\{72E4D18C-5A39-4F06-B7E8-2A6D19F5C0AA}" "reg $uninstall\\Halvern Sendaro" \
      'val HKLM\SOFTWARE\Sendaro|UninstallLink' 'reg HKCR\Installer\Products\72E4D18C93A506F47B8EA2D6915F0C43' \
      "reg $ident\\{C81D4E27-93A5-4F60-B7E8-2A6D19F5C034}" "dir $drive_c/Program Files (x86)/Halvern/Sendaro" \
      "dir $drive_c/ProgramData/Halvern/SendaroSetupCache" ;;
  esac
}
trace_present() {  # "reg KEY", "val KEY|NAME" or "dir PATH"
  local value
  case "$1" in
    reg\ HKCR\\Installer\\Products\\*) wine reg query "${1#reg }" /reg:64 >/dev/null 2>&1 </dev/null ;;
    reg\ *) wine reg query "${1#reg }" /reg:32 >/dev/null 2>&1 </dev/null ;;
    val\ *) value="${1#val }"
      wine reg query "${value%|*}" /v "${value#*|}" /reg:32 >/dev/null 2>&1 </dev/null ;;
    dir\ *) test -e "${1#dir }" ;;
  esac
}
expect_traces() {  # $1 product, $2 present|gone
  local trace
  while IFS= read -r trace; do
    if trace_present "$trace"; then
      [ "$2" = present ] || fail "$1: still there after its removal: $trace"
    else
      [ "$2" = gone ] || fail "$1: missing before its removal: $trace"
    fi
  done < <(traces_of "$1")
}
snapshot() {  # the registry and drive C: as the removal tests compare them, one sorted line each
  # Only the snapshot's own lines: a host script that takes long on a loaded machine prints its
  # progress ("Please Wait...") on the same output, as console programs of the library do.
  wine "$HV_TOOLS/snapshot_machine.exe" | tr -d '\r' | grep -E '^(key|value|folder|file|link) ' | LC_ALL=C sort
}
# Each product's traces as lines of the snapshot: a key with everything below it, one value, a
# folder with everything in it.
snapshot_traces_of() {
  local pf='C:\Program Files (x86)\Halvern' cache='C:\ProgramData\Halvern'
  case "$1" in
    Corvista) printf '%s\n' "key HKLM\\${uninstall#HKLM\\}\\{1C0E7A5B-0D2F-4C11-9C55-6A3B2D1E0F01}" \
      "key HKLM\\${uninstall#HKLM\\}\\Pelmark" 'value HKLM\SOFTWARE\Halvern\Corvista|UninstallLink' \
      'key HKCR64\Installer\Products\19A7E6F3D4C7E8B41A2DE5C9B0F7A436' \
      "key HKLM\\${ident#HKLM\\}\\{3F6E2A91-7C4D-4B8E-A1D2-5E9C0B7F4A63}" "folder $pf\\Corvista" \
      "folder $cache\\CorvistaSetupCache" ;;
    Sendaro) printf '%s\n' "key HKLM\\${uninstall#HKLM\\}\\{72E4D18C-5A39-4F06-B7E8-2A6D19F5C0AA}" \
      "key HKLM\\${uninstall#HKLM\\}\\Halvern Sendaro" 'value HKLM\SOFTWARE\Sendaro|UninstallLink' \
      'key HKCR64\Installer\Products\72E4D18C93A506F47B8EA2D6915F0C43' \
      "key HKLM\\${ident#HKLM\\}\\{C81D4E27-93A5-4F60-B7E8-2A6D19F5C034}" "folder $pf\\Sendaro" \
      "folder $cache\\SendaroSetupCache" ;;
  esac
}
within_traces() {  # whether snapshot line $1 lies within one of the traces given after it
  local line="$1" trace kind path
  shift
  for trace in "$@"; do
    kind="${trace%% *}" path="${trace#* }"
    case "$kind" in
      key) [[ "$line" == "key $path" || "$line" == "key $path\\"* || "$line" == "value $path|"* ||
        "$line" == "value $path\\"* ]] && return 0 ;;
      value) [[ "$line" == "value $path="* ]] && return 0 ;;
      folder) [[ "$line" == "folder $path" || "$line" == *" $path\\"* ]] && return 0 ;;
    esac
  done
  return 1
}
expect_only_traces_changed() {  # $1 before, $2 after (snapshot files); then the products removed
  local before="$1" after="$2" line traces=()
  shift 2
  for product in "$@"; do mapfile -t -O "${#traces[@]}" traces < <(snapshot_traces_of "$product"); done
  while IFS= read -r line; do
    within_traces "$line" "${traces[@]}" || fail "changed besides the traces of $*: - $line"
  done < <(LC_ALL=C comm -23 "$before" "$after")
  while IFS= read -r line; do fail "appeared during the removal of $*: + $line"; done < <(LC_ALL=C comm -13 "$before" "$after")
  [ -n "$(LC_ALL=C comm -23 "$before" "$after")" ] || fail "the snapshot saw nothing removed for $*"
}
# Started by a Windows program, as a person's shell starts it: the program then shares its
# launcher's desktop, the driver's. Started straight from Linux, the 32-bit loader under
# emulation does not read the desktop its AppDefaults name and opens the window elsewhere.
app_exit="$build/tmp/e2e-app-exit.txt"
start_app() {
  mkdir -p "$build/tmp"
  wine "$HV_TOOLS/exit_code.exe" "Z:$(tr / '\\' <<<"$app")" >"$app_exit" 2>&1 &
  app_pid=$!
  hv_main_window_ready "$title" || fail "the window did not open and look for the products"
  sleep 1
}
stop_app() {  # closes the window as a person would; the program must end with exit code 0
  local rc=0
  drive close "$title" >/dev/null || fail "the window could not be closed"
  wait "$app_pid" || rc=$?
  [ "$rc" = 0 ] || fail "the program could not be started (launcher exit code $rc)"
  grep -qx 'exit code: 0' <(tr -d '\r' <"$app_exit") || fail "the program ended otherwise: $(tr -d '\r' <"$app_exit")"
}
# The window works on the main thread; give it time to finish (under emulation, much more).
settle() { if [ "${HV_WAIT_FACTOR:-1}" -gt 1 ]; then sleep 20; else sleep 2; fi; }

# A link left by an interrupted earlier run would make every later removal fail.
rm -f "$WINEPREFIX/drive_c/ProgramData/Halvern/CorvistaSetupCache/link"

echo "== no traces"
plant clean
start_app
expect_log $'Corvista is not detected.\nSendaro is not detected.' "first activation, nothing planted"
[ -z "$(items)" ] || fail "the list is not empty: $(items)"
import -window root "$shots/e2e_no_traces.png"
# An empty list and the temporary folder box ticked: the folder is still cleaned.
mkdir -p "$temp_host/e2e-leftover"
echo x >"$temp_host/e2e-leftover.txt"
drive click "$title" "Uninstall Products!" >/dev/null
settle
expect_log "Cleaned out temporary folder." "uninstall with an empty list"
[ ! -e "$temp_host/e2e-leftover.txt" ] && [ ! -e "$temp_host/e2e-leftover" ] || fail "the temporary folder was not cleaned"
stop_app

echo "== both products, nothing ticked, then both ticked"
plant both
start_app
expect_log $'Corvista is ready to be uninstalled.\nSendaro is ready to be uninstalled.' "both planted"
[ "$(items)" = "Corvista,Sendaro" ] || fail "list: $(items)"
expect_traces Corvista present
expect_traces Sendaro present
mkdir -p "$build/tmp"
snapshot >"$build/tmp/e2e-before.txt"
# In ProgramData's folder for administrators alone.
# Before the first removal on a fresh machine the folder does not exist: no backups then.
backup_files() {
  local backups="$drive_c/ProgramData/HalvernUninstaller/Backups"
  if [ -d "$backups" ]; then find "$backups" -name '*.reg' "$@"; fi
}
backups_before=$(backup_files | wc -l)
import -window root "$shots/e2e_main_window.png"
drive click "$title" "Uninstall Products!" >/dev/null
settle
expect_log $'No products were selected for removal.\nCleaned out temporary folder.' "nothing ticked"
expect_ticks $'Corvista: unchecked\nSendaro: unchecked' "before ticking"
drive toggle "$title" Corvista >/dev/null
drive toggle "$title" Sendaro >/dev/null
sleep 0.5
expect_ticks $'Corvista: checked\nSendaro: checked' "both ticked with the keyboard"
# A screen reader's default action toggles a tick as a click on its box does, once the
# reader's call has returned.
drive act "$title" Sendaro >/dev/null || fail "the default action on Sendaro was refused"
sleep 0.5
expect_ticks $'Corvista: checked\nSendaro: unchecked' "Sendaro unticked by its default action"
drive act "$title" Sendaro >/dev/null || fail "the default action on Sendaro was refused"
sleep 0.5
expect_ticks $'Corvista: checked\nSendaro: checked' "Sendaro ticked again by its default action"
drive click "$title" "Uninstall Products!" >/dev/null
settle
expect_log $'Cleaned out temporary folder.\nCorvista was successfully uninstalled.\nSendaro was successfully uninstalled.' "both removed"
[ -z "$(items)" ] || fail "removed products still listed: $(items)"
import -window root "$shots/e2e_after_removal.png"
stop_app
expect_traces Corvista gone
expect_traces Sendaro gone
# The removal's registry backup: one new file.
[ "$(backup_files | wc -l)" = $((backups_before + 1)) ] || fail "the removal wrote no registry backup"
snapshot >"$build/tmp/e2e-after.txt"
expect_only_traces_changed "$build/tmp/e2e-before.txt" "$build/tmp/e2e-after.txt" Corvista Sendaro
[ "$(wine "$app" /detect | tr -d '\r')" = $'Corvista is not detected.\nSendaro is not detected.' ] || fail "traces remain after removal"

echo "== a folder alone counts only with Delete Installation Folder"
plant clean
mkdir -p "$WINEPREFIX/drive_c/Program Files (x86)/Pelmark"
echo x >"$WINEPREFIX/drive_c/Program Files (x86)/Pelmark/readme.txt"
start_app
[ "$(items)" = "Corvista" ] || fail "folder-only Corvista not listed: $(items)"
drive click "$title" "Delete Installation Folder" >/dev/null
settle
expect_log $'Corvista is not detected.\nSendaro is not detected.' "box cleared"
[ -z "$(items)" ] || fail "folder-only Corvista still listed without the box"
stop_app
[ -e "$WINEPREFIX/drive_c/Program Files (x86)/Pelmark/readme.txt" ] || fail "the folder was touched"

echo "== under Wine a link in a product folder is removed as a link"
plant both
canary="$build/tmp/e2e-canary"
mkdir -p "$canary" && echo keep >"$canary/keep.txt"
ln -sfn "$canary" "$WINEPREFIX/drive_c/ProgramData/Halvern/CorvistaSetupCache/link"
start_app
drive toggle "$title" Corvista >/dev/null
drive toggle "$title" Sendaro >/dev/null
sleep 0.5
drive click "$title" "Clean Out Temporary Folder" >/dev/null
drive click "$title" "Uninstall Products!" >/dev/null
settle
expect_log $'Corvista was successfully uninstalled.\nSendaro was successfully uninstalled.' "both go, link and all"
stop_app
expect_traces Sendaro gone
[ ! -e "$drive_c/ProgramData/Halvern/CorvistaSetupCache" ] || fail "the folder with the link is still there"
[ -f "$canary/keep.txt" ] || fail "the canary behind the link was deleted"
plant clean

# Where no host shell removes links, such a folder is refused.
echo "== one removal fails, the other product is still removed"
windows_mode False
plant both
canary="$build/tmp/e2e-canary"
mkdir -p "$canary" && echo keep >"$canary/keep.txt"
ln -sfn "$canary" "$WINEPREFIX/drive_c/ProgramData/Halvern/CorvistaSetupCache/link"
start_app
drive toggle "$title" Corvista >/dev/null
drive toggle "$title" Sendaro >/dev/null
sleep 0.5
drive click "$title" "Clean Out Temporary Folder" >/dev/null
drive click "$title" "Uninstall Products!" >/dev/null
sleep 3
import -window root "$shots/e2e_error_box.png"
box=$(drive box "$title" | sed -n 's/^box: //p') || fail "no error box for the refused folder"
case "$box" in *"it contains a link"*) ;; *) fail "unexpected error box: [$box]" ;; esac
settle
expect_log $'An error occured while uninstalling Corvista.\nSendaro was successfully uninstalled.' "Corvista fails, Sendaro goes"
[ "$(items)" = "Corvista" ] || fail "after the failure the list should hold what remains: $(items)"
stop_app
expect_traces Sendaro gone
[ -e "$drive_c/ProgramData/Halvern/CorvistaSetupCache" ] || fail "the refused folder of Corvista is gone"
[ -f "$canary/keep.txt" ] || fail "the canary behind the link was deleted"
rm -f "$WINEPREFIX/drive_c/ProgramData/Halvern/CorvistaSetupCache/link"
plant clean
windows_mode True

echo "== a product that runs is left alone, with the product's error line and box"
plant corvista
cp "$HV_TOOLS/ui_driver.exe" "$drive_c/Program Files (x86)/Halvern/Corvista/idle.exe"
wine 'C:\Program Files (x86)\Halvern\Corvista\idle.exe' wait "no such window" 120000 >/dev/null 2>&1 &
idle_pid=$!
start_app
drive toggle "$title" Corvista >/dev/null
sleep 0.5
drive click "$title" "Clean Out Temporary Folder" >/dev/null
drive click "$title" "Uninstall Products!" >/dev/null
box=$(drive box "$title") || fail "no error box for the running product"
case "$box" in *"Corvista is running: C:\Program Files (x86)\Halvern\Corvista\idle.exe (process "*"). Close it and try again."*) ;;
  *) fail "unexpected box for the running product: [$box]" ;; esac
settle
expect_log "An error occured while uninstalling Corvista." "Corvista runs"
[ "$(items)" = "Corvista" ] || fail "the running product should stay listed: $(items)"
stop_app
# Ended by the Windows process id the box named: the Linux side's id is only Wine's launcher's.
idle_win_pid=$(sed -n 's/.*idle\.exe (process \([0-9]*\)).*/\1/p' <<<"$box")
wine taskkill /pid "$idle_win_pid" /f >/dev/null || fail "the idle program could not be ended"
wait "$idle_pid" || echo "the idle program ended with exit code $?"
expect_traces Corvista present
rm -f "$drive_c/Program Files (x86)/Halvern/Corvista/idle.exe"
plant clean

echo "== cancelling the cleaning of a large temporary folder"
mkdir -p "$temp_host/e2e-big"
for d in $(seq 1 40); do mkdir -p "$temp_host/e2e-big-$d"; done
(cd "$temp_host" && seq 1 30000 | sed 's/^/e2e-file-/' | xargs touch)
before=$(ls "$temp_host" | wc -l)
start_app
drive click "$title" "Uninstall Products!" >/dev/null
drive seen Cancel 20000 >/dev/null || fail "no Cancel button appeared"
# Cancel once entries have started to go, so that both halves can be seen.
# Listing 30,000 entries first can take minutes on a loaded machine.
started=no
for _ in $(seq $((3000 * ${HV_WAIT_FACTOR:-1}))); do
  if [ "$(ls "$temp_host" | wc -l)" -lt $((before - 100)) ]; then started=yes; break; fi
  sleep 0.1
done
[ "$started" = yes ] || fail "the cleaning had not begun to remove entries when Cancel was pressed"
import -window root "$shots/e2e_progress_window.png"
drive press Cancel 5000 >/dev/null || fail "Cancel could not be pressed"
settle
expect_log "An error occured while cleaning out the temporary folder." "cancelled cleaning"
# What was removed before Cancel is gone; the rest is still there.
after=$(ls "$temp_host" | wc -l)
echo "cancelled: $before entries before, $after after"
[ "$after" -gt 0 ] && [ "$after" -lt "$before" ] || fail "cancel: $before entries before, $after after (some must go, some stay)"
stop_app
find "$temp_host" -maxdepth 1 -name "e2e-*" -exec rm -rf {} +

if [ "$failures" -gt 0 ]; then
  echo "main window: $failures check(s) failed"
  exit 1
fi
echo "main window: all checks passed"
