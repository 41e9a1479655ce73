#include "HvColors.h"

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <mutex>
#include <vector>

#include "HvFormat.h"
#include "HvWindows.h"

namespace hv {
namespace {

struct TColorIdent {
  std::wstring Name;
  TColor Color;
};

const TColorIdent kStandardColors[] = {
    {L"clBlack", 0x000000},        {L"clMaroon", 0x000080},       {L"clGreen", 0x008000},
    {L"clOlive", 0x008080},        {L"clNavy", 0x800000},         {L"clPurple", 0x800080},
    {L"clTeal", 0x808000},         {L"clGray", 0x808080},         {L"clSilver", 0xC0C0C0},
    {L"clRed", 0x0000FF},          {L"clLime", 0x00FF00},         {L"clYellow", 0x00FFFF},
    {L"clBlue", 0xFF0000},         {L"clFuchsia", 0xFF00FF},      {L"clAqua", 0xFFFF00},
    {L"clWhite", 0xFFFFFF},        {L"clMoneyGreen", 0xC0DCC0},   {L"clSkyBlue", 0xF0CAA6},
    {L"clCream", 0xF0FBFF},        {L"clMedGray", 0xA4A0A0},      {L"clNone", clNone},
    {L"clDefault", clDefault},     {L"clScrollBar", clSystemColor | COLOR_SCROLLBAR},
    {L"clBackground", clSystemColor | COLOR_BACKGROUND},
    {L"clActiveCaption", clSystemColor | COLOR_ACTIVECAPTION},
    {L"clInactiveCaption", clSystemColor | COLOR_INACTIVECAPTION},
    {L"clMenu", clSystemColor | COLOR_MENU},           {L"clWindow", clSystemColor | COLOR_WINDOW},
    {L"clWindowFrame", clSystemColor | COLOR_WINDOWFRAME}, {L"clMenuText", clSystemColor | COLOR_MENUTEXT},
    {L"clWindowText", clSystemColor | COLOR_WINDOWTEXT},   {L"clCaptionText", clSystemColor | COLOR_CAPTIONTEXT},
    {L"clActiveBorder", clSystemColor | COLOR_ACTIVEBORDER},
    {L"clInactiveBorder", clSystemColor | COLOR_INACTIVEBORDER},
    {L"clAppWorkSpace", clSystemColor | COLOR_APPWORKSPACE}, {L"clHighlight", clSystemColor | COLOR_HIGHLIGHT},
    {L"clHighlightText", clSystemColor | COLOR_HIGHLIGHTTEXT}, {L"clBtnFace", clSystemColor | COLOR_BTNFACE},
    {L"clBtnShadow", clSystemColor | COLOR_BTNSHADOW},     {L"clGrayText", clSystemColor | COLOR_GRAYTEXT},
    {L"clBtnText", clSystemColor | COLOR_BTNTEXT},
    {L"clInactiveCaptionText", clSystemColor | COLOR_INACTIVECAPTIONTEXT},
    {L"clBtnHighlight", clSystemColor | COLOR_BTNHIGHLIGHT}, {L"cl3DDkShadow", clSystemColor | COLOR_3DDKSHADOW},
    {L"cl3DLight", clSystemColor | COLOR_3DLIGHT},         {L"clInfoText", clSystemColor | COLOR_INFOTEXT},
    {L"clInfoBk", clSystemColor | COLOR_INFOBK},           {L"clHotLight", clSystemColor | COLOR_HOTLIGHT},
};

std::mutex gRegisteredLock;
std::vector<TColorIdent>& Registered() {
  static std::vector<TColorIdent> list;
  return list;
}

bool SameIdent(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

std::uint32_t ColorToRGB(TColor color) {
  if ((color & clSystemColor) == clSystemColor) return GetSysColor(color & 0xFF);
  return static_cast<std::uint32_t>(color) & 0xFFFFFF;
}

std::optional<TColor> IdentToColor(const std::wstring& ident) {
  {
    std::lock_guard lock(gRegisteredLock);
    for (const TColorIdent& c : Registered())
      if (SameIdent(c.Name, ident)) return c.Color;
  }
  for (const TColorIdent& c : kStandardColors)
    if (SameIdent(c.Name, ident)) return c.Color;
  return std::nullopt;
}

std::optional<std::wstring> ColorToIdent(TColor color) {
  {
    std::lock_guard lock(gRegisteredLock);
    for (const TColorIdent& c : Registered())
      if (c.Color == color) return c.Name;
  }
  for (const TColorIdent& c : kStandardColors)
    if (c.Color == color) return c.Name;
  return std::nullopt;
}

std::optional<TColor> StringToColor(const std::wstring& text) {
  if (auto color = IdentToColor(text)) return color;
  if (text.empty()) return std::nullopt;
  bool hex = text[0] == L'$';
  const wchar_t* start = text.c_str() + (hex ? 1 : 0);
  if (!*start) return std::nullopt;
  wchar_t* end = nullptr;
  errno = 0;
  long long value = hex ? static_cast<long long>(std::wcstoull(start, &end, 16)) : std::wcstoll(start, &end, 10);
  if (*end || errno == ERANGE || value < INT32_MIN || value > static_cast<long long>(UINT32_MAX)) return std::nullopt;
  return static_cast<TColor>(static_cast<std::uint32_t>(value));
}

std::wstring ColorToString(TColor color) {
  if (auto ident = ColorToIdent(color)) return *ident;
  return Fmt(L"$%.8x", static_cast<unsigned>(color));
}

void RegisterColorIdent(const std::wstring& ident, TColor color) {
  std::lock_guard lock(gRegisteredLock);
  auto& list = Registered();
  auto it = std::find_if(list.begin(), list.end(), [&](const TColorIdent& c) { return SameIdent(c.Name, ident); });
  if (it != list.end())
    it->Color = color;
  else
    list.push_back({ident, color});
}

void UnregisterColorIdent(const std::wstring& ident) {
  std::lock_guard lock(gRegisteredLock);
  auto& list = Registered();
  std::erase_if(list, [&](const TColorIdent& c) { return SameIdent(c.Name, ident); });
}

}  // namespace hv
