#include "HvLXStackWalk.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "HvLXLineTable.h"
#include "HvStrings.h"

namespace hv {
namespace {

constexpr int kMaxFrames = 128;
// No stack is scanned further than this from where the walk starts.
constexpr std::uintptr_t kMaxRawScanBytes = 1u << 20;

struct CodeRange {
  std::uintptr_t start, end;
};

// The executable sections of the program file, as loaded.
const std::vector<CodeRange>& ProgramCode() {
  static const std::vector<CodeRange> ranges = [] {
    std::vector<CodeRange> found;
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
      if (section->Characteristics & IMAGE_SCN_MEM_EXECUTE) {
        const auto start = reinterpret_cast<std::uintptr_t>(base) + section->VirtualAddress;
        found.push_back({start, start + section->Misc.VirtualSize});
      }
    return found;
  }();
  return ranges;
}

// The calling thread's stack, from the lowest page committed for it so far (below every frame
// of this thread) to its base, as its information block keeps them. Read there at every raise:
// the call that answers it came with Windows 8 (the program starts on Windows 7), and asking the
// memory manager instead cost a system call, tripling the capture's cost.
// (Read through the segment register: the compiler takes NtCurrentTeb's constant address for an
// array out of bounds.)
void CurrentStackRange(ULONG_PTR& low, ULONG_PTR& high) {
#if defined(__x86_64__)
  static_assert(offsetof(NT_TIB, StackBase) == 0x08 && offsetof(NT_TIB, StackLimit) == 0x10);
  asm("movq %%gs:0x08, %0" : "=r"(high));
  asm("movq %%gs:0x10, %0" : "=r"(low));
#else
  static_assert(offsetof(NT_TIB, StackBase) == 0x04 && offsetof(NT_TIB, StackLimit) == 0x08);
  asm("movl %%fs:0x04, %0" : "=r"(high));
  asm("movl %%fs:0x08, %0" : "=r"(low));
#endif
}

const CodeRange* CodeRangeOf(std::uintptr_t address) {
  for (const CodeRange& range : ProgramCode())
    if (address >= range.start && address < range.end) return &range;
  return nullptr;
}

// Whether the bytes before `address` end in one of the x86 / x86-64 forms of a near call
// (FF /2 with every addressing form, or E8 with a 32-bit displacement).
bool FollowsCall(std::uintptr_t address, const CodeRange& range) {
  if (address - range.start < 7) return false;
  const BYTE* p = reinterpret_cast<const BYTE*>(address);
  auto indirect = [](BYTE modrm, int mod) { return (modrm & 0x38) == 0x10 && (modrm >> 6) == mod; };
  if (p[-5] == 0xE8) return true;                                                   // call rel32
  if (p[-2] == 0xFF && (indirect(p[-1], 3) || (indirect(p[-1], 0) && (p[-1] & 7) != 4 && (p[-1] & 7) != 5)))
    return true;                                                                    // call reg / [reg]
  if (p[-3] == 0xFF && (indirect(p[-2], 1) || (indirect(p[-2], 0) && (p[-2] & 7) == 4))) return true;  // [reg+d8] / [sib]
  if (p[-4] == 0xFF && indirect(p[-3], 1) && (p[-3] & 7) == 4) return true;        // [sib+d8]
  if (p[-6] == 0xFF && (indirect(p[-5], 2) || (indirect(p[-5], 0) && (p[-5] & 7) == 5))) return true;  // [reg+d32] / [d32]
  if (p[-7] == 0xFF && indirect(p[-6], 2) && (p[-6] & 7) == 4) return true;        // [sib+d32]
  return false;
}

}  // namespace

bool IsProgramCode(const void* address) { return CodeRangeOf(reinterpret_cast<std::uintptr_t>(address)) != nullptr; }

__attribute__((noinline)) void CaptureRawStack(TStackTrace& trace, int skip) noexcept {
  GetLocalTime(&trace.capturedAt);
  trace.frames.clear();
  try {
    ULONG_PTR stackLimit = 0, stackBase = 0;
    CurrentStackRange(stackLimit, stackBase);
    volatile std::uintptr_t here = 0;
    auto slot = reinterpret_cast<std::uintptr_t>(&here) & ~(sizeof(void*) - 1);
    if (slot < stackLimit || slot >= stackBase) return;
    const std::uintptr_t end = stackBase - slot > kMaxRawScanBytes ? slot + kMaxRawScanBytes : stackBase;
    for (; slot < end && trace.frames.size() < kMaxFrames; slot += sizeof(void*)) {
      const std::uintptr_t value = *reinterpret_cast<const std::uintptr_t*>(slot);
      const CodeRange* range = CodeRangeOf(value);
      if (!range || !FollowsCall(value, *range)) continue;
      if (skip > 0) {
        --skip;
        continue;
      }
      trace.frames.push_back(reinterpret_cast<void*>(value));
    }
  } catch (...) {
    // Out of memory: the frames found so far are the trace.
  }
}

#if defined(_WIN64)
namespace {

// The program's function table, sorted by start address, as the loader mapped it.
struct FunctionTable {
  DWORD64 imageBase = 0;
  const RUNTIME_FUNCTION* entries = nullptr;
  size_t count = 0;
};

const FunctionTable& ProgramFunctions() {
  static const FunctionTable table = [] {
    FunctionTable found;
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
    found.imageBase = reinterpret_cast<DWORD64>(base);
    found.entries = reinterpret_cast<const RUNTIME_FUNCTION*>(base + directory.VirtualAddress);
    found.count = directory.VirtualAddress ? directory.Size / sizeof(RUNTIME_FUNCTION) : 0;
    return found;
  }();
  return table;
}

// The system's lookup takes the loader's lock and searches every module on each call; the
// program's own frames, nearly all of them, are found in its table directly.
PRUNTIME_FUNCTION FunctionEntryOf(DWORD64 pc, DWORD64& imageBase) {
  if (!IsProgramCode(reinterpret_cast<void*>(pc))) return RtlLookupFunctionEntry(pc, &imageBase, nullptr);
  const FunctionTable& table = ProgramFunctions();
  imageBase = table.imageBase;
  const auto rva = static_cast<DWORD>(pc - table.imageBase);
  const RUNTIME_FUNCTION* end = table.entries + table.count;
  const RUNTIME_FUNCTION* next = std::upper_bound(table.entries, end, rva,
                                                  [](DWORD a, const RUNTIME_FUNCTION& f) { return a < f.BeginAddress; });
  if (next == table.entries || rva >= std::prev(next)->EndAddress) return nullptr;
  return const_cast<PRUNTIME_FUNCTION>(std::prev(next));
}

}  // namespace
#endif

__attribute__((noinline)) void CaptureStack(TStackTrace& trace, int skip) noexcept {
#if defined(_WIN64)
  // Every function of the 64-bit program carries unwind data, so the system's unwinder finds
  // the exact frames.
  GetLocalTime(&trace.capturedAt);
  trace.frames.clear();
  try {
    ULONG_PTR stackLimit = 0, stackBase = 0;
    CurrentStackRange(stackLimit, stackBase);
    CONTEXT context;
    RtlCaptureContext(&context);
    while (trace.frames.size() < kMaxFrames && context.Rsp >= stackLimit && context.Rsp < stackBase) {
      DWORD64 imageBase = 0;
      if (PRUNTIME_FUNCTION entry = FunctionEntryOf(context.Rip, imageBase)) {
        PVOID handlerData = nullptr;
        DWORD64 establisher = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, entry, &context, &handlerData, &establisher, nullptr);
      } else {
        // A leaf function: the return address is at the top of the stack.
        context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
        context.Rsp += 8;
      }
      if (!context.Rip) break;
      if (skip > 0) --skip;
      else trace.frames.push_back(reinterpret_cast<void*>(context.Rip));
    }
  } catch (...) {
    // Out of memory: the frames found so far are the trace.
  }
#else
  // The 32-bit program keeps no frame pointers and the system has no unwind data for it.
  CaptureRawStack(trace, skip + 1);
#endif
}

std::wstring HexText(std::uint64_t value, int digits) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text(static_cast<size_t>(digits), L'0');
  for (size_t i = text.size(); i-- > 0; value >>= 4) text[i] = kDigits[value & 15];
  return text;
}

std::wstring CodeAddressText(const void* address) {
  return HexText(reinterpret_cast<std::uintptr_t>(address), sizeof(void*) * 2);
}

std::wstring LocationText(const void* address, bool exact) {
  std::wstring text = L"[" + CodeAddressText(address) + L"]";
  TCodeLocation at;
  // A return address follows its call; the call is what the frame is doing.
  const char* looked = static_cast<const char*>(address) - (exact ? 0 : 1);
  if (!IsProgramCode(address) || !LookUpCodeLocation(looked, at) ||
      at.routine.empty())
    return text;
  if (at.line == 0) return text + L" " + at.routine;
  return text + L" " + at.unit + L"." + at.routine + L" (Line " + std::to_wstring(at.line) + L", \"" + at.fileName +
         L"\")";
}

void AddStackLines(const TStackTrace& trace, TStrings& lines, const void* faultAddress) {
  for (void* frame : trace.frames) lines.Add(LocationText(frame, frame == faultAddress));
}

}  // namespace hv
