# Cross-compiles for 32-bit Windows with MinGW-w64 and runs the Windows test programs under Wine.
# The win32 thread model keeps the threads library (winpthread) out of the statically linked DLL:
# with it there is no std::thread, std::mutex or std::condition_variable, so the code uses the
# system's critical sections, events, threads and TLS slots instead.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLERY_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
