#!/usr/bin/env bash
# Installs, idempotently, every Debian package the build, the tests and the demo need.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  rm -f /var/lib/apt/lists/lock.updated
fi

for p in cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest \
         wine wine32:i386 wine64 xvfb x11-utils imagemagick xdotool; do
  have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
