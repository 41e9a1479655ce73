// The one place that reads the compiler's encoded type names.
#include "HvLXClassName.h"

#include <cstdlib>
#include <memory>

#if defined(__GNUC__)
#include <cxxabi.h>
#endif

namespace hv {

std::wstring ClassNameOf(const std::type_info& type) {
  std::string name = type.name();
#if defined(__GNUC__)
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> readable(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status),
                                                      &std::free);
  if (status == 0 && readable) name = readable.get();
#endif
  if (name.starts_with("class ")) name.erase(0, 6);  // the form other compilers give
  const size_t scope = name.rfind("::");
  if (scope != std::string::npos && name.find('<') == std::string::npos) name.erase(0, scope + 2);
  return std::wstring(name.begin(), name.end());
}

}  // namespace hv
