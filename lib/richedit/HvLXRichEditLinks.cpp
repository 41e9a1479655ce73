#include "HvLXRichEditLinks.h"

#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include "HvComPtr.h"
#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXEventLog.h"
#include "HvRichEditBase.h"

namespace hv {
namespace {

// {8CC497C0-A1DF-11CE-8098-00AA0047BE5D}; the toolchain's uuid library does not carry it.
constexpr IID kIidTextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

const wchar_t kObjectModelFailed[] = L"Could not use ITextDocument to format RichEdit.";

long TomBool(bool value) { return value ? tomTrue : tomFalse; }

struct TStyleEffect {
  TFontStyle style;
  DWORD effect;
};
constexpr TStyleEffect kStyleEffects[] = {
    {fsBold, CFE_BOLD}, {fsItalic, CFE_ITALIC}, {fsUnderline, CFE_UNDERLINE}, {fsStrikeOut, CFE_STRIKEOUT}};

DWORD Effects(TFontStyles style) {
  DWORD effects = 0;
  for (const TStyleEffect& entry : kStyleEffects)
    if (style & entry.style) effects |= entry.effect;
  return effects;
}

TFontStyles StyleOf(DWORD effects) {
  TFontStyles style = 0;
  for (const TStyleEffect& entry : kStyleEffects)
    if (effects & entry.effect) style |= entry.style;
  return style;
}

}  // namespace

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0)) RaiseLastOSError();
  return (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// One styling call: the text object model while it works, otherwise the selection, with the
// failure reported once per call. The control is writable while the object model styles it.
//
// What Wine 8 does here (checked with its Msftedit.dll): EM_GETOLEINTERFACE answers the
// object, which answers ITextDocument, and a range's font takes colour, bold, italic,
// underline and strike-out. It does not refuse to style a read-only control, as Windows
// does; the control is made writable all the same, for Windows.
class TRichEditLinks::TStyling {
 public:
  explicit TStyling(TRichEditLinks& links) : F(links) {}
  ~TStyling() {
    if (FMadeWritable) F.FOwner->SetReadOnly(true);
  }
  TStyling(const TStyling&) = delete;
  TStyling& operator=(const TStyling&) = delete;

  void Style(int start, int length, TColor color, TFontStyles style) {
    const COLORREF rgb = ColorToRGB(color);
    if (StyleThroughObjectModel(start, length, static_cast<long>(rgb), style)) return;
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    format.crTextColor = rgb;
    format.dwEffects = Effects(style);
    FormatThroughSelection(start, length, format);
  }

  // The whole text in the control's default colour and style. An automatic colour stays
  // automatic, so that the text follows the system's window-text colour.
  void StyleAllAsDefault(CHARFORMAT2W& defaults) {
    const bool automatic = defaults.dwEffects & CFE_AUTOCOLOR;
    const long foreColor = automatic ? static_cast<long>(tomAutoColor) : static_cast<long>(defaults.crTextColor);
    const int length = GetWindowTextLengthW(F.FOwner->Handle());
    if (StyleThroughObjectModel(0, length, foreColor, StyleOf(defaults.dwEffects))) return;
    FormatThroughSelection(0, -1, defaults);
  }

  void FormatThroughSelection(int start, int length, CHARFORMAT2W& format) {
    ReportFallbackOnce();
    F.SaveSelection();
    F.SelectRange(start, length);
    SendMessageW(F.FOwner->Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    F.RestoreSelection();
  }

 private:
  // `foreColor`: an RGB value or tomAutoColor.
  bool StyleThroughObjectModel(int start, int length, long foreColor, TFontStyles style) {
    if (!F.FAttempt_OLE || !Document()) return false;
    TComPtr<ITextRange> range;
    TComPtr<ITextFont> font;
    const bool styled = SUCCEEDED(FDocument->Range(start, start + length, range.put())) &&
                        SUCCEEDED(range->GetFont(font.put())) &&
                        SUCCEEDED(font->SetForeColor(foreColor)) &&
                        SUCCEEDED(font->SetBold(TomBool(style & fsBold))) &&
                        SUCCEEDED(font->SetItalic(TomBool(style & fsItalic))) &&
                        SUCCEEDED(font->SetUnderline(TomBool(style & fsUnderline))) &&
                        SUCCEEDED(font->SetStrikeThrough(TomBool(style & fsStrikeOut)));
    if (!styled) F.FAttempt_OLE = false;  // for good: a control that failed once is not asked again
    return styled;
  }

  ITextDocument* Document() {
    if (FDocument) return FDocument.get();
    TComPtr<IRichEditOle> ole;
    const HWND handle = F.FOwner->Handle();
    if (!SendMessageW(handle, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.put())) || !ole ||
        FAILED(ole->QueryInterface(kIidTextDocument, FDocument.put_void())) || !FDocument) {
      F.FAttempt_OLE = false;
      return nullptr;
    }
    if (F.FOwner->ReadOnly()) {
      F.FOwner->SetReadOnly(false);
      FMadeWritable = true;
    }
    return FDocument.get();
  }

  void ReportFallbackOnce() {
    if (FReported) return;
    FReported = true;
    ReportErrorEventLX(kObjectModelFailed);
  }

  TRichEditLinks& F;
  TComPtr<ITextDocument> FDocument;
  bool FMadeWritable = false;
  bool FReported = false;
};

TRichEditLinks::TRichEditLinks(_THvCustomRichEdit* AOwner) : FOwner(AOwner) {}

int TRichEditLinks::GetLinkIndex(int CharPosition) const { return FindLinkIndex(Links, CharPosition); }

int TRichEditLinks::LinkCovering(int first, int last) const {
  for (std::size_t i = 0; i < Links.size(); ++i)
    if (Links[i].Start <= first && last <= Links[i].Start + Links[i].Length) return static_cast<int>(i);
  return -1;
}

int TRichEditLinks::CharFromRichEdit(int X, int Y) const {
  const HWND handle = FOwner->Handle();
  POINTL point{X, Y};
  const int position = static_cast<int>(SendMessageW(handle, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
  if (position == -1) return -1;
  POINTL origin{};
  SendMessageW(handle, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&origin), position);
  const int middle = origin.y + FOwner->FontPixelHeight() / 2;
  return std::abs(X - (origin.x + 2)) <= 12 && std::abs(Y - middle) <= 12 ? position : -1;
}

THotSpotFinder TRichEditLinks::Finder() { return THotSpotFinder(FOwner->TextWithLineFeeds(), Links, HighContrastOn()); }

void TRichEditLinks::AddLiteralHotSpot(const std::wstring& Pattern, const std::wstring& Prefix,
                                       const std::wstring& AltLink, const std::wstring& AltHint, TColor LinkColor,
                                       TFontStyles LinkStyle, bool AddAll) {
  Finder().AddLiteralHotSpot(Pattern, Prefix, AltLink, AltHint, LinkColor, LinkStyle, AddAll);
}

void TRichEditLinks::AddEmailHotSpots(TColor LinkColor, TFontStyles LinkStyle) {
  Finder().AddEmailHotSpots(LinkColor, LinkStyle);
}

void TRichEditLinks::AddHttpHotSpots(TColor LinkColor, TFontStyles LinkStyle) {
  Finder().AddHttpHotSpots(LinkColor, LinkStyle);
}

void TRichEditLinks::AddPhoneHotSpot(bool, const std::wstring& Phone, TColor LinkColor, TFontStyles LinkStyle,
                                     const std::wstring& FullPhone) {
  Finder().AddPhoneHotSpot(Phone, LinkColor, LinkStyle, FullPhone);
}

void TRichEditLinks::AddUSAPhoneHotSpots(TColor LinkColor, TFontStyles LinkStyle) {
  Finder().AddUSAPhoneHotSpots(LinkColor, LinkStyle);
}

void TRichEditLinks::CheckLinkIndex(int LinkIndex) const {
  if (LinkIndex < 0 || LinkIndex >= static_cast<int>(Links.size()))
    throw EHvInternalError(Fmt(L"Internal Error: Link Index out of bounds (%d)", LinkIndex));
}

void TRichEditLinks::ApplyStyleToLink(int LinkIndex, TColor LinkColor, TFontStyles LinkStyle) {
  CheckLinkIndex(LinkIndex);
  TStyling(*this).Style(Links[LinkIndex].Start, Links[LinkIndex].Length, LinkColor, LinkStyle);
}

void TRichEditLinks::ApplyOriginalStyleToLink(int LinkIndex) {
  CheckLinkIndex(LinkIndex);
  const TLinkPos& link = Links[LinkIndex];
  TStyling(*this).Style(link.Start, link.Length, link.LinkColor, link.LinkStyle);
}

void TRichEditLinks::ApplyOriginalStyleToAllLinks() {
  TStyling styling(*this);
  for (const TLinkPos& link : Links) styling.Style(link.Start, link.Length, link.LinkColor, link.LinkStyle);
}

void TRichEditLinks::ApplyDefaultFontToAll() {
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  SendMessageW(FOwner->Handle(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  TStyling(*this).StyleAllAsDefault(format);
}

void TRichEditLinks::Apply_CFE_LINK_StyleToAllLinks() {
  for (const TLinkPos& link : Links) {
    SaveSelection();
    SelectRange(link.Start, link.Length);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;  // 116 bytes
    format.dwMask = CFM_LINK;
    format.dwEffects = CFE_LINK;
    SendMessageW(FOwner->Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    RestoreSelection();
  }
}

void TRichEditLinks::SelectRange(int start, int length) {
  CHARRANGE range{start, length < 0 ? -1 : start + length};
  SendMessageW(FOwner->Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void TRichEditLinks::SaveSelection() {
  SaveRecs.push_back({FOwner->HideSelection(), FOwner->SelStart(), FOwner->SelLength()});
  FOwner->SetHideSelection(true);
}

void TRichEditLinks::RestoreSelection() {
  HV_ASSERT(!SaveRecs.empty());
  const TSelectionSaveRec saved = SaveRecs.back();
  SaveRecs.pop_back();
  FOwner->SetSelection(saved.PrevStart, saved.PrevLength);
  FOwner->SetHideSelection(saved.OldHideSelection);
}

}  // namespace hv
