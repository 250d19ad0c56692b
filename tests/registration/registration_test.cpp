// Unregistration removes every entry that registration writes; registering again restores them.
// Runs alone: while it runs the ProgIDs do not resolve.
#include "client.h"

using namespace test;

namespace {

const wchar_t* const classes[] = {L"TextFileFunctions", L"VariousFunctions", L"ASPFunctions", L"Win32Functions",
                                  L"EncryptFunctions", L"MDIFunctions", L"FormFunctions", L"RegistryFunctions",
                                  L"DateFunctions", L"AdvDataAccess", L"BitmapFunctions"};

bool keyExists(const std::wstring& key) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::wstring guid(REFGUID g) {
    wchar_t b[40];
    StringFromGUID2(g, b, 40);
    return b;
}

struct Entries {
    int progIds = 0, clsids = 0, interfaces = 0;
    bool typeLib = false;
};

Entries count() {
    Entries e;
    for (const wchar_t* c : classes) {
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromProgID((std::wstring(L"ZorUtility.") + c).c_str(), &clsid))) {
            ++e.progIds;
            if (keyExists(L"CLSID\\" + guid(clsid) + L"\\InprocServer32")) ++e.clsids;
        }
    }
    const IID* iids[] = {&__uuidof(_TextFileFunctions), &__uuidof(_VariousFunctions), &__uuidof(_ASPFunctions),
                         &__uuidof(_Win32Functions),    &__uuidof(_EncryptFunctions), &__uuidof(_MDIFunctions),
                         &__uuidof(_FormFunctions),     &__uuidof(_RegistryFunctions), &__uuidof(_DateFunctions),
                         &__uuidof(_AdvDataAccess),     &__uuidof(_BitmapFunctions)};
    for (const IID* iid : iids)
        if (keyExists(L"Interface\\" + guid(*iid) + L"\\ProxyStubClsid32")) ++e.interfaces;
    e.typeLib = keyExists(L"TypeLib\\" + guid(LIBID_ZorUtility));
    return e;
}

} // namespace

TEST(Registration, UnregisterRemovesEveryEntryAndRegisterRestoresThem) {
    char path[MAX_PATH];
    GetEnvironmentVariableA("ZOR_DLL", path, MAX_PATH);
    HMODULE dll = LoadLibraryA(path);
    ASSERT_NE(nullptr, dll);
    auto reg = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    auto unreg = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
    ASSERT_TRUE(reg && unreg);

    Entries before = count();
    EXPECT_EQ(11, before.progIds);
    EXPECT_EQ(11, before.clsids);
    EXPECT_EQ(11, before.interfaces);
    EXPECT_TRUE(before.typeLib);

    ASSERT_EQ(S_OK, unreg());
    Entries gone = count();
    EXPECT_EQ(0, gone.progIds);
    EXPECT_EQ(0, gone.interfaces);
    EXPECT_FALSE(gone.typeLib);
    for (const wchar_t* c : classes) EXPECT_FALSE(keyExists(std::wstring(L"ZorUtility.") + c));
    EXPECT_FALSE(keyExists(L"CLSID\\" + guid(__uuidof(TextFileFunctions))));
    EXPECT_EQ(S_OK, unreg()) << "unregistering twice is harmless";

    ASSERT_EQ(S_OK, reg());
    Entries again = count();
    EXPECT_EQ(11, again.progIds);
    EXPECT_EQ(11, again.clsids);
    EXPECT_EQ(11, again.interfaces);
    EXPECT_TRUE(again.typeLib);
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    ASSERT_TRUE(tf);
}
