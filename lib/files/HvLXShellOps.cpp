#include "HvLXShellOps.h"

#include <cwchar>
#include <optional>

#include "HvExceptions.h"
#include "HvLXExistence.h"
#include "HvLXFilePlatform.h"
#include "HvLXHost.h"
#include "HvLXHostRemoval.h"
#include "HvLXHostScript.h"
#include "HvLXLinks.h"
#include "HvLXPaths.h"
#include "HvLXProtectedFolders.h"

namespace hv {
namespace {

struct TShellResultText {
  int code;
  const wchar_t* text;
};

// Some texts stop in the middle of a word; they are kept exactly so, since callers and logs
// match on them.
constexpr TShellResultText kShellResultTexts[] = {
    {0x71, L"The source and destination files are the same file."},
    {0x72, L"Multiple file paths were specified in the source buffer, but only one destination file path."},
    {0x73, L"Rename operation was specified but the destination path is a different directory. Use the move "
           L"operation instead."},
    {0x74, L"The source is a root directory, which cannot be moved or renamed."},
    {0x75, L"The operation was canceled by the user, or silently canceled if the appropriate flags were supplied "
           L"to SHFileOperation."},
    {0x76, L"The destination is a subtree of the source."},
    {0x78, L"Security settings denied access to the source."},
    {0x79, L"The source or destination path e"},
    {0x7A, L"The operation involved multiple destination paths, which can fail in the case of a move operation."},
    {0x7C, L"The path in the source or destination or both was invalid."},
    {0x7D, L"The source and destination have the same parent folder."},
    {0x7E, L"The destination path is an e"},
    {0x80, L"The destination path is an e"},
    {0x81, L"The name of the file e"},
    {0x82, L"The destination is a read-only CD-ROM, possibly unformatted."},
    {0x83, L"The destination is a read-only DVD, possibly unformatted."},
    {0x84, L"The destination is a writable CD-ROM, possibly unformatted."},
    {0x85, L"The file involved in the operation is too large for the destination media or file system."},
    {0x86, L"The source is a read-only CD-ROM, possibly unformatted."},
    {0x87, L"The source is a read-only DVD, possibly unformatted."},
    {0x88, L"The source is a writable CD-ROM, possibly unformatted."},
    {0xB7, L"MAX_PATH was exceeded during the operation."},
    {0x402, L"An unknown error occurred. This is typically due to an invalid path in the source or destination. "
            L"This error does not occur on Windows Vista and later."},
    {0x10000, L"An unspecified error occurred on the destination."},
    {0x10074, L"Destination is a root directory and cannot be renamed."},
};

// A list of one path for SHFILEOPSTRUCTW: the path and two NULs (an empty list for "").
std::wstring OneEntryList(const std::wstring& path) { return path + std::wstring(2, L'\0'); }

std::optional<std::wstring> FirstUnremovableLink(const std::wstring& path) {
  std::optional<std::wstring> unremovable;
  ForEachLinkInTree(path, [&](const std::wstring& link, TLinkKind kind) {
    if (kind == TLinkKind::UnremovableLink) unremovable = link;
    return !unremovable;
  });
  return unremovable;
}

// Why the tree at `path` must not go to the shell, or nothing once it is safe to hand over.
// The shell follows links that this system shows without a real reparse tag, deleting what
// they lead to; links it knows as links are removed here first, as links. When `path` is
// itself such a link, removing it is the whole deletion and `rootRemoved` says so.
std::optional<std::wstring> MakeSafeForShell(const std::wstring& path, bool& rootRemoved) {
  rootRemoved = false;
  std::wstring why;
  if (IsProtectedFolder(path, &why))
    return Fmt(L"Refusing to delete \"%s\": it is %s.", path, why);
  std::optional<std::wstring> unremovable = FirstUnremovableLink(path);
  // Under Wine the host shell removes such links as links.
  if (unremovable && HostShellAvailable()) {
    RemoveHostLinksInTree(path);
    unremovable = FirstUnremovableLink(path);
  }
  if (unremovable)
    return Fmt(L"Refusing to delete \"%s\": it contains a link that cannot be removed without deleting what it "
               L"leads to:\r\n  %s",
               path, *unremovable);
  const bool rootIsLink = IsLinkPath(path);
  std::optional<std::wstring> failure;
  ForEachLinkInTree(path, [&](const std::wstring& link, TLinkKind) {
    if (!RemoveLinkItself(link))
      failure = Fmt(L"Could not remove the link \"%s\"\r\n\r\n%s", link, MakeOSError(GetLastError()).Message());
    return !failure;
  });
  rootRemoved = rootIsLink && !failure;
  return failure;
}

// Keeps every dialog from appearing on this thread while it lives. With FOF_WANTNUKEWARNING
// the one dialog a silent shell delete still shows is its warning before deleting for good
// what the Recycle Bin cannot take; a dialog that cannot be made counts as the answer "No"
// (measured under Wine 8: the operation reports itself aborted and the path stays).
class TDeclineShellDialogs {
 public:
  TDeclineShellDialogs() : FHook(SetWindowsHookExW(WH_CBT, &Refuse, nullptr, GetCurrentThreadId())) {}
  ~TDeclineShellDialogs() {
    if (FHook) UnhookWindowsHookEx(FHook);
  }
  TDeclineShellDialogs(const TDeclineShellDialogs&) = delete;
  TDeclineShellDialogs& operator=(const TDeclineShellDialogs&) = delete;

