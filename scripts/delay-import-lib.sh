#!/usr/bin/env bash
# Makes an import library whose DLL loads on the first call of one of its functions, for both
# architectures, from the toolchain's ordinary import library.
# Usage: delay-import-lib.sh TRIPLET LIBRARY DLL OUTDIR   (writes OUTDIR/libLIBRARY_delay.a)
#
# dlltool --output-delaylib alone is not enough: each of its function members holds the thunk
# that loads the DLL and the import slot that points at that thunk, and the i386 linker drops
# the code of an import member whose function symbol nobody calls directly (callers go through
# the __imp_ slot), so the slot's start value became 0 and the first call jumped to address 0.
# Here dlltool makes only the descriptor head and tail; every function's member is written here,
# with its load thunk in a section of its own.
set -euo pipefail
triplet="$1" library="$2" dll="$3" outdir="$4"
import="/usr/$triplet/lib/lib$library.a"
name="lib${library}_delay"
work="$outdir/$name.parts"
rm -rf "$work" && mkdir -p "$work"

case "$triplet" in
  i686-*) bits=32 ;;
  x86_64-*) bits=64 ;;
  *) echo "delay-import-lib.sh: unknown target $triplet" >&2; exit 2 ;;
esac

# " I __imp__Name@8" on i386, where names carry an underscore and the argument size, which the
# DLL's export does not; " I __imp_Name" on x86-64.
symbols=$("$triplet-nm" "$import" | sed -n 's/^.* I __imp_//p' | LC_ALL=C sort -u)
[ -n "$symbols" ] || { echo "delay-import-lib.sh: no imports listed in $import" >&2; exit 1; }

{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  while read -r symbol; do
    if [ "$bits" = 32 ]; then symbol="${symbol#_}"; fi
    echo "$symbol"
  done <<<"$symbols"
} >"$work/$name.def"

# The head (descriptor and tail merge) and the tail (the null entries). Run in the work folder
# with a relative output name: dlltool names its symbols after the output file, and the build
# folder's path would otherwise end up in every program's symbol table.
kill_at=()
if [ "$bits" = 32 ]; then kill_at=(-k); fi
(cd "$work" && "$triplet-dlltool" --input-def "$name.def" --output-delaylib "$name.a" "${kill_at[@]}" &&
  "$triplet-ar" x "$name.a" "${name}_a_h.o" "${name}_a_t.o" && rm "$name.a")
# i386 symbols carry a leading underscore.
tail_merge="__tailMerge_${name}_a"
if [ "$bits" = 32 ]; then tail_merge="_$tail_merge"; fi

# One member per function: the direct-call thunk in .text, which the linker may drop, and the
# load thunk in a section of its own, which it keeps because the slot refers to it.
awk -v bits="$bits" -v work="$work" -v name="$name" -v tail_merge="$tail_merge" '
  {
    symbol = $1
    export = symbol
    if (bits == 32) { sub(/^_/, "", export); sub(/@[0-9]+$/, "", export) }
    file = sprintf("%s/%s_a_s%05d.s", work, name, NR)  # sorts between the head and the tail
    print "\t.text" > file
    print "\t.globl\t" symbol > file
    print symbol ":" > file
    if (bits == 32) print "\tjmp\t*__imp_" symbol > file
    else print "\tjmp\t*__imp_" symbol "(%rip)" > file
    print "\t.section\t.text$hvdelay,\"x\"" > file
    print ".Lload:" > file
    if (bits == 32) print "\tmov\t$__imp_" symbol ", %eax" > file
    else print "\tlea\t__imp_" symbol "(%rip), %rax" > file
    print "\tjmp\t" tail_merge > file
    print "\t.section\t.idata$5" > file
    print "\t.globl\t__imp_" symbol > file
    print "__imp_" symbol ":" > file
    print (bits == 32 ? "\t.long\t.Lload" : "\t.quad\t.Lload") > file
    print "\t.section\t.idata$4" > file
    print "\t.rva\t.Lname" > file
    if (bits == 64) print "\t.long\t0" > file
    print "\t.section\t.idata$6" > file
    print "\t.p2align\t1" > file
    print ".Lname:" > file
    print "\t.short\t0" > file
    print "\t.asciz\t\"" export "\"" > file
    close(file)
  }' <<<"$symbols"

# Relative names: the assembler records the source file's name in each member.
(cd "$work" && find . -name '*.s' -print0 |
  xargs -0 -P "$(nproc)" -n 100 sh -c 'for s; do "$0" -o "${s%.s}.o" "$s" || exit 1; done' "$triplet-as")
rm -f "$outdir/$name.a"
(cd "$work" && "$triplet-ar" rcsD "../$name.a" "${name}_a_h.o" ./*_s*.o "${name}_a_t.o")
rm -rf "$work"
