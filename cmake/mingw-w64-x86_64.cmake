# Cross build for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64-posix). Programs built for the tests run under Wine,
# in a Wine prefix of the build tree's own (wine/), so nothing depends on
# the home directory; tests/ creates it once when the build is configured.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No Wine debug output. RUNCHECK_WINE_INIT makes the prefix without the
# offer to install Mono or Gecko; the programs then run without those DLL
# overrides, since a run whose overrides differ from the prefix's own costs
# Wine about a second.
find_program(RUNCHECK_WINE wine)
if(RUNCHECK_WINE)
  set(RUNCHECK_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${RUNCHECK_WINE_PREFIX} WINEDEBUG=-all ${RUNCHECK_WINE})
  set(RUNCHECK_WINE_INIT
      ${CMAKE_COMMAND} -E env WINEPREFIX=${RUNCHECK_WINE_PREFIX} WINEDEBUG=-all
      WINEDLLOVERRIDES=mscoree,mshtml= ${RUNCHECK_WINE} wineboot --init)
endif()
