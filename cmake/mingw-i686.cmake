# The 32-bit product.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(HV_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
