#include "HvLXShellOpen.h"

#include <shellapi.h>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXHost.h"
#include "HvLXMacOpen.h"
#include "HvLXStrings.h"
#include "HvLXVersion.h"

namespace hv {
namespace {

const wchar_t kNoApplication[] = L"There is no application associated with the given file name extension.";

INT_PTR SystemShellExecute(HWND owner, const std::wstring& verb, const std::wstring& file, const std::wstring& params,
                           const std::wstring& directory, int showCmd) {
  return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                                                 params.empty() ? nullptr : params.c_str(),
                                                 directory.empty() ? nullptr : directory.c_str(), showCmd));
}

TShellExecute gShellExecute = &SystemShellExecute;

struct TShellErrorText {
  int code;
  const wchar_t* text;
};

constexpr TShellErrorText kShellErrorTexts[] = {
    {0, L"The operating system is out of memory or resources."},
    {2, L"The specified file was not found."},
    {3, L"The specified path was not found."},
    {5, L"The operating system denied access to the specified file."},
    {8, L"There was not enough memory to complete the operation."},
    {11, L"The .exe file is invalid (non-Microsoft Win32\u00AE .exe or error in .exe image)."},
    {26, L"A sharing violation occurred."},
    {27, L"The file name association is incomplete or invalid."},
    {28, L"The DDE transaction could not be completed because the request timed out."},
    {29, L"The DDE transaction failed."},
    {30, L"The Dynamic Data Exchange (DDE) transaction could not be completed because other DDE transactions were "
         L"being processed."},
    {31, kNoApplication},
    {32, L"The specified dynamic-link library (DLL) was not found."},
};

bool InSet(wchar_t c, const wchar_t* extra) {
  if (c > 255) return false;
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || (c != 0 && wcschr(extra, c));
}

bool BadDots(const std::wstring& part) {
  return part.starts_with(L".") || part.ends_with(L".") || part.find(L"..") != std::wstring::npos;
}

}  // namespace

void ShellOpenLX(const std::wstring& file, const std::wstring& params, const std::wstring& directory, int showCmd) {
  ShellExecuteLX(GetActiveWindow(), L"open", file, params, directory, showCmd);
}

void ShellExecuteLX(HWND owner, const std::wstring& verbGiven, const std::wstring& fileGiven,
                    const std::wstring& params, const std::wstring& directory, int showCmd) {
  std::wstring verb = verbGiven, file = fileGiven;
  const bool isPlainOpen = SameTextLX(verb, L"open") && params.empty();
  if (verb == L"runas" && !IsVistaOrLater()) verb = L"open";
  if (isPlainOpen && IsEmailAddress(file)) file = L"mailto:" + file;
  if (isPlainOpen && UseMacOpenCommand(file)) return MacOpenFile(file, kNoApplication);
  if (isPlainOpen && IsMacFileUrl(file)) return MacOpenLocation(file, kNoApplication);

  INT_PTR result = gShellExecute(owner, verb, file, params, directory, showCmd);
  if (result == SE_ERR_ACCESSDENIED && SameTextLX(verb, L"open") && IsVistaOrLater()) {
    verb = L"runas";
    result = gShellExecute(owner, verb, file, params, directory, showCmd);
    if (!IsWine() && result == SE_ERR_NOASSOC) throw EAbort(L"Operation aborted");  // the user declined
  }
  if ((result == SE_ERR_NOASSOC || result == ERROR_BAD_FORMAT) && isPlainOpen &&
      (IsMacOpenableFile(file) || IsMacUrl(file))) {
    if (IsMacUrl(file)) return MacOpenLocation(file, kNoApplication);
    return MacOpenFile(file, kNoApplication);
  }
  // Wine 4.12 answers "DDE busy" for web addresses it has handed to the browser all the same.
  if (UseWineTricks(L"4.12") && result == SE_ERR_DDEBUSY &&
      (StartsTextLX(L"http:", file) || StartsTextLX(L"https:", file)))
    return;
  // Success is any answer above 32; in the 64-bit build one may not fit an int.
  if (result > 32) return;
  RaiseShellExecuteError(static_cast<int>(result), verb, file);
}

void RaiseShellExecuteError(int code, const std::wstring& verb, const std::wstring& file) {
  if (code > 32) return;
  if (code == SE_ERR_ACCESSDENIED && verb == L"runas") throw EAbort(L"Operation aborted");
  const std::wstring extra = Fmt(L"  (\"%s\", \"%s\")", verb, file);
  std::wstring message;
  for (const TShellErrorText& entry : kShellErrorTexts)
    if (entry.code == code) message = entry.text;
  if (code == SE_ERR_NOASSOC && SameTextLX(verb, L"print")) message = L"The specified file is not printable.";
  if (message.empty()) message = Fmt(L"ShellExecute() returned code %d for \"%s\".", code, file);
  throw EShellOpenError(message, extra, code);
}

bool IsEmailAddress(const std::wstring& text) {
  if (text.find(L'\u200B') != std::wstring::npos) return false;
  const std::size_t at = text.find(L'@');
  if (at == std::wstring::npos || at == 0) return false;
  const std::wstring local = text.substr(0, at), domain = text.substr(at + 1);
  const std::size_t dot = domain.find(L'.');
  if (domain.size() <= 4 || dot == std::wstring::npos || dot + 1 > domain.size() - 2) return false;
  if (BadDots(local) || BadDots(domain) || domain.starts_with(L"-") || domain.ends_with(L"-")) return false;
  for (wchar_t c : local)
    if (!InSet(c, L"!#$%&'*+-./=?^_`{|}~")) return false;
  for (wchar_t c : domain)
    if (!InSet(c, L"+-._")) return false;
  return true;
}

ScopedShellExecute::ScopedShellExecute(TShellExecute replacement) : FSaved(gShellExecute) {
  gShellExecute = replacement;
}
ScopedShellExecute::~ScopedShellExecute() { gShellExecute = FSaved; }

}  // namespace hv
