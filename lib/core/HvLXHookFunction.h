// Redirects a function's entry point to another function, for the few places where the
// program must replace behaviour of code it does not own. Only the program itself may do
// this: code of the library linked into a separately loaded module refuses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace hv {

struct TFunctionHook {
  void* Target = nullptr;                     // where the jump was written
  std::array<std::uint8_t, 14> SavedBytes{};  // what it overwrote: the first SavedCount bytes
  std::size_t SavedCount = 0;
  void* Relay = nullptr;                      // the absolute jump a far replacement is reached through
};

// Whether this code runs as part of the program itself, not inside a separately loaded module
// (where HookFunction refuses and start-up work must wait for the module's loading to end).
bool LibraryIsInsideTheProgram();

// Makes every call of `target` run `replacement` instead, by a 5-byte relative jump written
// over the target's first bytes. A replacement more than 2 GiB away (only in the 64-bit build)
// is reached through a relay: an absolute jump in memory taken within 2 GiB of the target, so
// the target still loses only 5 bytes. A target that is an import stub (an indirect jump
// through a pointer) is followed to the routine itself, so calls that reach it another way are
// redirected too. Answers what UnhookFunction needs to undo it.
// All or nothing: raises EHvInternalError inside a separately loaded module or when no relay
// memory is free near the target, and EOSError when the code cannot be made writable or
// protected again; the target is then as it was.
TFunctionHook HookFunction(void* target, void* replacement);
void UnhookFunction(const TFunctionHook& hook);

// The same with the replacement's type checked against the target's, calling convention
// included: in the 32-bit program a replacement without WINAPI for a WINAPI target (or the
// other way round) leaves the stack unbalanced at every call, which the 64-bit one never shows.
template <class Function>
  requires std::is_function_v<Function>
TFunctionHook HookFunction(Function* target, Function* replacement) {
  return HookFunction(reinterpret_cast<void*>(target), reinterpret_cast<void*>(replacement));
}

}  // namespace hv
