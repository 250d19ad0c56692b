// The platform seam: the calls whose effects a test cannot observe or must never perform (the
// clock that waits read, ending the session or the machine, token privileges, multimedia
// command strings and volume words, the notification area). The library makes these calls only
// through the table that platform() returns; in normal use it holds the real functions, and a
// test may swap in a recorder. Everything else goes to the platform directly.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

namespace zor {

// A size in twips (1440 to the inch).
struct TwipSize {
    double width, height;
};

struct PlatformApi {
    // The clock: seconds since local midnight, and a wait that wakes for window messages.
    double (*secondsSinceMidnight)();
    void (*waitForMessage)(DWORD milliseconds);

    // Ending the session or the machine, and the privilege it needs.
    BOOL(WINAPI* ExitWindowsEx)(UINT flags, DWORD reason);
    BOOL(WINAPI* OpenProcessToken)(HANDLE process, DWORD access, HANDLE* token);
    BOOL(WINAPI* LookupPrivilegeValueA)(LPCSTR system, LPCSTR name, LUID* luid);
    BOOL(WINAPI* AdjustTokenPrivileges)(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length,
                                        TOKEN_PRIVILEGES* previous, DWORD* returnLength);
    BOOL(WINAPI* CloseHandle)(HANDLE h);

    // Multimedia.
    MCIERROR(WINAPI* mciSendStringA)(LPCSTR command, LPSTR reply, UINT replyLength, HWND callback);
    MCIDEVICEID(WINAPI* mciGetDeviceIDA)(LPCSTR device);
    MCIERROR(WINAPI* mciSendCommandA)(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params);
    MMRESULT(WINAPI* waveOutGetVolume)(HWAVEOUT device, DWORD* volume);
    MMRESULT(WINAPI* waveOutSetVolume)(HWAVEOUT device, DWORD volume);
    MMRESULT(WINAPI* midiOutGetVolume)(HMIDIOUT device, DWORD* volume);
    MMRESULT(WINAPI* midiOutSetVolume)(HMIDIOUT device, DWORD volume);

    // The notification area.
    BOOL(WINAPI* Shell_NotifyIconA)(DWORD message, NOTIFYICONDATAA* data);

    // The whole primary display, in twips.
    TwipSize (*screenSizeInTwips)();
};

// The real platform calls.
const PlatformApi& realPlatform();

// The table in use in this copy of the library: the real calls unless a test has swapped them.
PlatformApi& platform();

} // namespace zor
