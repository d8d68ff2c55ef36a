#include "tools/menudat/Menudat.h"

#include "base/Boundary.h"
#include "base/Utf8.h"
#include "record/MenuRecord.h"
#include "store/MenuDataFile.h"
#include "store/RecordCodec.h"

#include <cstdint>
#include <cwchar>
#include <memory>
#include <optional>
#include <sstream>

namespace quillery::menudat {
namespace {

// Snippets that the shipped data file starts with: they show what the menu is for.
struct Starter {
    const wchar_t* description;
    const wchar_t* text;
};
constexpr Starter kStarters[] = {
    {L"My e-mail address", L"name@example.com"},
    {L"Postal address", L"1 Example Street\r\nExampletown EX1 2MP"},
    {L"Thank-you note", L"Thank you for your message. I will reply within two days."},
    {L"Signature", L"Kind regards,\r\nA. Quillery user"},
};

// Writes `text` with every control character escaped: the C0 controls, DEL and the C1
// controls, which a terminal would otherwise obey (retitle, clear, move the cursor). With
// `quoted`, quotes and backslashes are escaped too, for a value shown between quotes.
void PutEscaped(std::ostream& shown, std::wstring_view text, bool quoted) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < text.size();) {
        std::size_t run = 1;
        while (i + run < text.size() && text[i + run] == L'\0' && text[i] == L'\0') {
            ++run;
        }
        const wchar_t ch = text[i];
        if (ch == L'\0') {
            shown << "\\0";
            if (run > 1) {
                shown << "{" << run << "}";
            }
        } else if (ch == L'\r') {
            shown << "\\r";
        } else if (ch == L'\n') {
            shown << "\\n";
        } else if (ch == L'\t') {
            shown << "\\t";
        } else if (quoted && (ch == L'"' || ch == L'\\')) {
            shown << '\\' << static_cast<char>(ch);
        } else if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) {
            shown << "\\x" << kHex[(ch >> 4) & 0xF] << kHex[ch & 0xF];
        } else {
            // A surrogate pair is one character.
            const bool pair = ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() &&
                              text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            run = pair ? 2 : 1;
            shown << ToUtf8(text.substr(i, run));
        }
        i += run;
    }
}

// Shows a field's value between quotes with its control characters escaped and its padding
// counted, so that NULs, line breaks and trailing spaces can all be seen.
std::string ShowField(const std::wstring& field) {
    std::size_t end = field.size();
    while (end > 0 && field[end - 1] == L' ') {
        --end;
    }
    std::ostringstream shown;
    shown << '"';
    PutEscaped(shown, std::wstring_view(field).substr(0, end), /*quoted=*/true);
    shown << '"';
    if (end < field.size()) {
        shown << " + " << (field.size() - end) << " spaces";
    }
    return shown.str();
}

// A description as a line of the list shows it: as typed, but with no control character left
// to act on the terminal.
std::string ShowDescription(const std::wstring& description) {
    std::ostringstream shown;
    PutEscaped(shown, description, /*quoted=*/false);
    return shown.str();
}

// A line break typed on a POSIX command line is a bare LF; in the menu's text boxes a line
// break is CR LF, so that is what is stored.
std::wstring WindowsLineBreaks(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            out.push_back(L'\r');
        }
        out.push_back(text[i]);
    }
    return out;
}

class Tool {
public:
    Tool(FileSystem& files, const AnsiCodec& ansi, std::ostream& out, std::ostream& err)
        : files_(files), ansi_(ansi), out_(out), err_(err) {}

    int Dispatch(const std::vector<std::wstring>& args) {
        if (args.empty()) {
            return UsageFailure("no command given");
        }
        const std::wstring& command = args[0];
        const std::vector<std::wstring> rest(args.begin() + 1, args.end());
        if (command == L"init") {
            return Init(rest);
        }
        if (command == L"list" && rest.size() == 1) {
            return List(rest[0]);
        }
        if (command == L"dump" && rest.size() == 1) {
            return Dump(rest[0]);
        }
        if (command == L"set" && rest.size() == 4) {
            return Set(rest[0], rest[1], rest[2], rest[3]);
        }
        if (command == L"remove" && rest.size() == 2) {
            return Remove(rest[0], rest[1]);
        }
        if (command == L"welcome" && rest.size() == 2) {
            return Welcome(rest[0], rest[1]);
        }
        if (command == L"help" || command == L"--help" || command == L"-h") {
            out_ << Usage();
            return kOk;
        }
        return UsageFailure("unknown command or wrong number of arguments: " + ToUtf8(command));
    }

private:
    int UsageFailure(const std::string& why) {
        err_ << "menudat: " << why << "\n" << Usage();
        return kUsageError;
    }

    int Fail(int code, const std::string& why) {
        err_ << "menudat: " << why << "\n";
        return code;
    }

    std::unique_ptr<RecordFile> OpenExisting(const std::wstring& path, FileAccess access) {
        if (!files_.Exists(path)) {
            err_ << "menudat: " << ToUtf8(path) << ": no such data file\n";
            return nullptr;
        }
        auto file = files_.Open(path, access);
        if (!file) {
            err_ << "menudat: " << ToUtf8(path) << ": cannot open the data file"
                 << (access == FileAccess::ReadWrite ? " for writing" : "") << "\n";
        }
        return file;
    }

