# Cross-compiles for 32-bit Windows with MinGW-w64 (posix thread model, so std::mutex
# and std::thread exist) and runs the Windows test programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUILLERY_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLERY_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLERY_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLERY_MINGW_PREFIX}-windres)
set(QUILLERY_WIDL ${QUILLERY_MINGW_PREFIX}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLERY_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything static: the DLL and the tools must need no MinGW runtime DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
