// DllInstall: registration for the current user only, without administrator rights.
//   regsvr32 /n /i:user ZorUtility.dll      registers under HKEY_CURRENT_USER\Software\Classes
//   regsvr32 /u /n /i:user ZorUtility.dll   removes exactly that
// The machine-wide registration code runs with HKEY_CLASSES_ROOT mapped to the user's classes key
// for the length of the call. The type library's keys are written here, the ones RegisterTypeLib
// writes: Wine's RegisterTypeLibForUser registers machine-wide, and its 64-bit RegisterTypeLib
// writes the 32-bit view's interface keys past the mapping.
#include <windows.h>
#include <olectl.h>
#include <cwchar>
#include <string>
#include "server/catalogue.h"
#include "frame/dispatch.h"
#include "server/registration.h"

using namespace zor;

namespace {

std::wstring guidText(REFGUID g) {
    wchar_t buf[40];
    StringFromGUID2(g, buf, 40);
    return buf;
}

bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegKey k;
    return RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

HRESULT registerTypeLibrary() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(thisModule(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return SELFREG_E_TYPELIB;
    ComPtr<ITypeLib> lib;
    Bstr help;
    TLIBATTR* attr = nullptr;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, lib.out())) ||
        FAILED(lib->GetDocumentation(MEMBERID_NIL, nullptr, help.out(), nullptr, nullptr)) ||
        FAILED(lib->GetLibAttr(&attr)))
        return SELFREG_E_TYPELIB;
    wchar_t version[16], flags[8];
    swprintf(version, 16, L"%x.%x", attr->wMajorVerNum, attr->wMinorVerNum);
    swprintf(flags, 8, L"%x", attr->wLibFlags);
    lib->ReleaseTLibAttr(attr);

    const std::wstring file = path, libid = guidText(LIBID_ZorUtility), key = L"TypeLib\\" + libid + L"\\" + version;
    bool ok = setValue(key, nullptr, help.text()) &&
              setValue(key + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32"), nullptr, file) &&
              setValue(key + L"\\FLAGS", nullptr, flags) &&
              setValue(key + L"\\HELPDIR", nullptr, file.substr(0, file.find_last_of(L'\\')));
    const wchar_t* marshaller = L"{00020424-0000-0000-C000-000000000046}"; // through the type library
    for (int i = 0; ok && i < classCount; ++i) {
        const std::wstring itf = L"Interface\\" + guidText(*classCatalogue[i].iid);
        ok = setValue(itf, nullptr, std::wstring(L"_") + classCatalogue[i].name) &&
             setValue(itf + L"\\ProxyStubClsid", nullptr, marshaller) &&
             setValue(itf + L"\\ProxyStubClsid32", nullptr, marshaller) &&
             setValue(itf + L"\\TypeLib", nullptr, libid) && setValue(itf + L"\\TypeLib", L"Version", version);
    }
    return ok ? S_OK : SELFREG_E_TYPELIB;
}

} // namespace

extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR cmdLine) {
    if (!cmdLine || _wcsicmp(cmdLine, L"user") != 0) return E_INVALIDARG;
    RegKey classes;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        classes.out(), nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    // The mapping holds for the whole process: a host that registers while other threads read
    // HKEY_CLASSES_ROOT sees the user's classes only meanwhile, as with any per-user registration.
    if (RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.get()) != ERROR_SUCCESS) return SELFREG_E_CLASS;
    HRESULT hr = S_OK;
    try {
        hr = install ? registerServer(true) : unregisterServer(true);
        if (install && SUCCEEDED(hr)) hr = registerTypeLibrary();
        if (install && FAILED(hr)) unregisterServer(true); // nothing half-registered stays behind
    } catch (...) {
        hr = E_OUTOFMEMORY;
    }
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    return hr;
}
