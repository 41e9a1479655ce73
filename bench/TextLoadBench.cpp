// Loading an N MB UTF-8 file of short lines (50 MB at full size): the list's line-by-line
// loading against a baseline that reads the file in one block, converts it in one call and
// splits it. Each measurement runs in a fresh child process so its peak memory is its own.
// Fails when the two read different lines.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "HvStringList.h"
#include "HvStringListOps.h"
#include "HvWindows.h"
#include <psapi.h>

namespace {

struct Result {
  double ms = 0;
  long long lines = 0;
  double peakWorkingSet = 0;  // bytes above the working set before the load
  double peakPagefile = 0;    // bytes above the committed memory before the load
  double decodedBytes = 0;
  unsigned long long digest = 0;  // of every line's text and of the line breaks
  bool ran = false;               // the child reported
};

// FNV-1a over the lines, each followed by a separator no line holds: the two readings agree
// only when they cut and decode the same lines.
struct Digest {
  unsigned long long value = 14695981039346656037ull;
  void Add(const std::wstring& line) {
    for (wchar_t c : line) Mix(c);
    Mix(0xFFFF);
  }
  void Mix(unsigned c) { value = (value ^ c) * 1099511628211ull; }
};

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return c.QuadPart * 1000.0 / f.QuadPart;
}

std::wstring TempName(const wchar_t* suffix) {
  wchar_t dir[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, dir);
  return std::wstring(dir) + L"hv_textload_" + std::to_wstring(GetCurrentProcessId()) + suffix;
}

// Lines of 4 to 44 characters, some with accented letters: about `totalBytes` in all.
bool WriteSample(const std::wstring& path, size_t totalBytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  std::string chunk;
  unsigned seed = 12345;
  size_t written = 0;
  while (written < totalBytes) {
    seed = seed * 1103515245 + 12345;
    int length = 4 + (seed >> 16) % 41;
    for (int k = 0; k < length; ++k) {
      seed = seed * 1103515245 + 12345;
      unsigned r = (seed >> 16) % 64;
      if (r == 0)
        chunk += "\xC3\xA9";
      else
        chunk += static_cast<char>(r < 10 ? ' ' : 'a' + r % 26);
    }
    chunk += "\r\n";
    if (chunk.size() > (1 << 20) || written + chunk.size() >= totalBytes) {
      DWORD put = 0;
      ok &= WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &put, nullptr) && put == chunk.size();
      written += chunk.size();
      chunk.clear();
    }
  }
  CloseHandle(h);
  return ok;
}

Result Measure(const std::wstring& mode, const std::wstring& path) {
  PROCESS_MEMORY_COUNTERS before{}, after{};
  before.cb = after.cb = sizeof(before);
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
  Result r;
  double t0 = Now();
  if (mode == L"baseline") {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    int chars = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), got, nullptr, 0);
    std::wstring text(chars, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), got, text.data(), chars);
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find_first_of(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      lines.emplace_back(text, start, end - start);
      start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
    }
    r.ms = Now() - t0;
    r.lines = static_cast<long long>(lines.size());
    r.decodedBytes = text.size() * 2.0;
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
    Digest digest;
    for (const std::wstring& line : lines) digest.Add(line);
    r.digest = digest.value;
  } else {
    hv::THvStringList list;
    hv::LoadFromFile_Safe(list, path, hv::TEncoding::UTF8());
    r.ms = Now() - t0;
    r.lines = list.Count();
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
    Digest digest;
    for (int i = 0; i < list.Count(); ++i) {
      r.decodedBytes += (list.Strings(i).size() + 2) * 2.0;
      digest.Add(list.Strings(i));
    }
    r.digest = digest.value;
  }
  r.peakWorkingSet = static_cast<double>(after.PeakWorkingSetSize) - before.WorkingSetSize;
  r.peakPagefile = static_cast<double>(after.PeakPagefileUsage) - before.PagefileUsage;
  return r;
}

Result RunChild(const std::wstring& mode, const std::wstring& path) {
  std::wstring out = path + L"." + mode;
  Result r;
  const std::optional<DWORD> exitCode = bench::RunSelf(L"measure " + mode + L" \"" + path + L"\" \"" + out + L"\"");
  if (!exitCode) return r;
  if (FILE* f = _wfopen(out.c_str(), L"r")) {
    r.ran = fscanf(f, "%lf %lld %lf %lf %lf %llu", &r.ms, &r.lines, &r.peakWorkingSet, &r.peakPagefile,
                   &r.decodedBytes, &r.digest) == 6 &&
            *exitCode == 0;
    fclose(f);
  }
  DeleteFileW(out.c_str());
  return r;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"measure") {
    bench::Start(1, argv, 0);
    Result r = Measure(argv[2], argv[3]);
    if (FILE* f = _wfopen(argv[4], L"w")) {
      fprintf(f, "%.3f %lld %.0f %.0f %.0f %llu\n", r.ms, r.lines, r.peakWorkingSet, r.peakPagefile, r.decodedBytes,
              r.digest);
      fclose(f);
    }
    return 0;
  }
  const int megabytes = bench::Start(argc, argv, 50);
  const std::wstring path = TempName(L".txt");
  if (!bench::Check(WriteSample(path, static_cast<size_t>(megabytes) << 20), "could not write the sample file")) {
    DeleteFileW(path.c_str());
    return bench::ExitCode();
  }
  Result base, list;
  int failedRuns = 0;
  for (int round = 0; round < 3; ++round) {  // best of three: the first run also warms the file cache
    Result b = RunChild(L"baseline", path), l = RunChild(L"list", path);
    failedRuns += !b.ran + !l.ran;
    bench::Check(!b.ran || !l.ran || (b.lines == l.lines && b.digest == l.digest),
                 "the list read %lld lines, the baseline %lld, or their text differs", l.lines, b.lines);
    if (b.ran && (!base.ran || b.ms < base.ms)) base = b;
    if (l.ran && (!list.ran || l.ms < list.ms)) list = l;
  }
  DeleteFileW(path.c_str());
  const double mb = 1024.0 * 1024.0;
  printf("%d MB UTF-8, %lld lines (list read %lld), decoded text %.1f MB\n", megabytes, base.lines, list.lines,
         base.decodedBytes / mb);
  printf("baseline (one block, one conversion, split): %8.1f ms  peak +%.1f MB working set, +%.1f MB committed\n",
         base.ms, base.peakWorkingSet / mb, base.peakPagefile / mb);
  printf("LoadFromFile_Safe (line by line):             %8.1f ms  peak +%.1f MB working set, +%.1f MB committed\n",
         list.ms, list.peakWorkingSet / mb, list.peakPagefile / mb);
  printf("time ratio list/baseline: %.2f (target <= 2)\n", list.ms / base.ms);
  printf("peak memory / decoded text: list %.2f, baseline %.2f (working set; target <= 2)\n",
         list.peakWorkingSet / base.decodedBytes, base.peakWorkingSet / base.decodedBytes);
  printf("peak committed / decoded text: list %.2f, baseline %.2f\n", list.peakPagefile / base.decodedBytes,
         base.peakPagefile / base.decodedBytes);
  bench::Check(failedRuns == 0, "%d of 6 measuring processes did not report", failedRuns);
  bench::Check(base.lines > 0, "the sample file read as empty");
  return bench::ExitCode();
}
