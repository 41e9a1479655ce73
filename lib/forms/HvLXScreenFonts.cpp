// The screen's font list. Font enumeration has been seen to fail on some hosts; the
// program must go on with what it has, and the failure is worth one report per process.
#include "HvLXScreenFonts.h"

#include <algorithm>
#include <utility>

#include "HvApplication.h"
#include "HvGdiHandles.h"
#include "HvLXStrings.h"
#include "HvScreen.h"
#include "HvStrings.h"

namespace hv {
namespace {

int CALLBACK CollectFamily(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
  reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(lf->lfFaceName);
  return 1;
}

std::vector<std::wstring> EnumAllCharsets() {
  TScreenDC dc;
  if (!dc.get()) RaiseLastOSError();
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  std::vector<std::wstring> names;
  EnumFontFamiliesExW(dc.get(), &lf, reinterpret_cast<FONTENUMPROCW>(&CollectFamily), reinterpret_cast<LPARAM>(&names), 0);
  return names;
}

std::vector<std::wstring> EnumPerFamily() {
  TScreenDC dc;
  if (!dc.get()) RaiseLastOSError();
  std::vector<std::wstring> names;
  EnumFontFamiliesW(dc.get(), nullptr, reinterpret_cast<FONTENUMPROCW>(&CollectFamily), reinterpret_cast<LPARAM>(&names));
  return names;
}

TFontEnumerators gEnumerators{&EnumAllCharsets, &EnumPerFamily};
bool gFailureReported = false;

std::vector<std::wstring> BuildFontList() {
  std::vector<std::wstring> list{L"Default"};
  for (const std::wstring& name : gEnumerators.AllCharsets()) {
    // Families come once per character set, next to each other.
    if (!SameTextLocale(name, list.back())) list.push_back(name);
  }
  std::sort(list.begin(), list.end(), [](const std::wstring& a, const std::wstring& b) {
    return AnsiCompareText(a, b) < 0;
  });
  return list;
}

std::wstring Section(std::vector<std::wstring> (*enumerate)()) {
  try {
    std::wstring text;
    for (const std::wstring& name : enumerate()) text += name + L"\r\n";
    return text;
  } catch (...) {
    std::shared_ptr<const Exception> e = CurrentExceptionCopy();
    return e->ClassName() + L": " + e->Message() + L"\r\n" + e->StackTrace();
  }
}

}  // namespace

ScopedFontEnumerators::ScopedFontEnumerators(const TFontEnumerators& enumerators)
    : FSaved(std::exchange(gEnumerators, enumerators)) {}
ScopedFontEnumerators::~ScopedFontEnumerators() { gEnumerators = FSaved; }

std::vector<std::wstring> SafeScreenFonts() {
  TScreen& screen = Screen();
  if (!screen.Fonts()) {
    try {
      screen.SetFonts(BuildFontList());
    } catch (...) {
      if (!gFailureReported) {
        gFailureReported = true;
        std::shared_ptr<const Exception> first = CurrentExceptionCopy();
        std::wstring diagnostic =
            L"_1_EnumFontFamiliesEx_=======================================================\r\n" +
            Section(gEnumerators.AllCharsets) + L"\r\n\r\n" +
            L"_2_EnumFontFamilies_=======================================================\r\n" +
            Section(gEnumerators.PerFamily) + L"\r\n\r\n" +
            L"_3_end=======================================================";
        try {
          throw EExtraInfoException(first->Message(), diagnostic);
        } catch (...) {
          Application().HandleException();
        }
      }
    }
  }
  return screen.Fonts().value_or(std::vector<std::wstring>{});
}

}  // namespace hv
