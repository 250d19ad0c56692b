// Registration of the classes, their ProgIDs, interfaces and the type library: machine-wide
// under HKEY_LOCAL_MACHINE\Software\Classes (DllRegisterServer), per-user under
// HKEY_CURRENT_USER\Software\Classes (DllInstall with "user").
#pragma once
#include <windows.h>

namespace zor {

HRESULT registerServer(bool perUser);
HRESULT unregisterServer(bool perUser);

} // namespace zor
