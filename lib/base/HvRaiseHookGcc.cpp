// GCC only: the link wraps __cxa_throw (-Wl,--wrap=__cxa_throw), so every `throw` of the
// program passes through here, including those inside the standard library, and the
// raise-time hooks see exceptions that no helper of ours ever touched.
#if defined(__GNUC__) && !defined(__clang__)

#include <cxxabi.h>

#include <typeinfo>

#include "HvExceptionHooks.h"

extern "C" {

[[noreturn]] void __real___cxa_throw(void* thrown, std::type_info* type,
                                     void(_GLIBCXX_CDTOR_CALLABI* destroy)(void*));

[[noreturn]] void __wrap___cxa_throw(void* thrown, std::type_info* type,
                                     void(_GLIBCXX_CDTOR_CALLABI* destroy)(void*)) {
  void* raiseAddress = __builtin_return_address(0);
  // The same test a handler `catch (hv::Exception&)` makes; it also adjusts the pointer to
  // the base subobject.
  void* object = thrown;
  hv::Exception* raised = typeid(hv::Exception).__do_catch(type, &object, 1)
                              ? static_cast<hv::Exception*>(object)
                              : nullptr;
  try {
    hv::detail::ExceptionRaised(raised, raiseAddress);
  } catch (...) {
    // The hook's failure is raised instead; the object it interrupted is thrown no more.
    if (destroy) destroy(thrown);
    __cxa_free_exception(thrown);
    throw;
  }
  __real___cxa_throw(thrown, type, destroy);
}

}  // extern "C"

#endif
