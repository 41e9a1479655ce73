// The program's command line: no argument opens the window; /detect reports; /uninstall removes
// without the window, for administrators who push the program to many machines; /restore
// undoes a removal; /? explains.
// Options are case-insensitive and may start with "-" as well as "/".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace hv {

enum class TCommandKind { Window, Detect, Uninstall, Usage, Restore };
// /quiet: no window at all; /passive: the progress window only; neither: progress window and
// error boxes, as the main window shows them.
enum class TUserInterfaceLevel { Full, Passive, Quiet };

struct TCommandLine {
  TCommandKind Kind = TCommandKind::Window;
  std::vector<std::size_t> Products;  // positions in ProductCatalogue(), in its order
  bool KeepFolders = false;           // the cleared "Delete Installation Folder" box
  bool NoTemp = false;                // the cleared "Clean Out Temporary Folder" box
  TUserInterfaceLevel Level = TUserInterfaceLevel::Full;
  // Files in use stop a product's removal, as in the window, instead of going at the next restart.
  bool NoRestartRemoval = false;
  std::wstring LogPath;  // empty: a new dated file in the administrators' log folder (RemovalLogFolder)
  std::wstring BackupPath;  // /restore: the backup named; empty: the last removal's
};

struct TCommandLineParse {
  std::optional<TCommandLine> Command;
  std::wstring Error;  // one line, when Command is empty
};

// Parses the arguments after the program name.
TCommandLineParse ParseCommandLine(const std::vector<std::wstring>& arguments);
// The arguments of this process after the program name.
std::vector<std::wstring> ProcessArguments();

// Exit codes, as administrators know them from the system installer.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitDetected = 1;               // /detect: at least one product found
inline constexpr int kExitBadCommandLine = 87;        // ERROR_INVALID_PARAMETER
inline constexpr int kExitCancelled = 1602;           // ERROR_INSTALL_USEREXIT
inline constexpr int kExitFailed = 1603;              // ERROR_INSTALL_FAILURE
inline constexpr int kExitNothingToRemove = 1605;     // ERROR_UNKNOWN_PRODUCT
inline constexpr int kExitLogFailed = 1622;           // ERROR_INSTALL_LOG_FAILURE
inline constexpr int kExitRestartRequired = 3010;     // ERROR_SUCCESS_REBOOT_REQUIRED

// The lines /? prints.
std::vector<std::wstring> UsageLines();

}  // namespace hv
