#include "access/AdministratorsOnly.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace quillery {
namespace {

namespace rights = access_rights;

const std::wstring kAdministrators = L"S-1-5-32-544";
const std::wstring kSystem = L"S-1-5-18";
const std::wstring kUsers = L"S-1-5-32-545";
const std::wstring kSignedIn = L"S-1-5-11";
const std::wstring kEveryone = L"S-1-1-0";
const std::wstring kAnn = L"S-1-5-21-1-2-3-1001";
constexpr std::uint32_t kFullControl = 0x1F01FF;
constexpr std::uint32_t kModify = 0x1301BF;

const std::wstring kRoot = L"C:\\";
const std::wstring kProgramFiles = L"C:\\Program Files";
const std::wstring kVendor = L"C:\\Program Files\\Vendor";
const std::wstring kDll = L"C:\\Program Files\\Vendor\\Pennock.dll";

class FakeFileSecurity final : public FileSecurity {
public:
    std::map<std::wstring, std::optional<SecurityDescription>> paths;
    std::optional<SecurityDescription> Describe(const std::wstring& path) override {
        const auto found = paths.find(path);
        return found == paths.end() ? std::nullopt : found->second;
    }
};

// A tree laid out as a system drive's: administrators' full control, users' reading, the
// creator's rights handed down only, and the root's right of every signed-in user to make
// folders in it.
FakeFileSecurity AdministratorsTree() {
    FakeFileSecurity tree;
    for (const std::wstring& path : {kRoot, kProgramFiles, kVendor, kDll}) {
        tree.paths[path] = SecurityDescription{kAdministrators,
                                               true,
                                               {{true, kAdministrators, kFullControl},
                                                {true, kSystem, kFullControl},
                                                {true, kUsers, 0x1200A9},
                                                {true, L"S-1-3-0", rights::kGenericAll, true}}};
    }
    tree.paths[kRoot]->entries.push_back({true, kSignedIn, rights::kAppendData});
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
    } cases[] = {
        {"a system drive's tree", [](FakeFileSecurity&) {}, true},
        {"its folder takes users' files", grant(kVendor, {true, kUsers, rights::kWriteData}),
         false},
        {"a folder further up can be renamed away",
         grant(kProgramFiles, {true, kSignedIn, kModify}), false},
        {"the root lets anyone remove what it holds",
         grant(kRoot, {true, kEveryone, rights::kDeleteChild}), false},
        {"the file's access list is open to users", grant(kDll, {true, kUsers, rights::kWriteDac}),
         false},
        {"the file is a user's", [](FakeFileSecurity& tree) { tree.paths[kDll]->owner = kAnn; },
         false},
        {"a null access list",
         [](FakeFileSecurity& tree) { tree.paths[kProgramFiles]->hasAccessList = false; }, false},
        {"a folder that cannot be read",
         [](FakeFileSecurity& tree) { tree.paths[kVendor].reset(); }, false},
        {"a denial is no grant", grant(kDll, {false, kEveryone, rights::kWriteData}), true},
    };
    for (const auto& c : cases) {
        FakeFileSecurity tree = AdministratorsTree();
        c.change(tree);
        EXPECT_EQ(OnlyAdministratorsCanChange(tree, kDll), c.administratorsOnly) << c.what;
    }
    // Only a drive's path of plain names is walked, whatever the port would say of it.
    FakeFileSecurity tree = AdministratorsTree();
    const std::wstring climbing = kVendor + L"\\..";
    tree.paths[climbing] = tree.paths[kVendor];
    for (const std::wstring& path : {climbing + L"\\Pennock.dll", std::wstring(L"Pennock.dll")}) {
        tree.paths[path] = tree.paths[kDll];
        EXPECT_FALSE(OnlyAdministratorsCanChange(tree, path)) << testing::PrintToString(path);
    }
}

} // namespace
} // namespace quillery
