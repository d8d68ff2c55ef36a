// Pennock.dll as a host sees it: its exports and its version resource.

#include "Win32TestSupport.h"

#include "platform/win32/UniqueResource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace quillery {
namespace {

using wintest::ProgramDirectory;

std::wstring DllPath() {
    return ProgramDirectory() + L"\\Pennock.dll";
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
    // Until registration is written, it must not claim to have registered anything.
    EXPECT_EQ(registerServer(), E_NOTIMPL);
    EXPECT_EQ(unregisterServer(), E_NOTIMPL);
}

// Threads that start before the load and end while the DLL is loaded reach its thread detach
// without ever having used it; the DLL still unloads completely.
TEST(PennockDllTest, LoadsAndUnloadsWhileThreadsComeAndGo) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread before([release] { ::WaitForSingleObject(release, INFINITE); });
        HMODULE dll = ::LoadLibraryW(DllPath().c_str());
        ASSERT_NE(dll, nullptr);
        std::thread during([] {});
        during.join();
        ::SetEvent(release);
        before.join();
        ::CloseHandle(release);
        EXPECT_TRUE(::FreeLibrary(dll));
        EXPECT_EQ(::GetModuleHandleW(L"Pennock.dll"), nullptr) << "still loaded";
    }
}

class VersionResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(DllPath().c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version resource, error " << ::GetLastError();
        data_.resize(size);
        ASSERT_TRUE(::GetFileVersionInfoW(DllPath().c_str(), 0, size, data_.data()));
    }

    // The value under `key`, or nothing when it is missing.
    std::optional<std::vector<std::uint8_t>> Query(const std::wstring& key) {
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(data_.data(), key.c_str(), &value, &length)) {
            return std::nullopt;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        return std::vector<std::uint8_t>(bytes, bytes + length);
    }

    std::optional<std::wstring> String(const std::wstring& name) {
        void* value = nullptr;
        UINT length = 0; // in characters, the terminating NUL included when there is one
        const std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
        if (!::VerQueryValueW(data_.data(), key.c_str(), &value, &length)) {
            return std::nullopt;
        }
        return length == 0 ? std::wstring() : std::wstring(static_cast<const wchar_t*>(value));
    }

private:
    std::vector<std::uint8_t> data_;
};

TEST_F(VersionResourceTest, FixedPartDescribesA32BitDllVersion1003) {
    const auto fixed = Query(L"\\");
    ASSERT_TRUE(fixed.has_value());
    ASSERT_GE(fixed->size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO info{};
    std::memcpy(&info, fixed->data(), sizeof info);
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwFileVersionLS, 0x00000003u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwProductVersionLS, 0x00000003u);
    EXPECT_EQ(info.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(info.dwFileFlags & info.dwFileFlagsMask, 0u); // no debug or prerelease flags
}

TEST_F(VersionResourceTest, TranslationIsUsEnglishUnicode) {
    const auto translation = Query(L"\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation.has_value());
    ASSERT_EQ(translation->size(), 4u);
    WORD pair[2] = {};
    std::memcpy(pair, translation->data(), sizeof pair);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 1200);
}

TEST_F(VersionResourceTest, EveryStringIsThere) {
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
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
    };
    for (const auto& [name, value] : expected) {
        SCOPED_TRACE(testing::Message() << name);
        const auto actual = String(name);
        ASSERT_TRUE(actual.has_value()) << "missing";
        EXPECT_EQ(*actual, value);
    }
    EXPECT_FALSE(String(L"NoSuchEntry").has_value());
}

} // namespace
} // namespace quillery
