#include "HvLXHookFunction.h"

#include <cstring>
#include <utility>

#include "HvExceptions.h"
#include "HvScopeExit.h"
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

// Writes `bytes` over code, with the page made writable only for the moment. When the page
// cannot be protected again, the code gets its old bytes back before the error is raised.
void PatchCode(std::uint8_t* code, const std::uint8_t* bytes, std::size_t count) {
  DWORD oldProtect = 0;
  if (!VirtualProtect(code, count, PAGE_EXECUTE_READWRITE, &oldProtect)) RaiseLastOSError();
  std::uint8_t before[kAbsoluteJumpSize];
  std::memcpy(before, code, count);
  std::memcpy(code, bytes, count);
  DWORD ignored = 0;
  if (!VirtualProtect(code, count, oldProtect, &ignored)) {
    const DWORD error = GetLastError();
    std::memcpy(code, before, count);
    FlushInstructionCache(GetCurrentProcess(), code, count);
    RaiseLastOSError(error);
  }
  FlushInstructionCache(GetCurrentProcess(), code, count);
}

bool RelativeJumpReaches(const void* from, const void* to) {
  const std::int64_t displacement = reinterpret_cast<std::intptr_t>(to) - reinterpret_cast<std::intptr_t>(from) -
                                    static_cast<std::intptr_t>(kRelativeJumpSize);
  return displacement >= INT32_MIN && displacement <= INT32_MAX;
}

// Executable memory within reach of a relative jump from `code`, holding "jmp [rip+0]" and the
// replacement's address; nullptr when every region near it is taken.
void* AllocateRelay(std::uint8_t* code, void* replacement) {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const auto granularity = static_cast<std::uintptr_t>(system.dwAllocationGranularity);
  const auto base = reinterpret_cast<std::uintptr_t>(code) & ~(granularity - 1);
  const auto lowest = reinterpret_cast<std::uintptr_t>(system.lpMinimumApplicationAddress);
  const auto highest = reinterpret_cast<std::uintptr_t>(system.lpMaximumApplicationAddress);
  constexpr std::uintptr_t kReach = 0x7FF00000;  // a little less than 2 GiB, for the jump's own length
  for (std::uintptr_t distance = granularity; distance < kReach; distance += granularity) {
    const bool belowFits = distance <= base && base - distance >= lowest;
    const bool aboveFits = base + distance > base && base + distance <= highest;
    for (auto [fits, candidate] : {std::pair{belowFits, base - distance}, std::pair{aboveFits, base + distance}}) {
      if (!fits) continue;
      MEMORY_BASIC_INFORMATION region{};
      if (!VirtualQuery(reinterpret_cast<void*>(candidate), &region, sizeof(region)) || region.State != MEM_FREE) continue;
      auto* relay = static_cast<std::uint8_t*>(VirtualAlloc(reinterpret_cast<void*>(candidate), system.dwPageSize,
                                                            MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
      if (!relay) continue;
      if (!RelativeJumpReaches(code, relay)) {
        VirtualFree(relay, 0, MEM_RELEASE);
        continue;
      }
      relay[0] = 0xFF;
      relay[1] = 0x25;  // jmp [rip+0]: the address follows the instruction
      std::memset(relay + 2, 0, 4);
      auto address = reinterpret_cast<std::uintptr_t>(replacement);
      std::memcpy(relay + 6, &address, sizeof(address));
      DWORD ignored = 0;
      VirtualProtect(relay, system.dwPageSize, PAGE_EXECUTE_READ, &ignored);
      FlushInstructionCache(GetCurrentProcess(), relay, kAbsoluteJumpSize);
      return relay;
    }
  }
  return nullptr;
}

}  // namespace

bool LibraryIsInsideTheProgram() { return InsideTheProgram(); }

TFunctionHook HookFunction(void* target, void* replacement) {
  if (!InsideTheProgram())
    throw EHvInternalError(L"Internal Error: HookFunction() is not available from an external library.");
  if (!target || !replacement) throw EArgumentNilException(L"Internal Error: HookFunction() needs both functions.");

  TFunctionHook hook;
  auto* code = FollowImportStub(static_cast<std::uint8_t*>(target));
  void* destination = replacement;
  if (!RelativeJumpReaches(code, replacement)) {
    // Only a 64-bit address space has targets a rel32 cannot reach.
    hook.Relay = AllocateRelay(code, replacement);
    if (!hook.Relay)
      throw EHvInternalError(
          L"Internal Error: HookFunction() found no free memory within 2 GB of the function for the jump to its "
          L"replacement.");
    destination = hook.Relay;
  }
  std::uint8_t jump[kRelativeJumpSize] = {0xE9};
  auto rel = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(destination) -
                                       reinterpret_cast<std::intptr_t>(code) - static_cast<std::intptr_t>(kRelativeJumpSize));
  std::memcpy(jump + 1, &rel, sizeof(rel));
  hook.SavedCount = kRelativeJumpSize;
  std::memcpy(hook.SavedBytes.data(), code, hook.SavedCount);
  ScopeExit freeRelay([&] {
    if (hook.Relay) VirtualFree(hook.Relay, 0, MEM_RELEASE);
  });
  PatchCode(code, jump, hook.SavedCount);
  freeRelay.Dismiss();
  hook.Target = code;
  return hook;
}

void UnhookFunction(const TFunctionHook& hook) {
  if (!hook.Target) return;
  PatchCode(static_cast<std::uint8_t*>(hook.Target), hook.SavedBytes.data(), hook.SavedCount);
  // A thread may still be inside the relay's jump; the relay stays, as it costs one page.
}

}  // namespace hv
