#include "runtime/errors.h"

namespace zor {

std::wstring errorDescription(long number) {
    switch (number) {
    case 5: return L"Invalid procedure call or argument";
    case 6: return L"Overflow";
    case 7: return L"Out of memory";
    case 9: return L"Subscript out of range";
    case 13: return L"Type mismatch";
    case 52: return L"Bad file name or number";
    case 53: return L"File not found";
    case 55: return L"File already open";
    case 57: return L"Device I/O error";
    case 58: return L"File already exists";
    case 61: return L"Disk full";
    case 62: return L"Input past end of file";
    case 70: return L"Permission denied";
    case 71: return L"Disk not ready";
    case 75: return L"Path/File access error";
    case 76: return L"Path not found";
    case 424: return L"Object required";
    case 438: return L"Object doesn't support this property or method";
    default: return L"Application-defined or object-defined error";
    }
}

Error Error::fromHresult(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && (hr & 0x80000000))
        return Error(HRESULT_CODE(hr));
    switch (hr) {
    case E_OUTOFMEMORY: return Error(errOutOfMemory);
    case DISP_E_TYPEMISMATCH: return Error(errTypeMismatch);
    case DISP_E_OVERFLOW: return Error(errOverflow);
    case DISP_E_BADINDEX: return Error(errSubscript);
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND: return Error(errNoSuchMember);
    default: {
        Error e(0);
        e.foreign = hr;
        return e;
    }
    }
}

// Win32 error codes as the file operations of the catalogue report them.
Error Error::fromWin32(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND: return Error(errFileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY: return Error(errPathNotFound);
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY: return Error(errDiskNotReady);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_LOCK_VIOLATION: return Error(errPermissionDenied);
    case ERROR_SHARING_VIOLATION: return Error(errPermissionDenied);
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return Error(errFileAlreadyExists);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: return Error(errBadFileName);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return Error(errDiskFull);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return Error(errOutOfMemory);
    case ERROR_HANDLE_EOF: return Error(errInputPastEnd);
    default: return Error(errPathFileAccess);
    }
}

HRESULT Error::hresult() const {
    if (number == 0) return FAILED(foreign) ? foreign : E_FAIL;
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

std::wstring Error::description() const {
    if (number != 0) return errorDescription(number);
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(foreign), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring s = n ? std::wstring(text, n) : L"Automation error";
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return s;
}

} // namespace zor
