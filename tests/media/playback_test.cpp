// Media through the registered DLL and the platform's own multimedia layer. This program runs
// with a null audio output (see the tests' build file), so Wine has one wave device and wave
// files really play; MIDI and CD audio have no device.
#include "callerobject.h"
#include "library.h"
#include "scratch.h"

using namespace test;

namespace {

// Asks the multimedia layer of this process, which the library shares, about a stream.
std::string ask(const std::string& command) {
    char reply[128] = {};
    MCIERROR e = mciSendStringA(command.c_str(), reply, sizeof reply, nullptr);
    return e ? "error " + std::to_string(e) : std::string(reply);
}

// A second of a square wave: 8 kHz, 8-bit mono.
void writeWave(const std::wstring& path) {
    const uint32_t n = 8000;
    std::string d = "RIFF....WAVEfmt ";
    auto put = [&](uint32_t v, int bytes) { d.append(reinterpret_cast<const char*>(&v), bytes); };
    put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(8000, 4), put(1, 2), put(8, 2);
    d += "data", put(n, 4);
    for (uint32_t i = 0; i < n; ++i) d += static_cast<char>(i / 8 % 2 ? 168 : 88);
    uint32_t riff = static_cast<uint32_t>(d.size() - 8);
    d.replace(4, 4, reinterpret_cast<const char*>(&riff), 4);
    writeFile(path, d);
}

std::string lower(std::wstring s) {
    std::string a;
    for (wchar_t c : s) a += static_cast<char>(tolower(c));
    return a;
}

TEST_F(RegisteredLibrary, WaveFilesPlayReplaceEachOtherAndStop) {
    ASSERT_GE(waveOutGetNumDevs(), 1u) << "the null audio output is missing: HOME must hold its .asoundrc";
    std::wstring dir = scratchDir(L"media files"), first = dir + L"first.wav", second = dir + L"second take.wav";
    writeWave(first);
    writeWave(second);
    auto m = make<_MDIFunctions>(L"MDIFunctions");
    VARIANT_BOOL r = 0;

    ASSERT_EQ(S_OK, m->PlayWavFile(Bstr(first).get(), &r));
    EXPECT_EQ(VARIANT_TRUE, r);
    EXPECT_EQ("playing", ask("status sound mode"));
    EXPECT_EQ(lower(first), lower(zor::fromAnsi(ask("info sound file"))));

    // The second sound, from a name with a space, closes the first and plays in its place.
    ASSERT_EQ(S_OK, m->PlayWavFile(Bstr(second).get(), &r));
    EXPECT_EQ("playing", ask("status sound mode"));
    EXPECT_EQ(lower(second), lower(zor::fromAnsi(ask("info sound file"))));

    ASSERT_EQ(S_OK, m->StopWav(&r));
    EXPECT_EQ(VARIANT_TRUE, r);
    EXPECT_EQ("error 281", ask("status sound mode")); // no such alias: closed
    ASSERT_EQ(S_OK, m->StopWav(&r));                  // again, with nothing open
    EXPECT_EQ(VARIANT_TRUE, r);
}

TEST_F(RegisteredLibrary, EveryMethodAnswersTrueWithoutDevices) {
    auto m = make<_MDIFunctions>(L"MDIFunctions");
    CallerObject frame(false);
    frame.hwnd = 0;
    Args missingFile{vstr(L"C:\\no such folder\\tune.mid")};
    const std::pair<const wchar_t*, std::vector<VARIANT>> calls[] = {
        {L"PlayMIDIFile", missingFile}, {L"StopMIDI", {}},   {L"PlayCD", {}},         {L"NextCDTrack", {}},
        {L"PrevCDTrack", {}},           {L"EjectCD", {}},    {L"StopCD", {}},         {L"IncreaseWavVolume", {}},
        {L"DecreaseWavVolume", {}},     {L"IncreaseMIDIVolume", {}}, {L"DecreaseMIDIVolume", {}},
        {L"StopAVI", {}},
    };
    for (const auto& [name, args] : calls) {
        Call c;
        invoke(c, m.get(), name, args);
        EXPECT_EQ(S_OK, c.hr) << name;
        EXPECT_EQ(VT_BOOL, V_VT(&c.result.get())) << name;
        EXPECT_EQ(VARIANT_TRUE, V_BOOL(&c.result.get())) << name;
    }

    VARIANT frameArg;
    V_VT(&frameArg) = VT_DISPATCH;
    V_DISPATCH(&frameArg) = &frame;
    Args name{vstr(L"C:\\no such.avi")};
    Call video;
    invoke(video, m.get(), L"PlayAVIFile", {name.v[0], frameArg});
    EXPECT_EQ(S_OK, video.hr);
    EXPECT_EQ(1, frame.hwndReads);
}

} // namespace
