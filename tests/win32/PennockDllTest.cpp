// Pennock.dll as a host sees it: its exports and its version resource.

#include "Win32TestSupport.h"

#include "base/ScopeExit.h"
#include "dll/Registration.h"
#include "winapi/UniqueResource.h"

#include "Pennock_h.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillery::dll {
namespace {

using win32::UniqueHandle;
using win32::UniqueModule;
using wintest::ProgramDirectory;

std::wstring DllPath() {
    return ProgramDirectory() + L"\\Pennock.dll";
}

// A string value of the registry, or nothing when the key or value is missing.
std::optional<std::wstring> RegistryText(HKEY root, const std::wstring& key,
                                         const std::wstring& name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueW(root, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ,
                       nullptr, text, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

using NoArgument = HRESULT(WINAPI*)();
using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// An export, as the function type it has.
template <typename Function> Function Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
}

TEST(PennockDllTest, ExportsTheFourEntryPointsByNameAndOrdinal) {
    UniqueModule dll(::LoadLibraryW(DllPath().c_str()));
    ASSERT_TRUE(dll) << "error " << ::GetLastError();
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                           "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
        SCOPED_TRACE(names[ordinal - 1]);
        const FARPROC byName = ::GetProcAddress(dll.get(), names[ordinal - 1]);
        EXPECT_NE(byName, nullptr);
        EXPECT_EQ(::GetProcAddress(dll.get(), MAKEINTRESOURCEA(ordinal)), byName);
    }
    EXPECT_EQ(::GetProcAddress(dll.get(), MAKEINTRESOURCEA(5)), nullptr);
    EXPECT_EQ(::GetProcAddress(dll.get(), "DllMain"), nullptr);

    const auto canUnload = Export<NoArgument>(dll.get(), "DllCanUnloadNow");
    const auto getClassObject = Export<GetClassObject>(dll.get(), "DllGetClassObject");
    const auto registerServer = Export<NoArgument>(dll.get(), "DllRegisterServer");
    const auto unregisterServer = Export<NoArgument>(dll.get(), "DllUnregisterServer");
    ASSERT_TRUE(canUnload && getClassObject && registerServer && unregisterServer);

    EXPECT_EQ(canUnload(), S_OK);
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(CLSID_NULL, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(getClassObject(CLSID_NULL, IID_IClassFactory, nullptr), E_POINTER);

    // Registration really writes the class, pointing at this file, and really removes it.
    const std::wstring server = L"CLSID\\" + GuidString(CLSID_DoBiz) + L"\\InprocServer32";
    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, server, L""), DllPath());
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, server, L""), std::nullopt);
}

// Threads that start before the load and end while the DLL is loaded reach its thread detach
// without ever having used it; the DLL still unloads completely.
TEST(PennockDllTest, LoadsAndUnloadsWhileThreadsComeAndGo) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const UniqueHandle releaseEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        HANDLE release = releaseEvent.get();
        wintest::Thread before([release] { ::WaitForSingleObject(release, INFINITE); });
        // Should an assertion end the round early, `before` still ends, so its join returns.
        const ScopeExit releaseOnExit([release] { ::SetEvent(release); });
        HMODULE dll = ::LoadLibraryW(DllPath().c_str());
        ASSERT_NE(dll, nullptr);
        wintest::Thread during([] {});
        during.Join();
        ::SetEvent(release);
        before.Join();
        EXPECT_TRUE(::FreeLibrary(dll));
        EXPECT_EQ(::GetModuleHandleW(L"Pennock.dll"), nullptr) << "still loaded";
    }
}

TEST(PennockDllTest, VersionResourceHasEveryField) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(DllPath().c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version resource, error " << ::GetLastError();
    std::vector<std::uint8_t> data(size);
    ASSERT_TRUE(::GetFileVersionInfoW(DllPath().c_str(), 0, size, data.data()));
    const auto query = [&](const std::wstring& key, UINT& length) -> const void* {
        void* value = nullptr;
        return ::VerQueryValueW(data.data(), key.c_str(), &value, &length) ? value : nullptr;
    };

    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\", length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000003u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000003u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    const auto* translation =
        static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation", length));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileVersion", L"1.00.0003"},
        {L"ProductVersion", L"1.00.0003"},
        {L"FileDescription", L"IE4+ menu Extension DLL Application"},
        {L"InternalName", L"Pennock"},
        {L"OriginalFilename", L"Pennock.dll"},
        {L"ProductName", L"Quillery"},
        {L"LegalTrademarks", L"Quillery"},
        {L"OLESelfRegister", L""}, // present, and empty
        {L"CompanyName", L"Pennock Software"},
        {L"LegalCopyright", L"Copyright (C) 2026 Pennock Software"},
        {L"NoSuchEntry", nullptr},
    };
    for (const auto& [name, expected] : strings) {
        SCOPED_TRACE(testing::Message() << name);
        // The length counts characters, with the terminating NUL when there is one.
        const auto* value = static_cast<const wchar_t*>(
            query(std::wstring(L"\\StringFileInfo\\040904B0\\") + name, length));
        if (expected == nullptr) {
            EXPECT_EQ(value, nullptr);
            continue;
        }
        ASSERT_NE(value, nullptr) << "missing";
        EXPECT_EQ(length == 0 ? std::wstring() : std::wstring(value), expected);
    }
}

} // namespace
} // namespace quillery::dll
