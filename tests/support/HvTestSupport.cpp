#include "HvTestSupport.h"

#include "HvTracePlanter.h"

#include <atomic>
#include <string>

namespace hvtest {
using hvplant::RemoveFolderTree;

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base = std::wstring(temp) + L"hvtest";
  CreateDirectoryW(base.c_str(), nullptr);
  FPath = base + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
  RemoveFolderTree(FPath);
  CreateDirectoryW(FPath.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveFolderTree(FPath); }

bool WriteTextFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace hvtest
