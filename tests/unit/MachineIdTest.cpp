#include "store/MachineId.h"
#include "base/Decimal.h"
#include "store/SiteAddresses.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace quillery {
namespace {

TEST(MachineIdTest, FromVolumeSerialNumber) {
    struct Case {
        std::uint32_t serial;
        const wchar_t* id;
    } cases[] = {
        {0x1234ABCD, L"30544"}, {0xDEADBEEF, L"55903"}, {0x0000007B, L"12300"},
        {0x80000000, L"21474"}, {0xFFFFFFFF, L"10000"}, {0x00000000, L"00000"},
        {99999, L"99999"},      {100000, L"10000"},     {0x43000000, L"11240"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MachineIdFromSerial(c.serial), c.id) << std::hex << c.serial;
    }
}

TEST(MachineIdTest, AsksForDriveCAndTreatsFailureAsZero) {
    testing::FakePlatform platform;
    platform.system.serial = 0xDEADBEEF;
    EXPECT_EQ(GetMachineId(platform.system), L"55903");
    ASSERT_EQ(platform.system.queriedRoots.size(), 1u);
    EXPECT_EQ(platform.system.queriedRoots[0], L"C:\\");

    platform.system.serial.reset();
    EXPECT_EQ(GetMachineId(platform.system), L"00000");
}

TEST(SiteAddressesTest, Composition) {
    struct Case {
        std::wstring headerText;
        std::wstring site;
    } cases[] = {
        {L"  http://www.example.com/q" + std::wstring(172, L' '),
         L"http://www.example.com/q?fact=30544"},
        {L"http://example.com/a?b=1", L"http://example.com/a?b=1?fact=30544"}, // used as stored
        {std::wstring(200, L'\0'), std::wstring(200, L'\0') + L"?fact=30544"},
        {std::wstring(200, L' '), L"?fact=30544"},
    };
    for (const auto& c : cases) {
        const SiteAddresses addresses = ComposeSiteAddresses(c.headerText, L"30544");
        EXPECT_EQ(addresses.site, c.site);
        EXPECT_EQ(addresses.help, c.site + L"&ref=help");
        EXPECT_EQ(addresses.links, c.site + L"&ref=links");
    }
}

// The digits that the serial number and the line tags are written with, as std::to_wstring
// writes them, the extremes included.
TEST(DecimalTextTest, WritesAsToWstringDoes) {
    for (const std::int64_t value :
         {std::int64_t{0}, std::int64_t{7}, std::int64_t{-7}, std::int64_t{30544},
          std::int64_t{-2147483648LL}, std::numeric_limits<std::int64_t>::max(),
          std::numeric_limits<std::int64_t>::min()}) {
        EXPECT_EQ(DecimalText(value), std::to_wstring(value)) << value;
    }
}

} // namespace
} // namespace quillery
