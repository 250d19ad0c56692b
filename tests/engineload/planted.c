/* A stand-in for an ace32.dll planted by someone else: it only records, in the environment of
   the process that loads it, where it was loaded from, and offers none of the engine's calls. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(self, path, MAX_PATH);
        SetEnvironmentVariableW(L"ZOR_PLANTED_LOADED", path);
    }
    return TRUE;
}
