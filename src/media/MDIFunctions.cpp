#include "media/MDIFunctions.h"
#include <algorithm>
#include "frame/members.h"
#include "runtime/callbuffer.h"
#include "runtime/leadingnumber.h"
#include "runtime/numbers.h"
#include "runtime/platform.h"

namespace zor {

namespace {

// Every command goes with a reply buffer of this many characters and no callback window.
constexpr size_t replyLength = 128;

// One step of the output volume, per channel.
constexpr long volumeStep = 4095;

// Sends one command string; its result is not looked at, its reply stays in the buffer.
void send(CallBuffer& reply, std::wstring_view command) {
    platform().mciSendStringA(toAnsi(command).c_str(), reply.data(), reply.size(), nullptr);
}

void send(std::wstring_view command) {
    CallBuffer reply(replyLength);
    send(reply, command);
}

// A name that no file can have (one past the path limit, or holding a NUL or a quote, which
// would end the command or its quoted element early) is never put into a command.
bool canNameFile(std::wstring_view name) {
    return name.size() < MAX_PATH && name.find_first_of(std::wstring_view(L"\0\"", 2)) == std::wstring_view::npos;
}

// The device type and the file as one element; a name with a space is quoted whole, so that
// files under folders such as "C:\My Music" open.
std::wstring element(std::wstring_view deviceType, std::wstring_view name) {
    std::wstring e = std::wstring(deviceType) + L"!" + std::wstring(name);
    return name.find(L' ') == std::wstring_view::npos ? e : L"\"" + e + L"\"";
}

// Stops the stream under an alias and closes it, whether or not anything is open there.
bool stopAndClose(std::wstring_view alias) {
    CallBuffer reply(replyLength);
    send(reply, L"stop " + std::wstring(alias));
    send(reply, L"close " + std::wstring(alias));
    return true;
}

// Opens a file under an alias and starts it playing; a name that cannot be a file leaves
// nothing playing, as a missing file does.
bool openAndPlay(std::wstring_view deviceType, std::wstring_view name, std::wstring_view alias,
                 std::wstring_view options = L"") {
    if (!canNameFile(name)) return true;
    CallBuffer reply(replyLength);
    send(reply, L"open " + element(deviceType, name) + L" alias " + std::wstring(alias) + std::wstring(options));
    send(reply, L"play " + std::wstring(alias));
    return true;
}

// Jumps to the track `offset` away from the current one, through one reply buffer; a reply
// without a number (no drive, no disc, no such track) ends the jump.
bool jumpTrack(long offset) {
    CallBuffer reply(replyLength);
    send(reply, L"status cdaudio current track");
    double track = leadingNumber(reply.text());
    if (track == 0) return true;
    send(reply, L"status cdaudio position track " + decimal(roundToInteger32(track + offset)));
    long position = roundToInteger32(leadingNumber(reply.text())); // error 6 when it does not fit
    if (position == 0) return true;
    send(reply, L"play cdaudio from " + decimal(position));
    return true;
}

// Both 16-bit channels of a volume word moved by one step, held at 0 and 0xFFFF.
DWORD stepped(DWORD volume, long step) {
    auto level = [&](DWORD channel) { return static_cast<DWORD>(std::clamp<long>(long(channel) + step, 0, 0xFFFF)); };
    return level(LOWORD(volume)) | level(HIWORD(volume)) << 16;
}

// The volume starts at 0, which is what a failed read leaves to work on.
bool stepWaveVolume(long step) {
    HWAVEOUT mapper = reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(WAVE_MAPPER));
    DWORD volume = 0;
    platform().waveOutGetVolume(mapper, &volume);
    platform().waveOutSetVolume(mapper, stepped(volume, step));
    return true;
}

// The MIDI device is the one open under the alias "midi" (0 when none is).
bool stepMidiVolume(long step) {
    HMIDIOUT device = reinterpret_cast<HMIDIOUT>(static_cast<UINT_PTR>(platform().mciGetDeviceIDA("midi")));
    DWORD volume = 0;
    platform().midiOutGetVolume(device, &volume);
    platform().midiOutSetVolume(device, stepped(volume, step));
    return true;
}

} // namespace

// ---- wave, MIDI and video ------------------------------------------------------------------

STDMETHODIMP MDIFunctions::StopWav(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stopAndClose(L"sound"); });
}

STDMETHODIMP MDIFunctions::StopMIDI(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stopAndClose(L"midi"); });
}

STDMETHODIMP MDIFunctions::StopAVI(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stopAndClose(L"movie"); });
}

STDMETHODIMP MDIFunctions::PlayWavFile(BSTR strFilename, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        call(self(), &_MDIFunctions::StopWav);
        return openAndPlay(L"waveaudio", str(strFilename), L"sound");
    });
}

STDMETHODIMP MDIFunctions::PlayMIDIFile(BSTR strFilename, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        call(self(), &_MDIFunctions::StopMIDI);
        return openAndPlay(L"sequencer", str(strFilename), L"midi");
    });
}

STDMETHODIMP MDIFunctions::PlayAVIFile(BSTR strFilename, IDispatch* fraFrame, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        call(self(), &_MDIFunctions::StopAVI);
        HWND parent = windowMember(fraFrame); // the video window is a child of the caller's frame
        return openAndPlay(L"AVIvideo", str(strFilename), L"movie",
                           L" parent " + decimal(reinterpret_cast<LONG_PTR>(parent)) + L" style child");
    });
}

// ---- CD audio ------------------------------------------------------------------------------

STDMETHODIMP MDIFunctions::StopCD(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stopAndClose(L"cdaudio"); });
}

STDMETHODIMP MDIFunctions::PlayCD(VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        call(self(), &_MDIFunctions::StopCD);
        CallBuffer reply(replyLength);
        send(reply, L"open cdaudio");
        send(reply, L"set cdaudio time format milliseconds"); // positions are read in milliseconds
        send(reply, L"play cdaudio");
        return true;
    });
}

STDMETHODIMP MDIFunctions::PrevCDTrack(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return jumpTrack(-1); });
}

STDMETHODIMP MDIFunctions::NextCDTrack(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return jumpTrack(+1); });
}

STDMETHODIMP MDIFunctions::EjectCD(VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        call(self(), &_MDIFunctions::StopCD);
        send(L"open cdaudio");
        MCIDEVICEID device = platform().mciGetDeviceIDA("cdaudio");
        platform().mciSendCommandA(device, MCI_SET, MCI_SET_DOOR_OPEN, 0);
        call(self(), &_MDIFunctions::StopCD); // closes the device opened above
        return true;
    });
}

// ---- volume --------------------------------------------------------------------------------

STDMETHODIMP MDIFunctions::IncreaseWavVolume(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stepWaveVolume(+volumeStep); });
}

STDMETHODIMP MDIFunctions::DecreaseWavVolume(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stepWaveVolume(-volumeStep); });
}

STDMETHODIMP MDIFunctions::IncreaseMIDIVolume(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stepMidiVolume(+volumeStep); });
}

STDMETHODIMP MDIFunctions::DecreaseMIDIVolume(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return stepMidiVolume(-volumeStep); });
}

} // namespace zor
