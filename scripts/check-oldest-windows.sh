#!/usr/bin/env bash
# Fails when the program imports, at load time, a DLL or a function that Windows 7 (the oldest
# Windows its manifest names) lacks: the loader would refuse to start it there before any of
# its code runs. Our own sources compile against the Windows 7 headers, so this catches what
# the precompiled runtime libraries (libstdc++, winpthreads, the MinGW runtime) bring along.
# Each imported function must be declared by the system headers for Windows 7; the few that
# the headers declare for every version but that came later are listed here by name.
# Usage: check-oldest-windows.sh PROGRAM.exe CXX [--remove-on-failure]
#   CXX: the program's own cross compiler; the program is removed on failure when asked, so
#   that the next build links it again.
set -euo pipefail
exe="$1" cxx="$2" remove="${3:-}"
objdump=x86_64-w64-mingw32-objdump  # reads both kinds
# Declared whatever _WIN32_WINNT says, yet missing from Windows 7 before its loader update.
later_than_windows7='^(SetDefaultDllDirectories|AddDllDirectory|RemoveDllDirectory)$'

imports=$("$objdump" -p "$exe" | awk '
  /^\tDLL Name: / { dll = tolower($3); next }
  /^$/ { dll = "" }
  dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }')
[ -n "$imports" ] || { echo "no imports read from $exe"; exit 1; }

problems=()
# API sets stand for DLLs of later versions; Windows 7 has almost none of them.
while read -r dll; do problems+=("$dll: an API set DLL that Windows 7 lacks"); done < <(awk '$1 ~ /^api-ms-win-/ { print $1 }' <<<"$imports" | sort -u)
while read -r dll name; do
  [[ "$name" =~ $later_than_windows7 ]] && problems+=("$dll!$name: came after Windows 7 (bind it at run time)")
done <<<"$imports"

# The C runtime (msvcrt.dll) is in every Windows and has no declarations of its own here.
probe=$(mktemp --suffix=.cpp)
trap 'rm -f "$probe"' EXIT
{
  echo '#define _WIN32_WINNT 0x0601'
  echo '#define WINVER 0x0601'
  echo '#define WIN32_LEAN_AND_MEAN'
  echo '#include <winsock2.h>'
  echo '#include <windows.h>'
  for header in ws2tcpip.h shellapi.h shlobj.h shlwapi.h commctrl.h commdlg.h \
                wincrypt.h psapi.h dbghelp.h userenv.h ole2.h olectl.h wincodec.h \
                tlhelp32.h winternl.h sddl.h aclapi.h msi.h winver.h imm.h mmsystem.h objbase.h; do
    echo "#include <$header>"
  done
  echo 'const void* const imported[] = {'
  awk '$1 != "msvcrt.dll" { print "  reinterpret_cast<const void*>(&::" $2 "),  // " $1 }' <<<"$imports"
  echo '};'
} >"$probe"
if ! errors=$(LC_ALL=C "$cxx" -std=c++20 -fsyntax-only -Wno-deprecated-declarations "$probe" 2>&1); then
  while read -r name; do
    dll=$(awk -v n="$name" '$2 == n { print $1; exit }' <<<"$imports")
    problems+=("$dll!$name: not declared for Windows 7")
  done < <(sed -n "s/.*error: '::\([A-Za-z0-9_]*\)' has not been declared.*/\1/p" <<<"$errors" | sort -u)
  if [ ${#problems[@]} = 0 ]; then
    echo "$errors" | head -20
    if [ "$remove" = --remove-on-failure ]; then rm -f "$exe"; fi
    exit 1
  fi
fi

if [ ${#problems[@]} -gt 0 ]; then
  echo "$exe imports what Windows 7 lacks:"
  printf '  %s\n' "${problems[@]}"
  if [ "$remove" = --remove-on-failure ]; then rm -f "$exe"; fi
  exit 1
fi
echo "$(basename "$exe"): $(wc -l <<<"$imports") imported functions, all in Windows 7"
