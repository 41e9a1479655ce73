// Colours as form descriptions name them: a colour value (0x00BBGGRR, or a system colour
// marked by the top byte 0xFF) and identifiers such as "clBtnFace", extensible at run time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace hv {

using TColor = std::int32_t;

inline constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
inline constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clRed = 0x0000FF, clGreen = 0x008000,
                        clBlue = 0xFF0000, clNone = 0x1FFFFFFF, clDefault = 0x20000000;
inline constexpr TColor clBtnFace = clSystemColor | 15, clWindow = clSystemColor | 5,
                        clWindowText = clSystemColor | 8;

// The RGB value a colour stands for now (system colours as the system has them).
std::uint32_t ColorToRGB(TColor color);

// Identifier to colour and back; nothing when unknown (registered identifiers first).
std::optional<TColor> IdentToColor(const std::wstring& ident);
std::optional<std::wstring> ColorToIdent(TColor color);
// An identifier, else a number ("$00F3FFFF" or decimal); nothing for anything else.
std::optional<TColor> StringToColor(const std::wstring& text);
// The identifier, else "$" and eight hex digits.
std::wstring ColorToString(TColor color);

// Adds an identifier of the program's own (replacing one of the same name), and removes it.
void RegisterColorIdent(const std::wstring& ident, TColor color);
void UnregisterColorIdent(const std::wstring& ident);

}  // namespace hv
