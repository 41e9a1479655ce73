// Cleaning out a temporary folder of N files and N/40 sub-folders (10 files each) while N/2
// items already lie in the Recycle Bin (N = 20,000 at full size), against a
// DeleteFileW/RemoveDirectoryW loop and the host's rm -rf over identical trees (permanent
// deletes), and against recycling each entry on its own (recoverable too, sampled), in one run.
// Prints the ratios; fails when a deletion leaves entries behind or the Recycle Bin does not
// hold what was cleaned out.
//
// Wine keeps the Recycle Bin in $XDG_DATA_HOME/Trash, so the measuring runs in a child
// process whose XDG_DATA_HOME is a scratch folder of this run, removed at the end.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "HvHandles.h"
#include "HvLXFiles.h"
#include "HvLXFlash.h"
#include "HvTempFolderCleaning.h"
#include "HvWindows.h"

namespace {

constexpr int kFilesPerFolder = 10;

// The sizes of one run.
int gFiles, gFolders, gItemsInBin;

// Host commands that make a tree of `gFiles` files and `gFolders` folders of
// `kFilesPerFolder` files at `root`.
std::string BuildTree(const std::wstring& root) {
  const std::string at = bench::Quoted(bench::HostPath(root));
  return "mkdir " + at + " && cd " + at + " && seq 0 " + std::to_string(gFiles - 1) +
         " | sed 's/.*/file_&.tmp/' | xargs touch && for d in $(seq 0 " + std::to_string(gFolders - 1) +
         "); do mkdir folder_$d && for f in $(seq 0 " + std::to_string(kFilesPerFolder - 1) +
         "); do echo x > folder_$d/f$f.tmp; done; done";
}

// Calls `visit(path, isFolder)` for every entry of `folder` (not "." and ".."), one level.
template <class Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW data;
  hv::UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..")
      visit(folder + L"\\" + name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileW(find.get(), &data));
}

int EntriesIn(const std::wstring& folder) {
  int count = 0;
  ForEachEntry(folder, [&](const std::wstring&, bool) { ++count; });
  return count;
}

// Files anywhere below `folder`.
int FilesBelow(const std::wstring& folder) {
  int count = 0;
  ForEachEntry(folder, [&](const std::wstring& path, bool isFolder) { count += isFolder ? FilesBelow(path) : 1; });
  return count;
}

