// Listing N files (20,000 at full size) with FindFilesLX against a bare
// FindFirstFileW/FindNextFileW loop over the same folder, in one run. Prints the ratios; fails
// when a listing misses a file or names one that is not there.
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

int wmain(int argc, wchar_t** argv) {
  const int files = bench::Start(argc, argv, 20'000);
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring folder = std::wstring(temp) + L"find_files_bench_" + std::to_wstring(GetCurrentProcessId());
  hv::ForceDirectoriesLX(folder);
  std::printf("creating %d files...\n", files);
  const bool created = bench::RunOnHost("cd " + bench::Quoted(bench::HostPath(folder)) + " && seq 0 " +
                                            std::to_string(files - 1) + " | sed 's/.*/file_&.dat/' | xargs touch",
                                        std::wstring(temp));
  bench::Check(created, "the host shell could not create the files");
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

  bench::Check(bareCount == files, "the bare loop counted %d files, expected %d", bareCount, files);
  bench::Check(pathCount == files, "the loop with paths kept %d files, expected %d", pathCount, files);
  // Both listings must name the same files, whatever their order.
  std::vector<std::wstring> listed;
  for (int i = 0; i < list.Count(); ++i) listed.push_back(list.Strings(i));
  std::sort(listed.begin(), listed.end());
  std::sort(paths.begin(), paths.end());
  bench::Check(listed == paths, "FindFilesLX listed %d files, not the %d paths of the loop", list.Count(), pathCount);

  bench::Check(bench::RunOnHost("rm -rf " + bench::Quoted(bench::HostPath(folder)), std::wstring(temp)),
               "the host shell could not remove the test folder");
  return bench::ExitCode();
}
