#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quillery {

// One record of the data file: a snippet, or the header. In memory the text fields always
// hold exactly their full width of characters, like fixed-length strings.
struct MenuRecord {
    static constexpr std::size_t kDescriptionWidth = 30;
    static constexpr std::size_t kTextWidth = 200;

    std::wstring Description = std::wstring(kDescriptionWidth, L'\0');
    std::wstring Text = std::wstring(kTextWidth, L'\0');
    std::int16_t Flag = 0;

    // Assigning a value cuts it to the field's width or pads it on the right with spaces.
    void SetDescription(const std::wstring& value);
    void SetText(const std::wstring& value);

    // An item is empty when its description is blank after trimming spaces, or starts with NUL.
    bool IsEmptyItem() const;

    bool operator==(const MenuRecord& other) const {
        return Description == other.Description && Text == other.Text && Flag == other.Flag;
    }
    bool operator!=(const MenuRecord& other) const { return !(*this == other); }
};

// The snippets the data file holds are items 1 to 20, after its header. In memory they sit in a
// table indexed by item number; the slots past 20 are never written and always empty.
inline constexpr int kFirstItem = 1;
inline constexpr int kLastItem = 20;
inline constexpr int kSnippetSlots = 51;
using SnippetTable = std::array<MenuRecord, kSnippetSlots>;

// Whether `item` is one of the items the data file stores.
inline constexpr bool IsStoredItem(int item) {
    return item >= kFirstItem && item <= kLastItem;
}

// Cuts `value` to `width` characters or pads it with spaces up to `width`.
std::wstring FitToWidth(const std::wstring& value, std::size_t width);

// The value up to its first NUL. A record that lies partly beyond the end of a short file reads
// as NULs there, and a text box or a web form ends its text at a NUL anyway.
std::wstring UpToFirstNul(const std::wstring& value);

// Removes leading and trailing space characters (U+0020) only; NUL, tabs and line breaks stay.
std::wstring TrimSpaces(const std::wstring& value);

// A stored field as the user gets it: up to its first NUL, without spaces at its ends.
inline std::wstring ShownText(const std::wstring& field) {
    return TrimSpaces(UpToFirstNul(field));
}

} // namespace quillery
