#include "platform.h"
#include "clock.h"
#include "pump.h"

namespace zor {

const PlatformApi& realPlatform() {
    static const PlatformApi api{
        &secondsSinceMidnight, &waitForMessage,
        &::ExitWindowsEx, &::OpenProcessToken, &::LookupPrivilegeValueA, &::AdjustTokenPrivileges, &::CloseHandle,
        &::mciSendStringA, &::mciGetDeviceIDA, &::mciSendCommandA,
        &::waveOutGetVolume, &::waveOutSetVolume, &::midiOutGetVolume, &::midiOutSetVolume,
        &::Shell_NotifyIconA,
    };
    return api;
}

PlatformApi& platform() {
    static PlatformApi api = realPlatform();
    return api;
}

} // namespace zor
