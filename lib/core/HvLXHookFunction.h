// Redirects a function's entry point to another function, for the few places where the
// program must replace behaviour of code it does not own. Only the program itself may do
// this: code of the library linked into a separately loaded module refuses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace hv {

struct TFunctionHook {
  void* Target = nullptr;                     // where the jump was written
  std::array<std::uint8_t, 14> SavedBytes{};  // what it overwrote: the first SavedCount bytes
  std::size_t SavedCount = 0;
};

// Makes every call of `target` run `replacement` instead: a 5-byte relative jump where it
// reaches, otherwise (only in the 64-bit build, more than 2 GiB apart) a 14-byte absolute one,
// so the target must be at least that long. A target that is an import stub
// (an indirect jump through a pointer) is followed to the routine itself, so calls that reach
// it another way are redirected too. Answers what UnhookFunction needs to undo it.
// Raises EHvInternalError inside a separately loaded module and EOSError when the code
// cannot be made writable; the target is then left as it was.
TFunctionHook HookFunction(void* target, void* replacement);
void UnhookFunction(const TFunctionHook& hook);

}  // namespace hv
