#include "base/WindowsPath.h"

#include <gtest/gtest.h>

namespace quillery {
namespace {

// Whether a registration names this same file decides whether unregistering removes it.
TEST(WindowsPathTest, SpellingsDifferOnlyInTheCaseOfAsciiLetters) {
    EXPECT_TRUE(SamePathSpelling(L"C:\\Users\\Ann\\Pennock.dll", L"c:\\users\\ann\\PENNOCK.DLL"));
    EXPECT_FALSE(SamePathSpelling(L"C:\\Users\\Ann\\Pennock.dll", L"C:\\Users\\Ann\\Pennock.dl"));
}

} // namespace
} // namespace quillery
