# Cross-build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64). The programs built with
# it run here under wine64, which CTest uses as the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(INVCIV_MINGW_TRIPLET x86_64-w64-mingw32)
# The POSIX-threads flavour: GoogleTest needs std::mutex, which the win32-threads flavour lacks. With
# -static its winpthreads goes into the programs, so no DLL of it is needed at run time.
set(CMAKE_C_COMPILER ${INVCIV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${INVCIV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${INVCIV_MINGW_TRIPLET}-windres)

# Headers, libraries and packages only from the MinGW sysroot, never from the Linux system; programs
# (the build tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${INVCIV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(INVCIV_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(INVCIV_WINE64 NAMES wine64)
if(INVCIV_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${INVCIV_WINE64})
endif()
