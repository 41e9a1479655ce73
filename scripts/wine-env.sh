# Sourced by every script that runs a program under Wine: a project-local prefix and a
# project-local HOME, trash and temp folder, so nothing the program deletes can reach the
# developer's own files.
HV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HV_BUILD="${HV_BUILD:-$HV_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$HV_BUILD/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export HOME="$HV_BUILD/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_CACHE_HOME="$HOME/.cache"
export TMPDIR="$HV_BUILD/tmp"
# Test programs that show windows (each runs in the virtual desktop "hvtest").
HV_GUI_SUITES="${HV_GUI_SUITES:-test_forms.exe test_forms2.exe}"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$TMPDIR"

# Creates the prefix once (under a lock, since ctest starts programs in parallel) and keeps
# the Wine server alive, so that each later process starts in milliseconds.
hv_wine_ready() {
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.hv-ready" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      touch "$WINEPREFIX/.hv-ready"
    fi
    # GUI suites run inside a Wine virtual desktop of their own: with no window manager on
    # the X display, hiding or destroying a shown top-level window costs ~2 s each.
    if [ "$(cat "$WINEPREFIX/.hv-desktops" 2>/dev/null)" != "$HV_GUI_SUITES" ]; then
      for exe in $HV_GUI_SUITES; do
        wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\Explorer" /v Desktop /d hvtest /f >/dev/null 2>&1 </dev/null || true
      done
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v hvtest /d 1024x768 /f >/dev/null 2>&1 </dev/null || true
      echo "$HV_GUI_SUITES" >"$WINEPREFIX/.hv-desktops"
    fi
  ) 9>"$HV_BUILD/.wineprefix.lock"
  # A persistent server, warmed up with its services started here with no output attached:
  # a service started by the first program of a test would hold the test runner's pipe open.
  if ! wineserver -p60 >/dev/null 2>&1 </dev/null; then :; fi
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
