#include "HvLXExistenceChecks.h"

#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"

namespace hv {
namespace {
// Under Wine the user knows the host's form of a path, not the drive form.
std::wstring ShownPath(const std::wstring& path) {
  if (!IsWine()) return path;
  try {
    return Wine_ConvertDosPathToNative(path, false);
  } catch (const Exception&) {
    return path;  // a path the host cannot show still names what is missing
  }
}
}  // namespace

void CheckFileExists(const std::wstring& path, TForceMessageType messageType) {
  if (FileExistsLX(path, true)) return;
  std::wstring report;
  switch (messageType) {
    case fmInternal:
      FileExistsReport(path, true, report);
      throw EExtraInfoException(L"Internal Error: File does not exist: " + path, report);
    case fmUser:
      FileExistsReport(path, true, report);
      throw EExtraInfoException(Fmt(L"File \"%s\" doesn't exist.", ShownPath(path)), report);
  }
  ReportUnexpectedEnum(messageType);
}

void CheckDirectoryExists(const std::wstring& path, TForceMessageType messageType) {
  if (DirExistsLX(path, true)) return;
  switch (messageType) {
    case fmInternal:
      throw EHvInternalError(L"Internal Error: Directory does not exist: " + path);
    case fmUser:
      throw Exception(Fmt(L"Directory \"%s\" doesn't exist.", ShownPath(IncludeTrailingBackslashLX(path))));
  }
  ReportUnexpectedEnum(messageType);
}

}  // namespace hv
