#include <gtest/gtest.h>

#include <algorithm>

#include "HvExceptions.h"
#include "HvLXHostScripts.h"

namespace {

// A script written in the 8-bit code page keeps every character or is not written: a
// look-alike of a quotation mark would end a quoted path early and run the rest as a command.
TEST(HostScriptEncoding, TheCodePageFormIsExactOrRefused) {
  EXPECT_EQ(hv::HostScriptAnsiBytes(L"rm -rf -- '/tmp/a b'\n"), "rm -rf -- '/tmp/a b'\n");
  EXPECT_EQ(hv::HostScriptAnsiBytes(L""), "");
  for (const wchar_t* lookAlike : {L"rm -rf -- '/tmp/x\xFF07; rm -rf ~; \xFF07'",  // fullwidth apostrophe
                                   L"rm -rf -- '/tmp/x\x2019'",                    // not in every code page
                                   L"cd \x2215tmp"}) {                             // division slash
    std::string bytes;
    try {
      bytes = hv::HostScriptAnsiBytes(lookAlike);
    } catch (const hv::EHvGeneralError&) {
      continue;
    }
    // A code page that has the character writes it as itself, never as a plain quote or slash.
    const std::wstring text = lookAlike;
    for (char plain : {'\'', '/'})
      EXPECT_EQ(std::count(bytes.begin(), bytes.end(), plain), std::count(text.begin(), text.end(), wchar_t(plain))) << bytes;
  }
  EXPECT_THROW(hv::HostScriptAnsiBytes(L"rm -rf -- '/tmp/x\xFF07'"), hv::EHvGeneralError);
}

}  // namespace
