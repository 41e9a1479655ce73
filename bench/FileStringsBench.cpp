// File-backed strings (N strings of 40 characters, 1,000,000 at full size): appending them and
// reading them back in order against the same work on a THvStringList, the peak private
// memory of a process that does it, and inserting strings at the front of files of growing
// size (up to 100 MiB at full size), whose cost should grow with the size of the file: one pass
// over the tail per insert. Fails when a list reads back other strings than were put in.
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "HvLXFileStrings.h"
#include "HvStringList.h"
#include "HvWindows.h"
#include <psapi.h>

namespace {

constexpr int kLength = 40;

// String i: 40 characters that differ from string to string.
std::wstring StringNo(int i) {
  std::wstring s(kLength, L'a');
  unsigned v = static_cast<unsigned>(i) * 2654435761u + 17;
  for (int k = 0; k < kLength; ++k, v = v * 1103515245u + 12345u) s[k] = static_cast<wchar_t>(L'a' + (v >> 16) % 26);
  return s;
}

unsigned long long Digest(const hv::TStrings& list) {
  unsigned long long value = 14695981039346656037ull;
  for (int i = 0, n = list.Count(); i < n; ++i) {
    for (wchar_t c : list.Get(i)) value = (value ^ c) * 1099511628211ull;
    value = (value ^ 0xFFFF) * 1099511628211ull;
  }
  return value;
}

unsigned long long ExpectedDigest(int count) {
  hv::THvStringList list;
  list.Reserve(count);
  for (int i = 0; i < count; ++i) list.Add(StringNo(i));
  return Digest(list);
}

struct Timing {
  double appendS = 0, readS = 0;
  unsigned long long digest = 0;
  double peakPrivateMiB = 0;
};

Timing AppendAndRead(hv::TStrings& list, int count) {
  Timing t;
  double t0 = bench::Now();
  for (int i = 0; i < count; ++i) list.Add(StringNo(i));
  t.appendS = bench::Now() - t0;
  t0 = bench::Now();
  t.digest = Digest(list);
  t.readS = bench::Now() - t0;
  return t;
}

// The file-backed half runs in a child process, so its peak memory is its own.
Timing FileStringsInChild(int count) {
  wchar_t dir[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, dir);
  const std::wstring out = std::wstring(dir) + L"hv_filestrings_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  Timing t;
  if (!bench::RunSelf(L"measure " + std::to_wstring(count) + L" \"" + out + L"\"")) return t;
  if (FILE* f = _wfopen(out.c_str(), L"r")) {
    if (std::fscanf(f, "%lf %lf %llu %lf", &t.appendS, &t.readS, &t.digest, &t.peakPrivateMiB) != 4) t = Timing{};
    std::fclose(f);
  }
  DeleteFileW(out.c_str());
  return t;
}

int Measure(int count, const wchar_t* out) {
  hv::THvFileStrings list;
  Timing t = AppendAndRead(list, count);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  t.peakPrivateMiB = memory.PeakPagefileUsage / 1048576.0;
  if (FILE* f = _wfopen(out, L"w")) {
    std::fprintf(f, "%.6f %.6f %llu %.3f\n", t.appendS, t.readS, t.digest, t.peakPrivateMiB);
    std::fclose(f);
  }
  return 0;
}

// Inserts `inserts` strings at the front of a file of about `mib` MiB; answers ms per insert.
double FrontInserts(double mib, int inserts) {
  hv::THvFileStrings list;
  const int count = static_cast<int>(mib * 1048576.0 / (kLength * 2));
  for (int i = 0; i < count; ++i) list.Add(StringNo(i));
  list.Insert(count > 0 ? count - 1 : 0, L"");  // everything to the file before timing
  const double t0 = bench::Now();
  for (int k = 0; k < inserts; ++k) list.Insert(0, StringNo(-1 - k));
  const double ms = (bench::Now() - t0) * 1000.0 / inserts;
  bool ok = list.Count() == count + 1 + inserts && list.Get(0) == StringNo(-inserts) &&
            list.Get(inserts) == (count > 0 ? StringNo(0) : L"");
  bench::Check(ok, "inserting at the front of %.1f MiB left the wrong strings", mib);
  return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"measure") return Measure(std::stoi(argv[2]), argv[3]);
  const int count = bench::Start(argc, argv, 1'000'000);

  hv::THvStringList memoryList;
  const Timing memory = AppendAndRead(memoryList, count);
  memoryList.Clear();
  const Timing file = FileStringsInChild(count);
  const unsigned long long expected = ExpectedDigest(count);
  bench::Check(memory.digest == expected, "the memory list read back other strings");
  bench::Check(file.digest == expected, "the file-backed list read back other strings (or its process did not report)");

  std::printf("%d strings of %d characters (%.1f MiB of text)\n", count, kLength, count * kLength * 2 / 1048576.0);
  std::printf("append: THvStringList %8.3f s, THvFileStrings %8.3f s, ratio %.2f (target <= 3)\n", memory.appendS,
              file.appendS, file.appendS / memory.appendS);
  std::printf("read in order: THvStringList %8.3f s, THvFileStrings %8.3f s, ratio %.2f (target <= 5)\n", memory.readS,
              file.readS, file.readS / memory.readS);
  std::printf("peak private memory of the file-backed process: %.1f MiB (target < 64)\n", file.peakPrivateMiB);

  // One pass over the tail per insert: the time per insert should double with the file.
  const int inserts = count >= 1000 ? count / 1000 : 1;
  const double fullMiB = 100.0 * count / 1'000'000;
  double previous = 0;
  for (double mib : {fullMiB / 4, fullMiB / 2, fullMiB}) {
    const double ms = FrontInserts(mib, inserts);
    std::printf("%d inserts at the front of %6.1f MiB: %8.2f ms each, %8.1f s in all, %6.0f MiB/s moved", inserts, mib,
                ms, ms * inserts / 1000.0, mib / (ms / 1000.0));
    if (previous > 0) std::printf(", x%.2f for twice the size", ms / previous);
    std::printf("\n");
    previous = ms;
  }
  return bench::ExitCode();
}
