// Fuzz target: one whole menu request over a data file of arbitrary bytes, through the native
// backend's real files and the unit tests' scripted windows. Each input is the whole Menu.dat
// and is loaded three times: under the native Windows-1252 code page, under the tests'
// double-byte one, and under Windows-1252 with the file failing in a way the input's length
// picks. A request must end with a loaded menu or one of the fixed messages, close its file
// and windows, and change nothing in the file but the welcome window's answer.
#include "fuzz/FuzzCheck.h"
#include "menu/MenuRequest.h"
#include "messages/Messages.h"
#include "store/MenuDataFile.h"
#include "store/RecordCodec.h"
#include "support/DoubleByteCodec.h"
#include "support/FakePlatform.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace quillery;
using quillery::fuzzing::Require;
using quillery::testing::FakePlatform;

using Bytes = std::vector<std::uint8_t>;

bool IsFixedMessage(const std::wstring& text) {
    for (const wchar_t* fixed :
         {messages::kErrorLoading, messages::kErrorOpeningDataFile, messages::kErrorRetrievingItem,
          messages::kErrorSavingItem, messages::kErrorDisplayingMenu, messages::kErrorSettingItem,
          messages::kErrorEditingItem, messages::kLaunchFailed}) {
        if (text == fixed) {
            return true;
        }
    }
    return false;
}

// `width` bytes of the file from `offset`, zero bytes past its end: a record as the store
// reads it.
Bytes Slice(const Bytes& file, std::size_t offset, std::size_t width) {
    Bytes slice(width, 0);
    if (offset < file.size()) {
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset),
                    std::min(width, file.size() - offset), slice.begin());
    }
    return slice;
}

RecordBytes RecordAt(const Bytes& file, int recordNumber) {
    const Bytes slice =
        Slice(file, static_cast<std::size_t>(recordNumber - 1) * kRecordSize, kRecordSize);
    RecordBytes record{};
    std::copy(slice.begin(), slice.end(), record.begin());
    return record;
}

// What the request showed and returned, as the script saw it.
struct Seen {
    bool welcome = false;
    bool welcomeTicked = false;
    bool menu = false;
    std::vector<std::wstring> captions; // the menu's lines, top to bottom
    bool clickedLastLine = false;
};

// In Windows-1252 every byte is one character, so what the user should see can be read off
// the bytes: an item is shown when its description neither starts with a zero byte nor is all
// spaces, each line shows its description's 30 bytes, and clicking a line returns its text up
// to the first zero byte, without the spaces at both ends.
void CheckShownAsStored(const Bytes& file, const Seen& seen, const std::wstring& returned,
                        const AnsiCodec& ansi) {
    std::vector<Bytes> shownTexts;
    std::size_t line = 0;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const std::size_t record = static_cast<std::size_t>(item + 1) * kRecordSize;
        const Bytes description =
            Slice(file, record + kDescriptionOffset, MenuRecord::kDescriptionWidth);
        const bool blank =
            description[0] == 0 || std::all_of(description.begin(), description.end(),
                                               [](std::uint8_t byte) { return byte == ' '; });
        if (blank) {
            continue;
        }
        Require(line < seen.captions.size(), "every stored item has its line");
        Require(ansi.Encode(seen.captions[line]) ==
                    std::string(description.begin(), description.end()),
                "a line shows its item's description as stored");
        ++line;
        shownTexts.push_back(Slice(file, record + kTextOffset, MenuRecord::kTextWidth));
    }
    Require(line == seen.captions.size(), "no line without a stored item");
    if (!seen.clickedLastLine) {
        return;
    }
    Bytes text = shownTexts.back();
    text.erase(std::find(text.begin(), text.end(), 0), text.end());
    const auto first = std::find_if(text.begin(), text.end(), [](auto b) { return b != ' '; });
    const auto last = std::find_if(text.rbegin(), text.rend(), [](auto b) { return b != ' '; });
    text = first == text.end() ? Bytes{} : Bytes(first, last.base());
    Require(returned == ansi.Decode(text.data(), text.size()),
            "a click returns the item's stored text up to its first NUL, trimmed");
}

// Loading changes nothing in the file. The welcome window's answer is the one write: the
// header's flag becomes the answer and its description and base address are carried through
// as read (byte for byte where every byte is a character), so a file shorter than the header
// grows to one record. Nothing past the header changes.
void CheckFileAfter(const Bytes& before, const Bytes& after, bool answerWritten, bool ticked,
                    const AnsiCodec& ansi, bool everyByteACharacter) {
    if (!answerWritten) {
        Require(after == before, "a request that saved nothing leaves the file as it was");
        return;
    }
    Require(after.size() == std::max(before.size(), kRecordSize),
            "the welcome answer writes the header record only");
    Require(std::equal(after.begin() + kRecordSize, after.end(),
                       Slice(before, kRecordSize, after.size() - kRecordSize).begin()),
            "the welcome answer changes nothing past the header");
    const MenuRecord headerBefore = DecodeRecord(RecordAt(before, 1), ansi);
    const MenuRecord headerAfter = DecodeRecord(RecordAt(after, 1), ansi);
    Require(headerAfter.Description == headerBefore.Description &&
                headerAfter.Text == headerBefore.Text,
            "the header's description and base address are carried through");
    Require(headerAfter.Flag == (ticked ? 1 : 0),
            "the header's flag is the welcome window's answer");
    if (everyByteACharacter) {
        Require(Slice(after, 0, kFlagOffset) == Slice(before, 0, kFlagOffset),
                "in a single-byte code page the header's fields keep their bytes");
    }
}

