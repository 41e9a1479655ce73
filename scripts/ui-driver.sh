# Sourced by scripts that drive the program's main window through tools/ui_driver.exe (after
# wine-env.sh, which sets HV_TOOLS and `wine`).

# Waits until the main window with caption $1 is open and has looked for the products: it shows
# itself first, and its list's controls take input once the look is done, so a press or a read
# of the list before that would go nowhere. $2: the wait for the window in ms (default 30000).
# The driver's waits, and this one, scale with HV_WAIT_FACTOR under emulation.
hv_main_window_ready() {
  local tries=0
  wine "$HV_TOOLS/ui_driver.exe" wait "$1" "${2:-30000}" >/dev/null || return 1
  while wine "$HV_TOOLS/ui_driver.exe" dump "$1" | tr -d '\r' | grep -q '^Button "Uninstall Products!" (disabled)$'; do
    [ $tries -lt $((30 * ${HV_WAIT_FACTOR:-1})) ] || return 1
    sleep 1
    tries=$((tries + 1))
  done
}
