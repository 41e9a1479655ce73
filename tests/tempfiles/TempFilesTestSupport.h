// Fixtures of the temporary file tests: files of a chosen age, a stepping clock, and a Wine
// host whose library data lives in a scratch folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "HvLXClock.h"
#include "HvLXHost.h"
#include "HvLXSpecialFolders.h"
#include "HvLXTempFiles.h"
#include "HvTestSupport.h"

namespace tempfilestest {

// Host pins of a Wine host (on Chrome OS when asked).
inline hv::HostPins WineHost(bool chromeOS = false) {
  hv::HostPins pins;
  pins.wine = true;
  pins.chromeOS = chromeOS;
  return pins;
}

// Sets the last write time of a file or folder to `hours` before now.
void SetAgeHours(const std::wstring& path, double hours);
// Writes a small file and dates it `hours` back.
void MakeFileAged(const std::wstring& path, double hours);
// Creates a folder (and its parents).
void MakeFolder(const std::wstring& path);

// A tick counter that moves `stepMs` on every reading, so a search loop sees time pass at a
// known rate without sleeping.
class SteppingClock : public hv::IClock {
 public:
  SteppingClock(std::uint32_t startTick, std::uint32_t stepMs) : FTick(startTick), FStep(stepMs) {}
  std::uint32_t TickCount() override {
    const std::uint32_t tick = FTick;
    FTick += FStep;  // wraps like the real counter
    return tick;
  }
  // The searches read only the tick counter.
  double Now() override { return 45'000.0; }

 private:
  std::uint32_t FTick, FStep;
};

// Under Wine with the user data folder in a scratch folder: the library's temporary folder is
// the program's own there, and the process temporary folder is determined afresh.
class WineHostInScratch {
 public:
  WineHostInScratch() : FPins(WineHost()), FUserData(FScratch.Path()) {}
  const std::wstring& Scratch() const { return FScratch.Path(); }

 private:
  hvtest::ScratchDir FScratch;
  hv::ScopedHostPins FPins;
  hv::ScopedUserDataFolder FUserData;
  hv::ScopedProcessTempState FProcessTemp;
};

}  // namespace tempfilestest
