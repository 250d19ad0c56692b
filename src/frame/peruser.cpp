// DllInstall: registration for the current user only, without administrator rights.
//   regsvr32 /n /i:user ZorUtility.dll      registers under HKEY_CURRENT_USER\Software\Classes
//   regsvr32 /u /n /i:user ZorUtility.dll   removes exactly that
// The machine-wide registration code runs unchanged with HKEY_CLASSES_ROOT mapped to the user's
// classes key for the length of the call; the type library goes through the per-user calls.
#include <cwchar>
#include <windows.h>
#include <olectl.h>
#include "registration.h"
#include "runtime/handles.h"

using namespace zor;

extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR cmdLine) {
    if (!cmdLine || _wcsicmp(cmdLine, L"user") != 0) return E_INVALIDARG;
    RegKey classes;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        classes.out(), nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    // The mapping holds for the whole process: a host that registers while other threads read
    // HKEY_CLASSES_ROOT would see the user's classes only, as any per-user registration tool does.
    if (RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.get()) != ERROR_SUCCESS) return SELFREG_E_CLASS;
    HRESULT hr = install ? registerServer(true) : unregisterServer(true);
    if (install && FAILED(hr)) unregisterServer(true); // nothing half-registered stays behind
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    return hr;
}
