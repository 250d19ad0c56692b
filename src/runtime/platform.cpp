#include "runtime/platform.h"
#include "runtime/clock.h"
#include "runtime/pump.h"
#include "runtime/screen.h"

namespace zor {

const PlatformApi& realPlatform() {
    static const PlatformApi api{
        &secondsSinceMidnight, &waitForMessage,
        &::ExitWindowsEx, &::OpenProcessToken, &::LookupPrivilegeValueA, &::AdjustTokenPrivileges, &::CloseHandle,
        &::mciSendStringA, &::mciGetDeviceIDA, &::mciSendCommandA,
        &::waveOutGetVolume, &::waveOutSetVolume, &::midiOutGetVolume, &::midiOutSetVolume,
        &::Shell_NotifyIconA,
        &screenSizeInTwips,
    };
    return api;
}

PlatformApi& platform() {
    static PlatformApi api = realPlatform();
    return api;
}

} // namespace zor
