#include "HvLXUrlCache.h"

#include <vector>

#include "HvWindows.h"

#include <wininet.h>

namespace hv {
namespace {

// Fills `buffer` with the next entry, growing it when the entry does not fit.
template <class Call>
bool ReadEntry(std::vector<BYTE>& buffer, Call call) {
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (call(reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return false;
    buffer.resize(size);
  }
}

}  // namespace

void ClearUrlCache() noexcept {
  try {
    std::vector<BYTE> buffer(4096);
    HANDLE find = nullptr;
    bool found = ReadEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOW* entry, DWORD* size) {
      find = FindFirstUrlCacheEntryW(nullptr, entry, size);
      return find != nullptr;
    });
    if (!found) return;
    do {
      auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
      if (entry->lpszSourceUrlName) DeleteUrlCacheEntryW(entry->lpszSourceUrlName);
    } while (ReadEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOW* entry, DWORD* size) {
      return FindNextUrlCacheEntryW(find, entry, size) != FALSE;
    }));
    FindCloseUrlCache(find);
  } catch (...) {
    // Clearing the cache is a courtesy at exit; a failure there must not stop the program's end.
  }
}

}  // namespace hv
