#include "HvLXRichEdits.h"

#include <richedit.h>

#include <algorithm>
#include <string>
#include <utility>

#include "HvApplication.h"
#include "HvControlRecreate.h"
#include "HvLXCursors.h"
#include "HvLXHost.h"
#include "HvLXLinkTargets.h"
#include "HvLXOpenUrl.h"
#include "HvLXRegistry.h"
#include "HvLXStrings.h"
#include "HvLXVersion.h"

namespace hv {
namespace {

// The most the control takes while rich text streams in when no limit was set: without a
// limit it would stop at its default of 64,000 characters.
constexpr LPARAM kLoadingMaxLength = 0x7FFFFFDF;
// A link hint stays this long after the mouse was last reported over a link, so that the
// mouse moves between two reports do not make it flicker.
constexpr int kLinkHintHoldMs = 100;
// Hides a hint once the hold is over after the pointer left the control.
constexpr UINT_PTR kHintHoldTimer = 0x486C4854;

const wchar_t kNotAvailableOffline[] = L"(not available offline)";

const wchar_t kChromeFontsKey[] = L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";

// Rich text is 8-bit: every character beyond ASCII goes in as its \u escape.
std::string RichTextBytes(const std::wstring& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (wchar_t c : text) {
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else {
      bytes += "\\u" + std::to_string(static_cast<short>(c)) + "?";
    }
  }
  return bytes;
}

struct TStreamSource {
  const std::string* bytes;
  std::size_t offset;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<TStreamSource*>(cookie);
  const std::size_t count = std::min<std::size_t>(size, source->bytes->size() - source->offset);
  std::copy_n(source->bytes->data() + source->offset, count, buffer);
  source->offset += count;
  *read = static_cast<LONG>(count);
  return 0;
}

DWORD CALLBACK WriteStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(size));
  *written = size;
  return 0;
}

// The control's content as rich text, colours and styles included.
std::wstring StreamedOutRichText(HWND control) {
  std::string bytes;
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&bytes), 0, &WriteStream};
  SendMessageW(control, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  std::wstring text;
  text.reserve(bytes.size());
  for (char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return text;
}

// The control's lines, each followed by CR LF. A final paragraph mark ends the last line and
// opens no empty one after it; no text is no line.
std::wstring LinesAsText(const std::wstring& text) {
  std::wstring lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = std::min(text.find_first_of(L"\r\n", start), text.size());
    lines.append(text, start, end - start).append(L"\r\n");
    if (end + 1 < text.size() && text[end] == L'\r' && text[end + 1] == L'\n') ++end;
    start = end + 1;
  }
  return lines;
}

}  // namespace

THvCustomRichEditLX::THvCustomRichEditLX(TComponent* AOwner)
    : _THvCustomRichEdit(AOwner), FLinkHelper(std::make_unique<TRichEditLinks>(this)) {}

// The window goes while the hint and the link list are still there for its last messages.
THvCustomRichEditLX::~THvCustomRichEditLX() { DestroyHandle(); }

// What Wine 8's Msftedit.dll does with these (checked before relying on them): it accepts
// EM_AUTOURLDETECT and marks "http://..." and "www..." runs with CFE_LINK itself; it keeps a
// CFE_LINK set through EM_SETCHARFORMAT; it sends EN_LINK for mouse moves, button presses and
// releases (and cursor requests) over a link once ENM_LINK is in the event mask; EM_SETZOOM,
// EM_CHARFROMPOS and EM_POSFROMCHAR work. What it does not do: detect a bare e-mail address or
// a share path (the hot-spot patterns find those); show HYPERLINK fields of rich text at all
// (it drops them, display text included), so a link whose text hides another target cannot
// come from there.
void THvCustomRichEditLX::InitializeHandle() {
  _THvCustomRichEdit::InitializeHandle();
  if (FVarBlock.AutoUrlDetect) {
    SendMessageW(Handle(), EM_AUTOURLDETECT, TRUE, 0);
    const LRESULT mask = SendMessageW(Handle(), EM_GETEVENTMASK, 0, 0);
    SendMessageW(Handle(), EM_SETEVENTMASK, 0, mask | ENM_LINK);
  }
  if (!FPendingRichText.empty()) LoadRichText(std::exchange(FPendingRichText, {}));
  if (!FPendingPlainText.empty()) TWinControl::SetText(std::exchange(FPendingPlainText, {}));
}

