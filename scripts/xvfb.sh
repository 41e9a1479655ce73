# Sourced: gives the caller an X display. Uses the caller's DISPLAY when it works, otherwise
# starts a private Xvfb and stops it (by its own id) when the caller's shell exits.
hv_display_ready() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  HV_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  trap 'kill "$HV_XVFB_PID" 2>/dev/null || true' EXIT
}
