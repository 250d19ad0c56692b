// The DLL's entry point, its exports, the class factory and self-registration (machine-wide;
// per-user in peruser.cpp).
#include <initguid.h>
#include "frame/dispatch.h"
#include "server/catalogue.h"
#include "server/registration.h"
#include <olectl.h>
#include <string>

using namespace zor;

namespace {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) : entry_(entry) { ++g_liveObjects; }
    ~ClassFactory() { --g_liveObjects; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        long n = --refs_;
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_.create(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) ++g_serverLocks;
        else --g_serverLocks;
        return S_OK;
    }

private:
    const ClassEntry& entry_;
    std::atomic<long> refs_{1};
};

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

bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegKey k;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void deleteTree(const std::wstring& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str()); }

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // Thread notifications stay on: the statically linked C++ runtime and thread library free
    // their per-thread blocks when a thread detaches, and host threads come and go all day.
    if (reason == DLL_PROCESS_ATTACH) {
        // Once loaded, the library stays until the process ends. An unload frees nothing of the
        // per-thread blocks that the unloading thread's runtime made (a thread handle and an
        // event each time) nor the locks' semaphores, and hosts that create objects on passing
        // threads would unload and load it again and again.
        HMODULE pinned = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(instance), &pinned);
    }
    if (reason == DLL_PROCESS_DETACH) trace::processDetach(reserved != nullptr); // non-null: the process ends
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const ClassEntry* entry = findClass(clsid);
    if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory(*entry);
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return (g_liveObjects == 0 && g_serverLocks == 0) ? S_OK : S_FALSE;
}

HRESULT zor::registerServer(bool perUser) {
    try {
        std::wstring path = modulePath();
        if (path.empty()) return SELFREG_E_CLASS;
        ComPtr<ITypeLib> lib;
        if (FAILED(LoadTypeLibEx(path.data(), REGKIND_NONE, lib.out()))) return SELFREG_E_TYPELIB;
        // Per user, DllInstall writes the type library's keys itself.
        if (!perUser && FAILED(RegisterTypeLib(lib.get(), path.data(), nullptr))) return SELFREG_E_TYPELIB;

        const std::wstring libid = guidText(LIBID_ZorUtility);
        for (int i = 0; i < classCount; ++i) {
            const ClassEntry& c = classCatalogue[i];
            const std::wstring progId = std::wstring(L"ZorUtility.") + c.name;
            const std::wstring clsid = guidText(*c.clsid);
            const std::wstring key = L"CLSID\\" + clsid;
            bool ok = setValue(key, nullptr, progId) &&
                      setValue(key + L"\\InprocServer32", nullptr, path) &&
                      setValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                      setValue(key + L"\\ProgID", nullptr, progId) &&
                      setValue(key + L"\\TypeLib", nullptr, libid) &&
                      setValue(key + L"\\VERSION", nullptr, L"1.0") &&
                      setValue(key + L"\\Programmable", nullptr, L"") &&
                      setValue(progId, nullptr, progId) &&
                      setValue(progId + L"\\CLSID", nullptr, clsid);
            if (!ok) return SELFREG_E_CLASS;
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT zor::unregisterServer(bool perUser) {
    try {
        for (int i = 0; i < classCount; ++i) {
            const ClassEntry& c = classCatalogue[i];
            deleteTree(L"CLSID\\" + guidText(*c.clsid));
            deleteTree(std::wstring(L"ZorUtility.") + c.name);
            // The interface keys go with the type library; remove them here too in case the
            // type library's own unregistration leaves them.
            deleteTree(L"Interface\\" + guidText(*c.iid));
        }
        // Whatever the type library's own unregistration manages, its key goes too.
        if (!perUser)
            UnRegisterTypeLib(LIBID_ZorUtility, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
        deleteTree(L"TypeLib\\" + guidText(LIBID_ZorUtility));
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT WINAPI DllRegisterServer() { return registerServer(false); }
extern "C" HRESULT WINAPI DllUnregisterServer() { return unregisterServer(false); }
