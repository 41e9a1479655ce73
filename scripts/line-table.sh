#!/usr/bin/env bash
# Appends to a linked program file the table that names routines and source lines in its
# exception reports: routine starts from the symbol table, line rows from the DWARF line
# program, read with the cross binutils. The program reads it back from its own file
# (lib/diagnostics/HvLXLineTable.cpp), on any Windows, with no debug information or network.
# The line information is then stripped from the program: the table is all the reports need.
# Usage: line-table.sh PROGRAM.exe NM OBJDUMP OBJCOPY   (the cross binutils of the program's architecture)
set -euo pipefail
exe="$1" nm="$2" objdump="$3" objcopy="$4"
table="$(mktemp "$exe.lines.XXXXXX")"
# A program left without its table would not be linked again: remove it so the next build does.
trap 'status=$?; rm -f "$table"; if [ $status != 0 ]; then rm -f "$exe"; fi' EXIT

{
  echo "HVLINES 1"
  "$objdump" -p "$exe" | awk '$1 == "ImageBase" { print "B " $2 }'
  # Routines: code symbols by address, demangled, without their parameter lists.
  "$nm" -C -n --defined-only "$exe" | awk '
    function routine(name,   i, depth, c) {
      while (name ~ / \[clone [^]]*\]$/) sub(/ \[clone [^]]*\]$/, "", name)
      while (name ~ / (const|volatile|&|&&)$/) sub(/ (const|volatile|&|&&)$/, "", name)
      if (substr(name, length(name)) != ")") return name
      depth = 0
      for (i = length(name); i > 0; i--) {
        c = substr(name, i, 1)
        if (c == ")") depth++
        else if (c == "(" && --depth == 0) return substr(name, 1, i - 1)
      }
      return name
    }
    ($2 == "T" || $2 == "t") && $3 !~ /^\./ && $1 != last {
      last = $1
      name = $0
      sub(/^[0-9a-fA-F]+ [tT] /, "", name)
      print "S " $1 " " routine(name)
    }'
  # Line rows: "file line address [view] [stmt]"; "-" as the line ends a sequence. Rows that
  # repeat the previous file and line add nothing.
  "$objdump" --dwarf=decodedline "$exe" | awk '
    NF >= 3 && $3 ~ /^0x/ && ($2 ~ /^[0-9]+$/ || $2 == "-") {
      if ($2 == "-") { print "E " substr($3, 3); pf = ""; next }
      if (!($1 in files)) { files[$1] = ++nfiles; print "F " nfiles " " $1 }
      if ($1 == pf && $2 == pl) next
      pf = $1; pl = $2
      print "L " substr($3, 3) " " $2 " " files[$1]
    }'
} >"$table"

size=$(stat -c %s "$table")
"$objcopy" --strip-debug "$exe"
cat "$table" >>"$exe"
printf 'HVLINES %012d\n' "$size" >>"$exe"
