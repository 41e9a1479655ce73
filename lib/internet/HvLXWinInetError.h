// EWinInetError: a failed download told in a sentence the user can read, with what a support
// person needs in its extra information: the error code or HTTP status, the request URL, the
// request and response headers and the download's log. Credentials (a proxy's or a site's)
// never appear in either text.
#pragma once

#include <memory>
#include <string>

#include "HvExceptions.h"
#include "HvStreams.h"
#include "HvStrings.h"

namespace hv {

// What an HTTP client other than WinInet tells of a failed request: only this crosses from such
// a client (the Indy client, say) into the exception.
struct THttpClientError {
  int StatusCode = 0;         // the HTTP status
  std::wstring Message;       // the client's text for it ("HTTP/1.1 404 Not Found")
  std::wstring ResponseText;  // the body the server sent
  std::wstring RawHeaders;    // the response's headers, one "Name: value" a line
};

class EWinInetError : public EExtraInfoException {
 public:
  // A WinInet call failed with `errorCode`; `hRequest` (a WinInet request handle) and `log`
  // may be null.
  EWinInetError(int errorCode, void* hRequest, const TStrings* log);
  // The server answered with an error status. With `stream`, its whole text (in the charset of
  // a TFetchUrlStreamWithContentType) becomes the response body.
  static EWinInetError CreateStatus(const std::wstring& statusCode, const std::wstring& statusText, void* hRequest,
                                    const TStrings* log, TStream* stream);
  // A download made with another HTTP client failed at `url`: the status's sentence (or one
  // naming the server, followed by the client's text), the client's text and the response in
  // the extra information, the response's headers and its text as the body.
  static EWinInetError CreateFromIndyError(const THttpClientError& error, const std::wstring& url);
  // A redirect the caller follows itself: status "301" with the new location.
  static EWinInetError CreateRedirect(const std::wstring& oldUrl, const std::wstring& redirectUrl);

  const std::wstring& StatusCode() const { return FStatusCode; }  // "404"; empty for WinInet errors
  int ErrorCode() const { return FErrorCode; }                     // 12007; 0 for statuses
  TStrings& ResponseHeaders() const { return *FResponseHeaders; }  // name=value items
  const std::wstring& ResponseBody() const { return FResponseBody; }

  bool IsDNSError() const { return FErrorCode == 12007; }      // ERROR_INTERNET_NAME_NOT_RESOLVED
  bool IsTimeOutError() const { return FErrorCode == 12002; }  // ERROR_INTERNET_TIMEOUT
  // The new location of a 301, 302, 303 or 307 redirect; empty for anything else and for a
  // location that is `oldUrl` again (case ignored). `permanent`: the status is 301.
  std::wstring GetRedirectUrl(const std::wstring& oldUrl, bool& permanent) const;
  std::wstring GetRedirectUrl(const std::wstring& oldUrl) const;

  HV_EXCEPTION_IDENTITY(EWinInetError)

 private:
  EWinInetError(std::wstring message, std::wstring extraInfo);

  std::wstring FStatusCode;
  int FErrorCode = 0;
  std::shared_ptr<TStrings> FResponseHeaders;  // shared by the copies the raise makes
  std::wstring FResponseBody;
};

// The request's URL (without credentials); empty without a handle. Where a Wine workaround
// applies, the handle's security flags follow as "  [0x00000000]".
std::wstring GetRequestUrl(void* hRequest);
// The extra information of a failed request: the title line, then with a handle its URL and
// the request and response headers, then with a log its text.
std::wstring BuildRequestReport(void* hRequest, const std::wstring& titleLine, const TStrings* log);
// The response's raw headers as name=value items (the first ": " of each line becomes "=").
void LoadResponseHeaders(void* hRequest, TStrings& headers);

}  // namespace hv
