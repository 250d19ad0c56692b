// Multimedia commands as the platform receives them, recorded byte for byte.
#include <functional>
#include "callerobject.h"
#include "library.h"
#include "media/MDIFunctions.h"

using namespace test;

namespace {

using Lines = std::vector<std::string>;
using Action = std::function<HRESULT(_MDIFunctions*, VARIANT_BOOL*)>;

std::string mci(const std::string& command) { return "mciSendStringA(\"" + command + "\", 128, 0)"; }
Lines closing(const std::string& alias) { return {mci("stop " + alias), mci("close " + alias)}; }
Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Action play(HRESULT (STDMETHODCALLTYPE _MDIFunctions::*method)(BSTR, VARIANT_BOOL*), std::wstring name) {
    return [=](_MDIFunctions* m, VARIANT_BOOL* r) { return (m->*method)(Bstr(name).get(), r); };
}
Action plain(HRESULT (STDMETHODCALLTYPE _MDIFunctions::*method)(VARIANT_BOOL*)) {
    return [=](_MDIFunctions* m, VARIANT_BOOL* r) { return (m->*method)(r); };
}
Action playVideo(std::wstring name, long hwnd) {
    return [=](_MDIFunctions* m, VARIANT_BOOL* r) {
        CallerObject frame(false);
        frame.hwnd = hwnd;
        return m->PlayAVIFile(Bstr(name).get(), &frame, r);
    };
}

struct Case {
    const char* what;
    Action action;
    Lines calls;
    std::deque<std::string> replies = {};
    unsigned long hr = S_OK;
};

void run(PlatformRecorder& recorder, _MDIFunctions* m, const Case& c) {
    recorder.calls.clear();
    recorder.mciReplies = c.replies;
    VARIANT_BOOL result = 7;
    EXPECT_EQ(c.hr, static_cast<unsigned long>(c.action(m, &result))) << c.what;
    EXPECT_EQ(c.hr == S_OK ? VARIANT_TRUE : VARIANT_FALSE, result) << c.what;
    EXPECT_EQ(c.calls, recorder.calls) << c.what;
}

TEST_F(InProcessLibrary, PlaybackCommandsAreExact) {
    auto m = make<zor::MDIFunctions, _MDIFunctions>();
    const std::wstring longest = L"C:\\" + std::wstring(252, L'x') + L".wav"; // 259 characters
    const std::string longestA = "C:\\" + std::string(252, 'x') + ".wav";
    const Case cases[] = {
        {"stop wave", plain(&_MDIFunctions::StopWav), closing("sound")},
        {"stop MIDI", plain(&_MDIFunctions::StopMIDI), closing("midi")},
        {"stop video", plain(&_MDIFunctions::StopAVI), closing("movie")},
        {"wave", play(&_MDIFunctions::PlayWavFile, L"C:\\media\\ding.wav"),
         closing("sound") + Lines{mci("open waveaudio!C:\\media\\ding.wav alias sound"), mci("play sound")}},
        {"empty name", play(&_MDIFunctions::PlayWavFile, L""),
         closing("sound") + Lines{mci("open waveaudio! alias sound"), mci("play sound")}},
        {"name with spaces, quoted whole", play(&_MDIFunctions::PlayWavFile, L"C:\\my sounds\\a b.wav"),
         closing("sound") + Lines{mci("open \"waveaudio!C:\\my sounds\\a b.wav\" alias sound"), mci("play sound")}},
        {"longest path", play(&_MDIFunctions::PlayWavFile, longest),
         closing("sound") + Lines{mci("open waveaudio!" + longestA + " alias sound"), mci("play sound")}},
        {"past the path limit", play(&_MDIFunctions::PlayWavFile, longest + L"x"), closing("sound")},
        {"million characters", play(&_MDIFunctions::PlayWavFile, std::wstring(1000000, L'a')), closing("sound")},
        {"embedded NUL", play(&_MDIFunctions::PlayWavFile, std::wstring(L"a.wav\0 alias x", 14)), closing("sound")},
        {"quote", play(&_MDIFunctions::PlayWavFile, L"a\" b.wav"), closing("sound")},
        {"MIDI", play(&_MDIFunctions::PlayMIDIFile, L"C:\\m\\tune.mid"),
         closing("midi") + Lines{mci("open sequencer!C:\\m\\tune.mid alias midi"), mci("play midi")}},
        {"MIDI with spaces", play(&_MDIFunctions::PlayMIDIFile, L"C:\\My Music\\t.mid"),
         closing("midi") + Lines{mci("open \"sequencer!C:\\My Music\\t.mid\" alias midi"), mci("play midi")}},
        {"video", playVideo(L"C:\\clips\\intro.avi", 1234),
         closing("movie") + Lines{mci("open AVIvideo!C:\\clips\\intro.avi alias movie parent 1234 style child"),
                                  mci("play movie")}},
        {"video, negative handle", playVideo(L"v.avi", -5),
         closing("movie") + Lines{mci("open AVIvideo!v.avi alias movie parent -5 style child"), mci("play movie")}},
        {"video, handle 0", playVideo(L"", 0),
         closing("movie") + Lines{mci("open AVIvideo! alias movie parent 0 style child"), mci("play movie")}},
        {"video without a frame", [](_MDIFunctions* m, VARIANT_BOOL* r) { return m->PlayAVIFile(nullptr, nullptr, r); },
         closing("movie"), {}, 0x800A01A8},
        {"frame without hwnd",
         [](_MDIFunctions* m, VARIANT_BOOL* r) {
             CallerObject frame(false);
             frame.hasHwnd = false;
             return m->PlayAVIFile(nullptr, &frame, r);
         },
         closing("movie"), {}, 0x800A01B6},
        {"script object as frame",
         [](_MDIFunctions* m, VARIANT_BOOL* r) {
             CallerObject frame(true);
             frame.hwnd = 77;
             return m->PlayAVIFile(Bstr(L"x.avi").get(), &frame, r);
         },
         closing("movie") + Lines{mci("open AVIvideo!x.avi alias movie parent 77 style child"), mci("play movie")}},
    };
    for (const auto& c : cases) run(recorder, m.get(), c);
}

TEST_F(InProcessLibrary, CdCommandsFollowTheReplies) {
    auto m = make<zor::MDIFunctions, _MDIFunctions>();
    const std::string current = mci("status cdaudio current track");
    auto position = [](const char* n) { return mci(std::string("status cdaudio position track ") + n); };
    const auto next = plain(&_MDIFunctions::NextCDTrack), prev = plain(&_MDIFunctions::PrevCDTrack);
    recorder.deviceId = 7;
    const Case cases[] = {
        {"stop", plain(&_MDIFunctions::StopCD), closing("cdaudio")},
        {"play", plain(&_MDIFunctions::PlayCD),
         closing("cdaudio") + Lines{mci("open cdaudio"), mci("set cdaudio time format milliseconds"), mci("play cdaudio")}},
        {"eject", plain(&_MDIFunctions::EjectCD),
         closing("cdaudio") + Lines{mci("open cdaudio"), "mciGetDeviceIDA(\"cdaudio\")",
                                    "mciSendCommandA(7, 0x0000080D, 0x00000100, 0x00000000)"} + closing("cdaudio")},
        {"no reply", next, {current}},
        {"no number", prev, {current}, {"not ready"}},
        {"track 0", next, {current}, {"0"}},
        {"next from 3", next, {current, position("4"), mci("play cdaudio from 185000")}, {"3", "185000"}},
        {"previous from 3", prev, {current, position("2"), mci("play cdaudio from 61000")}, {" 3\n", "61000 ms"}},
        {"no position", next, {current, position("4")}, {"3", ""}},
        {"previous from 1", prev, {current, position("0")}, {"1", "0"}},
        {"halves to even", next, {current, position("4"), mci("play cdaudio from 12")}, {"2.5", "12.5"}},
        {"position past 32 bits", next, {current, position("4")}, {"3", "2147483648"}, 0x800A0006},
        {"track past 32 bits", next, {current}, {"2147483647"}, 0x800A0006},
    };
    for (const auto& c : cases) run(recorder, m.get(), c);
}

TEST_F(InProcessLibrary, VolumeStepsBothChannelsAndStopsAtTheEnds) {
    auto m = make<zor::MDIFunctions, _MDIFunctions>();
    const auto up = plain(&_MDIFunctions::IncreaseWavVolume), down = plain(&_MDIFunctions::DecreaseWavVolume);
    auto wave = [](const char* to) {
        return Lines{"waveOutGetVolume(-1)", std::string("waveOutSetVolume(-1, ") + to + ")"};
    };
    struct Step {
        DWORD from;
        Case c;
    };
    const Step steps[] = {
        {0x00000000, {"up from silence", up, wave("0x0FFF0FFF")}},
        {0x80008000, {"down from half", down, wave("0x70017001")}},
        {0x60002000, {"unequal channels", up, wave("0x6FFF2FFF")}},
        {0xF000F001, {"up to full", up, wave("0xFFFFFFFF")}},
        {0xFFFFF800, {"up stops at full", up, wave("0xFFFFFFFF")}},
        {0x0FFF1000, {"down to silence", down, wave("0x00000001")}},
        {0x00000800, {"down stops at silence", down, wave("0x00000000")}},
        {0x12345678, {"MIDI up", plain(&_MDIFunctions::IncreaseMIDIVolume),
                      {"mciGetDeviceIDA(\"midi\")", "midiOutGetVolume(0)", "midiOutSetVolume(0, 0x22336677)"}}},
        {0x12345678, {"MIDI down", plain(&_MDIFunctions::DecreaseMIDIVolume),
                      {"mciGetDeviceIDA(\"midi\")", "midiOutGetVolume(0)", "midiOutSetVolume(0, 0x02354679)"}}},
    };
    for (const auto& s : steps) {
        recorder.volume = s.from;
        run(recorder, m.get(), s.c);
    }
    recorder.deviceId = 3; // the "midi" stream is open: its device is used
    recorder.volume = 0;
    run(recorder, m.get(), {"MIDI stream open", plain(&_MDIFunctions::IncreaseMIDIVolume),
                            {"mciGetDeviceIDA(\"midi\")", "midiOutGetVolume(3)", "midiOutSetVolume(3, 0x0FFF0FFF)"}});
}

} // namespace
