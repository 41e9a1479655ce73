#include "HvLXHookFunction.h"

#include <cstring>

#include "HvExceptions.h"
#include "HvWindows.h"

namespace hv {
namespace {

constexpr std::size_t kRelativeJumpSize = 5;   // jmp rel32
constexpr std::size_t kAbsoluteJumpSize = 14;  // jmp [rip+0] followed by the 64-bit address

bool InsideTheProgram() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&InsideTheProgram), &self);
  return self == GetModuleHandleW(nullptr);
}

// Follows "jmp [pointer]" (FF 25), as import stubs are made, to the routine they reach.
std::uint8_t* FollowImportStub(std::uint8_t* code) {
  if (code[0] != 0xFF || code[1] != 0x25) return code;
  std::int32_t operand;
  std::memcpy(&operand, code + 2, sizeof(operand));
#if defined(_WIN64)
  auto* cell = code + 6 + operand;  // relative to the next instruction
#else
  auto* cell = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(operand)));
#endif
  void* routine;
  std::memcpy(&routine, cell, sizeof(routine));
  return static_cast<std::uint8_t*>(routine);
}

// Writes `bytes` over code, with the page made writable only for the moment.
void PatchCode(std::uint8_t* code, const std::uint8_t* bytes, std::size_t count) {
  DWORD oldProtect = 0;
  if (!VirtualProtect(code, count, PAGE_EXECUTE_READWRITE, &oldProtect)) RaiseLastOSError();
  std::memcpy(code, bytes, count);
  DWORD ignored = 0;
  if (!VirtualProtect(code, count, oldProtect, &ignored)) RaiseLastOSError();
  FlushInstructionCache(GetCurrentProcess(), code, count);
}

}  // namespace

TFunctionHook HookFunction(void* target, void* replacement) {
  if (!InsideTheProgram())
    throw EHvInternalError(L"Internal Error: HookFunction() is not available from an external library.");
  if (!target || !replacement) throw EArgumentNilException(L"Internal Error: HookFunction() needs both functions.");

  TFunctionHook hook;
  auto* code = FollowImportStub(static_cast<std::uint8_t*>(target));
  std::uint8_t jump[kAbsoluteJumpSize] = {};
  std::int64_t displacement = reinterpret_cast<std::intptr_t>(replacement) -
                              reinterpret_cast<std::intptr_t>(code) - static_cast<std::intptr_t>(kRelativeJumpSize);
  if (displacement >= INT32_MIN && displacement <= INT32_MAX) {
    jump[0] = 0xE9;
    auto rel = static_cast<std::int32_t>(displacement);
    std::memcpy(jump + 1, &rel, sizeof(rel));
    hook.SavedCount = kRelativeJumpSize;
  } else {
    // Only a 64-bit address space has targets a rel32 cannot reach.
    jump[0] = 0xFF;
    jump[1] = 0x25;  // jmp [rip+0]: the address follows the instruction
    auto address = reinterpret_cast<std::uintptr_t>(replacement);
    std::memcpy(jump + 6, &address, sizeof(address));
    hook.SavedCount = kAbsoluteJumpSize;
  }
  std::memcpy(hook.SavedBytes.data(), code, hook.SavedCount);
  PatchCode(code, jump, hook.SavedCount);
  hook.Target = code;
  return hook;
}

void UnhookFunction(const TFunctionHook& hook) {
  if (!hook.Target) return;
  PatchCode(static_cast<std::uint8_t*>(hook.Target), hook.SavedBytes.data(), hook.SavedCount);
}

}  // namespace hv
