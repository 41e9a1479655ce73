// Texts of the library that more than one unit shows.
#pragma once

namespace hv {

// The heading of the progress display, also shown while a console process waits.
inline constexpr wchar_t SPleaseWait[] = L"Please Wait...";

}  // namespace hv
