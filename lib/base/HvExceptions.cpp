#include "HvExceptions.h"

#include <exception>
#include <stdexcept>

#include "HvExceptionHooks.h"
#include "HvHandles.h"
#include "HvWindows.h"

namespace hv {

Exception::Exception(std::wstring message) : FMessage(std::move(message)) {}

const Exception& Exception::GetBaseException() const {
  const Exception* e = this;
  while (e->FInner) e = e->FInner.get();
  return *e;
}

std::wstring Exception::StackTrace() const {
  auto toText = GetExceptionHooks().toText;
  if (!FStackInfo || !toText) return {};
  return toText(FStackInfo.get());
}

HRESULT STDMETHODCALLTYPE EExtraInfoException::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IExtraErrorInfo) || IsEqualIID(iid, IID_IUnknown)) {
    *out = static_cast<IExtraErrorInfo*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE EExtraInfoException::AddRef() { return static_cast<ULONG>(E_NOTIMPL); }
ULONG STDMETHODCALLTYPE EExtraInfoException::Release() { return static_cast<ULONG>(E_NOTIMPL); }

bool Supports(const Exception& e, IExtraErrorInfo** out) {
  if (out) *out = nullptr;
  // A cross-cast finds IUnknown on any class that implements it, not only on EExtraInfoException.
  auto* unknown = dynamic_cast<IUnknown*>(const_cast<Exception*>(&e));
  if (!unknown) return false;
  void* found = nullptr;
  if (FAILED(unknown->QueryInterface(IID_IExtraErrorInfo, &found)) || !found) return false;
  if (out) *out = static_cast<IExtraErrorInfo*>(found);
  return true;
}

std::wstring SysErrorMessage(std::uint32_t code) {
  UniqueLocalMem<wchar_t*> buffer;
  DWORD len = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
  std::wstring text;
  if (buffer) text.assign(buffer.get(), len);
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

namespace {

// what() texts are UTF-8 from our own code and ANSI from the C runtime; a byte-wise copy
// would garble both outside ASCII.
std::wstring WideFromWhat(const char* what) {
  std::string_view bytes = what ? what : "";
  if (bytes.empty()) return {};
  for (UINT codePage : {UINT(CP_UTF8), UINT(CP_ACP)}) {
    DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int len = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (len <= 0) continue;
    std::wstring text(static_cast<size_t>(len), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), text.data(), len);
    return text;
  }
  return std::wstring(bytes.begin(), bytes.end());
}

}  // namespace

std::shared_ptr<const Exception> CurrentExceptionCopy() {
  try {
    throw;
  } catch (const Exception& e) {
    return std::shared_ptr<const Exception>(e.Clone());
  } catch (const std::exception& e) {
    return std::make_shared<Exception>(WideFromWhat(e.what()));
  } catch (...) {
    return std::make_shared<Exception>(L"Unknown exception");
  }
}

}  // namespace hv
