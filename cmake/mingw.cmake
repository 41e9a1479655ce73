# Cross-compiles a Windows program with MinGW-w64 (posix threads model, for std::mutex and
# std::thread) for HV_MINGW_TRIPLET, which the architecture's toolchain file sets.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${HV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${HV_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${HV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
