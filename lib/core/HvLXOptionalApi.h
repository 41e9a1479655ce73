// The optional system functions of the library, each bound at its first call (see
// HvLXDelayLoad.h). Call them as hv::OptionalApi::Name(arguments).
#pragma once

#include "HvLXDelayLoad.h"
#include "HvWindows.h"

#include <dwmapi.h>
#include <uxtheme.h>
#include <wincodec.h>

namespace hv::OptionalApi {

#define HV_OPTIONAL_API(library, name) \
  inline constinit TDelayedFunction<decltype(::name)> name{library, #name}

HV_OPTIONAL_API(L"kernel32.dll", GetFinalPathNameByHandleW);
HV_OPTIONAL_API(L"kernel32.dll", LocaleNameToLCID);
HV_OPTIONAL_API(L"kernel32.dll", GetTimeZoneInformationForYear);
HV_OPTIONAL_API(L"user32.dll", SetGestureConfig);
HV_OPTIONAL_API(L"user32.dll", CloseGestureInfoHandle);
HV_OPTIONAL_API(L"user32.dll", GetGestureInfo);
HV_OPTIONAL_API(L"user32.dll", PhysicalToLogicalPoint);
HV_OPTIONAL_API(L"windowscodecs.dll", WICConvertBitmapSource);
HV_OPTIONAL_API(L"uxtheme.dll", BufferedPaintSetAlpha);
HV_OPTIONAL_API(L"uxtheme.dll", EndBufferedPaint);
HV_OPTIONAL_API(L"uxtheme.dll", BeginBufferedPaint);
HV_OPTIONAL_API(L"uxtheme.dll", DrawThemeTextEx);
HV_OPTIONAL_API(L"dwmapi.dll", DwmIsCompositionEnabled);
HV_OPTIONAL_API(L"dwmapi.dll", DwmExtendFrameIntoClientArea);

#undef HV_OPTIONAL_API

}  // namespace hv::OptionalApi
