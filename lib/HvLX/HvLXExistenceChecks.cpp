#include "HvLXExistenceChecks.h"

#include "HvLXExistence.h"
#include "HvLXPaths.h"

namespace hv {

void CheckDirectoryExists(const std::wstring& path, TForceMessageType messageType) {
  if (DirExistsLX(path, true)) return;
  if (messageType == fmInternal) throw EHvInternalError(L"Internal Error: Directory does not exist: " + path);
  // Under Wine the user would rather see the host path; that conversion belongs to host
  // detection and joins here once it exists.
  throw Exception(Fmt(L"Directory \"%s\" doesn't exist.", IncludeTrailingBackslashLX(path)));
}

}  // namespace hv
