// Registration of the classes, their ProgIDs, interfaces and the type library under
// HKEY_CLASSES_ROOT: machine-wide for DllRegisterServer, per-user for DllInstall("user"), which
// maps HKEY_CLASSES_ROOT to HKEY_CURRENT_USER\Software\Classes around the call.
#pragma once
#include <windows.h>
#include <ole2.h>

// The per-user type library calls (oleaut32, Windows Vista and later) are missing from the
// cross compiler's headers.
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* path, OLECHAR* helpDir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND kind);

namespace zor {

HRESULT registerServer(bool perUser);
HRESULT unregisterServer(bool perUser);

} // namespace zor
