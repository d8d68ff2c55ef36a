# GoogleTest from the sources that Debian's googletest package installs, compiled with the
# same compiler as the project (native or MinGW), so no prebuilt library is needed.
set(QUILLERY_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${QUILLERY_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${QUILLERY_GTEST_SOURCE}: "
                        "install the Debian package googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${QUILLERY_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(WIN32)
    # MinGW-w64's win32 thread model has no std::mutex: GoogleTest gets its Notification from
    # this header instead of building the one that needs it.
    target_compile_options(gtest PUBLIC
        "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/GoogleTestNotification.h>")
endif()
