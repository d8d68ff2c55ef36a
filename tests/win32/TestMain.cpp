// The Windows test programs' main: runs the tests, then, before the process ends, waits until
// every other thread of the process has started (see ThreadStarts.h).

#include "ThreadStarts.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    quillery::wintest::WaitForOtherThreadsToStart();
    return status;
}
