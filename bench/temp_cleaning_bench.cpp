// Cleaning out a temporary folder of 20,000 files and 500 sub-folders (10 files each) while
// 10,000 items already lie in the Recycle Bin, against a DeleteFileW/RemoveDirectoryW loop
// and the host's rm -rf over identical trees, in one run. Prints the ratios; never fails.
//
// Wine keeps the Recycle Bin in $XDG_DATA_HOME/Trash, so the measuring runs in a child
// process whose XDG_DATA_HOME is a scratch folder of this run, removed at the end.
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "HvLXFiles.h"
#include "HvLXFlash.h"
#include "HvTempFolderCleaning.h"
#include "HvWindows.h"

namespace {

constexpr int kFiles = 20'000;
constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 10;
constexpr int kItemsInBin = 10'000;

// Host commands that make a tree of `kFiles` files and `kFolders` folders of
// `kFilesPerFolder` files at `root`.
std::string BuildTree(const std::wstring& root) {
  const std::string at = bench::Quoted(bench::HostPath(root));
  return "mkdir " + at + " && cd " + at + " && seq 0 " + std::to_string(kFiles - 1) +
         " | sed 's/.*/file_&.tmp/' | xargs touch && for d in $(seq 0 " + std::to_string(kFolders - 1) +
         "); do mkdir folder_$d && for f in $(seq 0 " + std::to_string(kFilesPerFolder - 1) +
         "); do echo x > folder_$d/f$f.tmp; done; done";
}

int EntriesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    const std::wstring name = data.cFileName;
    count += name != L"." && name != L"..";
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

// The plain loop the cleaning is measured against: everything in `folder`, files and
// folders, deleted for good.
void DeleteContents(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteContents(path);
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

class QuietDisplay final : public hv::TCustomFlashExtender {
 protected:
  void DoUpdate(hv::TFlashUpdateType) override {}
};

int Measure(const std::wstring& root) {
  hv::SetFlashExtenderFactory([](void*, bool) -> std::shared_ptr<hv::IFlashExtender> {
    return hv::TCustomFlashExtender::Make<QuietDisplay>();
  });
  const std::wstring bin = root + L"\\data\\Trash";
  const std::wstring cleanTree = root + L"\\clean", loopTree = root + L"\\loop", rmTree = root + L"\\rm";
  std::printf("filling the Recycle Bin with %d items, building three trees of %d files and %d folders of %d "
              "files...\n",
              kItemsInBin, kFiles, kFolders, kFilesPerFolder);
  const std::string trash = bench::Quoted(bench::HostPath(bin));
  const std::string last = std::to_string(kItemsInBin - 1);
  bench::RunOnHost("mkdir -p " + trash + "/files " + trash + "/info && cd " + trash + " && for i in $(seq 0 " + last +
                       "); do echo x > files/earlier_$i.txt; printf '[Trash Info]\\nPath=/tmp/earlier_%s.txt\\n"
                       "DeletionDate=2024-01-01T00:00:00\\n' $i > info/earlier_$i.txt.trashinfo; done && " +
                       BuildTree(cleanTree) + " && " + BuildTree(loopTree) + " && " + BuildTree(rmTree),
                   root);

  double start = bench::Now();
  hv::CleanOutTempFolder(cleanTree);
  const double cleaning = bench::Now() - start;
  const int cleanLeft = EntriesIn(cleanTree);
  const int binItems = EntriesIn(bin + L"\\files");

  start = bench::Now();
  DeleteContents(loopTree);
  const double loop = bench::Now() - start;
  const int loopLeft = EntriesIn(loopTree);

  start = bench::Now();
  bench::RunOnHost("rm -rf " + bench::Quoted(bench::HostPath(rmTree)), root);
  const double rm = bench::Now() - start;

  // For scale: what each entry costs when it goes to the Recycle Bin on its own.
  constexpr int kSample = 200;
  const std::wstring sampleTree = root + L"\\sample";
  bench::RunOnHost("mkdir " + bench::Quoted(bench::HostPath(sampleTree)) + " && cd " +
                       bench::Quoted(bench::HostPath(sampleTree)) + " && seq 1 " + std::to_string(kSample) +
                       " | sed 's/.*/one_&.tmp/' | xargs touch",
                   root);
  start = bench::Now();
  for (int i = 1; i <= kSample; ++i) hv::DeletePathLX(sampleTree + L"\\one_" + std::to_wstring(i) + L".tmp", true);
  const double perEntry = (bench::Now() - start) / kSample;

  std::printf("CleanOutTempFolder:            %8.2f s (%d entries left, %d items in the Recycle Bin)\n", cleaning,
              cleanLeft, binItems);
  std::printf("DeleteFileW/RemoveDirectoryW:  %8.2f s (%d entries left)\n", loop, loopLeft);
  std::printf("host rm -rf:                   %8.2f s\n", rm);
  std::printf("ratio cleaning / loop:         %8.2f (target 2)\n", cleaning / loop);
  std::printf("ratio cleaning / rm -rf:       %8.2f\n", cleaning / rm);
  std::printf("one DeletePathLX per entry:    %8.2f ms per entry, about %.0f s for the %d entries\n", perEntry * 1e3,
              perEntry * (kFiles + kFolders), kFiles + kFolders);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--measure") return Measure(argv[2]);

  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring root = std::wstring(temp) + L"temp_cleaning_bench_" + std::to_wstring(GetCurrentProcessId());
  hv::ForceDirectoriesLX(root + L"\\data");

  // The child's environment: ours, with the scratch Recycle Bin.
  std::vector<wchar_t> environment;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
    if (_wcsnicmp(entry, L"XDG_DATA_HOME=", 14) != 0) environment.insert(environment.end(), entry, entry + wcslen(entry) + 1);
  }
  FreeEnvironmentStringsW(block);
  const std::string dataPath = bench::HostPath(root + L"\\data");
  const std::wstring dataHome = L"XDG_DATA_HOME=" + std::wstring(dataPath.begin(), dataPath.end());
  environment.insert(environment.end(), dataHome.c_str(), dataHome.c_str() + dataHome.size() + 1);
  environment.push_back(L'\0');

  wchar_t self[MAX_PATH * 2];
  GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring line = L"\"" + std::wstring(self) + L"\" --measure \"" + root + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, environment.data(),
                     nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  bench::RunOnHost("rm -rf " + bench::Quoted(bench::HostPath(root)), std::wstring(temp));
  return 0;
}
