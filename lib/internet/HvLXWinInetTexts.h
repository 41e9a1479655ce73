// The sentences internet failures are told in: WinInet's error codes and HTTP's status codes.
#pragma once

#include <string>

namespace hv {

struct TWinInetErrorText {
  std::wstring Message;    // what the user reads; empty when neither the system nor the table has a text
  std::wstring TitleLine;  // "WinInet Error #12007 (ERROR_INTERNET_NAME_NOT_RESOLVED)"
};
// The system's text for the code (WinInet's own messages when it is loaded), else the table's;
// for errors that concern a server, " (host)" follows when `host` is known.
TWinInetErrorText DescribeWinInetError(int code, const std::wstring& host);

// The sentence for an HTTP status; where it names the server, the host of `url` stands in it.
// A status without a sentence gives `defaultText`.
std::wstring HttpStatusText(int code, const std::wstring& defaultText, const std::wstring& url);

}  // namespace hv
