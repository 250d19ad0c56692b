// Media through the registered DLL and the platform's own multimedia layer. This program runs
// with a null audio output (see the tests' build file): Wine has one wave device and wave files
// really play; MIDI and CD audio have no device.
#include "library.h"
#include "scratch.h"

using namespace test;

namespace {

// Asks the multimedia layer of this process, which the library shares, about a stream.
std::string ask(const char* command) {
    char reply[128] = {};
    MCIERROR e = mciSendStringA(command, reply, sizeof reply, nullptr);
    return e ? "error " + std::to_string(e) : reply;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(tolower(c));
    return s;
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
        EXPECT_EQ(lower(zor::toAnsi(dir + name)), lower(ask("info sound file")));
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

} // namespace
