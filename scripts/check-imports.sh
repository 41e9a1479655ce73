#!/usr/bin/env bash
# Fails when the program imports any DLL that Windows itself does not ship.
set -euo pipefail
exe="$1"
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|uxtheme|version|windowscodecs|msimg32|dbghelp|psapi|ntdll|msvcrt|ws2_32|wininet|winhttp|urlmon|crypt32|bcrypt|imm32|winmm|rpcrt4|secur32|userenv|api-ms-win-[a-z0-9-]+)\.dll$'
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no imports read from $exe"; exit 1; }
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "non-system DLLs imported: $bad"; exit 1; fi
echo "imports: $(echo $dlls)"
