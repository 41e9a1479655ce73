#!/usr/bin/env bash
# Installs, idempotently, every Debian package the build, the tests and the demo need: both
# MinGW-w64 compilers (the 32-bit product, the 64-bit twin for machines that cannot run 32-bit
# code), Wine's 32- and 64-bit loaders, Wine's own fonts, Xvfb, the screenshot tools and wixl,
# which builds the installer packages the end-to-end tests install with the prefix's msiexec,
# and tinyproxy, the HTTP proxy the internet tests start on loopback.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

added_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  added_i386=1
fi

for p in cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
         g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest \
         wine wine32:i386 wine64 fonts-wine xvfb x11-utils imagemagick xdotool ccache wixl \
         tinyproxy python3 qemu-user; do
  have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ] || [ "$added_i386" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  echo "setup: installing ${need[*]}"
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