// A failure of the file system during the request.
enum class Fault {
    None,
    ReadOnly,         // the file opens for reading only, so the welcome answer cannot be saved
    HeaderUnreadable, // reading record 1 fails
    ItemsUnreadable,  // reading one of the item records fails
};

void RunRequest(const Bytes& before, AnsiCodec& ansi, bool everyByteACharacter, Fault fault) {
    FakePlatform platform;
    platform.port.ansi = &ansi;
    testing::WriteBytes(platform.MenuFile(), before);
    testing::FakeUi& ui = platform.ui;
    platform.files.refuseReadWrite = fault == Fault::ReadOnly;
    if (fault == Fault::HeaderUnreadable) {
        platform.files.failReadOfRecord = {1};
    } else if (fault == Fault::ItemsUnreadable) {
        platform.files.failReadOfRecord = {
            RecordOfItem(kFirstItem + static_cast<int>(before.size() % kLastItem))};
    }

    // The user's part, one step per window: the welcome window is continued (its box ticked
    // for inputs of odd length); the menu's last line is clicked, or, with no lines, the
    // pointer leaves and the watch closes the menu.
    Seen seen;
    const auto step = [&] {
        if (ui.welcome != nullptr) {
            seen.welcome = true;
            seen.welcomeTicked = before.size() % 2 == 1;
            ui.welcome->OnDontShowAgainChanged(seen.welcomeTicked);
            ui.welcome->OnContinue();
            return;
        }
        if (ui.menu == nullptr) {
            return;
        }
        SnippetMenu& menu = *ui.menu;
        seen.menu = true;
        for (std::size_t line = 1; line <= menu.LineCount(); ++line) {
            seen.captions.push_back(menu.Layout().lines[line].caption);
        }
        if (menu.LineCount() > 0) {
            seen.clickedLastLine = true;
            menu.OnLineReleased(menu.LineCount(), MouseButton::Left);
        } else {
            const PixelRect rect = ui.View("menu")->WindowRect();
            ui.pointer = {rect.right + 1, rect.bottom + 1};
            ui.Tick();
        }
    };
    ui.Then(step);
    ui.Then(step);
    const std::wstring returned = RunMenuRequest(platform.port, ui);

    bool fatal = false;
    for (const testing::ShownBox& shown : platform.dialogs.shown) {
        Require(IsFixedMessage(shown.text), "every message shown is one of the fixed set");
        fatal = fatal || shown.style == (box::kOk | box::kIconStop);
    }
    Require(seen.menu || fatal, "the request shows the menu or reports a fatal failure");
    Require(!fatal || returned.empty(), "a request ended by a fatal report returns nothing");
    Require(ui.live.empty(), "no window is left after the request");
    Require(platform.files.openFiles == 0, "the data file is closed after the request");
    Require(ui.unfinished.empty(), "the request ended by the user's steps");

    const bool welcomeOff = Slice(before, kFlagOffset, 2) == Bytes{1, 0};
    const wchar_t* expectedReport = nullptr; // the one fatal report the fault must give
    if (fault == Fault::HeaderUnreadable || fault == Fault::ItemsUnreadable) {
        expectedReport = messages::kErrorRetrievingItem;
    } else if (fault == Fault::ReadOnly && !welcomeOff) {
        expectedReport = messages::kErrorSavingItem;
    }
    if (expectedReport != nullptr) {
        Require(platform.dialogs.shown.size() == 1 && fatal &&
                    platform.dialogs.shown[0].text == expectedReport,
                "a failing file gives its one fixed message, as fatal");
        Require(!seen.menu, "a fatal report while loading ends the request before the menu");
    }

    const Bytes after = testing::ReadBytes(platform.MenuFile());
    CheckFileAfter(before, after, seen.welcome && !fatal, seen.welcomeTicked, ansi,
                   everyByteACharacter);
    if (platform.dialogs.shown.empty()) {
        Require(seen.welcome == !welcomeOff,
                "the welcome window shows unless the header's flag is 1");
        if (everyByteACharacter) {
            CheckShownAsStored(before, seen, returned, ansi);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes file(data, data + size);
    Cp1252Codec windows1252;
    testing::DoubleByteCodec doubleByte;
    RunRequest(file, windows1252, /*everyByteACharacter=*/true, Fault::None);
    RunRequest(file, doubleByte, /*everyByteACharacter=*/false, Fault::None);
    RunRequest(file, windows1252, /*everyByteACharacter=*/true, static_cast<Fault>(1 + size % 3));
    return 0;
}
