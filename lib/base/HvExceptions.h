// The exception classes shared by the whole program. A C++ `throw` is what the library calls
// raising; every class keeps the base chain of the runtime it mirrors (Exception -> ...).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "HvFormat.h"
#include "HvWindows.h"

#include <unknwn.h>

namespace hv {

class Exception {
 public:
  explicit Exception(std::wstring message = {});
  virtual ~Exception() = default;
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;

  const std::wstring& Message() const { return FMessage; }
  void SetMessage(std::wstring message) { FMessage = std::move(message); }

  virtual std::wstring ClassName() const { return L"Exception"; }
  virtual Exception* Clone() const { return new Exception(*this); }
  // Throws this object with its dynamic type, so a handler sees the real class.
  [[noreturn]] virtual void Rethrow() const { throw *this; }

  // The exception that was being handled when this one was raised as its outer exception.
  const Exception* InnerException() const { return FInner.get(); }
  void SetInnerException(std::shared_ptr<const Exception> inner) { FInner = std::move(inner); }
  // Follows InnerException to the innermost exception (this one when it has none).
  const Exception& GetBaseException() const;

  // Opaque stack information filled by the raise-time hook and freed with the last copy.
  void* StackInfo() const { return FStackInfo.get(); }
  void SetStackInfo(std::shared_ptr<void> info) { FStackInfo = std::move(info); }
  std::wstring StackTrace() const;

  // The code address of the last throw of this object (null before it was first thrown).
  void* RaiseAddress() const { return FRaiseAddress; }
  void SetRaiseAddress(void* address) { FRaiseAddress = address; }

 private:
  std::wstring FMessage;
  std::shared_ptr<const Exception> FInner;
  std::shared_ptr<void> FStackInfo;
  void* FRaiseAddress = nullptr;
};

// What every class below the base overrides: its own ClassName, and copying and rethrowing
// by its dynamic type.
#define HV_EXCEPTION_IDENTITY(Name)                                        \
  std::wstring ClassName() const override { return L## #Name; }            \
  ::hv::Exception* Clone() const override { return new Name(*this); }      \
  [[noreturn]] void Rethrow() const override { throw *this; }

// Declares an exception class with the base's constructors and its identity. The base may be
// named with its namespace (hv::EAbort), hence the alias for inheriting its constructors.
#define HV_DECLARE_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                               \
    using HvInherited = Base;                                              \
                                                                           \
   public:                                                                 \
    using HvInherited::HvInherited;                                        \
    HV_EXCEPTION_IDENTITY(Name)                                            \
  }

HV_DECLARE_EXCEPTION(EAbort, Exception);
HV_DECLARE_EXCEPTION(EConvertError, Exception);
HV_DECLARE_EXCEPTION(ERangeError, Exception);
HV_DECLARE_EXCEPTION(EAssertionFailed, Exception);
HV_DECLARE_EXCEPTION(EHvGeneralError, Exception);
HV_DECLARE_EXCEPTION(EHvInternalError, Exception);
HV_DECLARE_EXCEPTION(EDelayedLoadLibrary, Exception);
HV_DECLARE_EXCEPTION(EMonitorLockException, Exception);
HV_DECLARE_EXCEPTION(ETimeoutException, EMonitorLockException);
HV_DECLARE_EXCEPTION(EArgumentException, Exception);
HV_DECLARE_EXCEPTION(EArgumentNilException, EArgumentException);
HV_DECLARE_EXCEPTION(EArgumentOutOfRangeException, EArgumentException);
HV_DECLARE_EXCEPTION(ENotSupportedException, Exception);
HV_DECLARE_EXCEPTION(EListError, Exception);

// A system error with its code. Message: "System Error.  Code: %d.\r\n%s".
class EOSError : public Exception {
 public:
  using Exception::Exception;
  EOSError(std::wstring message, std::uint32_t code) : Exception(std::move(message)), FErrorCode(code) {}
  std::uint32_t ErrorCode() const { return FErrorCode; }
  void SetErrorCode(std::uint32_t code) { FErrorCode = code; }
  HV_EXCEPTION_IDENTITY(EOSError)

 private:
  std::uint32_t FErrorCode = 0;
};

// The system's own text for an error code (empty when it has none).
std::wstring SysErrorMessage(std::uint32_t code);
// The EOSError for a code: "System Error.  Code: %d.\r\n%s", or
// "A call to an OS function failed" for code 0.
EOSError MakeOSError(std::uint32_t code);
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(std::uint32_t code);

// Raises `outer` with the exception currently being handled as its inner exception.
// Must be called inside a catch block.
template <class E>
[[noreturn]] void ThrowOuter(E outer);

// Wraps whatever is being handled (an hv::Exception or anything else) as a shared copy.
std::shared_ptr<const Exception> CurrentExceptionCopy();

template <class E>
[[noreturn]] void ThrowOuter(E outer) {
  outer.SetInnerException(CurrentExceptionCopy());
  throw outer;
}

// Programming-error checks that must hold in every build (the runtime's Assert).
#define HV_ASSERT(cond)                                                                 \
  do {                                                                                  \
    if (!(cond))                                                                        \
      throw ::hv::EAssertionFailed(::hv::Fmt(L"Assertion failure (%s, line %d)",       \
                                             std::wstring_view(L"" __FILE__), __LINE__)); \
  } while (0)

}  // namespace hv

namespace hv {

// {191D1196-0A9C-4DBC-8CB3-420BAF473BAA}
inline constexpr IID IID_IExtraErrorInfo = {0x191D1196, 0x0A9C, 0x4DBC, {0x8C, 0xB3, 0x42, 0x0B, 0xAF, 0x47, 0x3B, 0xAA}};

// Extra information an exception can carry beside its message. Reports ask every exception
// for this interface instead of testing for a class, so any class can offer it. Exceptions
// are owned by whoever holds them, never by interface references: AddRef and Release do
// nothing and answer E_NOTIMPL.
struct IExtraErrorInfo : public IUnknown {
  virtual std::wstring GetExtraInfo() = 0;
};

// Asks `e` for IExtraErrorInfo; `out` (may be null) receives it when supported.
bool Supports(const Exception& e, IExtraErrorInfo** out);

// An exception that carries, besides the message the user sees, an extra-information text
// (raw result codes, diagnostics) that reports print and message boxes never show.
class EExtraInfoException : public Exception, public IExtraErrorInfo {
 public:
  EExtraInfoException(std::wstring message, std::wstring extraInfo)
      : Exception(std::move(message)), FExtraInfo(std::move(extraInfo)) {}
  const std::wstring& ExtraInfo() const { return FExtraInfo; }
  void SetExtraInfo(std::wstring extraInfo) { FExtraInfo = std::move(extraInfo); }
  HV_EXCEPTION_IDENTITY(EExtraInfoException)

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  std::wstring GetExtraInfo() override { return FExtraInfo; }

 private:
  std::wstring FExtraInfo;
};

HV_DECLARE_EXCEPTION(EAppleScriptError, EExtraInfoException);

// The shell refused to open a document or program; ErrorCode is the shell's result code.
class EShellOpenError : public EExtraInfoException {
 public:
  EShellOpenError(std::wstring message, std::wstring extraInfo, std::int32_t errorCode = 0)
      : EExtraInfoException(std::move(message), std::move(extraInfo)), FErrorCode(errorCode) {}
  std::int32_t ErrorCode() const { return FErrorCode; }
  void SetErrorCode(std::int32_t code) { FErrorCode = code; }
  HV_EXCEPTION_IDENTITY(EShellOpenError)

 private:
  std::int32_t FErrorCode = 0;
};

}  // namespace hv
