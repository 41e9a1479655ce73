#include "CleaningTestSupport.h"

#include <gtest/gtest.h>

#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvLXFileSearch.h"
#include "HvLXPaths.h"
#include "HvLXShellOps.h"
#include "HvStringList.h"

namespace cleaningtest {
namespace {

class Display : public hv::TCustomFlashExtender {
 public:
  explicit Display(WatchingDisplay* owner) : FOwner(owner) {}

 protected:
  void DoUpdate(hv::TFlashUpdateType type) override {
    const hv::TGlobalFlashState state = hv::GetGlobalFlashState();
    if (type == hv::TFlashUpdateType::ftAll) return;  // the flash is going
    FOwner->Message = state.Msg1;
    const ProgressSeen seen{state.Prog1, state.Prog1_Total};
    FOwner->Seen.push_back(seen);
    if (type == hv::TFlashUpdateType::ftCheckCancel && FOwner->OnPoll) FOwner->OnPoll(seen);
  }

 private:
  WatchingDisplay* FOwner;
};

std::shared_ptr<hv::IFlashExtender> MakeDisplay(void* owner, bool) {
  return hv::TCustomFlashExtender::Make<Display>(static_cast<WatchingDisplay*>(owner));
}

}  // namespace

WatchingDisplay::WatchingDisplay(std::function<void(const ProgressSeen&)> onPoll) : OnPoll(std::move(onPoll)) {
  hv::SetFlashExtenderFactory(&MakeDisplay, this);
}

WatchingDisplay::~WatchingDisplay() { hv::SetFlashExtenderFactory(nullptr); }

std::vector<std::wstring> EntryNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  hv::UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.get(), &data));
  }
  return names;
}

std::wstring RecycleBinFiles() {
  char dataHome[MAX_PATH * 4] = {};
  GetEnvironmentVariableA("XDG_DATA_HOME", dataHome, sizeof dataHome);
  return filestest::DosPath(std::string(dataHome) + "/Trash/files");
}

std::vector<std::wstring> RecycledAs(const std::wstring& name) {
  std::vector<std::wstring> found;
  const std::wstring bin = RecycleBinFiles();
  if (GetFileAttributesW(bin.c_str()) == INVALID_FILE_ATTRIBUTES) return found;
  // Recycled on its own, or two folder levels below a staging folder.
  if (GetFileAttributesW(hv::LongFileName(bin + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES)
    found.push_back(bin + L"\\" + name);
  hv::THvStringList staging, folders;
  hv::ListFoldersLX(bin, staging, false, false);
  for (int i = 0; i < staging.Count(); ++i) {
    if (!staging[i].starts_with(bin + L"\\Cleaned-out temporary files")) continue;
    hv::ListFoldersLX(staging[i], folders, true, false);
    for (int j = 0; j < folders.Count(); ++j) {
      const std::wstring candidate = folders[j] + L"\\" + name;
      if (folders[j].size() - staging[i].size() == 8 &&
          GetFileAttributesW(hv::LongFileName(candidate).c_str()) != INVALID_FILE_ATTRIBUTES)
        found.push_back(candidate);
    }
  }
  return found;
}

RefusingRecycleBin::RefusingRecycleBin() {
  hvtest::ScratchDir dir;
  const std::wstring used = dir / L"recycled once.txt";
  EXPECT_TRUE(hvtest::WriteTextFile(used, "x"));
  hv::DeletePathLX(used, true);
  EXPECT_EQ(GetFileAttributesW(used.c_str()), INVALID_FILE_ATTRIBUTES) << "the Recycle Bin works before";

  FTrash = RecycleBinFiles();
  FTrash.resize(FTrash.rfind(L'\\'));
  FSaved = FTrash + L".working";
  EXPECT_TRUE(MoveFileW(FTrash.c_str(), FSaved.c_str())) << GetLastError();
  EXPECT_TRUE(hvtest::WriteTextFile(FTrash, "not a folder"));
}

RefusingRecycleBin::~RefusingRecycleBin() {
  EXPECT_TRUE(DeleteFileW(FTrash.c_str())) << GetLastError();
  EXPECT_TRUE(MoveFileW(FSaved.c_str(), FTrash.c_str())) << GetLastError();
}

HeldByAnotherProcess::HeldByAnotherProcess(const std::wstring& path, DWORD share) {
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(file.valid()) << GetLastError();
  // A child that never runs; it only owns the handle.
  wchar_t command[] = L"cmd.exe /c exit";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const bool started =
      CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi);
  EXPECT_TRUE(started) << GetLastError();
  if (!started) return;
  CloseHandle(pi.hThread);
  FProcess.reset(pi.hProcess);
  HANDLE inChild = nullptr;
  EXPECT_TRUE(DuplicateHandle(GetCurrentProcess(), file.get(), pi.hProcess, &inChild, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
}

HeldByAnotherProcess::~HeldByAnotherProcess() {
  if (!FProcess) return;
  TerminateProcess(FProcess.get(), 0);
  WaitForSingleObject(FProcess.get(), INFINITE);
}

}  // namespace cleaningtest
