#include "access/AdministratorsOnly.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

namespace quillery {
namespace {

using namespace access_rights;

const std::wstring kAdministrators = L"S-1-5-32-544", kUsers = L"S-1-5-32-545";
const std::wstring kSignedIn = L"S-1-5-11";
const std::wstring kRoot = L"C:\\", kProgramFiles = L"C:\\Program Files";
const std::wstring kVendor = kProgramFiles + L"\\Vendor", kDll = kVendor + L"\\Pennock.dll";

struct FakeFileSecurity final : FileSecurity {
    std::map<std::wstring, std::optional<SecurityDescription>> paths;
    std::optional<SecurityDescription> Describe(const std::wstring& path) override {
        return paths.count(path) != 0 ? paths.at(path) : std::nullopt;
    }
};

// Laid out as a system drive's: administrators' full control, users' reading, the creator's
// rights handed down only, and every signed-in user's right to make folders in the root.
FakeFileSecurity AdministratorsTree() {
    FakeFileSecurity tree;
    const std::vector<AccessEntry> entries = {{true, kAdministrators, 0x1F01FF},
                                              {true, L"S-1-5-18", 0x1F01FF},
                                              {true, kUsers, 0x1200A9},
                                              {true, L"S-1-3-0", kGenericAll, true}};
    for (const std::wstring& path : {kRoot, kProgramFiles, kVendor, kDll}) {
        tree.paths[path] = SecurityDescription{kAdministrators, true, entries};
    }
    tree.paths[kRoot]->entries.push_back({true, kSignedIn, kAppendData});
    return tree;
}

TEST(AdministratorsOnlyTest, EveryLevelFromTheFileToTheRootMustKeepOthersOut) {
    using Change = std::function<void(FakeFileSecurity&)>;
    const auto grant = [](const std::wstring& path, AccessEntry entry) -> Change {
        return [=](FakeFileSecurity& tree) { tree.paths[path]->entries.push_back(entry); };
    };
    const struct {
        const char* what;
        Change change;
        bool administratorsOnly;
        std::wstring path = kDll;
    } cases[] = {
        {"a system drive's tree", [](FakeFileSecurity&) {}, true},
        {"its folder takes users' files", grant(kVendor, {true, kUsers, kWriteData}), false},
        {"a folder further up can be renamed away",
         grant(kProgramFiles, {true, kSignedIn, kDelete}), false},
        {"the root's entries can be removed", grant(kRoot, {true, kUsers, kDeleteChild}), false},
        {"the file is a user's", [](auto& tree) { tree.paths[kDll]->owner = L"S-1-5-21-1-1001"; },
         false},
        {"a null access list", [](auto& tree) { tree.paths[kVendor]->hasAccessList = false; },
         false},
        {"a folder that cannot be read", [](auto& tree) { tree.paths[kVendor].reset(); }, false},
        {"a denial is no grant", grant(kDll, {false, L"S-1-1-0", kWriteData}), true},
        {"a climbing path", [](auto& tree) { tree.paths[kVendor + L"\\.."] = tree.paths[kVendor]; },
         false, kVendor + L"\\..\\Pennock.dll"},
    };
    for (const auto& c : cases) {
        FakeFileSecurity tree = AdministratorsTree();
        c.change(tree);
        tree.paths[c.path] = tree.paths[kDll];
        EXPECT_EQ(OnlyAdministratorsCanChange(tree, c.path), c.administratorsOnly) << c.what;
    }
}

} // namespace
} // namespace quillery
