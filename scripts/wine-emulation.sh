# Sourced by wine-env.sh: runs the 32-bit programs of a build on a machine whose kernel refuses
# 32-bit code, with Wine's own 32-bit loader under user-mode emulation (qemu-i386), in a win64
# prefix made by the 64-bit loader. Slower than native (a few seconds a process start, code
# several times slower), so the test run keeps it for what only the 32-bit program can show.
#
# Wine starts a program of the other bitness through the loader beside its own binary
# ("wine" next to "wine64"), which here is the 32-bit ELF the kernel refuses. So Wine runs from
# a folder of its own whose "wine" is the emulating script: a 64-bit tool (exit_code.exe,
# ui_driver.exe) can then start the 32-bit program, and the 32-bit program its own children.
# The loaders find ntdll and Wine's data by relative paths, which the links below provide.

# The guest's address space for qemu-i386: 2 GB for Windows plus 32 MB above it. Without a
# preloader, Wine's 32-bit loader reserves everything above 2 GB piece by piece, and qemu 7
# answers each refused piece by scanning the whole guest space page by page: with qemu's
# default of 4 GB that took 45 s of every process start, with this room about 3 s. Below it
# the loader cannot place its own stack and libraries.
HV_EMULATION_GUEST_SPACE=0x82000000

# Lays out DIR/lib/wine with the loaders and prints the 64-bit loader's path.
hv_emulation_loaders() {  # $1: folder of the build's own
  local dir="$1" bin="$1/lib/wine" launcher
  # The 32-bit loader cannot re-execute itself through the preloader under emulation. It starts
  # 32-bit children through the loader its argv[0] names: that must be this script, which the
  # kernel runs, not the 32-bit binary it refuses (qemu's -0 sets the guest's argv[0]).
  launcher="#!/bin/sh
WINELOADERNOEXEC=1 exec qemu-i386 -R $HV_EMULATION_GUEST_SPACE -L / -0 \"\$0\" \"\$(dirname \"\$0\")/wine-i386\" \"\$@\""
  if [ ! -x "$bin/wine64" ]; then
    command -v qemu-i386 >/dev/null || { echo "error: qemu-i386 is missing; run scripts/setup.sh" >&2; return 1; }
    rm -rf "$dir" && mkdir -p "$bin"
    cp /usr/lib/wine/wine64 "$bin/wine64"      # a copy, not a link: Wine finds "wine" beside
    cp /usr/lib/wine/wine "$bin/wine-i386"     # the real path of the running binary
    ln -s /usr/lib/wine/wineserver "$bin/wineserver"
    ln -s /usr/lib/x86_64-linux-gnu "$dir/lib/x86_64-linux-gnu"
    ln -s /usr/lib/i386-linux-gnu "$dir/lib/i386-linux-gnu"
    ln -s /usr/share "$dir/share"
  fi
  if [ "$(cat "$bin/wine" 2>/dev/null)" != "$launcher" ]; then
    printf '%s\n' "$launcher" >"$bin/wine.tmp"
    chmod +x "$bin/wine.tmp" && mv "$bin/wine.tmp" "$bin/wine"
  fi
  echo "$bin/wine64"
}

# The 64-bit loader makes the prefix with an empty syswow64; the 32-bit program needs Wine's
# own 32-bit DLLs and programs there, as a prefix made by the 32-bit loader would have them.
hv_emulation_syswow64() {  # $1: the prefix
  local syswow64="$1/drive_c/windows/syswow64" source=/usr/lib/i386-linux-gnu/wine/i386-windows
  [ -f "$syswow64/ntdll.dll" ] && return 0
  [ -d "$source" ] || { echo "error: Wine's 32-bit DLLs are missing ($source); run scripts/setup.sh" >&2; return 1; }
  mkdir -p "$syswow64"
  cp -n "$source"/* "$syswow64/"
}
