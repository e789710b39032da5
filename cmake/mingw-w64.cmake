# Cross-build for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# Every program is linked fully static (libgcc, libstdc++, winpthread), so a
# built .exe runs on a bare Windows or under Wine with no MinGW DLL beside it.
# Tests run under Wine through the cross-compiling emulator, which ctest and
# GoogleTest's test discovery both use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MIRQ_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER ${MIRQ_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${MIRQ_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${MIRQ_MINGW_TRIPLE}-windres)
find_program(CMAKE_AR ${MIRQ_MINGW_TRIPLE}-gcc-ar-posix)
find_program(CMAKE_RANLIB ${MIRQ_MINGW_TRIPLE}-gcc-ranlib-posix)

# Headers and libraries come from the MinGW sysroot only; build tools from
# the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MIRQ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also makes the linker take libwinpthread.a instead of its DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Windows programs write "\r\n" on their text-mode standard output; the
# wrapper runs them under Wine and drops the "\r", so test discovery and
# ctest see plain lines.
find_program(MIRQ_WINE wine)
if(MIRQ_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
endif()
