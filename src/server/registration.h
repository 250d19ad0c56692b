// Registration of the classes, their ProgIDs, interfaces and the type library under
// HKEY_CLASSES_ROOT: machine-wide for DllRegisterServer, per-user for DllInstall("user"), which
// maps HKEY_CLASSES_ROOT to HKEY_CURRENT_USER\Software\Classes around the call and writes the
// type library's keys itself.
#pragma once
#include <windows.h>

namespace zor {

HRESULT registerServer(bool perUser);
HRESULT unregisterServer(bool perUser);

} // namespace zor
