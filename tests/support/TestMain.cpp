#include <gtest/gtest.h>

#include "HvLXHostScripts.h"
#include "HvWindows.h"

// Unicode entry point for every suite: the program itself is built with -municode.
int wmain(int argc, wchar_t** argv) {
  // No "program stopped working" boxes: a crash must end the test run, not wait for a click.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  hv::InstallHostScriptRunner();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