 private:
  static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      const wchar_t* cls = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
      constexpr ULONG_PTR kDialogClassAtom = 32770;
      if (IS_INTRESOURCE(cls) ? reinterpret_cast<ULONG_PTR>(cls) == kDialogClassAtom
                              : cls && wcscmp(cls, L"#32770") == 0)
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  HHOOK FHook;
};

bool PathPresent(const std::wstring& path) { return FileExistsLX(path, false) || DirExistsLX(path, false); }

void ShellDeleteSafePath(const std::wstring& path, std::uint16_t flags, const std::wstring& progressTitle) {
  std::wstring source = path;
  if (DirExistsLX(path, true)) source = ExcludeTrailingBackslashLX(path);
  ShellFileOperation(GetActiveWindow(), kFoDelete, source, L"", flags, progressTitle);
}

}  // namespace

std::wstring ShellFileOperationErrorText(int code) {
  for (const TShellResultText& entry : kShellResultTexts)
    if (entry.code == code) return entry.text;
  return {};
}

void ShellFileOperation(HWND owner, unsigned operation, const std::wstring& fromPath, const std::wstring& toPath,
                        std::uint16_t flags, const std::wstring& progressTitle) {
  const std::wstring from = OneEntryList(fromPath);
  const std::wstring to = OneEntryList(toPath);
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = flags;
  op.fAnyOperationsAborted = FALSE;
  op.hNameMappings = nullptr;
  op.lpszProgressTitle = progressTitle.c_str();

  const int result = CurrentFilePlatform().ShellFileOperation(&op);
  const bool aborted = op.fAnyOperationsAborted != FALSE;
  if (result != 0 && aborted && !(flags & kFofNoConfirmation)) throw EAbort(L"Operation aborted");
  if (result == 0 && !aborted) return;

  std::wstring message;
  if (result != 0) message = ShellFileOperationErrorText(result);
  if (message.empty()) message = aborted ? L"The file operation was aborted." : L"An unknown error occurred.";
  if (!fromPath.empty()) message += (toPath.empty() ? L"\r\n  File: " : L"\r\n  From: ") + fromPath;
  if (!toPath.empty()) message += L"\r\n  To: " + toPath;
  const std::wstring extra = Fmt(L"FileOpResult = 0x%.8x\r\nFileOp.fAnyOperationsAborted = %s",
                                 static_cast<unsigned>(result), aborted ? L"True" : L"False");
  throw EExtraInfoException(message, extra);
}

void ShellDeletePath(const std::wstring& path, std::uint16_t flags, const std::wstring& progressTitle) {
  const bool present = PathPresent(path);
  bool rootRemoved = false;
  if (std::optional<std::wstring> refusal = MakeSafeForShell(path, rootRemoved)) throw EHvGeneralError(*refusal);
  if (rootRemoved || (present && !PathPresent(path))) return;  // it was a link, now removed as one
  try {
    ShellDeleteSafePath(path, flags, progressTitle);
  } catch (const EExtraInfoException&) {
    // Wine shows no entry for a dangling host link, so the shell could not empty the folder.
    if (!HostShellAvailable() || !DirExistsLX(path, false)) throw;
    RemoveHostLinksInTree(path);
    ShellDeleteSafePath(path, flags, progressTitle);
  }
}

bool RecycleOrKeep(const std::wstring& path) noexcept {
  try {
    TDeclineShellDialogs decline;
    ShellDeleteSafePath(path, kFofSilent | kFofNoConfirmation | kFofNoErrorUI | kFofAllowUndo | kFofWantNukeWarning,
                        L"");
  } catch (...) {
    // A declined warning or a refusal: the path answers for itself below.
  }
  return !FileExistsLX(path, false) && !DirExistsUncheckedLX(path, false);
}

void DeletePathLX(const std::wstring& path, bool allowUndo) {
  try {
    // A tree refused here must not reach the host-shell fallback either.
    const bool present = PathPresent(path);
    bool rootRemoved = false;
    if (MakeSafeForShell(path, rootRemoved) || rootRemoved || (present && !PathPresent(path))) return;
    if (allowUndo) {
      RecycleOrKeep(path);
      return;
    }
    ShellDeleteSafePath(path, kFofSilent | kFofNoConfirmation | kFofNoErrorUI, L"");
  } catch (...) {
  }
  if (!allowUndo && IsWine() && !IsChromeOS() && DirExistsLX(path, true)) {
    try {
      RemoveNonEmptyDir(path);
    } catch (...) {
    }
  }
}

void RemoveNonEmptyDir(const std::wstring& path) {
  if (!IsWine()) throw EHvInternalError(L"Internal Error: Can only run script under Wine.");
  std::wstring why;
  if (IsProtectedFolder(path, &why)) throw EHvGeneralError(Fmt(L"Refusing to delete \"%s\": it is %s.", path, why));
  RemoveTreeThroughHost(path);
}

}  // namespace hv
