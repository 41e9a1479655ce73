#include "HvExceptions.h"

#include <exception>
#include <stdexcept>

#include "HvWindows.h"

namespace hv {

Exception::Exception(std::wstring message) : FMessage(std::move(message)) {}

const Exception& Exception::GetBaseException() const {
  const Exception* e = this;
  while (e->FInner) e = e->FInner.get();
  return *e;
}

std::wstring Exception::StackTrace() const { return {}; }

std::wstring SysErrorMessage(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD len = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (buffer) {
    text.assign(buffer, len);
    LocalFree(buffer);
  }
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return text;
}

EOSError MakeOSError(std::uint32_t code) {
  if (code == 0) return EOSError(L"A call to an OS function failed", 0);
  return EOSError(Fmt(L"System Error.  Code: %d.\r\n%s", static_cast<int>(code), SysErrorMessage(code)), code);
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }
void RaiseLastOSError(std::uint32_t code) { throw MakeOSError(code); }

std::shared_ptr<const Exception> CurrentExceptionCopy() {
  try {
    throw;
  } catch (const Exception& e) {
    return std::shared_ptr<const Exception>(e.Clone());
  } catch (const std::exception& e) {
    std::string what = e.what();
    return std::make_shared<Exception>(std::wstring(what.begin(), what.end()));
  } catch (...) {
    return std::make_shared<Exception>(L"Unknown exception");
  }
}

}  // namespace hv
