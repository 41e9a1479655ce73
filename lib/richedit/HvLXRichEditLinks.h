// The hot spots of one rich edit: found in its plain text, remembered with target and hint,
// and coloured and styled, through the control's text object model where it works and
// through the selection where it does not.
#pragma once

#include <string>
#include <vector>

#include "HvComponent.h"
#include "HvLXHotSpots.h"

namespace hv {

class _THvCustomRichEdit;

struct TSelectionSaveRec {
  bool OldHideSelection = true;
  int PrevStart = 0;
  int PrevLength = 0;
};

// Whether the system's high-contrast mode is on; a failing query raises the system error.
bool HighContrastOn();

class TRichEditLinks : public TComponent {
 public:
  explicit TRichEditLinks(_THvCustomRichEdit* AOwner);

  TLinkPosArray Links;

  // The link at a character position (its last character does not count), or -1.
  int GetLinkIndex(int CharPosition) const;
  // The character under a client point when the point lies near that character's start, or -1.
  int CharFromRichEdit(int X, int Y) const;
  // The link whose range holds the whole of [first, last), or -1: unlike GetLinkIndex it
  // counts every character, so a system link notification finds the hot spot it stands on.
  int LinkCovering(int first, int last) const;
  void DeleteLinks() { Links.clear(); }

  void AddLiteralHotSpot(const std::wstring& Pattern, const std::wstring& Prefix, const std::wstring& AltLink,
                         const std::wstring& AltHint, TColor LinkColor, TFontStyles LinkStyle, bool AddAll);
  void AddEmailHotSpots(TColor LinkColor, TFontStyles LinkStyle);
  void AddHttpHotSpots(TColor LinkColor, TFontStyles LinkStyle);
  // `Literal` is not used: telephone patterns are always patterns.
  void AddPhoneHotSpot(bool Literal, const std::wstring& Phone, TColor LinkColor, TFontStyles LinkStyle,
                       const std::wstring& FullPhone = L"");
  void AddUSAPhoneHotSpots(TColor LinkColor, TFontStyles LinkStyle);

  bool SelectionChangeInProcess() const { return !SaveRecs.empty(); }

  // A link index outside Links raises EHvInternalError.
  void ApplyStyleToLink(int LinkIndex, TColor LinkColor, TFontStyles LinkStyle);
  void ApplyOriginalStyleToLink(int LinkIndex);
  void ApplyOriginalStyleToAllLinks();
  void ApplyDefaultFontToAll();
  // Marks every link with the system link effect, so that the control reports it when it is
  // pointed at and clicked.
  void Apply_CFE_LINK_StyleToAllLinks();

  // Whether the text object model is still tried (it is given up after its first failure).
  bool AttemptOle() const { return FAttempt_OLE; }

 private:
  class TStyling;
  THotSpotFinder Finder();
  void CheckLinkIndex(int LinkIndex) const;
  void SaveSelection();
  void RestoreSelection();
  void SelectRange(int start, int length);

  _THvCustomRichEdit* FOwner;
  std::vector<TSelectionSaveRec> SaveRecs;
  bool FAttempt_OLE = true;
};

}  // namespace hv
