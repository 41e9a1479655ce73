#include "HvCommandLine.h"

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXStrings.h"
#include "HvProductCatalogue.h"

#include <shellapi.h>

namespace hv {
namespace {

// "/name" or "-name" with `name` in any case.
bool IsOption(const std::wstring& argument, const wchar_t* name) {
  return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-') &&
         SameTextOrdinal(argument.substr(1), name);
}

bool LooksLikeOption(const std::wstring& argument) {
  return !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
}

TCommandLineParse Refuse(std::wstring reason) { return {std::nullopt, std::move(reason)}; }

TCommandLineParse Accept(TCommandKind kind) {
  TCommandLine command;
  command.Kind = kind;
  return {command, {}};
}

// "/log <file>" at arguments[i]: takes the file into `logPath` and steps over it, or answers why
// not. An option in the file's place means the file was forgotten (".\-x.log" names such a file).
std::optional<std::wstring> TakeLogFile(const std::vector<std::wstring>& arguments, std::size_t& i,
                                        std::wstring& logPath) {
  if (!logPath.empty()) return L"/log is given twice.";
  if (i + 1 >= arguments.size() || arguments[i + 1].empty() || LooksLikeOption(arguments[i + 1]))
    return L"/log needs a file name.";
  logPath = arguments[++i];
  return std::nullopt;
}

// The words after /uninstall.
TCommandLineParse ParseUninstall(const std::vector<std::wstring>& arguments) {
  TCommandLine command;
  command.Kind = TCommandKind::Uninstall;
  bool productGiven = false, levelGiven = false;
  const std::vector<TProductDescription>& catalogue = ProductCatalogue();
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (IsOption(argument, L"keepfolders")) {
      command.KeepFolders = true;
    } else if (IsOption(argument, L"notemp")) {
      command.NoTemp = true;
    } else if (IsOption(argument, L"norestartremoval")) {
      command.NoRestartRemoval = true;
    } else if (IsOption(argument, L"quiet") || IsOption(argument, L"passive")) {
      if (levelGiven) return Refuse(L"Give only one of /quiet and /passive.");
      levelGiven = true;
      command.Level = IsOption(argument, L"quiet") ? TUserInterfaceLevel::Quiet : TUserInterfaceLevel::Passive;
    } else if (IsOption(argument, L"log")) {
      if (auto refusal = TakeLogFile(arguments, i, command.LogPath)) return Refuse(*refusal);
    } else if (LooksLikeOption(argument)) {
      return Refuse(Fmt(L"Unknown option \"%s\".", argument));
    } else {
      if (productGiven) return Refuse(Fmt(L"Only one product may be named; \"%s\" is one too many.", argument));
      productGiven = true;
      if (SameTextOrdinal(argument, L"all")) continue;
      std::size_t p = 0;
      while (p < catalogue.size() && !SameTextOrdinal(argument, catalogue[p].Name)) ++p;
      if (p == catalogue.size()) return Refuse(Fmt(L"Unknown product \"%s\" (corvista, sendaro or all).", argument));
      command.Products.push_back(p);
    }
  }
  if (command.Products.empty())
    for (std::size_t p = 0; p < catalogue.size(); ++p) command.Products.push_back(p);
  return {command, {}};
}

// The words after /restore: at most one backup file, /quiet, /log <file>.
TCommandLineParse ParseRestore(const std::vector<std::wstring>& arguments) {
  TCommandLine command;
  command.Kind = TCommandKind::Restore;
  bool levelGiven = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (IsOption(argument, L"quiet")) {
      if (levelGiven) return Refuse(L"/quiet is given twice.");
      levelGiven = true;
      command.Level = TUserInterfaceLevel::Quiet;
    } else if (IsOption(argument, L"log")) {
      if (auto refusal = TakeLogFile(arguments, i, command.LogPath)) return Refuse(*refusal);
    } else if (LooksLikeOption(argument)) {
      return Refuse(Fmt(L"Unknown option \"%s\".", argument));
    } else if (argument.empty()) {
      return Refuse(L"The backup file name is empty.");
    } else {
      if (!command.BackupPath.empty()) return Refuse(Fmt(L"Only one backup file may be named; \"%s\" is one too many.", argument));
      command.BackupPath = argument;
    }
  }
  return {command, {}};
}

}  // namespace

TCommandLineParse ParseCommandLine(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return Accept(TCommandKind::Window);
  for (const std::wstring& argument : arguments)
    if (IsOption(argument, L"?")) return Accept(TCommandKind::Usage);
  const std::wstring& first = arguments[0];
  if (IsOption(first, L"detect")) {
    if (arguments.size() > 1) return Refuse(Fmt(L"/detect takes no options; \"%s\" is not understood.", arguments[1]));
    return Accept(TCommandKind::Detect);
  }
  if (IsOption(first, L"uninstall")) return ParseUninstall(arguments);
  if (IsOption(first, L"restore")) return ParseRestore(arguments);
  return Refuse(Fmt(L"Unknown command \"%s\"; /? lists the commands.", first));
}

std::vector<std::wstring> ProcessArguments() {
  int argc = 0;
  const UniqueLocalMem<wchar_t**> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  std::vector<std::wstring> arguments;
  if (!argv) return arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv.get()[i]);
  return arguments;
}

std::vector<std::wstring> UsageLines() {
  return {
      L"Halvern Uninstaller removes Corvista and Sendaro from this computer.",
      L"",
      L"HalvernUninstaller.exe                open the window",
      L"HalvernUninstaller.exe /detect        list what the window would list; change nothing",
      L"HalvernUninstaller.exe /uninstall [corvista|sendaro|all] [/keepfolders] [/notemp]",
      L"                      [/quiet | /passive] [/log <file>] [/norestartremoval]",
      L"HalvernUninstaller.exe /restore [<backup file>] [/quiet] [/log <file>]",
      L"HalvernUninstaller.exe /?             show this text",
      L"",
      L"/uninstall   removes the named products (all when none is named) as the window does:",
      L"             the temporary folder first, then Corvista, then Sendaro.",
      L"/keepfolders leaves the installation folders in place.",
      L"/notemp      leaves the temporary folder as it is.",
      L"/quiet       shows no window at all.",
      L"/passive     shows only the progress window (Cancel stops the removal).",
      L"/log <file>  appends the log to <file>; without it the log goes to a new dated file in",
      L"             ProgramData\\HalvernUninstaller\\Logs and its path is printed.",
      L"/norestartremoval  a file that a program has in use stops the product's removal; without",
      L"             it the rest is removed and the file is deleted at the next restart.",
      L"/restore     puts back what the last removal (or the one whose backup file is named)",
      L"             took away: its registry keys and values, and its folders from the Recycle Bin.",
      L"Options may start with - as well as /, in any case.",
      L"",
      L"Exit codes of /uninstall:",
      L"  0     every requested product was removed (or none was there and the temporary folder",
      L"        was cleaned)",
      L"  3010  removed; files in use are deleted at the next restart (listed in the log)",
      L"  1602  cancelled by the user",
      L"  1603  a removal failed (the others still ran)",
      L"  1605  none of the requested products has a trace",
      L"  1622  the log file could not be opened (nothing was changed)",
      L"  87    the command line is not understood (nothing was changed)",
      L"Exit codes of /restore:",
      L"  0     everything came back",
      L"  1603  something could not come back (each is named)",
      L"  1605  nothing to restore",
      L"  87    the command line is not understood (nothing was changed)",
      L"Exit codes of /detect:",
      L"  0     nothing detected",
      L"  1     at least one product detected",
      L"  1603  an error while detecting (its text is printed)",
  };
}

}  // namespace hv
