#pragma once

// The component's fixed user-visible texts. The spelling is the product's own and callers,
// installers and users may rely on it: do not correct it.
namespace quillery::messages {

inline constexpr const wchar_t* kProductName = L"Quillery";

inline constexpr const wchar_t* kErrorLoading = L"Error laoding Quillery";
inline constexpr const wchar_t* kErrorOpeningDataFile = L"Error opening data file";
inline constexpr const wchar_t* kErrorRetrievingItem = L"Error retrieving menu item";
inline constexpr const wchar_t* kErrorSavingItem = L"Error saving menu item";
inline constexpr const wchar_t* kErrorDisplayingMenu = L"Error displaying menu";
inline constexpr const wchar_t* kErrorSettingItem = L"Error setting Menu item";
inline constexpr const wchar_t* kErrorEditingItem = L"Error editing menu item";
inline constexpr const wchar_t* kLaunchFailed = L"External application launch failed";

// The editor's refusal of a field that the data file cannot hold: under a code page of two
// bytes per character (Chinese, Japanese, Korean) a field holds half as many such characters.
inline constexpr const wchar_t* kDescriptionTooLong =
    L"The description is too long to be saved. It can hold 30 characters, or 15 of a language "
    L"that writes each character with two bytes.";
inline constexpr const wchar_t* kTextTooLong =
    L"The text to insert is too long to be saved. It can hold 200 characters, or 100 of a "
    L"language that writes each character with two bytes.";

// A change not saved because another window or program changed the same snippet since this
// menu read it: the menu then shows the snippet as it now is.
inline constexpr const wchar_t* kChangedElsewhere =
    L"Another window changed this snippet, so your change was not saved.";

} // namespace quillery::messages
