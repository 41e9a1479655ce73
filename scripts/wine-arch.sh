# Sourced: decides which build the Wine runs use on this machine, by a probe, not a guess.
# HV_ARCH=32: the 32-bit product under the usual Wine (its 32-bit loader starts here).
# HV_ARCH=64: the 64-bit twin under the wine64 loader, on a machine whose kernel refuses
#             32-bit code (or when HV_FORCE_WIN64=1 asks for it on any machine).
# HV_ARCH_REASON says why, in one line. An HV_ARCH already set by the caller is kept, so the
# scripts a test run starts agree with the run.
HV_WINE32_LOADER=/usr/lib/wine/wine
HV_WINE64_LOADER=/usr/lib/wine/wine64

hv_decide_arch() {
  [ -n "${HV_ARCH:-}" ] && return 0
  if [ "${HV_FORCE_WIN64:-0}" = 1 ]; then
    HV_ARCH=64 HV_ARCH_REASON="HV_FORCE_WIN64=1 asks for the 64-bit build"
  elif [ ! -x "$HV_WINE32_LOADER" ]; then
    HV_ARCH=64 HV_ARCH_REASON="no 32-bit Wine loader at $HV_WINE32_LOADER"
  elif probe=$("$HV_WINE32_LOADER" --version 2>&1); then
    HV_ARCH=32 HV_ARCH_REASON="this machine runs 32-bit code ($HV_WINE32_LOADER --version: $probe)"
  else
    probe=$(sed 's/^.*line [0-9]*: //' <<<"$probe")  # the kernel's answer without bash's prefix
    HV_ARCH=64 HV_ARCH_REASON="this machine cannot run 32-bit code (${probe:-$HV_WINE32_LOADER did not start})"
  fi
  export HV_ARCH HV_ARCH_REASON
}
hv_decide_arch

# The build folder the Wine runs use: build/ holds the 32-bit product, build64/ the 64-bit twin.
hv_build_dir() {  # $1: project root
  if [ "$HV_ARCH" = 64 ]; then echo "$1/build64"; else echo "$1/build"; fi
}

# Builds what this machine's Wine runs: everything of the 32-bit product where it can run it;
# elsewhere everything of the 32-bit product too (so a source that only the 32-bit compiler
# refuses stops every machine's run, not only those that run 32-bit code; the product's
# imports checked), then everything of the 64-bit twin.
hv_build_for_machine() {  # $1: project root
  if [ "$HV_ARCH" = 32 ]; then
    bash "$1/scripts/build.sh" 32
  else
    bash "$1/scripts/build.sh" 32 &&
      bash "$1/scripts/check-imports.sh" "$1/build/app/HalvernUninstaller.exe" &&
      bash "$1/scripts/build.sh" 64
  fi
}
