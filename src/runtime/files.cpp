#include "files.h"
#include <string>

namespace zor {

namespace {
bool identity(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) { return GetFileInformationByHandle(h, &info) != 0; }
} // namespace

BinaryFile::BinaryFile(std::wstring_view path, Mode mode) {
    const DWORD access = mode == readExisting ? GENERIC_READ : GENERIC_WRITE;
    // Existing files may be hidden or system files, which CREATE_ALWAYS would refuse: a file
    // for writing is opened or created, then emptied.
    const DWORD disposition = mode == createTruncate ? OPEN_ALWAYS : OPEN_EXISTING;
    Handle h(CreateFileW(std::wstring(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h) throw Error::lastWin32();
    if (mode == createTruncate && !SetEndOfFile(h.get())) throw Error::lastWin32();
    handle_ = std::move(h);
}

unsigned long long BinaryFile::size() const {
    LARGE_INTEGER n;
    if (!GetFileSizeEx(handle_.get(), &n)) throw Error::lastWin32();
    return static_cast<unsigned long long>(n.QuadPart);
}

void BinaryFile::read(void* buffer, DWORD bytes) {
    DWORD done = 0;
    if (!ReadFile(handle_.get(), buffer, bytes, &done, nullptr)) throw Error::lastWin32();
    if (done != bytes) throw Error(errInputPastEnd);
}

void BinaryFile::write(const void* buffer, DWORD bytes) {
    DWORD done = 0;
    if (!WriteFile(handle_.get(), buffer, bytes, &done, nullptr)) throw Error::lastWin32();
    if (done != bytes) throw Error(errDiskFull);
}

bool BinaryFile::isSameFileAs(std::wstring_view path) const {
    // No access asked: only the identity (volume and file index) is read.
    Handle other(CreateFileW(std::wstring(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!other || !identity(handle_.get(), a) || !identity(other.get(), b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

void BinaryFile::close() {
    if (handle_ && !CloseHandle(handle_.release())) throw Error::lastWin32();
}

void replaceFile(std::wstring_view source, std::wstring_view target) {
    // A rename within the volume: no copying, so a failure leaves the target untouched.
    if (!MoveFileExW(std::wstring(source).c_str(), std::wstring(target).c_str(), MOVEFILE_REPLACE_EXISTING))
        throw Error::lastWin32();
}

} // namespace zor