// The control lets its text go while its window is destroyed, before the last message in which
// a control's text is otherwise kept: a rebuilt window (a changed style, changed system colours)
// gets it from here, as rich text with its colours and styles where the control holds some.
void THvCustomRichEditLX::SaveHandleState() {
  _THvCustomRichEdit::SaveHandleState();
  if (PlainText())
    FPendingPlainText = Text();
  else
    FPendingRichText = StreamedOutRichText(Handle());
}

void THvCustomRichEditLX::SetAutoUrlDetect(bool value) {
  if (value == FVarBlock.AutoUrlDetect) return;
  FVarBlock.AutoUrlDetect = value;
  RecreateControlWindow(*this);
}

void THvCustomRichEditLX::SetShowLinkHint(bool value) {
  FVarBlock.ShowLinkHint = value;
  if (!value) HideLinkHint();
}

void THvCustomRichEditLX::RedetectLinks() {
  if (!FVarBlock.AutoUrlDetect) return;
  const std::wstring text = Text();
  TWinControl::SetText(L"");
  TWinControl::SetText(text);
}

void THvCustomRichEditLX::Zoom(int multiplier, int divisor) {
  if (IsChromeOS()) {
    // The host scales fonts by its own setting, which the prefix keeps as LogPixels.
    const int logPixels = RegReadIntegerDefLX(HKEY_LOCAL_MACHINE, kChromeFontsKey, L"LogPixels", 96);
    if (logPixels >= 96 && logPixels <= 99) {
      multiplier *= 100;
      divisor *= logPixels;
    }
  }
  _THvCustomRichEdit::Zoom(multiplier, divisor);
}

void THvCustomRichEditLX::SetCursor(HCURSOR cursor) {
  FCursor = cursor;
  if (!HandleAllocated()) return;
  POINT point{};
  GetCursorPos(&point);
  if (WindowFromPoint(point) != Handle()) return;
  if (cursor)
    ::SetCursor(cursor);
  else
    SendMessageW(Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void THvCustomRichEditLX::SetText(const std::wstring& text) {
  if (IsRichTextLX(text)) {
    if (HandleAllocated()) {
      LoadRichText(text);
    } else {
      FPendingRichText = text;
      TWinControl::SetText(L"");
    }
    return;
  }
  FPendingRichText.clear();
  FPendingPlainText.clear();
  TWinControl::SetText(text);
}

void THvCustomRichEditLX::LoadRichText(const std::wstring& text) {
  const bool unlimited = MaxLength() == 0;
  const bool plain = PlainText();
  if (unlimited) SendMessageW(Handle(), EM_EXLIMITTEXT, 0, kLoadingMaxLength);
  TWinControl::SetText(L"");  // the mode changes only while the control is empty
  if (plain) SendMessageW(Handle(), EM_SETTEXTMODE, TM_RICHTEXT, 0);
  const std::string bytes = RichTextBytes(text);
  TStreamSource source{&bytes, 0};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadStream};
  SendMessageW(Handle(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  if (plain) SendMessageW(Handle(), EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  if (unlimited) SendMessageW(Handle(), EM_EXLIMITTEXT, 0, 0);
  if (IsWindowVisible(Handle())) FVarBlock.FirstVisibleTextWasSet = true;
}

LRESULT THvCustomRichEditLX::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
      TrackMouseEvent(&track);
      FLinkSeenInMessage = false;
      const LRESULT result = _THvCustomRichEdit::WndProc(msg, wParam, lParam);  // may report a link
      if (!FLinkSeenInMessage) HideLinkHintAfterMove();
      return result;
    }
    case WM_MOUSELEAVE:
      HideLinkHintOnceOut();
      break;
    case WM_TIMER:
      if (wParam == kHintHoldTimer) {
        HideLinkHintOnceOut();
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (FCursor && LOWORD(lParam) == HTCLIENT) {
        // The form answers first: a wait cursor of its own wins over the link's hand.
        if (SendMessageW(GetParent(Handle()), WM_SETCURSOR, wParam, lParam)) return TRUE;
        ::SetCursor(FCursor);
        return TRUE;
      }
      break;
    case WM_SETTEXT:
    case EM_SETTEXTEX:
      if (IsWindowVisible(Handle())) FVarBlock.FirstVisibleTextWasSet = true;
      break;
    case WM_SIZE:
      // Until text was set while showing, the control does not always repaint what it shows.
      if (!FVarBlock.FirstVisibleTextWasSet) InvalidateRect(Handle(), nullptr, TRUE);
      break;
    case WM_VSCROLL:
      if (OnVertScroll) OnVertScroll(this, wParam, lParam);
      break;
    case WM_DESTROY:
      FHintWindow.Destroy();
      FVarBlock.SavedHint = false;
      break;
  }
  return _THvCustomRichEdit::WndProc(msg, wParam, lParam);
}

bool THvCustomRichEditLX::ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->code != EN_LINK)
    return _THvCustomRichEdit::ParentNotify(msg, wParam, lParam, result);
  const auto* link = reinterpret_cast<ENLINK*>(lParam);
  const int first = link->chrg.cpMin, last = link->chrg.cpMax;
  result = 0;
  if (link->msg == WM_MOUSEMOVE) {
    FLinkSeenInMessage = true;
    ShowLinkHintFor(LinkText(first, last), first, last);
    FVarBlock.LastLinkTime = GetTickCount();
  } else if (link->msg == WM_LBUTTONUP) {
    LinkClicked(LinkText(first, last), first, last);
  }
  return true;
}

