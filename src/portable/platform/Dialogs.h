#pragma once

#include <string>

namespace quillery {

// Message box styles and answers; the values are the window system's own.
namespace box {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kIconStop = 16;
inline constexpr unsigned kIconQuestion = 32;
inline constexpr unsigned kIconExclamation = 48;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
} // namespace box

// Modal message boxes. While a box is up, the thread's other windows keep getting their
// messages (timers included).
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows the box and returns the button that closed it (a box:: answer).
    virtual int ShowMessage(const std::wstring& text, const std::wstring& title,
                            unsigned style) = 0;
};

} // namespace quillery