    std::optional<int> ParseItem(const std::wstring& text) {
        if (text.empty() || text.size() > 2 ||
            text.find_first_not_of(L"0123456789") != std::wstring::npos) {
            return std::nullopt;
        }
        const int item = std::stoi(text);
        if (item < kFirstItem || item > kLastItem) {
            return std::nullopt;
        }
        return item;
    }

    // Values longer than their field are refused rather than silently cut. A field's width is
    // in bytes of the code page, where some characters take two.
    bool CheckWidth(const char* what, const std::wstring& value, std::size_t width) {
        const std::size_t bytes = ansi_.Encode(value).size();
        if (bytes <= width) {
            return true;
        }
        err_ << "menudat: the " << what << " takes " << bytes
             << " bytes in the data file's code page; at most " << width
             << " fit, so it was refused (nothing written)\n";
        return false;
    }

    int Init(const std::vector<std::wstring>& args) {
        bool force = false;
        bool starters = false;
        std::vector<std::wstring> positional;
        for (const auto& arg : args) {
            if (arg == L"--force") {
                force = true;
            } else if (arg == L"--starters") {
                starters = true;
            } else if (arg.rfind(L"--", 0) == 0) {
                return UsageFailure("unknown option for init: " + ToUtf8(arg));
            } else {
                positional.push_back(arg);
            }
        }
        if (positional.size() != 2) {
            return UsageFailure("init needs FILE and BASE-ADDRESS");
        }
        const std::wstring& path = positional[0];
        const std::wstring& base = positional[1];
        if (!CheckWidth("base address", base, MenuRecord::kTextWidth)) {
            return kUsageError;
        }
        if (!force && files_.Exists(path)) {
            return Fail(kFileError, ToUtf8(path) +
                                        ": already exists; it holds the user's snippets, so it "
                                        "is kept (use --force to replace it)");
        }
        auto file = files_.Create(path, force);
        if (!file) {
            return Fail(kFileError, ToUtf8(path) + ": cannot create the data file");
        }
        MenuDataFile data(*file, ansi_);
        MenuRecord header;
        header.SetDescription(L"");
        header.SetText(base);
        header.Flag = 0; // a new user sees the welcome window
        bool written = data.Write(kHeaderRecord, header);
        if (starters) {
            int item = kFirstItem;
            for (const Starter& starter : kStarters) {
                MenuRecord record;
                record.SetDescription(starter.description);
                record.SetText(starter.text);
                written = written && data.Write(RecordOfItem(item++), record);
            }
        }
        if (!written) {
            return Fail(kFileError, ToUtf8(path) + ": write failed");
        }
        out_ << "created " << ToUtf8(path) << "\n";
        return kOk;
    }

    int List(const std::wstring& path) {
        auto file = OpenExisting(path, FileAccess::ReadOnly);
        if (!file) {
            return kFileError;
        }
        MenuDataFile data(*file, ansi_);
        const auto header = data.Read(kHeaderRecord);
        if (!header) {
            return Fail(kFileError, "cannot read the header");
        }
        out_ << "base address: " << ShowField(TrimSpaces(header->Text)) << "\n";
        out_ << "welcome window: " << (header->Flag == 1 ? "off" : "on") << " (flag "
             << header->Flag << ")\n";
        int shown = 0;
        for (int item = kFirstItem; item <= kLastItem; ++item) {
            const auto record = data.Read(RecordOfItem(item));
            if (!record) {
                return Fail(kFileError, "cannot read item " + std::to_string(item));
            }
            if (record->IsEmptyItem()) {
                continue;
            }
            ++shown;
            out_ << (item < 10 ? " " : "") << item << "  "
                 << ShowDescription(TrimSpaces(record->Description)) << "  ->  "
                 << ShowField(TrimSpaces(record->Text)) << "\n";
        }
        out_ << shown << (shown == 1 ? " snippet" : " snippets") << "\n";
        return kOk;
    }

    int Dump(const std::wstring& path) {
        auto file = OpenExisting(path, FileAccess::ReadOnly);
        if (!file) {
            return kFileError;
        }
        std::uint64_t size = 0;
        RecordBytes chunk{};
        while (const auto got = file->ReadAt(size, chunk.data(), chunk.size())) {
            size += *got;
            if (*got < chunk.size()) {
                break;
            }
        }
        const std::uint64_t records = (size + kRecordSize - 1) / kRecordSize;
        out_ << ToUtf8(path) << ": " << size << " bytes, " << records << " records"
             << (size % kRecordSize != 0 ? " (the last one partial)" : "") << "\n";
        MenuDataFile data(*file, ansi_);
        for (std::uint64_t number = 1; number <= records; ++number) {
            const auto record = data.Read(static_cast<int>(number));
            if (!record) {
                return Fail(kFileError, "cannot read record " + std::to_string(number));
            }
            std::string role = "header";
            if (number == 2) {
                role = "unused";
            } else if (number >= 3 && number <= 22) {
                role = "item " + std::to_string(number - 2);
            } else if (number > 22) {
                role = "ignored";
            }
            out_ << "record " << number << " (" << role << ")\n"
                 << "  Description " << ShowField(record->Description) << "\n"
                 << "  Text        " << ShowField(record->Text) << "\n"
                 << "  Flag        " << record->Flag << "\n";
        }
        return kOk;
    }

