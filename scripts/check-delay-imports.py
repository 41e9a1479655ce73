#!/usr/bin/env python3
"""Reads a program's delay-load tables and fails on any import slot that cannot lead to its
function: before the first call each slot must hold the address of code that hands exactly
that slot to the DLL's load routine. A zero or stray start value makes the first call jump
to nowhere, on i386 and x86-64 alike, before the program can report anything.

Usage: check-delay-imports.py PROGRAM.exe NM [--remove-on-failure]
NM lists the program's symbols (the descriptors are found by name: MinGW's linker leaves the
delay-import data directory empty, and the loader does not need it).
"""
import os
import struct
import subprocess
import sys

I386, AMD64 = 0x14C, 0x8664
SCN_CODE, SCN_EXECUTE = 0x20, 0x20000000


class Image:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, count = struct.unpack_from("<HH", self.data, pe + 4)
        optional_size = struct.unpack_from("<H", self.data, pe + 20)[0]
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        self.pointer = 8 if magic == 0x20B else 4
        self.base = (struct.unpack_from("<Q", self.data, optional + 24)[0] if magic == 0x20B
                     else struct.unpack_from("<I", self.data, optional + 28)[0])
        self.sections = []
        table = optional + optional_size
        for i in range(count):
            name, vsize, rva, rawsize, raw = struct.unpack_from("<8sIIII", self.data, table + 40 * i)
            flags = struct.unpack_from("<I", self.data, table + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(errors="replace"), rva, max(vsize, rawsize), raw, rawsize, flags))

    def section_of(self, rva):
        for s in self.sections:
            if s[1] <= rva < s[1] + s[2]:
                return s
        return None

    def read(self, rva, size):
        s = self.section_of(rva)
        if s is None:
            raise ValueError("RVA %#x lies in no section" % rva)
        offset = rva - s[1]
        if offset + size > s[4]:
            return b"\0" * size  # uninitialised data
        return self.data[s[3] + offset:s[3] + offset + size]

    def u32(self, rva):
        return struct.unpack("<I", self.read(rva, 4))[0]

    def ptr(self, rva):
        return struct.unpack("<Q" if self.pointer == 8 else "<I", self.read(rva, self.pointer))[0]

    def cstr(self, rva):
        out = b""
        while True:
            c = self.read(rva + len(out), 1)
            if c == b"\0" or len(out) > 512:
                return out.decode(errors="replace")
            out += c

    def executable(self, rva):
        s = self.section_of(rva)
        return s is not None and bool(s[5] & (SCN_CODE | SCN_EXECUTE))


def loads_slot(image, code_rva, slot_rva):
    """The code at code_rva puts the slot's address where the load routine expects it and jumps on."""
    code = image.read(code_rva, 12)
    slot_va = image.base + slot_rva
    if image.machine == I386:  # mov $slot, %eax; jmp rel32
        return code[0] == 0xB8 and struct.unpack_from("<I", code, 1)[0] == slot_va and code[5] == 0xE9
    if image.machine == AMD64:  # lea slot(%rip), %rax; jmp rel32
        if code[:3] != b"\x48\x8d\x05":
            return False
        target = code_rva + 7 + struct.unpack_from("<i", code, 3)[0]
        return target == slot_rva and code[7] == 0xE9
    return False


def descriptors(path, nm):
    listing = subprocess.run([nm, path], check=True, capture_output=True, text=True).stdout
    for line in listing.splitlines():
        fields = line.split()
        if len(fields) == 3 and "__DELAY_IMPORT_DESCRIPTOR_" in fields[2]:
            yield fields[2], int(fields[0], 16)


def check(path, nm):
    image = Image(path)
    problems, dlls, slots = [], 0, 0
    for symbol, va in descriptors(path, nm):
        rva = va - image.base
        attributes, name_rva, _hmod, iat, int_ = struct.unpack("<5I", image.read(rva, 20))
        if attributes != 1:
            problems.append("%s: descriptor without RVAs (attributes %d)" % (symbol, attributes))
            continue
        dll = image.cstr(name_rva)
        dlls += 1
        index = 0
        while True:
            lookup = image.ptr(int_ + index * image.pointer)
            if lookup == 0:
                break
            function = ("#%d" % (lookup & 0xFFFF) if lookup >> (image.pointer * 8 - 1)
                        else image.cstr((lookup & 0x7FFFFFFF) + 2))
            slot = iat + index * image.pointer
            start = image.ptr(slot)
            where = "%s!%s (slot at %#x)" % (dll, function, image.base + slot)
            if start == 0:
                problems.append(where + ": starts as 0")
            elif not image.executable(start - image.base):
                problems.append(where + ": starts as %#x, outside the code" % start)
            elif not loads_slot(image, start - image.base, slot):
                problems.append(where + ": starts as %#x, which does not load this slot" % start)
            slots += 1
            index += 1
    return problems, dlls, slots


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    path, nm = sys.argv[1], sys.argv[2]
    problems, dlls, slots = check(path, nm)
    if problems:
        print("%s: %d of %d delay-load slots cannot reach their function:" % (path, len(problems), slots))
        for p in problems:
            print("  " + p)
        if "--remove-on-failure" in sys.argv[3:]:
            os.remove(path)  # so that the next build links it again
        return 1
    print("%s: %d delay-load slots of %d DLLs lead to their functions" % (os.path.basename(path), slots, dlls))
    return 0


if __name__ == "__main__":
    sys.exit(main())
