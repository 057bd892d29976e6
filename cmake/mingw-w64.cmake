# Cross-building alcove-cli for 64-bit Windows with Debian's mingw-w64:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The posix thread model: the win32 one has no std::thread. Everything is linked
# statically, so the .exe needs no DLL beside it. The Qt windows are not built
# (Debian has no Qt for mingw): alcove.exe has the Win32 binding instead.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

# Libraries and packages come from the mingw tree only, never from the build
# host's /usr (its headers break a mingw build); programs from the build host.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# zlib (libz-mingw-w64-dev) linked statically too, not through its DLL.
set(ZLIB_LIBRARY /usr/${_mingw}/lib/libz.a CACHE FILEPATH "zlib for mingw-w64, static")

set(ALCOVE_BUILD_GUI OFF CACHE BOOL "Build the Qt windows and the alcove executable")
set(ALCOVE_BUILD_BENCH OFF CACHE BOOL "Build the benchmarks")

# Tests run under Wine; gtest lists a program's cases when ctest starts, not
# during the build (see tests/CMakeLists.txt).
find_program(ALCOVE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ALCOVE_WINE64 NAMES wine64 wine)
if(ALCOVE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ALCOVE_WINE64})
endif()
