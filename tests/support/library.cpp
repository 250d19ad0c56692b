#include "library.h"
#include <cstdio>

namespace test {

namespace {
PlatformRecorder* installed = nullptr;

PlatformRecorder& rec() { return *installed; }

std::string hex(unsigned long v) {
    char b[16];
    snprintf(b, sizeof b, "0x%08lX", v);
    return b;
}
std::string num(long long v) { return std::to_string(v); }
std::string quoted(const char* s) { return s ? "\"" + std::string(s) + "\"" : "NULL"; }

void record(std::string line) { rec().calls.push_back(std::move(line)); }

double fakeClock() { return rec().now; }
void fakeWait(DWORD ms) {
    rec().waits.push_back(ms);
    rec().now += ms / 1000.0;
    if (rec().now >= 86400.0) rec().now -= 86400.0;
}

BOOL WINAPI fakeExitWindowsEx(UINT flags, DWORD reason) {
    record("ExitWindowsEx(" + num(flags) + ", " + hex(reason) + ")");
    return rec().result;
}
BOOL WINAPI fakeOpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    record("OpenProcessToken(" + std::string(process == GetCurrentProcess() ? "current" : "other") + ", " +
           hex(access) + ")");
    *token = reinterpret_cast<HANDLE>(0x4321);
    return rec().result;
}
BOOL WINAPI fakeLookupPrivilegeValueA(LPCSTR system, LPCSTR name, LUID* luid) {
    record("LookupPrivilegeValueA(" + quoted(system) + ", " + quoted(name) + ")");
    *luid = rec().privilegeId;
    return rec().result;
}
BOOL WINAPI fakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length,
                                      TOKEN_PRIVILEGES* previous, DWORD* returnLength) {
    record("AdjustTokenPrivileges(" + hex(reinterpret_cast<uintptr_t>(token)) + ", " + num(disableAll) + ", " +
           num(length) + ")");
    if (state) rec().privileges.push_back(*state);
    return rec().result;
}
BOOL WINAPI fakeCloseHandle(HANDLE h) {
    record("CloseHandle(" + hex(reinterpret_cast<uintptr_t>(h)) + ")");
    return TRUE;
}
MCIERROR WINAPI fakeMciSendStringA(LPCSTR command, LPSTR reply, UINT replyLength, HWND callback) {
    record("mciSendStringA(" + quoted(command) + ", " + num(replyLength) + ", " +
           num(reinterpret_cast<intptr_t>(callback)) + ")");
    if (reply && replyLength) {
        auto& replies = rec().mciReplies;
        const std::string r = replies.empty() ? "" : replies.front().substr(0, replyLength - 1);
        if (!replies.empty()) replies.pop_front();
        memcpy(reply, r.c_str(), r.size() + 1);
    }
    return rec().mciResult;
}
MCIDEVICEID WINAPI fakeMciGetDeviceIDA(LPCSTR device) {
    record("mciGetDeviceIDA(" + quoted(device) + ")");
    return rec().deviceId;
}
MCIERROR WINAPI fakeMciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
    record("mciSendCommandA(" + num(device) + ", " + hex(message) + ", " + hex(flags) + ", " + hex(params) + ")");
    return rec().mciResult;
}
// The wave and MIDI volume calls differ only in their name and handle type.
template <class H>
MMRESULT getVolume(const char* name, H device, DWORD* volume) {
    record(std::string(name) + "(" + num(static_cast<int>(reinterpret_cast<intptr_t>(device))) + ")");
    if (volume) *volume = rec().volume;
    return rec().volumeResult;
}
template <class H>
MMRESULT setVolume(const char* name, H device, DWORD volume) {
    record(std::string(name) + "(" + num(static_cast<int>(reinterpret_cast<intptr_t>(device))) + ", " + hex(volume) + ")");
    return rec().volumeResult;
}
MMRESULT WINAPI fakeWaveOutGetVolume(HWAVEOUT d, DWORD* v) { return getVolume("waveOutGetVolume", d, v); }
MMRESULT WINAPI fakeWaveOutSetVolume(HWAVEOUT d, DWORD v) { return setVolume("waveOutSetVolume", d, v); }
MMRESULT WINAPI fakeMidiOutGetVolume(HMIDIOUT d, DWORD* v) { return getVolume("midiOutGetVolume", d, v); }
MMRESULT WINAPI fakeMidiOutSetVolume(HMIDIOUT d, DWORD v) { return setVolume("midiOutSetVolume", d, v); }
BOOL WINAPI fakeShellNotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    record("Shell_NotifyIconA(" + num(message) + ")");
    if (data) rec().icons.push_back(*data);
    return rec().result;
}
zor::TwipSize fakeScreenSizeInTwips() { return rec().screen; }
} // namespace

PlatformRecorder::PlatformRecorder() : saved_(zor::platform()) {
    EXPECT_EQ(nullptr, installed) << "one recorder at a time";
    installed = this;
    zor::platform() = {
        &fakeClock, &fakeWait,
        &fakeExitWindowsEx, &fakeOpenProcessToken, &fakeLookupPrivilegeValueA, &fakeAdjustTokenPrivileges, &fakeCloseHandle,
        &fakeMciSendStringA, &fakeMciGetDeviceIDA, &fakeMciSendCommandA,
        &fakeWaveOutGetVolume, &fakeWaveOutSetVolume, &fakeMidiOutGetVolume, &fakeMidiOutSetVolume,
        &fakeShellNotifyIconA, &fakeScreenSizeInTwips,
    };
}

PlatformRecorder::~PlatformRecorder() {
    zor::platform() = saved_;
    installed = nullptr;
}

PlatformRecorder* PlatformRecorder::current() { return installed; }

int PlatformRecorder::count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
    return n;
}

} // namespace test
