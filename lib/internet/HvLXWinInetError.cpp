#include "HvLXWinInetError.h"

#include "HvWindows.h"

#include <wininet.h>

#include "HvFormat.h"
#include "HvLXFetchStream.h"
#include "HvLXHost.h"
#include "HvLXStrings.h"
#include "HvLXTextLoading.h"
#include "HvLXUrl.h"
#include "HvLXWinInetTexts.h"
#include "HvLXWinInetUtils.h"
#include "HvStringList.h"

namespace hv {
namespace {

const std::wstring kRule(41, L'-');
constexpr DWORD kRawHeaders = HTTP_QUERY_RAW_HEADERS_CRLF;
constexpr DWORD kRawRequestHeaders = HTTP_QUERY_RAW_HEADERS_CRLF | HTTP_QUERY_FLAG_REQUEST_HEADERS;

std::wstring HeaderBlock(const wchar_t* title, const std::wstring& headers) {
  return L"\r\n" + kRule + L"\r\n" + title + L"\r\n" + kRule + L"\r\n" + TrimLX(headers) + L"\r\n";
}

int StatusNumber(const std::wstring& statusCode) {
  int value = 0;
  if (statusCode.empty() || statusCode.size() > 9) return 0;
  for (wchar_t c : statusCode) {
    if (c < L'0' || c > L'9') return 0;
    value = value * 10 + (c - L'0');
  }
  return value;
}

// The request's URL without credentials and without the security flags GetRequestUrl may add.
std::wstring RequestUrlOnly(void* hRequest) {
  return hRequest ? HideCredentials(TWinInetUtils::QueryOptionString(hRequest, INTERNET_OPTION_URL)) : L"";
}

}  // namespace

std::wstring GetRequestUrl(void* hRequest) {
  if (!hRequest) return {};
  std::wstring url = RequestUrlOnly(hRequest);
  if (UseWineTricks(L"4.12")) {
    DWORD flags = 0;
    DWORD size = sizeof(flags);
    InternetQueryOptionW(hRequest, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
    url += Fmt(L"  [0x%.8X]", static_cast<unsigned>(flags));
  }
  return url;
}

std::wstring BuildRequestReport(void* hRequest, const std::wstring& titleLine, const TStrings* log) {
  std::wstring report = L"\r\n" + titleLine + L"\r\n";
  if (hRequest) {
    report += L"\r\nURL = " + GetRequestUrl(hRequest) + L"\r\n";
    report += HeaderBlock(L" Request Headers ", TWinInetUtils::QueryInfoString(hRequest, kRawRequestHeaders));
    report += HeaderBlock(L" Response Headers ", TWinInetUtils::QueryInfoString(hRequest, kRawHeaders));
  }
  if (log) report += L"\r\n" + kRule + L"\r\n Log \r\n" + kRule + L"\r\n" + log->Text() + L"\r\n";
  return HideCredentials(report);
}

namespace {

// Raw header lines as name=value items: the first ": " of each line becomes "=".
void AddHeaderItems(const std::wstring& rawHeaders, TStrings& headers) {
  THvStringList lines;
  lines.SetText(rawHeaders);
  for (int i = 0; i < lines.Count(); ++i) {
    std::wstring line = lines[i];
    if (const size_t separator = line.find(L": "); separator != std::wstring::npos) line.replace(separator, 2, L"=");
    headers.Add(line);
  }
}

}  // namespace

void LoadResponseHeaders(void* hRequest, TStrings& headers) {
  if (hRequest) AddHeaderItems(TWinInetUtils::QueryInfoString(hRequest, kRawHeaders), headers);
}

EWinInetError::EWinInetError(std::wstring message, std::wstring extraInfo)
    : EExtraInfoException(HideCredentials(message), HideCredentials(extraInfo)),
      FResponseHeaders(std::make_shared<THvStringList>()) {}

EWinInetError::EWinInetError(int errorCode, void* hRequest, const TStrings* log) : EWinInetError(L"", L"") {
  const TWinInetErrorText text = DescribeWinInetError(errorCode, ExtractUrlHost(RequestUrlOnly(hRequest)));
  FErrorCode = errorCode;
  LoadResponseHeaders(hRequest, *FResponseHeaders);
  if (text.Message.empty()) {
    SetMessage(text.TitleLine);
    SetExtraInfo(BuildRequestReport(hRequest, L"", log));
  } else {
    SetMessage(HideCredentials(text.Message));
    SetExtraInfo(BuildRequestReport(hRequest, text.TitleLine, log));
  }
}

EWinInetError EWinInetError::CreateStatus(const std::wstring& statusCode, const std::wstring& statusText,
                                          void* hRequest, const TStrings* log, TStream* stream) {
  std::wstring message = statusText.empty() ? Fmt(L"HTTP status code [%s] returned.", statusCode) : statusText;
  message = HttpStatusText(StatusNumber(statusCode), message, RequestUrlOnly(hRequest));
  const std::wstring titleLine = L"HTTP_Status = " + statusCode + L" (" + statusText + L")";
  EWinInetError error(message, BuildRequestReport(hRequest, titleLine, log));
  error.FStatusCode = statusCode;
  LoadResponseHeaders(hRequest, *error.FResponseHeaders);
  if (stream) {
    stream->SetPosition(0);
    LoadTextFromStream(*stream, EncodingFromContentType(*stream), error.FResponseBody);
  }
  return error;
}

EWinInetError EWinInetError::CreateFromIndyError(const THttpClientError& clientError, const std::wstring& url) {
  // The host is read from the URL as WinInet's failures read it, without user information.
  const std::wstring shownUrl = HideCredentials(url);
  const std::wstring statusCode = std::to_wstring(clientError.StatusCode);
  std::wstring message = HttpStatusText(clientError.StatusCode, L"", shownUrl);
  if (message.empty())
    message = Fmt(L"An error occurred while downloading from the server: %s", ExtractUrlHost(shownUrl)) +
              L"\r\n\r\n" + clientError.Message;
  const std::wstring rule(22, L'-');
  const std::wstring extraInfo = L"Url = " + shownUrl + L"\r\nHTTP_Status = " + statusCode + L" (" + clientError.Message +
                                 L")\r\n" + rule + L"\r\nResponse\r\n" + rule + L"\r\n" + clientError.ResponseText +
                                 L"\r\n" + rule;
  EWinInetError error(message, extraInfo);
  error.FStatusCode = statusCode;
  AddHeaderItems(clientError.RawHeaders, *error.FResponseHeaders);
  error.FResponseBody = clientError.ResponseText;
  return error;
}

EWinInetError EWinInetError::CreateRedirect(const std::wstring& oldUrl, const std::wstring& redirectUrl) {
  EWinInetError error(L"Url redirected", L"Old = " + oldUrl + L"\r\nNew = " + redirectUrl);
  error.FStatusCode = L"301";
  error.FResponseHeaders->Add(L"Location=" + redirectUrl);
  return error;
}

std::wstring EWinInetError::GetRedirectUrl(const std::wstring& oldUrl, bool& permanent) const {
  const int status = StatusNumber(FStatusCode);
  permanent = status == 301;
  if (status != 301 && status != 302 && status != 303 && status != 307) return {};
  std::wstring location = FResponseHeaders->Values(L"Location");
  return SameTextLX(location, oldUrl) ? L"" : location;
}

std::wstring EWinInetError::GetRedirectUrl(const std::wstring& oldUrl) const {
  bool permanent = false;
  return GetRedirectUrl(oldUrl, permanent);
}

}  // namespace hv
