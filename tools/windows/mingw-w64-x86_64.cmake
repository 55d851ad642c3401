# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads, which std::thread needs).
# ZEM2_WINDOWS_DEPS names the prefix that tools/build-windows.sh installs libjpeg, libpng, FFTW and GoogleTest into.
set (CMAKE_SYSTEM_NAME Windows)
set (CMAKE_SYSTEM_PROCESSOR x86_64)

set (triple x86_64-w64-mingw32)
set (CMAKE_C_COMPILER ${triple}-gcc-posix)
set (CMAKE_CXX_COMPILER ${triple}-g++-posix)
set (CMAKE_RC_COMPILER ${triple}-windres)
set (CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set (CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")

if (NOT ZEM2_WINDOWS_DEPS AND DEFINED ENV{ZEM2_WINDOWS_DEPS})
    set (ZEM2_WINDOWS_DEPS "$ENV{ZEM2_WINDOWS_DEPS}")
endif()
list (APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZEM2_WINDOWS_DEPS)
set (CMAKE_FIND_ROOT_PATH ${ZEM2_WINDOWS_DEPS} /usr/${triple})

# Programs (juceaide, pkg-config) come from the build machine; headers and libraries only from the Windows side.
set (CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set (CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests built here run under Wine; ctest and gtest_discover_tests pick this up.
find_program (ZEM2_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if (ZEM2_WINE)
    set (CMAKE_CROSSCOMPILING_EMULATOR "${ZEM2_WINE}")
endif()
