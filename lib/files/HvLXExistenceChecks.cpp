#include "HvLXExistenceChecks.h"

#include "HvLXFiles.h"
#include "HvLXHost.h"

namespace hv {
namespace {
// Under Wine the user knows the host's form of a path, not the drive form.
std::wstring ShownPath(const std::wstring& path) {
  // The host path conversion arrives with host detection; until then the path shows as given.
  return path;
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
