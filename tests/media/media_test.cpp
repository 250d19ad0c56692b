// MDIFunctions: multimedia calls as the platform receives them, recorded (every command string
// byte for byte), and through the registered DLL and the platform's own multimedia layer. This
// program runs with a null audio output (see the tests' build file): Wine has one wave device and
// wave files really play; MIDI and CD audio have no device.
#include <optional>
#include "callerobject.h"
#include "library.h"
#include "scratch.h"
#include "media/MDIFunctions.h"

using namespace test;

namespace {

// Asks the multimedia layer of this process, which the library shares, about a stream.
std::string ask(const char* command) {
    char reply[128] = {};
    MCIERROR e = mciSendStringA(command, reply, sizeof reply, nullptr);
    return e ? "error " + std::to_string(e) : reply;
}

// Writes a second of square wave, 8 kHz 8-bit mono.
void writeWave(const std::wstring& path) {
    const char header[] = "RIFF\x64\x1f\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\x40\x1f\0\0";
    std::string d(header, sizeof header - 1);
    for (int i = 0; i < 8000; ++i) d += static_cast<char>(i / 8 % 2 ? 168 : 88);
    writeFile(path, d);
}

TEST_F(RegisteredLibrary, WaveReallyPlaysAndOtherMediaAnswerTrue) {
    ASSERT_GE(waveOutGetNumDevs(), 1u) << "no null audio output: HOME must hold its .asoundrc";
    std::wstring dir = scratchDir(L"media files");
    auto m = make<_MDIFunctions>(L"MDIFunctions");
    VARIANT_BOOL r = 0;
    for (const wchar_t* name : {L"first.wav", L"second take.wav"}) { // the second replaces the first
        writeWave(dir + name);
        ASSERT_EQ(S_OK, m->PlayWavFile(Bstr(dir + name).get(), &r));
        EXPECT_EQ(VARIANT_TRUE, r);
        EXPECT_EQ("playing", ask("status sound mode"));
        EXPECT_STRCASEEQ(zor::toAnsi(dir + name).c_str(), ask("info sound file").c_str());
    }
    for (int twice = 0; twice < 2; ++twice) {
        ASSERT_EQ(S_OK, m->StopWav(&r));
        EXPECT_EQ(VARIANT_TRUE, r);
        EXPECT_EQ("error 281", ask("status sound mode")); // no such alias: closed
    }
    // MIDI and CD audio have no device here: every method answers True all the same.
    for (const wchar_t* name : {L"StopMIDI", L"PlayCD", L"NextCDTrack", L"PrevCDTrack", L"EjectCD", L"StopCD",
                                L"IncreaseWavVolume", L"DecreaseWavVolume", L"IncreaseMIDIVolume", L"DecreaseMIDIVolume"}) {
        Call c;
        invoke(c, m.get(), name);
        EXPECT_TRUE(c.hr == S_OK && V_VT(&c.result.get()) == VT_BOOL && V_BOOL(&c.result.get()) == VARIANT_TRUE) << name;
    }
    EXPECT_EQ(S_OK, m->PlayMIDIFile(Bstr(L"C:\\no such folder\\tune.mid").get(), &r));
    EXPECT_EQ(VARIANT_TRUE, r);
}

// The log in short, lines joined by " | ": a bare command is mciSendStringA(command, 128, 0).
std::string shortLog(const std::vector<std::string>& calls) {
    const std::string pre = "mciSendStringA(\"", post = "\", 128, 0)";
    std::string log;
    for (std::string c : calls) {
        if (c.starts_with(pre) && c.ends_with(post)) c = c.substr(pre.size(), c.size() - pre.size() - post.size());
        log += (log.empty() ? "" : " | ") + c;
    }
    return log;
}

struct Case {
    const wchar_t* method;
    std::optional<std::wstring> file; // PlayAVIFile also gets a frame whose hwnd is `volume`
    std::string log;
    std::deque<std::string> replies = {};
    DWORD volume = 0;
    unsigned long hr = S_OK;
};

const std::string W = "stop sound | close sound | ", M = "stop midi | close midi | ", V = "stop movie | close movie | ",
                  CD = "stop cdaudio | close cdaudio", TRACK = "status cdaudio current track";
const std::wstring longest = L"C:\\" + std::wstring(252, L'x') + L".wav"; // the path limit less one

// Each Play method first runs its own Stop method, whose two commands open its log.
const Case cases[] = {
    {L"PlayWavFile", L"C:\\media\\ding.wav", W + "open waveaudio!C:\\media\\ding.wav alias sound | play sound"},
    {L"PlayWavFile", L"", W + "open waveaudio! alias sound | play sound"},
    {L"PlayWavFile", L"C:\\my sounds\\a.wav", W + "open \"waveaudio!C:\\my sounds\\a.wav\" alias sound | play sound"},
    {L"PlayWavFile", longest, W + "open waveaudio!" + zor::toAnsi(longest) + " alias sound | play sound"},
    {L"PlayWavFile", longest + L"x", "stop sound | close sound"},
    {L"PlayWavFile", std::wstring(1000000, L'a'), "stop sound | close sound"},
    {L"PlayWavFile", std::wstring(L"a.wav\0 alias x", 14), "stop sound | close sound"},
    {L"PlayWavFile", L"a\" b.wav", "stop sound | close sound"},
    {L"PlayMIDIFile", L"C:\\m\\t.mid", M + "open sequencer!C:\\m\\t.mid alias midi | play midi"},
    {L"PlayMIDIFile", L"C:\\My Music\\t.mid", M + "open \"sequencer!C:\\My Music\\t.mid\" alias midi | play midi"},
    {L"PlayAVIFile", L"C:\\clips\\intro.avi",
     V + "open AVIvideo!C:\\clips\\intro.avi alias movie parent 1234 style child | play movie", {}, 1234},
    {L"PlayAVIFile", L"", V + "open AVIvideo! alias movie parent -5 style child | play movie", {}, DWORD(-5)},
    {L"PlayCD", {}, CD + " | open cdaudio | set cdaudio time format milliseconds | play cdaudio"},
    {L"EjectCD", {},
     CD + " | open cdaudio | mciGetDeviceIDA(\"cdaudio\") | mciSendCommandA(3, 0x0000080D, 0x00000100, 0x00000000) | " + CD},
    {L"NextCDTrack", {}, TRACK},
    {L"PrevCDTrack", {}, TRACK, {"no disc"}},
    {L"NextCDTrack", {}, TRACK, {"0"}},
    {L"NextCDTrack", {}, TRACK + " | status cdaudio position track 4 | play cdaudio from 185000", {"3", "185000"}},
    {L"PrevCDTrack", {}, TRACK + " | status cdaudio position track 2 | play cdaudio from 61000", {" 3\n", "61000 ms"}},
    {L"PrevCDTrack", {}, TRACK + " | status cdaudio position track 0", {"1", "0"}},
    {L"NextCDTrack", {}, TRACK + " | status cdaudio position track 4 | play cdaudio from 12", {"2.5", "12.5"}},
    {L"NextCDTrack", {}, TRACK + " | status cdaudio position track 4", {"3", "2147483648"}, 0, 0x800A0006},
    {L"NextCDTrack", {}, TRACK, {"2147483647"}, 0, 0x800A0006},
    {L"IncreaseWavVolume", {}, "waveOutGetVolume(-1) | waveOutSetVolume(-1, 0x0FFF0FFF)", {}, 0x00000000},
    {L"DecreaseWavVolume", {}, "waveOutGetVolume(-1) | waveOutSetVolume(-1, 0x70017001)", {}, 0x80008000},
    {L"IncreaseWavVolume", {}, "waveOutGetVolume(-1) | waveOutSetVolume(-1, 0x6FFF2FFF)", {}, 0x60002000},
    {L"IncreaseWavVolume", {}, "waveOutGetVolume(-1) | waveOutSetVolume(-1, 0xFFFFFFFF)", {}, 0xF000F801},
    {L"DecreaseWavVolume", {}, "waveOutGetVolume(-1) | waveOutSetVolume(-1, 0x00010000)", {}, 0x10000800},
    {L"IncreaseMIDIVolume", {}, "mciGetDeviceIDA(\"midi\") | midiOutGetVolume(3) | midiOutSetVolume(3, 0x22336677)", {}, 0x12345678},
    {L"DecreaseMIDIVolume", {}, "mciGetDeviceIDA(\"midi\") | midiOutGetVolume(3) | midiOutSetVolume(3, 0x02354679)", {}, 0x12345678},
};

TEST_F(InProcessLibrary, EveryCommandIsExact) {
    auto m = make<zor::MDIFunctions, _MDIFunctions>();
    recorder.deviceId = 3; // what the device look-ups answer
    for (const auto& c : cases) {
        recorder.calls.clear();
        recorder.mciReplies = c.replies;
        recorder.volume = c.volume;
        CallerObject frame(true); // a script object as the form's frame
        frame.hwnd = static_cast<long>(c.volume);
        Args args{};
        if (c.file) args.v.push_back(vstr(*c.file)); // all of it, NULs too
        if (wcscmp(c.method, L"PlayAVIFile") == 0) {
            args.v.push_back(vtype(VT_DISPATCH));
            V_DISPATCH(&args.v.back()) = &frame; // its Release at the end does nothing
        }
        Call call;
        invoke(call, m.get(), c.method, args);
        EXPECT_EQ(c.hr, static_cast<unsigned long>(call.hr == DISP_E_EXCEPTION ? call.excep.scode : call.hr)) << c.log;
        const VARIANT& result = call.result.get();
        EXPECT_TRUE(c.hr || (V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_TRUE)) << c.log;
        EXPECT_EQ(c.log, shortLog(recorder.calls));
    }
    // A frame that is missing or has no window handle fails after the stop, before any open.
    recorder.calls.clear();
    CallerObject noHandle(false);
    noHandle.hasHwnd = false;
    VARIANT_BOOL r;
    EXPECT_EQ(0x800A01A8, static_cast<unsigned long>(m->PlayAVIFile(nullptr, nullptr, &r)));
    EXPECT_EQ(0x800A01B6, static_cast<unsigned long>(m->PlayAVIFile(nullptr, &noHandle, &r)));
    EXPECT_EQ("stop movie | close movie | stop movie | close movie", shortLog(recorder.calls));
}

} // namespace
