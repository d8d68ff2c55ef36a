// quillery-host.exe: the native messaging host that browsers start for the Quillery extension.
// It answers each message on standard input, {"request": "menu"}, with the snippet the user
// chose from the menu, until the browser closes its end.

#include "host/MenuApartment.h"
#include "host/StandardStreams.h"
#include "messaging/MessageService.h"

int main() {
    quillery::host::StandardInput input;
    quillery::host::StandardOutput output;
    quillery::host::MenuApartment menu;
    return quillery::host::ServeMessages(input, output, menu);
}
