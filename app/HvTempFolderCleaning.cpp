#include "HvTempFolderCleaning.h"

#include <optional>
#include <vector>

#include "HvExceptions.h"
#include "HvLXFileSearch.h"
#include "HvLXFiles.h"
#include "HvLXFlash.h"
#include "HvLXHostLinkScan.h"
#include "HvLXSpecialFolders.h"
#include "HvRecycleStaging.h"
#include "HvStringList.h"

namespace hv {
namespace {

// From this many folders on, the host is asked once about links in all of them (under Wine):
// walking a tree for them costs an open and a look at the final path per entry (500 folders of
// ten files took 1.1 s), the host's one look at them 65 ms, about 35 ms of it to start.
constexpr int kHostLookFrom = 64;

// For the folders among `entries` (those from `files` on): whether each holds a link, as the
// host sees it; empty, or no answer for a folder, where the walk through its handle must tell.
std::vector<std::optional<bool>> LinksBelowAsTheHostSees(const THvStringList& entries, int files) {
  if (entries.Count() - files < kHostLookFrom) return {};
  std::vector<std::wstring> folders;
  for (int i = files; i < entries.Count(); ++i) folders.push_back(entries.Strings(i));
  try {
    return HostLinksBelow(folders);
  } catch (const EAbort&) {
    throw;
  } catch (const Exception&) {
    // The script did not run: every tree is walked.
  } catch (const std::exception&) {
  }
  return {};
}

}  // namespace

void CleanOutTempFolder(const std::wstring& folder) {
  // The folder comes from the environment, which may name anything.
  std::wstring why;
  if (IsProtectedFolder(folder, &why))
    throw EHvGeneralError(Fmt(L"The temporary folder \"%s\" was not cleaned out: it is %s.", folder, why));

  THvStringList entries;
  IFlash flash = CreateFlash(L"Cleaning out temporary folder...", 0, true);
  FindFilesLX(folder, entries, L"*.*", false, true, flash.get());
  const int files = entries.Count();
  FindFoldersLX(folder, entries, false, true, flash.get());
  flash->SetProgress(0);
  flash->SetProgressTotal(entries.Count());

  const std::vector<std::optional<bool>> hostLinks = LinksBelowAsTheHostSees(entries, files);
  TRecycleStaging staging(folder);
  for (int i = 0; i < entries.Count(); ++i) {
    // A step that moves the progress to a new percentage does not poll, so Cancel is asked
    // here: it must stop the work between any two entries.
    flash->CheckCancel();
    const std::wstring& entry = entries.Strings(i);
    const std::optional<bool> hostLink = i >= files && !hostLinks.empty() ? hostLinks[i - files] : std::nullopt;
    if (staging.MoveAside(entry, i >= files, hostLink) == TRecycleStaging::TMoveResult::Failed)
      DeletePathLX(entry, true);
    flash->SetProgress(flash->Progress() + 1);
  }
  staging.Recycle();
}

void CleanOutTempFolder() { CleanOutTempFolder(GetHalvernTempFolder()); }

}  // namespace hv
