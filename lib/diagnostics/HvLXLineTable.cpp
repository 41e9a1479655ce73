#include "HvLXLineTable.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "HvLXCodePage.h"
#include "HvHandles.h"
#include "HvLXSpecialFolders.h"
#include "HvWindows.h"

namespace hv {
namespace {

// The program file ends in the table and then this footer with the table's length.
constexpr std::string_view kFooterTag = "HVLINES ";
constexpr size_t kFooterSize = kFooterTag.size() + 12 + 1;  // tag, 12 digits, LF
constexpr std::string_view kTableHeader = "HVLINES 1";
constexpr std::uint64_t kLargestTable = 256u << 20;

struct Routine {
  std::uint64_t address;
  std::string name;
};
struct LineRow {
  std::uint64_t address;
  std::uint32_t line;  // 0: the end of a sequence, no line from here on
  std::uint32_t file;
};

struct LineTable {
  std::uint64_t linkedBase = 0;
  std::vector<Routine> routines;
  std::vector<LineRow> rows;
  std::vector<std::string> files;  // index 0 unused
};

bool ReadAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  DWORD got = 0;
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadFile(file, buffer, size, &got, nullptr) &&
         got == size;
}

std::string_view NextField(std::string_view& rest) {
  const size_t space = rest.find(' ');
  std::string_view field = rest.substr(0, space);
  rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
  return field;
}

template <class T>
bool ParseNumber(std::string_view text, T& value, int base) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Lines that do not parse are skipped: a damaged row costs one name, not the table.
void ParseLine(std::string_view line, LineTable& table) {
  if (line.size() < 2 || line[1] != ' ') return;
  const char kind = line[0];
  std::string_view rest = line.substr(2);
  std::uint64_t address = 0;
  std::uint32_t number = 0, file = 0;
  switch (kind) {
    case 'B':
      ParseNumber(rest, table.linkedBase, 16);
      break;
    case 'S':
      if (ParseNumber(NextField(rest), address, 16)) table.routines.push_back({address, std::string(rest)});
      break;
    case 'F':
      if (ParseNumber(NextField(rest), number, 10) && number < 1000000) {
        if (table.files.size() <= number) table.files.resize(number + 1);
        table.files[number] = std::string(rest);
      }
      break;
    case 'L':
      if (ParseNumber(NextField(rest), address, 16) && ParseNumber(NextField(rest), number, 10) &&
          ParseNumber(NextField(rest), file, 10))
        table.rows.push_back({address, number, file});
      break;
    case 'E':
      if (ParseNumber(rest, address, 16)) table.rows.push_back({address, 0, 0});
      break;
  }
}

LineTable ParseTable(std::string_view text) {
  LineTable table;
  if (text.substr(0, kTableHeader.size()) != kTableHeader) return table;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    ParseLine(text.substr(0, end), table);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  auto byAddress = [](const auto& a, const auto& b) { return a.address < b.address; };
  std::stable_sort(table.routines.begin(), table.routines.end(), byAddress);
  // Of rows at one address the last one written is the most specific statement.
  std::stable_sort(table.rows.begin(), table.rows.end(), byAddress);
  auto last = std::unique(table.rows.rbegin(), table.rows.rend(),
                          [](const LineRow& a, const LineRow& b) { return a.address == b.address; });
  table.rows.erase(table.rows.begin(), last.base());
  return table;
}

// How long a lookup waits for another thread's load of the table; past that it answers without
// names (the loading thread may be the one whose fault is being reported, waiting for us).
constexpr DWORD kLoadWaitMs = 5000;

struct ProgramTableState {
  std::mutex lock;
  std::atomic<bool> loaded{false};  // once set, the table no longer changes
  LineTable table;
  std::function<void()> duringLoad;  // test seam
};

ProgramTableState& TableState() {
  static ProgramTableState* state = new ProgramTableState;  // never freed: reports run until the very end
  return *state;
}

// True on the thread that is loading the table.
thread_local bool LoadingHere = false;
// True on a thread that waited for another's load in vain: it waits no more (a report looks up
// every frame, and each would wait again).
thread_local bool GaveUpWaiting = false;

// Read on first use. A raise or a fault while it is read is reported too, and its report
// looks names up again on this same thread: that report goes without names, where it would
// otherwise wait for a load that waits for it. Another thread waits for the load, a while.
const LineTable& ProgramTable() {
  static const LineTable none;
  if (LoadingHere) return none;
  ProgramTableState& state = TableState();
  if (state.loaded) return state.table;
  for (const DWORD start = GetTickCount(); !state.lock.try_lock(); Sleep(5)) {
    if (GaveUpWaiting || GetTickCount() - start >= kLoadWaitMs) {
      GaveUpWaiting = true;
      return none;
    }
  }
  std::lock_guard guard(state.lock, std::adopt_lock);
  if (!state.loaded) {
    LoadingHere = true;
    try {
      if (state.duringLoad) state.duringLoad();
      state.table = ParseTable(ReadLineTableText(GetExeFileName()));
    } catch (...) {
      state.table = {};  // no names, only addresses
    }
    LoadingHere = false;
    state.loaded = true;
  }
  return state.table;
}

std::wstring Wide(std::string_view text) { return MultiByteToWideLX(text, CP_UTF8); }

std::wstring BaseNameOf(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return Wide(std::string_view(fileName).substr(0, dot));
}

}  // namespace

