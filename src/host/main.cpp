// quillery-host.exe: the native messaging host that browsers start for the Quillery extension.
// It answers each message on standard input, {"request": "menu"}, with the snippet the user
// chose from the menu, until the browser closes its end; a menu still open then is closed.

#include "host/MenuApartment.h"
#include "host/ReadAhead.h"
#include "host/StandardStreams.h"
#include "messaging/MessageService.h"

#include <memory>

int main() {
    using namespace quillery::host;
    try {
        ReadAhead incoming(std::make_unique<StandardInput>());
        if (!incoming.Started()) {
            return 1;
        }
        StandardOutput output;
        MenuApartment menu(incoming.Ended());
        return ServeMessages(incoming, output, menu);
    } catch (...) {
        return 1; // no memory left for a message or an answer
    }
}
