#include "base/WindowsPath.h"

#include "base/Utf8.h"

#include <gtest/gtest.h>

namespace quillery {
namespace {

// Whether a DLL lies in a folder that only administrators can change decides where it
// registers: a path that only looks as if it were inside must not count.
TEST(WindowsPathTest, InsideAFolderOnlyWhenEveryStepBelowItIsAPlainName) {
    const std::wstring_view files = L"C:\\Program Files";
    const struct {
        const wchar_t* path;
        std::wstring_view folder;
        bool inside;
    } cases[] = {
        {L"C:\\Program Files\\Quillery\\Pennock.dll", files, true},
        {L"c:\\PROGRAM FILES\\Quillery\\Pennock.dll", files, true},
        {L"C:\\Windows\\System32\\Pennock.dll", L"C:\\Windows\\", true},
        {L"C:\\Program Files (x86)\\Pennock.dll", files, false}, // a sibling, not a child
        {L"C:\\Program Files", files, false},
        {L"C:\\Program Files\\", files, false},
        {L"C:\\Program Files\\..\\Users\\Ann\\Pennock.dll", files, false},
        {L"C:\\Program Files\\Quillery/../../Users/Ann/Pennock.dll", files, false},
        {L"C:\\Program Files\\\\Pennock.dll", files, false},
        {L"C:\\Users\\Ann\\Pennock.dll", L"", false},         // a folder the system could not name
        {L"C:\\PRÖGRAM\\Pennock.dll", L"C:\\Prögram", false}, // only ASCII letters fold
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsInsideFolder(c.path, c.folder), c.inside) << ToUtf8(c.path);
    }
    EXPECT_TRUE(SamePathSpelling(L"C:\\Users\\Ann\\Pennock.dll", L"c:\\users\\ann\\PENNOCK.DLL"));
    EXPECT_FALSE(SamePathSpelling(L"C:\\Users\\Ann\\Pennock.dll", L"C:\\Users\\Ann\\Pennock.dl"));
}

} // namespace
} // namespace quillery
