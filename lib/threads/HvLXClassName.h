// The readable name of a C++ class, as the event log names the class of a thread.
#pragma once

#include <string>
#include <typeinfo>

namespace hv {

// The class's name without its namespaces ("TMyThread" for hv::TMyThread); the compiler's
// own text for the type where it cannot be read back into a name.
std::wstring ClassNameOf(const std::type_info& type);

}  // namespace hv
