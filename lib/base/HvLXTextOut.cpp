#include "HvLXTextOut.h"

#include <string>

#include "HvLXCodePage.h"

namespace hv {

bool WriteTextLX(HANDLE output, std::wstring_view text, UINT codePage) {
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  DWORD mode, written = 0;
  if (GetConsoleMode(output, &mode))
    return WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  const std::string bytes = WideToMultiByteLX(text, codePage);
  for (std::size_t done = 0; done < bytes.size(); done += written) {
    if (!WriteFile(output, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr))
      return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
  }
  return true;
}

}  // namespace hv
