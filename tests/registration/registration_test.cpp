// Unregistration removes every entry that registration writes; registering again restores them;
// machine-wide and per-user registrations each keep to their own hive. Runs alone: while it runs
// the ProgIDs do not resolve.
#include "client.h"
#include <vector>

using namespace test;

namespace {

std::wstring guid(REFGUID g) {
    wchar_t b[40];
    StringFromGUID2(g, b, 40);
    return b;
}

using Register = HRESULT(WINAPI*)();
const auto reg = libraryExport<Register>("DllRegisterServer");
const auto unreg = libraryExport<Register>("DllUnregisterServer");
const auto install = libraryExport<HRESULT(WINAPI*)(BOOL, LPCWSTR)>("DllInstall");

// Every key of the library under one classes key, with its values, as text.
void dumpTree(HKEY root, const std::wstring& path, std::wstring& out) {
    HKEY k;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    out += L"[" + path + L"]\n";
    wchar_t name[256], data[1024];
    for (DWORD i = 0, n = 256, size = sizeof data;
         RegEnumValueW(k, i, name, &n, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
         ++i, n = 256, size = sizeof data)
        out += std::wstring(name) + L"=" + data + L"\n";
    for (DWORD i = 0, n = 256; RegEnumKeyExW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, n = 256)
        dumpTree(root, path + L"\\" + name, out);
    RegCloseKey(k);
}

// The library's keys under a classes key (a hive's Software\Classes, or the key itself); only
// the type library's and the interfaces' when typeLibraryOnly, in lower case.
std::wstring libraryKeys(HKEY hive, bool typeLibraryOnly = false) {
    HKEY root = hive;
    if ((hive == HKEY_LOCAL_MACHINE || hive == HKEY_CURRENT_USER) &&
        RegOpenKeyExW(hive, L"Software\\Classes", 0, KEY_READ, &root) != ERROR_SUCCESS)
        return L"";
    std::wstring out;
    // The classes as the type library names them, read before the first unregistration.
    for (const LibClass& c : typeLibraryClasses())
        if (!typeLibraryOnly) dumpTree(root, L"ZorUtility." + c.name, out);
    for (const LibClass& c : typeLibraryClasses()) {
        if (!typeLibraryOnly) dumpTree(root, L"CLSID\\" + guid(c.clsid), out);
        dumpTree(root, L"Interface\\" + guid(c.iid), out);
    }
    dumpTree(root, L"TypeLib\\" + guid(LIBID_ZorUtility), out);
    if (root != hive) RegCloseKey(root);
    if (typeLibraryOnly) CharLowerW(out.data());
    return out;
}

} // namespace

// Machine-wide registration writes the machine's classes and per-user the user's, never through
// HKEY_CLASSES_ROOT: on Windows that view merges the user's classes over the machine's, so after
// a per-user registration a machine-wide one through it would write into the user's keys and its
// removal take the user's away. Here HKEY_CLASSES_ROOT is mapped to an empty key of its own
// around each call: whatever is written through it lands there.
TEST(Registration, MachineAndUserRegistrationsKeepToTheirOwnHives) {
    ASSERT_TRUE(reg && unreg && install);
    HKEY merged;
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZorMergedView");
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZorMergedView", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &merged, nullptr));
    auto throughMergedView = [&](auto step) {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, merged);
        HRESULT hr = step();
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        return hr;
    };
    const std::wstring machine = libraryKeys(HKEY_LOCAL_MACHINE);
    ASSERT_NE(L"", machine);
    ASSERT_EQ(L"", libraryKeys(HKEY_CURRENT_USER));

    EXPECT_EQ(S_OK, throughMergedView([&] { return install(TRUE, L"user"); }));
    const std::wstring user = libraryKeys(HKEY_CURRENT_USER);
    EXPECT_EQ(machine, user) << "the same keys for the user as for the machine";
    EXPECT_EQ(S_OK, throughMergedView(unreg));
    EXPECT_EQ(L"", libraryKeys(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(user, libraryKeys(HKEY_CURRENT_USER));
    EXPECT_EQ(S_OK, throughMergedView(reg));
    EXPECT_EQ(machine, libraryKeys(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(user, libraryKeys(HKEY_CURRENT_USER));
    EXPECT_EQ(S_OK, throughMergedView([&] { return install(FALSE, L"user"); }));
    EXPECT_EQ(L"", libraryKeys(HKEY_CURRENT_USER));
    EXPECT_EQ(machine, libraryKeys(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(L"", libraryKeys(merged)) << "nothing through HKEY_CLASSES_ROOT";
    RegCloseKey(merged);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZorMergedView");
}

TEST(Registration, UnregisterRemovesEveryEntryAndRegisterRestoresThem) {
    ASSERT_TRUE(reg && unreg);

    const std::wstring before = libraryKeys(HKEY_LOCAL_MACHINE);
    auto count = [&](const wchar_t* key) {
        size_t n = 0;
        for (size_t at = 0; (at = before.find(key, at)) != std::wstring::npos; ++at) ++n;
        return n;
    };
    const size_t classes = typeLibraryClasses().size();
    EXPECT_EQ(classes, count(L"\\InprocServer32]\n"));
    EXPECT_EQ(classes, count(L"\\ProxyStubClsid32]\n"));
    EXPECT_EQ(2 * classes, count(L"\\CLSID]\n") + count(L"\\ProgID]\n")); // each ProgID's class and each class's ProgID
    ASSERT_EQ(S_OK, unreg());
    EXPECT_EQ(L"", libraryKeys(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(S_OK, unreg()) << "unregistering twice is harmless";

    // The oracle for the type library's keys: the platform's own registration of it.
    wchar_t path[MAX_PATH];
    GetEnvironmentVariableW(L"ZOR_DLL", path, MAX_PATH);
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(S_OK, LoadTypeLibEx(path, REGKIND_REGISTER, lib.out()));
    std::wstring platformKeys = libraryKeys(HKEY_LOCAL_MACHINE, true);
    // Wine's registration names the file by the path it opened, in its "\\?\" form.
    for (size_t at; (at = platformKeys.find(L"\\\\?\\")) != std::wstring::npos;) platformKeys.erase(at, 4);
    EXPECT_NE(L"", platformKeys);
    EXPECT_EQ(S_OK, UnRegisterTypeLib(LIBID_ZorUtility, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32));

    ASSERT_EQ(S_OK, reg());
    EXPECT_EQ(before, libraryKeys(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(platformKeys, libraryKeys(HKEY_LOCAL_MACHINE, true));
    create<_TextFileFunctions>(L"TextFileFunctions"); // checks the ProgID and the creation
}
