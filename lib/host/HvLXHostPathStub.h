// Stand-ins for the host folder and path conversion functions of the host environment unit,
// which is not built yet. They keep the Wine branches of the special folders working with
// the same answers the host unit will give; replace each call by the host unit's function
// (Wine_GetNativeHomeDir, Wine_GetNativeTmpDir, Wine_ConvertNativePathToDos) once it exists.
#pragma once

#include <string>

namespace hv::hoststub {

// The host home folder as the host shell writes it: "~".
std::wstring NativeHomeDir();
// The host temporary folder: the host's TMPDIR, or "/tmp/".
std::wstring NativeTmpDir();
// A host path as a drive path: "~" becomes the host home folder, every "/" a "\", and a
// path that then starts with "\" gets "Z:" in front. A path without "/" stays as it is.
std::wstring ConvertNativePathToDos(const std::wstring& hostPath);

}  // namespace hv::hoststub