ScopedFreshLineTable::ScopedFreshLineTable(std::function<void()> duringLoad) {
  ProgramTableState& state = TableState();
  std::lock_guard guard(state.lock);
  state.loaded = false;
  state.table = {};
  state.duringLoad = std::move(duringLoad);
}

ScopedFreshLineTable::~ScopedFreshLineTable() {
  ProgramTableState& state = TableState();
  std::lock_guard guard(state.lock);
  state.loaded = false;
  state.table = {};
  state.duringLoad = nullptr;
}

std::string ReadLineTableText(const std::wstring& programFile) {
  UniqueFileHandle file(CreateFileW(programFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) < kFooterSize) return {};
  const std::uint64_t fileSize = static_cast<std::uint64_t>(size.QuadPart);
  char footer[kFooterSize];
  if (!ReadAt(file.get(), fileSize - kFooterSize, footer, kFooterSize)) return {};
  const std::string_view footerText(footer, kFooterSize);
  std::uint64_t length = 0;
  if (footerText.substr(0, kFooterTag.size()) != kFooterTag || footerText.back() != '\n' ||
      !ParseNumber(footerText.substr(kFooterTag.size(), 12), length, 10) || length > kLargestTable ||
      length > fileSize - kFooterSize)
    return {};
  std::string text(static_cast<size_t>(length), '\0');
  if (!ReadAt(file.get(), fileSize - kFooterSize - length, text.data(), static_cast<DWORD>(length))) return {};
  return text;
}

bool LookUpCodeLocation(const void* address, TCodeLocation& location) noexcept {
  location = {};
  try {
    const LineTable& table = ProgramTable();
    if (table.routines.empty() && table.rows.empty()) return false;
    // The table holds addresses as linked; the program may have been loaded elsewhere.
    const auto base = reinterpret_cast<std::uint64_t>(GetModuleHandleW(nullptr));
    const std::uint64_t linked = reinterpret_cast<std::uintptr_t>(address) - base + table.linkedBase;

    auto routine = std::upper_bound(table.routines.begin(), table.routines.end(), linked,
                                    [](std::uint64_t a, const Routine& r) { return a < r.address; });
    if (routine != table.routines.begin()) location.routine = Wide(std::prev(routine)->name);

    auto row = std::upper_bound(table.rows.begin(), table.rows.end(), linked,
                                [](std::uint64_t a, const LineRow& r) { return a < r.address; });
    if (row != table.rows.begin() && std::prev(row)->line != 0) {
      const LineRow& found = *std::prev(row);
      location.line = found.line;
      if (found.file < table.files.size()) {
        location.fileName = Wide(table.files[found.file]);
        location.unit = BaseNameOf(table.files[found.file]);
      }
    }
    return !location.routine.empty() || location.line != 0;
  } catch (...) {
    location = {};
    return false;
  }
}

}  // namespace hv
