# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix: the
# posix thread model, which std::thread, std::mutex and std::stop_token need) and runs what it
# builds under Wine: ctest and gtest_discover_tests start every test binary through
# CMAKE_CROSSCOMPILING_EMULATOR. scripts/check-windows uses it.
#   VARNU_WINEPREFIX: the Wine prefix (default: wineprefix in the build folder, never $HOME).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries and packages come from the MinGW tree (and from CMAKE_PREFIX_PATH, re-rooted or
# not: the GoogleTest that check-windows builds lives in the build folder); programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Static: the programs then need none of MinGW's DLLs (libstdc++, libgcc, libwinpthread), so
# Wine runs them from the build folder as they are, and so would a bare Windows machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 package keeps its loader out of PATH.
find_program(VARNU_WINE64 NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
set(VARNU_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "The Wine prefix the tests run in")
if(VARNU_WINE64)
    # Quiet (WINEDEBUG), and without the .NET and HTML engines that a new prefix would offer to
    # download.
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEPREFIX=${VARNU_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${VARNU_WINE64})
endif()
