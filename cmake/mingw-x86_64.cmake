# Cross-compiles for 64-bit Windows with MinGW-w64, for 64-bit hosts, from the same sources as
# the 32-bit build, and runs the Windows test programs under a 64-bit Wine prefix. The same win32
# thread model as the 32-bit build (see mingw-i686.cmake): no winpthread in the DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLERY_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLERY_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${QUILLERY_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${QUILLERY_MINGW_PREFIX}-windres)
set(QUILLERY_WIDL ${QUILLERY_MINGW_PREFIX}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLERY_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything static: the DLL and the tools must need no MinGW runtime DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Debian's wine starts 64-bit programs with its 64-bit loader in a 64-bit prefix
# (scripts/with-wine.sh makes the build tree's prefix 64-bit for this build).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
