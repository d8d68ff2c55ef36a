#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillery::resident {

// What Quillery.exe is asked to do by its command line.
struct ResidentCommand {
    enum class Kind {
        StayResident, // no argument: the icon and the hotkey, until Exit
        MenuOnce,     // /menu: the menu once at the focused program's caret, then exit
        Quit,         // /quit: end the running instance
        Wrong,        // anything else
    };
    Kind kind = Kind::StayResident;
    std::wstring wrong; // the argument that was not understood
};

// `arguments` follow the program's name. "/menu" and "/quit" (also with '-', in any case), one
// at most.
ResidentCommand ParseResidentArguments(const std::vector<std::wstring_view>& arguments);

// What a wrong command line is told: the argument and the ones the program takes.
std::wstring WrongArgumentMessage(const ResidentCommand& command);

} // namespace quillery::resident
