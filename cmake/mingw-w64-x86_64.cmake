# Cross-compiling for 64-bit Windows with Debian's mingw-w64. The -posix compilers: the -win32
# thread model of GCC 12 has no std::thread or std::mutex.
# SWDE_WINDOWS_PREFIX (default build-windows/prefix) holds expat, GMP and GoogleTest built for
# Windows and the headers of CLI11 and nlohmann-json; nothing of the build machine's own
# /usr/include is searched.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SWDE_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SWDE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SWDE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${SWDE_MINGW}-windres)
set(CMAKE_AR ${SWDE_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${SWDE_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT SWDE_WINDOWS_PREFIX)
  get_filename_component(SWDE_WINDOWS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build-windows/prefix"
                         ABSOLUTE)
endif()
set(SWDE_WINDOWS_PREFIX "${SWDE_WINDOWS_PREFIX}" CACHE PATH "expat, GMP, GoogleTest for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${SWDE_MINGW} "${SWDE_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs run by the build and the tests go through wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(SWDE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(SWDE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${SWDE_WINE}")
  endif()
endif()

# The programs and the DLL carry the C++ run-time, libgcc and winpthreads inside: nothing but
# Windows' own DLLs needs to be beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
