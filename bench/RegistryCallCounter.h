// Counts the registry system calls (and handle closes) that the registry functions of this
// process make. Under Wine each is one round trip to the Wine server, which is what a registry
// walk costs there; unlike a time, the count does not depend on the machine's load.
// The counting replaces the entries of the system library's import table (the module that
// implements the registry functions), so every caller of those functions is counted.
#pragma once

#include <atomic>
#include <cstring>

#include "HvWindows.h"

namespace bench {

class RegistryCallCounter {
 public:
  // Installs the counting once; false when the import table could not be found or changed
  // (then Count stays 0).
  static bool Install() {
    static const bool installed = DoInstall();
    return installed;
  }
  static long long Count() { return Calls().load(std::memory_order_relaxed); }

 private:
  static std::atomic<long long>& Calls() {
    static std::atomic<long long> calls{0};
    return calls;
  }

  // Each wrapper keeps the system function's signature (the 32-bit build checks the stack).
#define HV_COUNTED(name, params, args)                          \
  using name##Fn = LONG(NTAPI*) params;                         \
  static name##Fn& Original##name() {                           \
    static name##Fn original = nullptr;                         \
    return original;                                            \
  }                                                             \
  static LONG NTAPI Counted##name params {                      \
    Calls().fetch_add(1, std::memory_order_relaxed);            \
    return Original##name() args;                               \
  }
  HV_COUNTED(NtOpenKey, (HANDLE * a, ACCESS_MASK b, void* c), (a, b, c))
  HV_COUNTED(NtOpenKeyEx, (HANDLE * a, ACCESS_MASK b, void* c, ULONG d), (a, b, c, d))
  HV_COUNTED(NtCreateKey, (HANDLE * a, ACCESS_MASK b, void* c, ULONG d, void* e, ULONG f, ULONG* g),
             (a, b, c, d, e, f, g))
  HV_COUNTED(NtQueryValueKey, (HANDLE a, void* b, int c, void* d, ULONG e, ULONG* f), (a, b, c, d, e, f))
  HV_COUNTED(NtEnumerateKey, (HANDLE a, ULONG b, int c, void* d, ULONG e, ULONG* f), (a, b, c, d, e, f))
  HV_COUNTED(NtEnumerateValueKey, (HANDLE a, ULONG b, int c, void* d, ULONG e, ULONG* f), (a, b, c, d, e, f))
  HV_COUNTED(NtQueryKey, (HANDLE a, int b, void* c, ULONG d, ULONG* e), (a, b, c, d, e))
  HV_COUNTED(NtSetValueKey, (HANDLE a, void* b, ULONG c, ULONG d, void* e, ULONG f), (a, b, c, d, e, f))
  HV_COUNTED(NtDeleteKey, (HANDLE a), (a))
  HV_COUNTED(NtDeleteValueKey, (HANDLE a, void* b), (a, b))
  HV_COUNTED(NtClose, (HANDLE a), (a))
#undef HV_COUNTED

  // Points the import of `name` in `module` at `replacement`, keeping the original.
  template <class Fn>
  static bool Patch(HMODULE module, const char* name, Fn replacement, Fn& original) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return false;
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
      if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "ntdll.dll") != 0) continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
      for (; names->u1.AddressOfData; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
        DWORD old;
        if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old)) return false;
        original = reinterpret_cast<Fn>(slots->u1.Function);
        slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
        return true;
      }
    }
    return false;
  }

  static bool DoInstall() {
    HMODULE module = GetModuleHandleW(L"kernelbase.dll");
    if (!module) return false;
    bool ok = true;
#define HV_PATCH(name) ok &= Patch(module, #name, &Counted##name, Original##name());
    HV_PATCH(NtOpenKey)
    HV_PATCH(NtOpenKeyEx)
    HV_PATCH(NtCreateKey)
    HV_PATCH(NtQueryValueKey)
    HV_PATCH(NtEnumerateKey)
    HV_PATCH(NtEnumerateValueKey)
    HV_PATCH(NtQueryKey)
    HV_PATCH(NtSetValueKey)
    HV_PATCH(NtDeleteKey)
    HV_PATCH(NtDeleteValueKey)
    HV_PATCH(NtClose)
#undef HV_PATCH
    return ok;
  }
};

}  // namespace bench
