#pragma once

#include "dll/ClassFactory.h"
#include "dll/Registration.h"

namespace quillery::dll {

// The component's single descriptor: its classes, its type library and what registration
// writes. The DLL's entry points hand it to the server code and do nothing else.
struct ServerDescriptor {
    ClassTable classes;
    ServerRegistration registration;
};

const ServerDescriptor& PennockServer();

} // namespace quillery::dll
