// Registration of the classes, their ProgIDs, interfaces and the type library, machine-wide
// under HKEY_LOCAL_MACHINE\Software\Classes or per-user under HKEY_CURRENT_USER\Software\Classes.
// Never through HKEY_CLASSES_ROOT: on Windows that view merges the user's classes over the
// machine's, so a write to a key the user also has lands in the user's hive.
//
// The 32-bit and the 64-bit build may be registered side by side. The CLSID and Interface keys
// are per registry view (the platform redirects them for a 32-bit process on 64-bit Windows);
// the ProgIDs and the type library key are shared by both views. Each build writes its own
// platform's path under the type library (win32 or win64) and, when it goes, removes the
// shared keys only if no other build's path is left there.
#include <windows.h>
#include <olectl.h>
#include <cwchar>
#include <string>
#include "server/catalogue.h"
#include "frame/dispatch.h"
#include "server/registration.h"

using namespace zor;

namespace {

const wchar_t* const platformKey = sizeof(void*) == 8 ? L"win64" : L"win32";
const wchar_t* const otherPlatformKey = sizeof(void*) == 8 ? L"win32" : L"win64";

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring guidText(REFGUID g) {
    wchar_t buf[40];
    StringFromGUID2(g, buf, 40);
    return buf;
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(thisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// One hive's classes key, opened (and made when missing) for the length of a registration.
class Classes {
public:
    explicit Classes(bool perUser) {
        RegCreateKeyExW(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, root_.out(), nullptr);
    }
    explicit operator bool() const { return static_cast<bool>(root_); }

    bool set(const std::wstring& key, const wchar_t* name, const std::wstring& value) const {
        RegKey k;
        return RegCreateKeyExW(root_.get(), key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.out(), nullptr) ==
                   ERROR_SUCCESS &&
               RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    bool get(const std::wstring& key, std::wstring& value) const {
        DWORD size = 0;
        if (RegGetValueW(root_.get(), key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return false;
        value.assign(size / sizeof(wchar_t), L'\0');
        if (RegGetValueW(root_.get(), key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
            return false;
        value.resize(wcslen(value.c_str()));
        return true;
    }
    // The key with everything below it; a key that is not there is no failure.
    void remove(const std::wstring& key) const { RegDeleteTreeW(root_.get(), key.c_str()); }

private:
    RegKey root_;
};

// What the type library says of itself: its help string, version ("1.0") and flags.
struct LibraryInfo {
    std::wstring help, version, flags;
};

bool readLibrary(const std::wstring& path, LibraryInfo& info) {
    ComPtr<ITypeLib> lib;
    Bstr help;
    TLIBATTR* attr = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.out())) ||
        FAILED(lib->GetDocumentation(MEMBERID_NIL, nullptr, help.out(), nullptr, nullptr)) ||
        FAILED(lib->GetLibAttr(&attr)))
        return false;
    wchar_t version[16], flags[8];
    swprintf(version, 16, L"%x.%x", attr->wMajorVerNum, attr->wMinorVerNum);
    swprintf(flags, 8, L"%x", attr->wLibFlags);
    lib->ReleaseTLibAttr(attr);
    info = {help.text(), version, flags};
    return true;
}

// The keys the platform's type-library registration writes, in this hive.
bool writeTypeLibrary(const Classes& classes, const std::wstring& path, const LibraryInfo& info) {
    const std::wstring libid = guidText(LIBID_ZorUtility), key = L"TypeLib\\" + libid + L"\\" + info.version;
    bool ok = classes.set(key, nullptr, info.help) && classes.set(key + L"\\0\\" + platformKey, nullptr, path) &&
              classes.set(key + L"\\FLAGS", nullptr, info.flags) &&
              classes.set(key + L"\\HELPDIR", nullptr, folderOf(path));
    const wchar_t* marshaller = L"{00020424-0000-0000-C000-000000000046}"; // through the type library
    for (int i = 0; ok && i < classCount; ++i) {
        const std::wstring itf = L"Interface\\" + guidText(*classCatalogue[i].iid);
        ok = classes.set(itf, nullptr, std::wstring(L"_") + classCatalogue[i].name) &&
             classes.set(itf + L"\\ProxyStubClsid", nullptr, marshaller) &&
             classes.set(itf + L"\\ProxyStubClsid32", nullptr, marshaller) &&
             classes.set(itf + L"\\TypeLib", nullptr, libid) && classes.set(itf + L"\\TypeLib", L"Version", info.version);
    }
    return ok;
}

} // namespace

HRESULT zor::registerServer(bool perUser) {
    try {
        const std::wstring path = modulePath();
        LibraryInfo info;
        if (path.empty()) return SELFREG_E_CLASS;
        if (!readLibrary(path, info)) return SELFREG_E_TYPELIB;
        Classes classes(perUser);
        if (!classes) return SELFREG_E_CLASS;
        const std::wstring libid = guidText(LIBID_ZorUtility);
        for (int i = 0; i < classCount; ++i) {
            const ClassEntry& c = classCatalogue[i];
            const std::wstring progId = std::wstring(L"ZorUtility.") + c.name;
            const std::wstring clsid = guidText(*c.clsid);
            const std::wstring key = L"CLSID\\" + clsid;
            bool ok = classes.set(key, nullptr, progId) && classes.set(key + L"\\InprocServer32", nullptr, path) &&
                      classes.set(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                      classes.set(key + L"\\ProgID", nullptr, progId) && classes.set(key + L"\\TypeLib", nullptr, libid) &&
                      classes.set(key + L"\\VERSION", nullptr, L"1.0") &&
                      classes.set(key + L"\\Programmable", nullptr, L"") && classes.set(progId, nullptr, progId) &&
                      classes.set(progId + L"\\CLSID", nullptr, clsid);
            if (!ok) return SELFREG_E_CLASS;
        }
        return writeTypeLibrary(classes, path, info) ? S_OK : SELFREG_E_TYPELIB;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT zor::unregisterServer(bool perUser) {
    try {
        LibraryInfo info;
        if (!readLibrary(modulePath(), info)) return SELFREG_E_TYPELIB;
        Classes classes(perUser);
        if (!classes) return SELFREG_E_CLASS; // no rights to the classes key (not an administrator)
        // This build's own keys: its view's classes and interfaces, its platform's path.
        for (int i = 0; i < classCount; ++i) {
            classes.remove(L"CLSID\\" + guidText(*classCatalogue[i].clsid));
            classes.remove(L"Interface\\" + guidText(*classCatalogue[i].iid));
        }
        const std::wstring lib = L"TypeLib\\" + guidText(LIBID_ZorUtility), version = lib + L"\\" + info.version;
        classes.remove(version + L"\\0\\" + platformKey);
        // The shared keys stay while the other build's path is still there, with its folder.
        std::wstring other;
        if (classes.get(version + L"\\0\\" + otherPlatformKey, other))
            return classes.set(version + L"\\HELPDIR", nullptr, folderOf(other)) ? S_OK : SELFREG_E_TYPELIB;
        for (int i = 0; i < classCount; ++i) classes.remove(std::wstring(L"ZorUtility.") + classCatalogue[i].name);
        classes.remove(lib);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// DllInstall: registration for the current user only, without administrator rights.
//   regsvr32 /n /i:user ZorUtility.dll      registers under HKEY_CURRENT_USER\Software\Classes
//   regsvr32 /u /n /i:user ZorUtility.dll   removes exactly that
extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR cmdLine) {
    if (!cmdLine || _wcsicmp(cmdLine, L"user") != 0) return E_INVALIDARG;
    HRESULT hr = install ? registerServer(true) : unregisterServer(true);
    if (install && FAILED(hr)) unregisterServer(true); // nothing half-registered stays behind
    return hr;
}
