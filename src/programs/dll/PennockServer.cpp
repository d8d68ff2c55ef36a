#include "dll/PennockServer.h"

#include "dll/DoBiz.h"

#include <iterator>

namespace quillery::dll {
namespace {

const ClassEntry kClasses[] = {
    {&CLSID_DoBiz, &DoBiz::Create},
};

const GuidToken kGuids[] = {
    {L"%CLSID%", &CLSID_DoBiz},
    {L"%LIBID%", &LIBID_Pennock},
    {L"%IID%", &IID__DoBiz},
};

// The class as an in-process server of the apartment model, and its ProgID both ways. The type
// library and the interface are written by the system's type library registration.
const RegistryRow kRows[] = {
    {L"CLSID\\%CLSID%", L"", L"Pennock.DoBiz"},
    {L"CLSID\\%CLSID%\\InprocServer32", L"", L"%MODULE%"},
    {L"CLSID\\%CLSID%\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\%CLSID%\\ProgID", L"", L"Pennock.DoBiz"},
    {L"CLSID\\%CLSID%\\VersionIndependentProgID", L"", L"Pennock.DoBiz"},
    {L"CLSID\\%CLSID%\\TypeLib", L"", L"%LIBID%"},
    {L"CLSID\\%CLSID%\\Version", L"", L"1.0"},
    {L"Pennock.DoBiz", L"", L"Pennock.DoBiz"},
    {L"Pennock.DoBiz\\CLSID", L"", L"%CLSID%"},
};

// Every GUID here is this component's own, so the whole key goes on unregistering. The class's
// key comes first: the shared keys after it are weighed once it is gone.
const wchar_t* const kOwnKeys[] = {
    L"CLSID\\%CLSID%",
    L"Pennock.DoBiz",
    L"Interface\\%IID%",
    L"TypeLib\\%LIBID%",
};

// A 64-bit system shows each platform its own CLSID key (and interface keys) but one ProgID:
// the 32-bit and the 64-bit build both need it.
const wchar_t* const kSharedKeys[] = {
    L"Pennock.DoBiz",
};

const ServerDescriptor kServer = {
    {kClasses, std::size(kClasses)},
    {
        kGuids,
        std::size(kGuids),
        kRows,
        std::size(kRows),
        kOwnKeys,
        std::size(kOwnKeys),
        kSharedKeys,
        std::size(kSharedKeys),
        L"CLSID\\%CLSID%\\InprocServer32",
        &LIBID_Pennock,
        1,
        0,
        0x0409,
    },
};

} // namespace

const ServerDescriptor& PennockServer() {
    return kServer;
}

} // namespace quillery::dll
