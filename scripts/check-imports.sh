#!/usr/bin/env bash
# Fails when the program is not of the expected kind (pei-i386 for the product, pei-x86-64 for
# the 64-bit twin) or imports any DLL that Windows itself does not ship.
# Usage: check-imports.sh EXE [pei-i386|pei-x86-64]  (default: pei-i386)
set -euo pipefail
exe="$1"
want="${2:-pei-i386}"
objdump=x86_64-w64-mingw32-objdump  # reads both kinds
format=$("$objdump" -f "$exe" | sed -n 's/.*file format //p')
if [ "$format" != "$want" ]; then echo "$exe is '$format', expected '$want'"; exit 1; fi
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|uxtheme|version|windowscodecs|msimg32|oleacc|dbghelp|psapi|ntdll|msvcrt|ws2_32|wininet|winhttp|urlmon|crypt32|bcrypt|imm32|winmm|rpcrt4|secur32|userenv|api-ms-win-[a-z0-9-]+)\.dll$'
dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no imports read from $exe"; exit 1; }
bad=$(grep -Ev "$allowed" <<<"$dlls") && { echo "non-system DLLs imported: $bad"; exit 1; }
echo "$format, imports: $(echo $dlls)"
