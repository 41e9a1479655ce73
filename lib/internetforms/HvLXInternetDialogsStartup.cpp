// The internet layer asks the user through hooks, as it lies below the windows: the dialogs
// install themselves as a program starts. Nothing calls into this object, so the link asks
// for it up front (lib/CMakeLists.txt).
#include "HvLXInternetSettings.h"
#include "HvLXSafeInternet_AdvancedDlg.h"
#include "HvLXSafeInternet_ConnectionDlg.h"

extern "C" {
extern const bool HvInternetDialogsInstalledAtStart;
const bool HvInternetDialogsInstalledAtStart =
    (hv::SetAdvancedSettingsDialogHook(&hv::ShowAdvancedSettingsDialog),
     hv::SetConnectionIssueReportHook(&hv::ReportInternetConnectionIssue), true);
}
