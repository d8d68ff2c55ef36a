# Cross-compiles for 32-bit Windows with MinGW-w64 and runs the Windows test programs under Wine.
# The win32 thread model keeps the threads library (winpthread) out of the statically linked DLL:
# with it there is no std::thread, std::mutex or std::condition_variable, so the code uses the
# system's critical sections, events, threads and TLS slots instead.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUILLERY_MINGW_PREFIX i686-w64-mingw32)
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

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
