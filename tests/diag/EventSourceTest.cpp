#include <gtest/gtest.h>

#include "HvWindows.h"

#include <sddl.h>

#include <string>

#include "HvHandles.h"
#include "HvAccessSeen.h"
#include "HvLXAdminFolders.h"
#include "HvLXEventSource.h"
#include "HvLXFiles.h"
#include "HvTestSupport.h"
#include "HvWindows.h"

namespace {

using hvtest::ScratchDir;

const std::wstring kSource = L"HalvernTestSource";
const std::wstring kKey = std::wstring(hv::kEventLogSourcesKey) + kSource;

std::wstring MessageFile() {
  wchar_t file[1024] = {};
  DWORD size = sizeof file;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey.c_str(), L"EventMessageFile", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, file, &size) != ERROR_SUCCESS)
    return L"<none>";
  return file;
}

struct ScratchSource {
  ScratchSource() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str()); }
  ~ScratchSource() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str()); }
};

// A file only administrators and the system can change, owned by the administrators.
void MakeAdministratorsOnly(const std::wstring& path) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;;FA;;;BA)(A;;FA;;;SY)", SDDL_REVISION_1,
                                                                   &sd, nullptr));
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(file && hv::CurrentFileSecurityOps().Set(file.get(), sd));
  LocalFree(sd);
}

// An administrator's event viewer loads the registered message file: the program registers
// itself only where no other program can swap that file, only under its own fixed name, and
// never in place of a source that is there already.
TEST(EventSource, RegisteredOnlyWhenAbsentAndOnlyForAFileAdministratorsAloneCanChange) {
  hvtest::SecurityKeepingDisk disk;
  ScratchSource source;
  ScratchDir dir;
  const std::wstring plain = dir / L"program.exe";
  ASSERT_TRUE(hvtest::WriteTextFile(plain, "MZ"));
  EXPECT_FALSE(hv::RegisterEventSourceFor(kSource, plain)) << "a folder every user may write to";
  EXPECT_EQ(MessageFile(), L"<none>");

  hv::UniqueFileHandle parent = hv::OpenFolderItself(dir.Path(), hv::kFolderHandleAccess);
  ASSERT_TRUE(parent);
  ASSERT_TRUE(hv::CreateFolderBelow(parent.get(), L"admin", true));
  const std::wstring program = dir / L"admin\\program.exe";
  ASSERT_TRUE(hvtest::WriteTextFile(program, "MZ"));
  MakeAdministratorsOnly(program);
  EXPECT_TRUE(hv::RegisterEventSourceFor(kSource, program));
  EXPECT_EQ(MessageFile(), program);

  // Present already, as another program's or an earlier copy's: left as it is.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str());
  const std::wstring other = L"C:\\Program Files\\Another\\messages.dll";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey.c_str(), L"EventMessageFile", REG_EXPAND_SZ, other.c_str(),
                            static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  EXPECT_FALSE(hv::RegisterEventSourceFor(kSource, program));
  EXPECT_EQ(MessageFile(), other);
  EXPECT_STREQ(hv::kEventSourceName, L"HalvernUninstaller");
}

}  // namespace
