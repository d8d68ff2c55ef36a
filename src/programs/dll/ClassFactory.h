#pragma once

#include <windows.h>

#include <objbase.h>

#include <cstddef>

namespace quillery::dll {

// Makes a new object of one class and hands out its interface `iid`; every failure is an
// HRESULT, as the class factory hands it to COM.
using CreateInstanceFunction = HRESULT (*)(REFIID iid, void** object) noexcept;

// One creatable class of the DLL.
struct ClassEntry {
    const CLSID* clsid;
    CreateInstanceFunction create;
};

// The DLL's classes, as DllGetClassObject serves them.
struct ClassTable {
    const ClassEntry* entries;
    std::size_t count;
};

// DllGetClassObject for the classes of `table`: a class factory of the class `clsid`, or
// CLASS_E_CLASSNOTAVAILABLE for any other class.
HRESULT GetClassObject(const ClassTable& table, REFCLSID clsid, REFIID iid, void** object);

} // namespace quillery::dll
