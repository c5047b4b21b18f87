# Cross-build for Windows with MinGW-w64: 64-bit (Debian's g++-mingw-w64-x86-64) unless
# INVCIV_MINGW_TRIPLET says i686-w64-mingw32 (g++-mingw-w64-i686), the 32-bit build. The programs built
# with it run here under wine (wine64 or the 32-bit wine), which CTest uses as the emulator.
set(INVCIV_MINGW_TRIPLET x86_64-w64-mingw32 CACHE STRING "MinGW-w64 target: x86_64-w64-mingw32 or i686-w64-mingw32")
# Where scripts/build-windows installed the libraries built for that target (Qt, qpdf, HarfBuzz...).
set(INVCIV_WINDOWS_PREFIX "" CACHE PATH "Prefix of the libraries cross-built for the target")
# try_compile projects read this file again: hand them the same target.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES INVCIV_MINGW_TRIPLET INVCIV_WINDOWS_PREFIX)

set(CMAKE_SYSTEM_NAME Windows)
if(INVCIV_MINGW_TRIPLET STREQUAL "x86_64-w64-mingw32")
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  set(invciv_wine_names wine64)
elseif(INVCIV_MINGW_TRIPLET STREQUAL "i686-w64-mingw32")
  set(CMAKE_SYSTEM_PROCESSOR x86)
  set(invciv_wine_names wine)
else()
  message(FATAL_ERROR "INVCIV_MINGW_TRIPLET must be x86_64-w64-mingw32 or i686-w64-mingw32")
endif()

# The POSIX-threads flavour: GoogleTest needs std::mutex, which the win32-threads flavour lacks. With
# -static its winpthreads goes into the programs, so no DLL of it is needed at run time.
set(CMAKE_C_COMPILER ${INVCIV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${INVCIV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${INVCIV_MINGW_TRIPLET}-windres)

# Headers, libraries and packages only from the MinGW sysroot, never from the Linux system; programs
# (the build tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${INVCIV_MINGW_TRIPLET} ${INVCIV_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian keeps the loaders of both bitnesses in /usr/lib/wine.
find_program(INVCIV_WINE NAMES ${invciv_wine_names} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(INVCIV_WINE NAMES ${invciv_wine_names})
if(INVCIV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${INVCIV_WINE})
endif()
