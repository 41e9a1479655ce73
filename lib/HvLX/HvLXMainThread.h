#pragma once

namespace hv {

// Whether the caller runs on the program's main thread (the one that started the program).
bool IsMainThread();

}  // namespace hv
