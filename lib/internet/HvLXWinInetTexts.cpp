#include "HvLXWinInetTexts.h"

#include <algorithm>
#include <iterator>

#include "HvFormat.h"
#include "HvLXStrings.h"
#include "HvLXUrl.h"
#include "HvWindows.h"

namespace hv {
namespace {

struct TWinInetErrorRow {
  int Code;
  const wchar_t* Name;
  bool NamesHost;  // the error concerns one server, which the text then names
  const wchar_t* Description;
};

// Sorted by code. The descriptions are those WinInet publishes for its codes.
constexpr TWinInetErrorRow kWinInetErrors[] = {
    {12001, L"ERROR_INTERNET_OUT_OF_HANDLES", false, L"No more handles could be generated at this time."},
    {12002, L"ERROR_INTERNET_TIMEOUT", false, L"The request has timed out."},
    {12003, L"ERROR_INTERNET_EXTENDED_ERROR", true,
     L"An extended error was returned from the server. This is typically a string or buffer containing a verbose "
     L"error message."},
    {12004, L"ERROR_INTERNET_INTERNAL_ERROR", false, L"An internal error has occurred."},
    {12005, L"ERROR_INTERNET_INVALID_URL", false, L"The URL is invalid."},
    {12007, L"ERROR_INTERNET_NAME_NOT_RESOLVED", true, L"The server name could not be resolved."},
    {12008, L"ERROR_INTERNET_PROTOCOL_NOT_FOUND", false, L"The requested protocol could not be located."},
    {12009, L"ERROR_INTERNET_INVALID_OPTION", false,
     L"A request to InternetQueryOption or InternetSetOption specified an invalid option value."},
    {12010, L"ERROR_INTERNET_BAD_OPTION_LENGTH", false,
     L"The length of an option supplied to InternetQueryOption or InternetSetOption is incorrect for the type of "
     L"option specified."},
    {12011, L"ERROR_INTERNET_OPTION_NOT_SETTABLE", false, L"The request option cannot be set, only queried."},
    {12012, L"ERROR_INTERNET_SHUTDOWN", false, L"WinINet support is being shut down or unloaded."},
    {12013, L"ERROR_INTERNET_INCORRECT_USER_NAME", false,
     L"The request to connect and log on to an FTP server could not be completed because the supplied user name is "
     L"incorrect."},
    {12014, L"ERROR_INTERNET_INCORRECT_PASSWORD", false,
     L"The request to connect and log on to an FTP server could not be completed because the supplied password is "
     L"incorrect."},
    {12015, L"ERROR_INTERNET_LOGIN_FAILURE", true, L"The request to connect to and log on to an FTP server failed."},
    {12016, L"ERROR_INTERNET_INVALID_OPERATION", false, L"The requested operation is invalid."},
    {12017, L"ERROR_INTERNET_OPERATION_CANCELLED", false,
     L"The operation was canceled, usually because the handle on which the request was operating was closed before "
     L"the operation completed."},
    {12018, L"ERROR_INTERNET_INCORRECT_HANDLE_TYPE", false, L"The type of handle supplied is incorrect for this operation."},
    {12019, L"ERROR_INTERNET_INCORRECT_HANDLE_STATE", false,
     L"The requested operation cannot be carried out because the handle supplied is not in the correct state."},
    {12020, L"ERROR_INTERNET_NOT_PROXY_REQUEST", false, L"The request cannot be made via a proxy."},
    {12021, L"ERROR_INTERNET_REGISTRY_VALUE_NOT_FOUND", false, L"A required registry value could not be located."},
    {12022, L"ERROR_INTERNET_BAD_REGISTRY_PARAMETER", false,
     L"A required registry value was located but is an incorrect type or has an invalid value."},
    {12023, L"ERROR_INTERNET_NO_DIRECT_ACCESS", false, L"Direct network access cannot be made at this time."},
    {12024, L"ERROR_INTERNET_NO_CONTEXT", false,
     L"An asynchronous request could not be made because a zero context value was supplied."},
    {12025, L"ERROR_INTERNET_NO_CALLBACK", false,
     L"An asynchronous request could not be made because a callback function has not been set."},
    {12026, L"ERROR_INTERNET_REQUEST_PENDING", false,
     L"The required operation could not be completed because one or more requests are pending."},
    {12027, L"ERROR_INTERNET_INCORRECT_FORMAT", false, L"The format of the request is invalid."},
    {12028, L"ERROR_INTERNET_ITEM_NOT_FOUND", false, L"The requested item could not be located."},
    {12029, L"ERROR_INTERNET_CANNOT_CONNECT", true, L"The attempt to connect to the server failed."},
    {12030, L"ERROR_INTERNET_CONNECTION_ABORTED", true, L"The connection with the server has been terminated."},
    {12031, L"ERROR_INTERNET_CONNECTION_RESET", true, L"The connection with the server has been reset."},
    {12032, L"ERROR_INTERNET_FORCE_RETRY", false, L"The function needs to redo the request."},
    {12033, L"ERROR_INTERNET_INVALID_PROXY_REQUEST", false, L"The request to the proxy was invalid."},
    {12034, L"ERROR_INTERNET_NEED_UI", false, L"A user interface or other blocking operation has been requested."},
    {12036, L"ERROR_INTERNET_HANDLE_EXISTS", false, L"The request failed because the handle already exists."},
    {12037, L"ERROR_INTERNET_SEC_CERT_DATE_INVALID", true,
     L"SSL certificate date that was received from the server is bad. The certificate is expired."},
    {12038, L"ERROR_INTERNET_SEC_CERT_CN_INVALID", true,
     L"SSL certificate common name (host name field) is incorrect, for example, if you entered www.server.com and "
     L"the common name on the certificate says www.different.com."},
    {12039, L"ERROR_INTERNET_HTTP_TO_HTTPS_ON_REDIR", false,
     L"The application is moving from a non-SSL to an SSL connection because of a redirect."},
    {12040, L"ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR", false,
     L"The application is moving from an SSL to an non-SSL connection because of a redirect."},
    {12041, L"ERROR_INTERNET_MIXED_SECURITY", false,
     L"The content is not entirely secure. Some of the content being viewed may have come from unsecured servers."},
    {12042, L"ERROR_INTERNET_CHG_POST_IS_NON_SECURE", true,
     L"The application is posting and attempting to change multiple lines of text on a server that is not secure."},
    {12043, L"ERROR_INTERNET_POST_IS_NON_SECURE", true, L"The application is posting data to a server that is not secure."},
    {12044, L"ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED", true, L"The server is requesting client authentication."},
    {12045, L"ERROR_INTERNET_INVALID_CA", true,
     L"The function is unfamiliar with the Certificate Authority that generated the server's certificate."},
    {12046, L"ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP", false, L"Client authorization is not set up on this computer."},
    {12047, L"ERROR_INTERNET_ASYNC_THREAD_FAILED", false, L"The application could not start an asynchronous thread."},
    {12048, L"ERROR_INTERNET_REDIRECT_SCHEME_CHANGE", false,
     L"The function could not handle the redirection, because the scheme changed (for example, HTTP to FTP)."},
    {12049, L"ERROR_INTERNET_DIALOG_PENDING", false, L"Another thread has a password dialog box in progress."},
    {12050, L"ERROR_INTERNET_RETRY_DIALOG", false, L"The dialog box should be retried."},
    {12052, L"ERROR_INTERNET_HTTPS_HTTP_SUBMIT_REDIR", false,
     L"The data being submitted to an SSL connection is being redirected to a non-SSL connection."},
    {12053, L"ERROR_INTERNET_INSERT_CDROM", false,
     L"The request requires a CD-ROM to be inserted in the CD-ROM drive to locate the resource requested."},
    {12054, L"ERROR_INTERNET_FORTEZZA_LOGIN_NEEDED", false, L"The requested resource requires Fortezza authentication."},
    {12055, L"ERROR_INTERNET_SEC_CERT_ERRORS", false, L"The SSL certificate contains errors."},
    {12056, L"ERROR_INTERNET_SEC_CERT_NO_REV", false, L""},
    {12057, L"ERROR_INTERNET_SEC_CERT_REV_FAILED", false, L""},
    {12150, L"ERROR_HTTP_HEADER_NOT_FOUND", false, L"The requested header could not be located."},
    {12151, L"ERROR_HTTP_DOWNLEVEL_SERVER", true, L"The server did not return any headers."},
    {12152, L"ERROR_HTTP_INVALID_SERVER_RESPONSE", true, L"The server response could not be parsed."},
    {12153, L"ERROR_HTTP_INVALID_HEADER", false, L"The supplied header is invalid."},
    {12154, L"ERROR_HTTP_INVALID_QUERY_REQUEST", false, L"The request made to HttpQueryInfo is invalid."},
    {12155, L"ERROR_HTTP_HEADER_ALREADY_EXISTS", false, L"The header could not be added because it already exists."},
    {12156, L"ERROR_HTTP_REDIRECT_FAILED", false,
     L"The redirection failed because either the scheme changed (for example, HTTP to FTP) or all attempts made to "
     L"redirect failed (default is five attempts)."},
    {12157, L"ERROR_INTERNET_SECURITY_CHANNEL_ERROR", false,
     L"The application experienced an internal error loading the SSL libraries."},
    {12158, L"ERROR_INTERNET_UNABLE_TO_CACHE_FILE", false, L"The function was unable to cache the file."},
    {12159, L"ERROR_INTERNET_TCPIP_NOT_INSTALLED", false,
     L"The required protocol stack is not loaded and the application cannot start WinSock."},
    {12160, L"ERROR_HTTP_NOT_REDIRECTED", false, L"The HTTP request was not redirected."},
    {12161, L"ERROR_HTTP_COOKIE_NEEDS_CONFIRMATION", false, L"The HTTP cookie requires confirmation."},
    {12162, L"ERROR_HTTP_COOKIE_DECLINED", true, L"The HTTP cookie was declined by the server."},
    {12163, L"ERROR_INTERNET_DISCONNECTED", false, L"The Internet connection has been lost."},
    {12164, L"ERROR_INTERNET_SERVER_UNREACHABLE", true, L"The Web site or server indicated is unreachable."},
    {12165, L"ERROR_INTERNET_PROXY_SERVER_UNREACHABLE", true, L"The designated proxy server cannot be reached."},
    {12166, L"ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT", false,
     L"There was an error in the automatic proxy configuration script."},
    {12167, L"ERROR_INTERNET_UNABLE_TO_DOWNLOAD_SCRIPT", false,
     L"The automatic proxy configuration script could not be downloaded."},
    {12168, L"ERROR_HTTP_REDIRECT_NEEDS_CONFIRMATION", false, L"The redirection requires user confirmation."},
    {12169, L"ERROR_INTERNET_SEC_INVALID_CERT", false, L"SSL certificate is invalid."},
    {12170, L"ERROR_INTERNET_SEC_CERT_REVOKED", false, L"SSL certificate was revoked."},
    {12171, L"ERROR_INTERNET_FAILED_DUETOSECURITYCHECK", false, L"The function failed due to a security check."},
    {12172, L"ERROR_INTERNET_NOT_INITIALIZED", false, L"Initialization of the WinINet API has not occurred."},
    {12173, L"ERROR_INTERNET_NEED_MSN_SSPI_PKG", false, L"Not used in this release."},
    {12174, L"ERROR_INTERNET_LOGIN_FAILURE_DISPLAY_ENTITY_BODY", false,
     L"The MS-Logoff digest header has been returned from the Web site. This header specifically instructs the digest "
     L"package to purge credentials for the associated realm."},
    {12175, L"ERROR_INTERNET_DECODING_FAILED", false, L"WinINet failed to perform content decoding on the response."},
};
static_assert(std::size(kWinInetErrors) == 80);

struct THttpStatusRow {
  int Code;
  const wchar_t* Text;  // "%s": the server's host
};

constexpr THttpStatusRow kHttpStatuses[] = {
    {100, L"The request can be continued."},
    {101, L"The server has switched protocols in an upgrade header."},
    {200, L"The request completed successfully."},
    {201, L"The request has been fulfilled and resulted in the creation of a new resource."},
    {202, L"The request has been accepted for processing, but the processing has not been completed."},
    {203, L"The returned meta information in the entity-header is not the definitive set available from the origin "
          L"server."},
    {204, L"The server has fulfilled the request, but there is no new information to send back."},
    {205, L"The request has been completed, and the client program should reset the document view that caused the "
          L"request to be sent to allow the user to easily initiate another input action."},
    {206, L"The server has fulfilled the partial GET request for the resource."},
    {300, L"The server couldn't decide what to return."},
    {301, L"The requested resource has been assigned to a new permanent URL, and any future references to this "
          L"resource should be done using one of the returned URIs."},
    {302, L"The requested resource resides temporarily under a different URL."},
    {303, L"The response to the request can be found under a different URL and should be retrieved using a GET HTTP "
          L"verb on that resource."},
    {304, L"The requested resource has not been modified."},
    {305, L"The requested resource must be accessed through the proxy given by the location field."},
    {307, L"The redirected request keeps the same HTTP verb. HTTP/1.1 behavior."},
    {400, L"The request could not be processed by the server (%s) due to invalid syntax."},
    {401, L"The requested resource requires user authentication."},
    {402, L"Not currently implemented in the HTTP protocol."},
    {403, L"The server (%s) understood the request, but is refusing to fulfill it."},
    {404, L"The server (%s) has not found anything matching the requested URL."},
    {405, L"The HTTP verb used is not allowed."},
    {406, L"No responses acceptable to the client were found."},
    {407, L"Proxy authentication required."},
    {408, L"The server (%s) timed out waiting for the request."},
    {409, L"The request could not be completed due to a conflict with the current state of the resource. The user "
          L"should resubmit with more information."},
    {410, L"The requested resource is no longer available at the server (%s), and no forwarding address is known."},
    {411, L"The server refuses to accept the request without a defined content length."},
    {412, L"The precondition given in one or more of the request header fields evaluated to false when it was tested "
          L"on the server."},
    {413, L"The server is refusing to process a request because the request entity is larger than the server is "
          L"willing or able to process."},
    {414, L"The server is refusing to service the request because the request URL is longer than the server is "
          L"willing to interpret."},
    {415, L"The server is refusing to service the request because the entity of the request is in a format not "
          L"supported by the requested resource for the requested method."},
    {449, L"The request should be retried after doing the appropriate action."},
    {500, L"The server (%s) encountered an unexpected condition that prevented it from fulfilling the request."},
    {501, L"The server (%s) does not support the functionality required to fulfill the request."},
    {502, L"The server, while acting as a gateway or proxy, received an invalid response from the upstream server it "
          L"accessed in attempting to fulfill the request."},
    {503, L"The service is temporarily overloaded."},
    {504, L"The request was timed out waiting for a gateway."},
    {505, L"The server does not support, or refuses to support, the HTTP protocol version that was used in the "
          L"request message."},
};

template <class Row, size_t N>
const Row* FindRow(const Row (&rows)[N], int code) {
  auto row = std::lower_bound(std::begin(rows), std::end(rows), code, [](const Row& r, int c) { return r.Code < c; });
  return row != std::end(rows) && row->Code == code ? row : nullptr;
}

// The system's message for the code, from WinInet's own table when the module is loaded.
std::wstring SystemMessage(int code) {
  HMODULE winInet = GetModuleHandleW(L"wininet");
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY;
  if (winInet) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  wchar_t buffer[256] = {};
  DWORD length = FormatMessageW(flags, winInet, static_cast<DWORD>(code), 0, buffer, 256, nullptr);
  return TrimLX(std::wstring_view(buffer, length));
}

}  // namespace

TWinInetErrorText DescribeWinInetError(int code, const std::wstring& host) {
  const TWinInetErrorRow* row = FindRow(kWinInetErrors, code);
  TWinInetErrorText result;
  result.TitleLine = row ? Fmt(L"WinInet Error #%d (%s)", code, row->Name) : Fmt(L"WinInet Error #%d", code);
  result.Message = SystemMessage(code);
  if (result.Message.empty() && row) result.Message = row->Description;
  if (row && row->NamesHost && !host.empty() && !result.Message.empty()) result.Message += Fmt(L" (%s)", host);
  return result;
}

std::wstring HttpStatusText(int code, const std::wstring& defaultText, const std::wstring& url) {
  const THttpStatusRow* row = FindRow(kHttpStatuses, code);
  if (!row) return defaultText;
  std::wstring_view text = row->Text;
  return text.find(L"%s") == std::wstring_view::npos ? std::wstring(text) : Fmt(text, ExtractUrlHost(url));
}

}  // namespace hv
