// Rich text met below the windows (a text value, a list read from a file) can be read as plain
// text only through the system's rich edit control, which lives several layers up. These two
// process-wide hooks let that layer lend its conversion while the user interface runs: one for
// the library's text helpers, one for the string lists. Empty otherwise. Call through them on the main thread: the conversion makes a
// window.
#pragma once

#include <string>

namespace hv {

using TRichTextToPlainTextProc = std::wstring (*)(const std::wstring& text);

void SetRichTextToPlainTextHook(TRichTextToPlainTextProc proc);
TRichTextToPlainTextProc RichTextToPlainTextHook();

void SetStringListRichTextToPlainTextHook(TRichTextToPlainTextProc proc);
TRichTextToPlainTextProc StringListRichTextToPlainTextHook();

}  // namespace hv
