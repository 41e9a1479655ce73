#include "HvLXSysErrorText.h"

#include "HvHandles.h"
#include "HvLXStrings.h"

namespace hv {

std::wstring SysErrorTextLX(const std::wstring& /*moduleName*/, HMODULE module, DWORD messageId,
                            const std::wstring& defaultText) {
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                FORMAT_MESSAGE_ARGUMENT_ARRAY;
  if (module) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  // The system sizes the buffer: a long message is never cut or lost.
  UniqueLocalMem<wchar_t*> buffer;
  DWORD length = FormatMessageW(flags, module, messageId, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
  std::wstring text;
  if (buffer) text = TrimLX(std::wstring_view(buffer.get(), length));
  return text.empty() ? defaultText : text;
}

}  // namespace hv