std::wstring THvCustomRichEditLX::LinkText(int first, int last) const {
  if (last <= first) return L"";
  std::wstring text(static_cast<std::size_t>(last - first) + 1, L'\0');
  TEXTRANGEW range{{first, last}, text.data()};
  const LRESULT copied = SendMessageW(Handle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
  return PlainTextForLinks(text);
}

std::wstring THvCustomRichEditLX::LinkTarget(const std::wstring& linkText, int first, int last) const {
  const int index = FLinkHelper->LinkCovering(first, last);
  return index >= 0 ? FLinkHelper->Links[index].Link : NormalizeLinkText(linkText);
}

void THvCustomRichEditLX::ShowLinkHintFor(const std::wstring& linkText, int first, int last) {
  if (!FVarBlock.ShowLinkHint) return;
  if (!FVarBlock.SavedHint) {
    FVarBlock.SaveHint = FHint;
    FVarBlock.SaveCursor = FCursor;
    FVarBlock.SavedHint = true;
  }
  FHint = LinkTarget(linkText, first, last);
  if (LinkOpensNow(FHint)) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
  } else {
    FHint += L" " + std::wstring(kNotAvailableOffline);
    SetCursor(GetHandCursor());
  }
  FHintWindow.Show(Handle(), FHint);
}

void THvCustomRichEditLX::HideLinkHint() {
  FHintWindow.Hide();
  if (!FVarBlock.SavedHint) return;
  FHint = FVarBlock.SaveHint;
  FVarBlock.SavedHint = false;
  SetCursor(FVarBlock.SaveCursor);
}

void THvCustomRichEditLX::HideLinkHintAfterMove() {
  if (GetKeyState(VK_LBUTTON) < 0 || ElapsedMs(FVarBlock.LastLinkTime) <= kLinkHintHoldMs) return;
  HideLinkHint();
}

void THvCustomRichEditLX::HideLinkHintOnceOut() {
  KillTimer(Handle(), kHintHoldTimer);
  if (!FVarBlock.SavedHint && !FHintWindow.Showing()) return;
  POINT point{};
  GetCursorPos(&point);
  if (WindowFromPoint(point) == Handle()) return;  // back over the control: its moves decide
  // The pointer left within the hold, or drags: look again when the hold is over.
  if (GetKeyState(VK_LBUTTON) < 0 || ElapsedMs(FVarBlock.LastLinkTime) <= kLinkHintHoldMs) {
    SetTimer(Handle(), kHintHoldTimer, kLinkHintHoldMs, nullptr);
    return;
  }
  HideLinkHint();
}

void THvCustomRichEditLX::LinkClicked(const std::wstring& linkText, int first, int last) {
  if (FVarBlock.OnLinkClick) return FVarBlock.OnLinkClick(linkText);
  const std::wstring target = LinkTarget(linkText, first, last);
  CheckLinkTarget(target);
  OpenUrlConfirmed(target, nullptr, nullptr, LinkCaution(linkText, target));
}

std::wstring RichTextToPlainText(const std::wstring& S) {
  if (!IsRichTextLX(S)) return S;
  THvRichEditLX edit(nullptr);
  edit.SetWordWrap(false);
  edit.CreateHandle(Application().Handle());
  SetWindowPos(edit.Handle(), nullptr, 0, 0, 1024, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  edit.SetText(S);
  return LinesAsText(edit.Text());
}

}  // namespace hv
