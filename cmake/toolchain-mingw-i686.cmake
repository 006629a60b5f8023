# Cross-compiling the 32-bit Windows programs with MinGW-w64 (i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ZANVO_MINGW_PREFIX i686-w64-mingw32 CACHE STRING "Target triplet of the MinGW-w64 tools")

set(CMAKE_C_COMPILER ${ZANVO_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${ZANVO_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${ZANVO_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ZANVO_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZANVO_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Nothing is looked up for the target: the Windows build has no dependencies beyond the
# compiler's own runtime, which is linked statically.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
