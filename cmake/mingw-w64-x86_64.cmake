# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads).
# The Windows libraries (scripts/windows/deps.sh) are found through
# QUORVANT_WINDOWS_PREFIX, as a CMake variable or in the environment.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW}-windres)
set(CMAKE_AR ${QV_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QV_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT QUORVANT_WINDOWS_PREFIX AND DEFINED ENV{QUORVANT_WINDOWS_PREFIX})
  set(QUORVANT_WINDOWS_PREFIX "$ENV{QUORVANT_WINDOWS_PREFIX}")
endif()
# try_compile projects read this file again; pass the prefix on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVANT_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW})
if(QUORVANT_WINDOWS_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${QUORVANT_WINDOWS_PREFIX}")
  list(APPEND CMAKE_PREFIX_PATH "${QUORVANT_WINDOWS_PREFIX}")
  # pkg-config must see the Windows libraries, never the host's.
  set(ENV{PKG_CONFIG_LIBDIR} "${QUORVANT_WINDOWS_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs run here under Wine.
if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
