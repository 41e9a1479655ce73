#include "HvLXHost.h"

namespace hv {
namespace {
HostPins gPins;
}

bool IsWine() { return gPins.wine.value_or(false); }
bool IsMac() { return gPins.mac.value_or(false); }
bool IsChromeOS() { return gPins.chromeOS.value_or(false); }
bool UseWineTricks(const std::wstring&) { return gPins.wineTricks.value_or(false); }

ScopedHostPins::ScopedHostPins(const HostPins& pins) : FSaved(gPins) { gPins = pins; }
ScopedHostPins::~ScopedHostPins() { gPins = FSaved; }

}  // namespace hv
