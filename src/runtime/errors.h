// The error catalogue: every failure inside the library is an Error carrying an error number
// (or, for a failure reported by another COM object, that object's HRESULT).
#pragma once
#include <windows.h>
#include <string>

namespace zor {

enum ErrorNumber : long {
    errIllegalCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscript = 9,
    errTypeMismatch = 13,
    errBadFileName = 52,
    errFileNotFound = 53,
    errFileAlreadyOpen = 55,
    errDeviceIO = 57,
    errFileAlreadyExists = 58,
    errDiskFull = 61,
    errInputPastEnd = 62,
    errPermissionDenied = 70,
    errDiskNotReady = 71,
    errPathFileAccess = 75,
    errPathNotFound = 76,
    errObjectRequired = 424,
    errNoSuchMember = 438,
};

struct Error {
    long number = 0;       // catalogue number, 0 when only hr is known
    HRESULT foreign = S_OK; // failure HRESULT of another object, when it is not 0x800A....

    explicit Error(long n) : number(n) {}
    static Error fromHresult(HRESULT hr);
    static Error fromWin32(DWORD code);
    static Error lastWin32() { return fromWin32(GetLastError()); }

    HRESULT hresult() const;
    std::wstring description() const;
};

// The short English sentence for a catalogue number ("Application-defined or object-defined
// error" for numbers outside the catalogue).
std::wstring errorDescription(long number);

// Throws Error::fromHresult when hr is a failure.
inline void check(HRESULT hr) {
    if (FAILED(hr)) throw Error::fromHresult(hr);
}

} // namespace zor
