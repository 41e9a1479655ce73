# Sourced by every script that runs a program under Wine: a project-local prefix and a
# project-local HOME, trash and temp folder, so nothing the program deletes can reach the
# developer's own files. HV_BUILD may name the build folder; by default it is the one this
# machine's Wine runs (build/ or build64/, see wine-arch.sh).
HV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$HV_ROOT/scripts/wine-arch.sh"
HV_BUILD="${HV_BUILD:-$(hv_build_dir "$HV_ROOT")}"
# The Wine machine (prefix, home, temporary folder) lives in the build folder, or in
# HV_MACHINE where two runs of one build must not share one (test.sh under emulation).
HV_MACHINE="${HV_MACHINE:-$HV_BUILD}"
export HV_MACHINE
export WINEPREFIX="${WINEPREFIX:-$HV_MACHINE/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export HOME="$HV_MACHINE/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_CACHE_HOME="$HOME/.cache"
export TMPDIR="$HV_MACHINE/tmp"
# Debian's wine wrapper takes the 32-bit loader whenever wine32 is installed, and that loader
# cannot start where the kernel refuses 32-bit code: there every Wine run, also the one that
# Wine starts for itself, goes through the 64-bit loader, and the 32-bit programs of the
# 32-bit build run under emulation (wine-emulation.sh).
# HV_WINE is the command that starts a program; scripts call `wine`, which runs it.
# HV_TOOLS holds the helper programs the end-to-end scripts drive the program with: under
# emulation those of the 64-bit twin where it is built, which do the same in a fraction of the time.
HV_WINE=wine
HV_TOOLS="$HV_BUILD/tools"
HV_EMULATED=0
if [ "$HV_ARCH" = 64 ]; then
  export WINELOADER="$HV_WINE64_LOADER"
  if [ "$(cat "$HV_BUILD/hv-bits" 2>/dev/null)" = 32 ]; then
    source "$HV_ROOT/scripts/wine-emulation.sh"
    WINELOADER="$(hv_emulation_loaders "$HV_BUILD/emulation")"
    HV_EMULATED=1
    # The driver's waits for windows and buttons (tools/ui_driver.cpp) are made for a program
    # that starts in a second.
    export HV_WAIT_FACTOR="${HV_WAIT_FACTOR:-30}"
    if [ -d "$HV_ROOT/build64/tools" ]; then HV_TOOLS="$HV_ROOT/build64/tools"; fi
  fi
  HV_WINE="$WINELOADER"
  wine() { "$WINELOADER" "$@"; }
  export -f wine
fi
export HV_TOOLS HV_EMULATED
# Programs that show windows run in Wine's virtual desktop "hvtest": it draws title bars and
# hides windows at once (a bare Xvfb has no window manager). The program and the driver that
# presses its buttons share it, so the driver sees the program's windows; a program started by
# another (exit_code.exe) shares its launcher's desktop, so the launcher is listed too.
HV_GUI_SUITES="${HV_GUI_SUITES:-test_forms.exe test_forms2.exe test_progresswnd.exe test_mainwindow.exe HalvernUninstaller.exe ui_driver.exe bare_window.exe startup_bench.exe exit_code.exe test_richedit.exe}"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$TMPDIR"

# Stops the calling script with Wine's own words and a hint when a Wine step fails.
# The output goes to a file, never a pipe: services that Wine starts inherit it and would hold
# a pipe open for as long as they run.
hv_wine_step() {  # $1: what the step does; the rest: the command
  local what="$1" log status=0
  shift
  log=$(mktemp "$HV_BUILD/wine-step.XXXXXX")
  "$@" >"$log" 2>&1 </dev/null || status=$?
  if [ "$status" != 0 ]; then
    echo "error: $what failed (exit code $status): $*" >&2
    tail -n 20 "$log" >&2
    echo "hint: $HV_ARCH_REASON; remove $WINEPREFIX and run again, or set HV_FORCE_WIN64=1" >&2
  fi
  rm -f "$log"
  return "$status"
}

# Creates the prefix once (under a lock, since ctest starts programs in parallel) and keeps
# the Wine server alive, so that each later process starts in milliseconds.
hv_wine_ready() {
  mkdir -p "$HV_MACHINE"
  (
    set -e
    flock 9
    if [ ! -f "$WINEPREFIX/.hv-ready" ]; then
      # The 64-bit loader's prefix complains that syswow64's rundll32 cannot start and still
      # comes out whole: judge the prefix by its system registry, not by the exit code.
      boot_status=0
      wine wineboot -i >"$HV_MACHINE/wineboot.log" 2>&1 </dev/null || boot_status=$?
      wineserver -w
      if [ ! -f "$WINEPREFIX/system.reg" ] || ! grep -q . "$WINEPREFIX/system.reg"; then
        echo "error: Wine could not create the prefix $WINEPREFIX (wineboot exit code $boot_status):" >&2
        tail -n 20 "$HV_MACHINE/wineboot.log" >&2
        echo "hint: $HV_ARCH_REASON; set HV_FORCE_WIN64=1 to use the 64-bit loader" >&2
        exit 1
      fi
      if [ "$HV_EMULATED" = 1 ]; then hv_emulation_syswow64 "$WINEPREFIX"; fi
      touch "$WINEPREFIX/.hv-ready"
    fi
    # Wine's own fonts (Tahoma, the designed font of the windows, and Marlett, which draws the
    # title-bar buttons) from Debian's fonts-wine. The 64-bit loader's prefix set-up leaves the
    # Fonts folder empty, and without them every caption falls back to another font.
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ ! -f "$fonts/marlett.ttf" ]; then
      if [ ! -f /usr/share/wine/fonts/marlett.ttf ]; then
        echo "error: Wine's fonts are missing (/usr/share/wine/fonts); run scripts/setup.sh" >&2
        exit 1
      fi
      mkdir -p "$fonts"
      cp /usr/share/wine/fonts/*.ttf "$fonts/"
    fi
    # GUI suites run inside a Wine virtual desktop of their own: with no window manager on
    # the X display, hiding or destroying a shown top-level window costs ~2 s each.
    if [ "$(cat "$WINEPREFIX/.hv-desktops" 2>/dev/null)" != "$HV_GUI_SUITES" ]; then
      for exe in $HV_GUI_SUITES; do
        hv_wine_step "choosing the virtual desktop of $exe" \
          wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\Explorer" /v Desktop /d hvtest /f
      done
      hv_wine_step "sizing the virtual desktop" \
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v hvtest /d 1024x768 /f
      echo "$HV_GUI_SUITES" >"$WINEPREFIX/.hv-desktops"
    fi
  ) 9>"$HV_MACHINE/.wineprefix.lock" || return 1
  # A persistent server, warmed up with its services started here with no output attached:
  # a service started by the first program of a test would hold the test runner's pipe open.
  local server_status=0
  wineserver -p60 >/dev/null 2>&1 </dev/null || server_status=$?
  # 2: this prefix's server is already running, which is all that is asked for.
  if [ "$server_status" != 0 ] && [ "$server_status" != 2 ]; then
    echo "error: the Wine server of $WINEPREFIX did not start (exit code $server_status)" >&2
    return 1
  fi
  hv_wine_step "starting the Wine services" wine cmd /c exit
}