    int Set(const std::wstring& path, const std::wstring& itemText, const std::wstring& description,
            const std::wstring& rawText) {
        const auto item = ParseItem(itemText);
        if (!item) {
            return UsageFailure("item number must be 1 to 20: " + ToUtf8(itemText));
        }
        const std::wstring text = WindowsLineBreaks(rawText);
        if (!CheckWidth("description", description, MenuRecord::kDescriptionWidth) ||
            !CheckWidth("text", text, MenuRecord::kTextWidth)) {
            return kUsageError;
        }
        return Update(path, *item, [&](MenuRecord& record) {
            record.SetDescription(description);
            record.SetText(text);
        });
    }

    int Remove(const std::wstring& path, const std::wstring& itemText) {
        const auto item = ParseItem(itemText);
        if (!item) {
            return UsageFailure("item number must be 1 to 20: " + ToUtf8(itemText));
        }
        // As the menu's Remove: the description is blanked, the text and flag stay.
        return Update(path, *item, [](MenuRecord& record) { record.SetDescription(L""); });
    }

    int Welcome(const std::wstring& path, const std::wstring& state) {
        if (state != L"on" && state != L"off") {
            return UsageFailure("welcome takes on or off");
        }
        return Update(path, kHeaderItemNumber,
                      [&](MenuRecord& header) { header.Flag = state == L"off" ? 1 : 0; });
    }

    // Reads one record, changes it and writes it back; nothing is written when the read fails.
    template <typename Change> int Update(const std::wstring& path, int itemNumber, Change change) {
        auto file = OpenExisting(path, FileAccess::ReadWrite);
        if (!file) {
            return kFileError;
        }
        MenuDataFile data(*file, ansi_);
        auto record = data.Read(RecordOfItem(itemNumber));
        if (!record) {
            return Fail(kFileError, "cannot read record " +
                                        std::to_string(RecordOfItem(itemNumber)) +
                                        "; nothing written");
        }
        change(*record);
        if (!data.Write(RecordOfItem(itemNumber), *record)) {
            return Fail(kFileError,
                        "cannot write record " + std::to_string(RecordOfItem(itemNumber)));
        }
        return kOk;
    }

    FileSystem& files_;
    const AnsiCodec& ansi_;
    std::ostream& out_;
    std::ostream& err_;
};

// One argument in the locale's multi-byte encoding; nothing when it is not valid there.
std::optional<std::wstring> DecodeArgument(const std::string& arg) {
    std::mbstate_t state{};
    const char* source = arg.c_str();
    const std::size_t size = std::mbsrtowcs(nullptr, &source, 0, &state);
    if (size == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    std::wstring wide(size, L'\0');
    source = arg.c_str();
    state = std::mbstate_t{};
    std::mbsrtowcs(wide.data(), &source, wide.size(), &state);
    return wide;
}

} // namespace

int RunFromTerminal(const std::vector<std::string>& args, FileSystem& files, const AnsiCodec& ansi,
                    std::ostream& out, std::ostream& err) {
    std::vector<std::wstring> decoded;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::optional<std::wstring> arg = DecodeArgument(args[i]);
        if (!arg) {
            err << "menudat: argument " << i + 1
                << " is not valid text in this terminal's encoding; nothing was done\n";
            return kUsageError;
        }
        decoded.push_back(std::move(*arg));
    }
    return Run(decoded, files, ansi, out, err);
}

std::string Usage() {
    return "usage: menudat COMMAND FILE ...\n"
           "  init FILE BASE-ADDRESS [--starters] [--force]\n"
           "                      create a data file: the header holds BASE-ADDRESS and the\n"
           "                      welcome window is on; --starters adds sample snippets;\n"
           "                      an existing file is kept unless --force is given\n"
           "  list FILE           the base address, the welcome setting and the snippets\n"
           "  dump FILE           every record with its NULs and padding shown\n"
           "  set FILE N DESCRIPTION TEXT\n"
           "                      store snippet N (1-20); at most 30 and 200 bytes of the\n"
           "                      code page (a character of Chinese, Japanese or Korean\n"
           "                      takes two), longer values are refused; LF line breaks\n"
           "                      become CR LF\n"
           "  remove FILE N       blank snippet N's description (its text stays)\n"
           "  welcome FILE on|off show or stop showing the welcome window\n"
           "exit status: 0 done, 1 file error, 2 usage error\n";
}

int Run(const std::vector<std::wstring>& args, FileSystem& files, const AnsiCodec& ansi,
        std::ostream& out, std::ostream& err) {
    return ProcessMain([&] { return Tool(files, ansi, out, err).Dispatch(args); },
                       [&](const CaughtFailure& failure) {
                           err << "menudat: " << failure.what << "\n";
                           return kFileError;
                       });
}

} // namespace quillery::menudat
