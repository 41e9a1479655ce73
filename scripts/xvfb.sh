# Sourced: gives the caller an X display. Uses the caller's DISPLAY when it works, otherwise
# starts a private Xvfb and stops it (by its own id) when the caller's shell exits.
hv_display_ready() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  # Xvfb takes a free display number itself and writes it to the file: two callers starting at
  # once (parallel sessions, suites) never end up sharing one server, which the first to finish
  # would take down under the other.
  local numberFile
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  HV_XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$numberFile" ] && break; sleep 0.1; done
  if [ ! -s "$numberFile" ]; then
    echo "xvfb: Xvfb did not start" >&2
    rm -f "$numberFile"
    return 1
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$numberFile")"
  rm -f "$numberFile"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  trap 'kill "$HV_XVFB_PID" 2>/dev/null || true' EXIT
}
