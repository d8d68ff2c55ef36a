# Cross-compiles for 64-bit Windows with MinGW-w64, for 64-bit hosts, from the same sources as
# the 32-bit build, and runs the Windows test programs under a 64-bit Wine prefix. The same win32
# thread model as the 32-bit build (see mingw-i686.cmake): no winpthread in the DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLERY_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
