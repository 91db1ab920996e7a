// COM apartments answered per thread as Windows answers them, and classes found through the
// machine's registry: not registered, server file missing, or a class object.
#include "platform/RegistrySeed.h"
#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

const wchar_t kPresent[] = L"{11111111-2222-3333-4444-555555555555}";
const wchar_t kLocalOnly[] = L"{11111111-2222-3333-4444-666666666666}";
const wchar_t kGoneDll[] = L"{11111111-2222-3333-4444-777777777777}";
const wchar_t kGoneExe[] = L"{11111111-2222-3333-4444-888888888888}";
const wchar_t kUnregistered[] = L"{11111111-2222-3333-4444-999999999999}";

CLSID Class(const wchar_t* text)
{
    CLSID id{};
    EXPECT_EQ(CLSIDFromString(text, &id), S_OK) << text;
    return id;
}

class ComTest : public testing::Test {
protected:
    void SetUp() override
    {
        // a 32-bit Windows, where the system folder is not redirected
        machine_.WriteMachineIni("[Machine]\nIs64Bit=0\n");
        machine_.WriteFile("drive_c/Windows/System32/present.dll", "");
        machine_.WriteFile("drive_c/Program Files/App/server.exe", "");
        const std::wstring seed = std::wstring(L"Windows Registry Editor Version 5.00\n") +
                                  L"[HKEY_CLASSES_ROOT\\CLSID\\" + kPresent + L"\\InprocServer32]\n@=\"present.dll\"\n" +
                                  L"[HKEY_CLASSES_ROOT\\CLSID\\" + kLocalOnly + L"\\InprocServer32]\n@=\"C:\\\\gone\\\\x.dll\"\n" +
                                  L"[HKEY_CLASSES_ROOT\\CLSID\\" + kLocalOnly +
                                  L"\\LocalServer32]\n@=\"C:\\\\Program Files\\\\App\\\\server.exe /Automation\"\n" +
                                  L"[HKEY_CLASSES_ROOT\\CLSID\\" + kGoneDll + L"\\InprocServer32]\n@=\"C:\\\\gone\\\\y.dll\"\n" +
                                  L"[HKEY_CLASSES_ROOT\\CLSID\\" + kGoneExe + L"\\LocalServer32]\n@=\"\\\"C:\\\\gone\\\\z.exe\\\" -x\"\n";
        ASSERT_TRUE(platform::ImportRegistryText(seed).ok);
    }

    testing_support::TempMachine machine_;
};

TEST(ComApartment, RepeatsChangesOfModeAndBalancingAreAnsweredPerThread)
{
    std::thread([] {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();
        CoUninitialize();
        // out of the apartment now: another mode may be chosen
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        std::thread([] { EXPECT_EQ(CoInitialize(nullptr), S_OK) << "each thread has its own apartment"; CoUninitialize(); }).join();
        CoUninitialize();
        EXPECT_EQ(CoInitialize(reinterpret_cast<void*>(1)), E_INVALIDARG);
    }).join();
}

TEST_F(ComTest, ClassesAreAnsweredFromTheRegistryAndNeedAnApartment)
{
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(Class(kPresent), nullptr, CLSCTX_ALL, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);

    EXPECT_EQ(CoCreateInstance(Class(kUnregistered), nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoGetClassObject(Class(kGoneDll), CLSCTX_ALL, nullptr, IID_IUnknown, &object),
              HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(CoGetClassObject(Class(kGoneExe), CLSCTX_ALL, nullptr, IID_IUnknown, &object),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CoGetClassObject(Class(kLocalOnly), CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown, &object),
              HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND))
        << "only the asked kinds of server count";
    EXPECT_EQ(CoGetClassObject(Class(kPresent), CLSCTX_LOCAL_SERVER, nullptr, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);

    // a local server named by an unquoted command line with blanks is found
    ASSERT_EQ(CoGetClassObject(Class(kLocalOnly), CLSCTX_ALL, nullptr, IID_IClassFactory, &object), S_OK);
    auto* factory = static_cast<IClassFactory*>(object);
    void* instance = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &instance), E_NOINTERFACE)
        << "no code of the server runs, so an instance has no interface beyond IUnknown";
    EXPECT_EQ(factory->CreateInstance(factory, IID_IUnknown, &instance), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->Release(), 0u);

    ASSERT_EQ(CoCreateInstance(Class(kPresent), nullptr, CLSCTX_ALL, IID_IUnknown, &instance), S_OK);
    auto* unknown = static_cast<IUnknown*>(instance);
    void* same = nullptr;
    EXPECT_EQ(unknown->QueryInterface(IID_IUnknown, &same), S_OK);
    EXPECT_EQ(same, instance);
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_EQ(unknown->Release(), 0u);
    CoUninitialize();
}

TEST(ComClassText, OnlyTheBracedFormIsAClass)
{
    CLSID id{};
    EXPECT_EQ(CLSIDFromString(L"{00000001-0000-0000-c000-000000000046}", &id), S_OK);
    EXPECT_EQ(std::memcmp(&id, &IID_IClassFactory, sizeof id), 0);
    for (const wchar_t* bad : {L"", L"not a class", L"00000001-0000-0000-C000-000000000046",
                               L"{00000001-0000-0000-C000-00000000004G}", L"{00000001-0000-0000-C000-000000000046}x"}) {
        EXPECT_EQ(CLSIDFromString(bad, &id), CO_E_CLASSSTRING) << bad;
        EXPECT_EQ(id.Data1, 0u);
    }
    EXPECT_EQ(CLSIDFromString(nullptr, &id), CO_E_CLASSSTRING);
}

} // namespace
