// Listing 20,000 files with FindFilesLX against a bare FindFirstFileW/FindNextFileW loop over
// the same folder, in one run. Prints the ratios; never fails.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "HvLXFileSearch.h"
#include "HvLXFiles.h"
#include "HvStringList.h"
#include "HvWindows.h"

namespace {

constexpr int kFiles = 20'000;
constexpr int kRounds = 5;

template <class F>
double Best(F run) {
  double best = 1e30;
  for (int i = 0; i < kRounds; ++i) {
    const double start = bench::Now();
    run();
    best = std::min(best, bench::Now() - start);
  }
  return best;
}

// The loop every listing starts from: names only.
int BareLoop(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
  int count = 0;
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    count += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

// The same loop, keeping the full paths as FindFilesLX does.
int PathLoop(const std::wstring& folder, std::vector<std::wstring>& paths) {
  paths.clear();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) paths.push_back(folder + L"\\" + data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return static_cast<int>(paths.size());
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring folder = std::wstring(temp) + L"find_files_bench_" + std::to_wstring(GetCurrentProcessId());
  hv::ForceDirectoriesLX(folder);
  std::printf("creating %d files...\n", kFiles);
  bench::RunOnHost("cd " + bench::Quoted(bench::HostPath(folder)) + " && seq 0 " + std::to_string(kFiles - 1) +
                       " | sed 's/.*/file_&.dat/' | xargs touch",
                   std::wstring(temp));
  hv::THvStringList list;
  std::vector<std::wstring> paths;
  int bareCount = 0, pathCount = 0;
  BareLoop(folder);  // warm the host's directory cache for everyone
  const double bare = Best([&] { bareCount = BareLoop(folder); });
  const double withPaths = Best([&] { pathCount = PathLoop(folder, paths); });
  const double search = Best([&] { hv::FindFilesLX(folder, list, L"*.*", false, true); });

  std::printf("bare FindFirstFileW/FindNextFileW loop: %8.1f ms (%d files)\n", bare * 1e3, bareCount);
  std::printf("same loop keeping full paths:          %8.1f ms (%d files)\n", withPaths * 1e3, pathCount);
  std::printf("FindFilesLX:                           %8.1f ms (%d files)\n", search * 1e3, list.Count());
  std::printf("ratio FindFilesLX / bare loop:         %8.2f (target 1.2)\n", search / bare);
  std::printf("ratio FindFilesLX / loop with paths:   %8.2f\n", search / withPaths);

  bench::RunOnHost("rm -rf " + bench::Quoted(bench::HostPath(folder)), std::wstring(temp));
  return 0;
}
