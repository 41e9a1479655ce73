// The library's rich edit: the system control's own web-address detection switched on, the
// link's address as a hint with a hand cursor while the mouse is over a link, the link opened
// after the user agreed when it is clicked, and a list of further hot spots (TRichEditLinks).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "HvLXLinkHint.h"
#include "HvLXRichEditLinks.h"
#include "HvRichEditBase.h"

namespace hv {

using TStringEvent = std::function<void(const std::wstring& Value)>;
using TWMVScrollEvent = std::function<void(TComponent* Sender, WPARAM wParam, LPARAM lParam)>;

struct TRichEditLXVarBlock {
  bool AutoUrlDetect = true;
  TStringEvent OnLinkClick;
  DWORD LastLinkTime = 0;
  std::wstring SaveHint;
  HCURSOR SaveCursor = nullptr;
  bool SavedHint = false;
  bool ShowLinkHint = true;
  bool FirstVisibleTextWasSet = false;
};

class THvCustomRichEditLX : public _THvCustomRichEdit {
 public:
  explicit THvCustomRichEditLX(TComponent* AOwner);
  ~THvCustomRichEditLX() override;

  // Lets the system control find web addresses in the text again.
  void RedetectLinks();
  // On Chrome OS the zoom also makes up for the host's font scaling.
  void Zoom(int multiplier, int divisor) override;

  bool AutoUrlDetect() const { return FVarBlock.AutoUrlDetect; }
  // Rebuilds the window.
  void SetAutoUrlDetect(bool value);
  bool ShowLinkHint() const { return FVarBlock.ShowLinkHint; }
  void SetShowLinkHint(bool value);
  // Replaces opening the link: called with the link's text as the control shows it.
  TStringEvent& OnLinkClick() { return FVarBlock.OnLinkClick; }
  TWMVScrollEvent OnVertScroll;
  const TRichEditLXVarBlock& VarBlock() const { return FVarBlock; }

  // The control's hint: while a link hint shows, the address the link opens.
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& hint) { FHint = hint; }
  // The cursor over the control; nothing leaves the choice to the system control.
  HCURSOR Cursor() const { return FCursor; }
  void SetCursor(HCURSOR cursor);
  const TLinkHintWindow& HintWindow() const { return FHintWindow; }

  // Rich text (IsRichTextLX) is loaded as such; any other text is set as plain lines.
  void SetText(const std::wstring& text);

  // The control's own link list (its owner is this control).
  std::unique_ptr<TRichEditLinks> FLinkHelper;

 protected:
  void InitializeHandle() override;
  void SaveHandleState() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ShowLinkHintFor(const std::wstring& linkText, int first, int last);
  void HideLinkHint();
  void HideLinkHintAfterMove();
  // After the pointer left: hides the hint now, or when the hold is over.
  void HideLinkHintOnceOut();
  void LinkClicked(const std::wstring& linkText, int first, int last);
  // What a link opens: the target of the hot spot it stands on, else its normalised text.
  std::wstring LinkTarget(const std::wstring& linkText, int first, int last) const;
  std::wstring LinkText(int first, int last) const;
  void LoadRichText(const std::wstring& text);

  TRichEditLXVarBlock FVarBlock;
  std::wstring FHint;
  HCURSOR FCursor = nullptr;
  TLinkHintWindow FHintWindow;
  std::wstring FPendingRichText;   // set before the window existed, or kept from the last one
  std::wstring FPendingPlainText;  // kept from the last window in plain-text mode
  bool FLinkSeenInMessage = false;
};

class THvRichEditLX : public THvCustomRichEditLX {
 public:
  using THvCustomRichEditLX::THvCustomRichEditLX;
};

// The plain text of rich text, read back from a hidden control 1024 pixels wide without
// word wrap, with CR LF after each line; any other text comes back unchanged.
std::wstring RichTextToPlainText(const std::wstring& S);

}  // namespace hv
