#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "HvExceptions.h"
#include "HvLXHookFunction.h"
#include "ExeFolder.h"

namespace {

__attribute__((noinline)) int Original(int x) {
  volatile int y = x;
  return y * 3 + 1;
}

__attribute__((noinline)) int Replacement(int x) {
  volatile int y = x;
  return y - 100;
}

// Calls through a pointer the compiler cannot see through, as outside callers would.
int CallThrough(void* function, int x) {
  int (*volatile call)(int) = reinterpret_cast<int (*)(int)>(function);
  return call(x);
}

TEST(HookFunction, RedirectsAndRestores) {
  auto* target = reinterpret_cast<void*>(&Original);
  hv::TFunctionHook hook = hv::HookFunction(target, reinterpret_cast<void*>(&Replacement));
  EXPECT_EQ(CallThrough(target, 5), -95);
  hv::UnhookFunction(hook);
  EXPECT_EQ(CallThrough(target, 5), 16);
}

// An import stub, "jmp [cell]", built in executable memory: hooking it must patch the
// routine it leads to, so direct calls of the routine are redirected as well.
TEST(HookFunction, FollowsAnImportStubToTheRoutine) {
  auto* page = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  ASSERT_NE(page, nullptr);
  void** cell = reinterpret_cast<void**>(page + 64);
  *cell = reinterpret_cast<void*>(&Original);
  page[0] = 0xFF;
  page[1] = 0x25;
  // The operand is the cell's address in 32-bit code and its distance from the next
  // instruction in 64-bit code.
  auto cellAddress = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(cell) -
                                                (sizeof(void*) == 8 ? reinterpret_cast<std::uintptr_t>(page + 6) : 0));
  std::memcpy(page + 2, &cellAddress, sizeof(cellAddress));
  std::uint8_t stubBefore[6];
  std::memcpy(stubBefore, page, 6);
  ASSERT_EQ(CallThrough(page, 2), 7);

  hv::TFunctionHook hook = hv::HookFunction(page, reinterpret_cast<void*>(&Replacement));
  EXPECT_EQ(hook.Target, reinterpret_cast<void*>(&Original));
  EXPECT_EQ(std::memcmp(page, stubBefore, 6), 0);  // the stub itself is left alone
  EXPECT_EQ(CallThrough(page, 2), -98);
  EXPECT_EQ(CallThrough(reinterpret_cast<void*>(&Original), 2), -98);
  hv::UnhookFunction(hook);
  EXPECT_EQ(CallThrough(reinterpret_cast<void*>(&Original), 2), 7);
  VirtualFree(page, 0, MEM_RELEASE);
}

// A routine far from its replacement (more than 2 GiB apart in a 64-bit process, where a
// relative jump cannot reach) is still redirected, and restored whole.
TEST(HookFunction, ReachesAReplacementAnywhere) {
  std::uint8_t* page = nullptr;
  const auto image = reinterpret_cast<std::uintptr_t>(&Replacement);
  // 8 GiB away where the address space has room for it; anywhere in a 32-bit process.
  const auto distance = static_cast<std::uintptr_t>(sizeof(void*) == 8 ? std::uint64_t(1) << 33 : 0);
  for (std::uintptr_t hint : {image + distance, image - distance, std::uintptr_t(0)}) {
    if (distance == 0) hint = 0;
    page = static_cast<std::uint8_t*>(
        VirtualAlloc(reinterpret_cast<void*>(hint), 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (page) break;
  }
  ASSERT_NE(page, nullptr);
  const std::uint8_t routine[16] = {0xB8, 7, 0, 0, 0, 0xC3};  // mov eax, 7; ret
  std::memcpy(page, routine, sizeof(routine));
  ASSERT_EQ(CallThrough(page, 1), 7);

  hv::TFunctionHook hook = hv::HookFunction(page, reinterpret_cast<void*>(&Replacement));
  EXPECT_EQ(CallThrough(page, 1), -99);
  hv::UnhookFunction(hook);
  EXPECT_EQ(std::memcmp(page, routine, sizeof(routine)), 0);
  EXPECT_EQ(CallThrough(page, 1), 7);
  VirtualFree(page, 0, MEM_RELEASE);
}

// A short routine right before another: the far replacement is reached through a relay, so the
// hook writes 5 bytes and the next routine stays whole.
TEST(HookFunction, AFarReplacementCostsTheTargetOnlyFiveBytes) {
  std::uint8_t* page = nullptr;
  const auto image = reinterpret_cast<std::uintptr_t>(&Replacement);
  const auto distance = static_cast<std::uintptr_t>(sizeof(void*) == 8 ? std::uint64_t(1) << 33 : 0);
  for (std::uintptr_t hint : {image + distance, image - distance, std::uintptr_t(0)}) {
    page = static_cast<std::uint8_t*>(
        VirtualAlloc(reinterpret_cast<void*>(hint), 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (page) break;
  }
  ASSERT_NE(page, nullptr);
  const std::uint8_t routines[] = {0xB8, 7, 0, 0, 0, 0xC3,   // mov eax, 7; ret
                                   0xB8, 9, 0, 0, 0, 0xC3};  // the next routine: mov eax, 9; ret
  std::memcpy(page, routines, sizeof(routines));
  hv::TFunctionHook hook = hv::HookFunction(page, reinterpret_cast<void*>(&Replacement));
  EXPECT_EQ(hook.SavedCount, 5u);
  EXPECT_EQ(CallThrough(page, 1), -99);
  EXPECT_EQ(CallThrough(page + 6, 1), 9);
  hv::UnhookFunction(hook);
  EXPECT_EQ(std::memcmp(page, routines, sizeof(routines)), 0);
  VirtualFree(page, 0, MEM_RELEASE);
}

TEST(HookFunction, RefusedInsideASeparatelyLoadedModule) {
  std::wstring dll = hvtest::ExeFolder() + L"\\hv_hook_fixture.dll";
  HMODULE module = LoadLibraryW(dll.c_str());
  ASSERT_NE(module, nullptr) << GetLastError();
  using TryHook = bool (*)(wchar_t*, int);
  auto tryHook = reinterpret_cast<TryHook>(reinterpret_cast<void*>(GetProcAddress(module, "HvFixtureTryHook")));
  ASSERT_NE(tryHook, nullptr);
  wchar_t text[256] = {};
  EXPECT_TRUE(tryHook(text, 256));
  EXPECT_EQ(std::wstring(text),
            L"EHvInternalError: Internal Error: HookFunction() is not available from an external library.");
  FreeLibrary(module);
}

}  // namespace
