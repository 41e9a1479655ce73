// WinInet's connections per server for the whole process, and the charset of a download.
#include <gtest/gtest.h>

#include "HvLXFetchStream.h"
#include "HvLXWinInetUtils.h"
#include "HvWindows.h"

#include <wininet.h>

namespace {

DWORD ProcessOption(DWORD option) {
  DWORD value = 0, size = sizeof(value);
  InternetQueryOptionW(nullptr, option, &value, &size);
  return value;
}

TEST(WinInetProcess, ConnectionsPerServerOnlyGrow) {
  // Set as the program started.
  EXPECT_EQ(ProcessOption(INTERNET_OPTION_MAX_CONNS_PER_SERVER), 10u);
  EXPECT_EQ(ProcessOption(INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER), 10u);
  for (auto [asked, expected] : {std::pair{4, 10u}, std::pair{16, 16u}, std::pair{12, 16u}}) {
    hv::TWinInetUtils::SetCustomMaxConnectionsPerServer(asked);
    EXPECT_EQ(ProcessOption(INTERNET_OPTION_MAX_CONNS_PER_SERVER), expected) << asked;
    EXPECT_EQ(ProcessOption(INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER), expected) << asked;
  }
}

TEST(FetchStream, TheCharsetOfTheContentType) {
  struct Case {
    const wchar_t* contentType;
    unsigned codePage;  // 0: none
  } cases[] = {
      {L"text/html; charset=utf-8", 65001},
      {L"text/plain;CHARSET=\"ISO-8859-1\"", 28591},
      {L"text/plain; format=flowed; charset=windows-1251", 1251},
      {L"text/plain; charset=no-such-charset", 0},
      {L"text/plain; charset=", 0},
      {L"text/plain", 0},
      {L"", 0},
  };
  for (const Case& c : cases) {
    hv::TFetchUrlStreamWithContentType stream;
    stream.ContentType = c.contentType;
    const hv::TEncoding* encoding = hv::EncodingFromContentType(stream);
    EXPECT_EQ(encoding ? encoding->CodePage() : 0u, c.codePage) << c.contentType;
  }
  hv::TMemoryStream plain;  // only a download's stream knows its content type
  EXPECT_EQ(hv::EncodingFromContentType(plain), nullptr);
}

}  // namespace
