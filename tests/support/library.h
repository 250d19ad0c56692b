// Which copy of the library a test exercises, named by its fixture:
// - RegisteredLibrary: the registered DLL, created by ProgID as any client does. Its platform
//   seam is the DLL's own and always real; a recorder in the test program never sees its calls.
// - InProcessLibrary: the copy linked into the test program, created directly from its classes,
//   with the platform seam swapped for a PlatformRecorder: calls that would end the session,
//   play media or touch the notification area are recorded, never performed, and the clock is
//   a fake one that the test moves.
#pragma once
#include <deque>
#include <string>
#include <vector>
#include "client.h"
#include "frame/dispatch.h"
#include "runtime/platform.h"

namespace test {

// Records every call through the platform seam as one line of text, in order, and answers with
// the values the test sets. Only one recorder is installed at a time.
class PlatformRecorder {
public:
    PlatformRecorder();
    ~PlatformRecorder();
    PlatformRecorder(const PlatformRecorder&) = delete;
    PlatformRecorder& operator=(const PlatformRecorder&) = delete;
    static PlatformRecorder* current();

    // One line per call: the function's name and its arguments, e.g.
    // `mciSendStringA("close sound", 128, 0)`, `waveOutSetVolume(-1, 0x80008000)`,
    // `ExitWindowsEx(5, 0xFFFFFFFF)`.
    std::vector<std::string> calls;

    // The fake clock: seconds since midnight, moved on by each wait (and back to 0 at midnight).
    double now = 36000.0;
    std::vector<DWORD> waits;

    // Answers. mciReplies are written into the reply buffers of successive mciSendStringA calls
    // (an empty reply when none is left); mciResult is what every MCI call returns.
    std::deque<std::string> mciReplies;
    MCIERROR mciResult = 0;
    MCIDEVICEID deviceId = 0;
    DWORD volume = 0;          // the volume that the Get calls report
    MMRESULT volumeResult = 0; // what the volume calls return
    BOOL result = TRUE;        // ExitWindowsEx, the token calls, Shell_NotifyIconA
    LUID privilegeId{0x13, 0}; // what LookupPrivilegeValueA reports
    zor::TwipSize screen{15360, 11520}; // the screen size reported: 1024 x 768 pixels at 96 dpi

    // The records passed, byte for byte.
    std::vector<TOKEN_PRIVILEGES> privileges;
    std::vector<NOTIFYICONDATAA> icons;

    int count(const std::string& prefix) const; // calls whose line starts with prefix

private:
    zor::PlatformApi saved_;
};

// Tests of the registered DLL.
class RegisteredLibrary : public ::testing::Test {
protected:
    template <class Itf>
    ComPtr<Itf> make(const wchar_t* name) { return create<Itf>(name); }
};

// Tests of the in-process copy with its seam recorded.
class InProcessLibrary : public ::testing::Test {
protected:
    PlatformRecorder recorder;

    template <class T, class Itf>
    ComPtr<Itf> make() {
        ComPtr<Itf> p;
        EXPECT_EQ(S_OK, zor::createObject<T>(__uuidof(Itf), p.outVoid()));
        return p;
    }
};

} // namespace test
