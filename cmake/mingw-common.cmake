# What both MinGW-w64 toolchains share, for the target named by QUILLERY_MINGW_PREFIX: the
# win32 thread model's compilers, the target's own libraries and headers only, a static link,
# and Wine to run the Windows test programs.
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

# Debian's wine starts each program with the loader of its width; a 64-bit program needs a
# 64-bit prefix (scripts/with-wine.sh makes one for a 64-bit build tree).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
