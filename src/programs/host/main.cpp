// quillery-host.exe: the native messaging host that browsers start for the Quillery extension.
// It answers each message on standard input, {"request": "menu"}, with the snippet the user
// chose from the menu, until the browser closes its end (a menu still open then is closed) or
// nobody has asked for ten minutes. The menu takes the keyboard from the browser's window that
// the browser names (Windows only).

#include "base/Boundary.h"
#include "host/MenuApartment.h"
#include "host/ReadAhead.h"
#include "host/StandardStreams.h"
#include "messaging/HostArguments.h"
#include "messaging/MessageService.h"

#include <memory>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    using namespace quillery::host;
    return quillery::ProcessMain(
        [&] {
            ReadAhead incoming(std::make_unique<StandardInput>());
            if (!incoming.Started()) {
                return 1;
            }
            StandardOutput output;
            const std::vector<std::string_view> arguments(argv + 1, argv + argc);
            const auto browserWindow = reinterpret_cast<HWND>(
                static_cast<std::uintptr_t>(quillery::messaging::ParentWindowArgument(arguments)));
            MenuApartment menu(incoming.Ended(), incoming.Waiting(), browserWindow);
            return quillery::messaging::ServeMessages(
                incoming, output, menu, quillery::messaging::IdleLimitArgument(arguments));
        },
        [](const quillery::CaughtFailure&) {
            return 1; // no memory left for a message or an answer
        });
}
