#include "HvTempFolderCleaning.h"

#include "HvExceptions.h"
#include "HvLXFileSearch.h"
#include "HvLXFiles.h"
#include "HvLXFlash.h"
#include "HvLXSpecialFolders.h"
#include "HvRecycleStaging.h"
#include "HvStringList.h"

namespace hv {

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

  TRecycleStaging staging(folder);
  for (int i = 0; i < entries.Count(); ++i) {
    // A step that moves the progress to a new percentage does not poll, so Cancel is asked
    // here: it must stop the work between any two entries.
    flash->CheckCancel();
    const std::wstring& entry = entries.Strings(i);
    if (staging.MoveAside(entry, i >= files) == TRecycleStaging::TMoveResult::Failed) DeletePathLX(entry, true);
    flash->SetProgress(flash->Progress() + 1);
  }
  staging.Recycle();
}

void CleanOutTempFolder() { CleanOutTempFolder(GetHalvernTempFolder()); }

}  // namespace hv