// The plain loop the cleaning is measured against: everything in `folder`, files and
// folders, deleted for good.
void DeleteContents(const std::wstring& folder) {
  ForEachEntry(folder, [](const std::wstring& path, bool isFolder) {
    if (isFolder) {
      DeleteContents(path);
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  });
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
              gItemsInBin, gFiles, gFolders, kFilesPerFolder);
  const std::string trash = bench::Quoted(bench::HostPath(bin));
  const std::string last = std::to_string(gItemsInBin - 1);
  const bool built =
      bench::RunOnHost("mkdir -p " + trash + "/files " + trash + "/info && cd " + trash + " && for i in $(seq 0 " +
                           last +
                           "); do echo x > files/earlier_$i.txt; printf '[Trash Info]\\nPath=/tmp/earlier_%s.txt\\n"
                           "DeletionDate=2024-01-01T00:00:00\\n' $i > info/earlier_$i.txt.trashinfo; done && " +
                           BuildTree(cleanTree) + " && " + BuildTree(loopTree) + " && " + BuildTree(rmTree),
                       root);
  if (!bench::Check(built, "the host shell could not build the trees")) return bench::ExitCode();
  const int entries = gFiles + gFolders;
  bench::Check(EntriesIn(cleanTree) == entries, "the tree to clean holds %d entries, expected %d",
               EntriesIn(cleanTree), entries);

  double start = bench::Now();
  hv::CleanOutTempFolder(cleanTree);
  const double cleaning = bench::Now() - start;
  const int cleanLeft = EntriesIn(cleanTree);
  const int binItems = EntriesIn(bin + L"\\files");
  const int binFiles = FilesBelow(bin + L"\\files");

  start = bench::Now();
  DeleteContents(loopTree);
  const double loop = bench::Now() - start;
  const int loopLeft = EntriesIn(loopTree);

  start = bench::Now();
  const bool removed = bench::RunOnHost("rm -rf " + bench::Quoted(bench::HostPath(rmTree)), root);
  const double rm = bench::Now() - start;

  // For scale: what each entry costs when it goes to the Recycle Bin on its own, with the
  // checks DeletePathLX makes first and through the shell's call alone (what the Recycle Bin
  // itself costs per item).
  const int sample = std::max(10, gFiles / 100);
  const std::wstring sampleTree = root + L"\\sample";
  const bool sampled = bench::RunOnHost("mkdir " + bench::Quoted(bench::HostPath(sampleTree)) + " && cd " +
                                            bench::Quoted(bench::HostPath(sampleTree)) + " && seq 1 " +
                                            std::to_string(sample) + " | sed 's/.*/one_&.tmp\\nbare_&.tmp/' | xargs touch",
                                        root);
  start = bench::Now();
  for (int i = 1; i <= sample; ++i) hv::DeletePathLX(sampleTree + L"\\one_" + std::to_wstring(i) + L".tmp", true);
  const double perEntry = (bench::Now() - start) / sample;
  start = bench::Now();
  for (int i = 1; i <= sample; ++i) hv::RecycleOrKeep(sampleTree + L"\\bare_" + std::to_wstring(i) + L".tmp");
  const double perShellCall = (bench::Now() - start) / sample;
  const int sampleLeft = EntriesIn(sampleTree);

  std::printf("CleanOutTempFolder:            %8.2f s (%d entries left, %d items in the Recycle Bin)\n", cleaning,
              cleanLeft, binItems);
  std::printf("DeleteFileW/RemoveDirectoryW:  %8.2f s (%d entries left)\n", loop, loopLeft);
  std::printf("host rm -rf:                   %8.2f s\n", rm);
  std::printf("ratio cleaning / loop:         %8.2f (target 2; a recoverable move against a permanent delete)\n",
              cleaning / loop);
  std::printf("ratio cleaning / rm -rf:       %8.2f\n", cleaning / rm);
  const double perEntryAll = perEntry * (gFiles + gFolders);
  std::printf("recycling entry by entry:      %8.2f ms per entry, about %.0f s for the %d entries (sampled: %d "
              "files recycled one by one with DeletePathLX, the whole too slow to run)\n",
              perEntry * 1e3, perEntryAll, gFiles + gFolders, sample);
  std::printf("  the shell's call alone:      %8.2f ms per entry (the Recycle Bin's own work for one item, %d items "
              "already in it; the cleaning makes one such call for all its entries)\n",
              perShellCall * 1e3, binItems);
  std::printf("ratio cleaning / per entry:    %8.2f (both recoverable)\n", cleaning / perEntryAll);

  bench::Check(cleanLeft == 0, "CleanOutTempFolder left %d of %d entries", cleanLeft, entries);
  // Every file cleaned out lies in the Recycle Bin (gathered in a folder of its own or not),
  // next to every one that was there before.
  const int treeFiles = gFiles + gFolders * kFilesPerFolder;
  bench::Check(binFiles == gItemsInBin + treeFiles,
               "the Recycle Bin holds %d files, expected %d from before + %d cleaned out", binFiles, gItemsInBin,
               treeFiles);
  bench::Check(loopLeft == 0, "the DeleteFileW/RemoveDirectoryW loop left %d of %d entries", loopLeft, entries);
  bench::Check(removed && !bench::Exists(rmTree), "the host's rm -rf did not remove its tree");
  bench::Check(sampled, "the host shell could not make the sample files");
  bench::Check(sampleLeft == 0, "DeletePathLX and RecycleOrKeep left %d of %d sample files", sampleLeft, 2 * sample);
  return bench::ExitCode();
}

void SetSizes(int files) {
  gFiles = files;
  gFolders = std::max(1, files / 40);
  gItemsInBin = std::max(1, files / 2);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The measuring child: --measure <scratch root> <N>.
  if (argc == 4 && std::wstring(argv[1]) == L"--measure") {
    bench::Start(1, argv, 0);
    SetSizes(_wtoi(argv[3]));
    return Measure(argv[2]);
  }
  const int files = bench::Start(argc, argv, 20'000);

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

  const std::optional<DWORD> childExit =
      bench::RunSelf(L"--measure \"" + root + L"\" " + std::to_wstring(files), environment.data());
  // The child has said what was wrong.
  if (bench::Check(childExit.has_value(), "could not start the measuring process") && *childExit != 0)
    ++bench::Failures();
  bench::Check(bench::RunOnHost("rm -rf " + bench::Quoted(bench::HostPath(root)), std::wstring(temp)),
               "the host shell could not remove the scratch folder");
  return bench::ExitCode();
}
