# Cross-compiles for 64-bit Windows with Debian's mingw-w64. The posix thread model is the one Qt and
# std::thread need. The cross-built libraries' prefix comes from HZ_WINDOWS_PREFIX (environment or cache).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HZ_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HZ_MINGW_TRIPLE}-windres)

if(NOT HZ_WINDOWS_PREFIX AND DEFINED ENV{HZ_WINDOWS_PREFIX})
    set(HZ_WINDOWS_PREFIX "$ENV{HZ_WINDOWS_PREFIX}")
endif()
if(NOT HZ_WINDOWS_PREFIX)
    set(HZ_WINDOWS_PREFIX "$ENV{HOME}/.cache/huizhang/win64")
endif()
set(HZ_WINDOWS_PREFIX "${HZ_WINDOWS_PREFIX}" CACHE PATH "Prefix of the cross-built Windows libraries")
# try_compile projects read the toolchain file again: hand them the prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HZ_WINDOWS_PREFIX)

# Libraries, headers and CMake packages come only from the mingw sysroot and the prefix; programs (moc,
# pkg-config) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${HZ_MINGW_TRIPLE} ${HZ_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine's 64-bit loader (/usr/bin/wine may pick a 32-bit Wine).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
