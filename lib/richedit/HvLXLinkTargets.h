// What a clicked link opens: the link text made into an address, the refusal of addresses
// that cannot be handed to the shell as they stand, and the caution a deceptive link needs.
#pragma once

#include <string>

namespace hv {

// Puts "mailto:" before an e-mail address (also one in angle brackets, brackets kept) and
// "http://" before a bare web address; a text with ":" and anything else stay as they are.
std::wstring NormalizeLinkText(const std::wstring& text);

// Raises EHvGeneralError, naming the address with its offending characters made visible,
// when it holds a quotation mark or a control character (C0, DEL, C1, line and paragraph
// separators, the invisible direction marks and overrides). Shells split or reinterpret such
// addresses, and a reversed stretch shows the user another address than the one opened.
void CheckLinkTarget(const std::wstring& target);

// The warning a link deserves on top of the usual question, or nothing: a target that starts
// a program (a file link or plain path ending in a program's extension), and a text that
// reads as an address other than the one opened.
std::wstring LinkCaution(const std::wstring& displayText, const std::wstring& target);

}  // namespace hv
