// Captures the current thread's stack as code addresses and turns them into location texts
// with the names of the program's address table (HvLXLineTable.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HvWindows.h"

namespace hv {

class TStrings;

struct TStackTrace {
  std::vector<void*> frames;  // return addresses, innermost first
  SYSTEMTIME capturedAt{};    // local time
};

// Captures the calling thread's stack, leaving out the `skip` innermost frames below the
// caller's own. Never raises: a walk that fails leaves fewer frames.
void CaptureStack(TStackTrace& trace, int skip) noexcept;

// The raw walk: every value on the stack that is a return address into the program's code,
// that is one that follows a call instruction. Finds frames of code built without frame
// pointers or unwind data, and stale return addresses too. What CaptureStack uses in the
// 32-bit build; `skip` drops the first ones found.
void CaptureRawStack(TStackTrace& trace, int skip) noexcept;

// Whether `address` lies in the code of the program file (not of a system library).
bool IsProgramCode(const void* address);

// `value` as `digits` upper-case hexadecimal digits (the lowest ones when it has more).
std::wstring HexText(std::uint64_t value, int digits);
// The address as upper-case hexadecimal digits, two per byte of a pointer (8 in the 32-bit
// program, 16 in the 64-bit one).
std::wstring CodeAddressText(const void* address);

// "[address] unit.routine (Line n, "file")", "[address] routine" or "[address]", by what the
// address table knows of the address. A return address is named by the call before it; an
// `exact` one (where a fault happened) by its own instruction.
std::wstring LocationText(const void* address, bool exact = false);

// One location text per frame, appended to `lines`; the frame at `faultAddress` is exact.
void AddStackLines(const TStackTrace& trace, TStrings& lines, const void* faultAddress = nullptr);

}  // namespace hv
