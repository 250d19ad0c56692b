#include "runtime/files.h"
#include "runtime/text.h"
#include "runtime/handles.h"
#include "runtime/pump.h"
#include <sddl.h>
#include <cwchar>
#include <algorithm>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace zor {

namespace {

// Win32 strings need a terminator; the views we get may not have one. A name with a NUL in it
// would reach the platform cut short, naming another file: it is a bad file name.
std::wstring terminated(std::wstring_view s) {
    if (s.find(L'\0') != std::wstring_view::npos) throw Error(errBadFileName);
    return std::wstring(s);
}

bool isDirectory(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool heldByAnother(DWORD code) { return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION; }

// Calls attempt until it succeeds or waitMs have passed, pausing a little longer each time (up to
// longestPause) with the caller's window messages flowing. attempt gives true on success; false,
// with the last error set, when it may be tried again. The last error of the last attempt is kept.
template <class Attempt>
bool retrying(DWORD waitMs, Attempt&& attempt, DWORD longestPause = 16) {
    const DWORD start = GetTickCount();
    for (DWORD pause = 1;; pause = std::min(pause * 2, longestPause)) {
        if (attempt()) return true;
        DWORD code = GetLastError();
        if (!heldByAnother(code) || GetTickCount() - start >= waitMs) return false;
        pumpMessages();
        waitForMessage(pause);
        SetLastError(code);
    }
}

// The byte whose lock is a channel's turn: far beyond any content, so reads and writes of the
// file itself never meet the lock.
constexpr DWORD turnOffsetHigh = 0x7FFFFFFF;

} // namespace

Error fileError(DWORD code, std::wstring_view path) {
    const std::wstring p = terminated(path);
    if (code == ERROR_ACCESS_DENIED && isDirectory(p)) return Error(errPathFileAccess);
    if (p.empty()) return Error(errBadFileName);
    return Error::fromWin32(code);
}

FileChannel::FileChannel(std::wstring_view path, OpenMode mode, OpenOptions options) {
    std::wstring p = terminated(path);
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ | FILE_SHARE_WRITE, disposition = OPEN_EXISTING;
    DWORD waitMs = options.waitMs;
    switch (mode) {
    case OpenMode::Input: break;
    case OpenMode::Output:
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = CREATE_ALWAYS;
        break;
    case OpenMode::Append:
        // Append access without write access puts every write at the end of the file as it is
        // then; appenders of this library also take turns (Wine decides the end and writes in
        // two steps). The turn is a byte-range lock, which Windows grants only through a handle
        // with read or write data access: read data it is, so writes stay append-only. (Others
        // who share no reading are kept out meanwhile, as any reader of the file would.)
        access = FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
        waitMs = std::max(waitMs, appendWaitMs);
        break;
    case OpenMode::Binary:
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = OPEN_ALWAYS;
        break;
    case OpenMode::Update:
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        break;
    case OpenMode::New:
        access = GENERIC_WRITE;
        share = 0;
        disposition = CREATE_NEW;
        break;
    }
    if (options.shareWrite) share |= FILE_SHARE_WRITE;
    // An existing hidden or system file is never emptied by a channel: the existence tests do
    // not see such a file, so a caller could not have meant to replace it.
    if (mode == OpenMode::Output) {
        DWORD a = GetFileAttributesW(p.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) &&
            (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            throw Error(errPathFileAccess);
    }
    bool opened = retrying(waitMs, [&] {
        h_ = Handle(CreateFileW(p.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(h_);
    });
    if (!opened) throw fileError(GetLastError(), p);
    if (mode == OpenMode::Append) {
        takeTurn(waitMs);
        if (SetFilePointer(h_.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
            throw Error::lastWin32();
    }
}

void FileChannel::takeTurn(DWORD waitMs) {
    auto attempt = [&] {
        OVERLAPPED at{};
        at.OffsetHigh = turnOffsetHigh;
        return LockFileEx(h_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
    };
    // Turns are not queued: on a busy machine others may take them for longer than waitMs. While
    // the file grows they are writing, and the wait goes on (up to a minute); a holder that keeps
    // the turn for waitMs without the file growing is in the way, and the channel gives up.
    const DWORD start = GetTickCount();
    for (std::uint64_t seen = size();;) {
        if (retrying(waitMs, attempt)) return;
        const DWORD code = GetLastError();
        const std::uint64_t now = size();
        if (now == seen || GetTickCount() - start >= 60000) throw Error::fromWin32(code);
        seen = now;
    }
}

void FileChannel::close() {
    HANDLE h = h_.release();
    if (h && !CloseHandle(h)) throw Error::lastWin32();
}

std::uint64_t FileChannel::size() const {
    LARGE_INTEGER n;
    if (!GetFileSizeEx(h_.get(), &n)) throw Error::lastWin32();
    return static_cast<std::uint64_t>(n.QuadPart);
}

void FileChannel::writeBytes(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h_.get(), bytes.data(), chunk, &written, nullptr)) throw Error::lastWin32();
        if (written == 0) throw Error(errDiskFull);
        bytes.remove_prefix(written);
    }
}

void FileChannel::writeText(std::wstring_view text) { writeBytes(toAnsi(text)); }

void FileChannel::writeLine(std::wstring_view text) {
    std::string line = toAnsi(text);
    line += "\r\n";
    writeBytes(line);
}

std::size_t FileChannel::readBytes(void* buffer, std::size_t n) {
    char* out = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < n) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - total, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(h_.get(), out + total, chunk, &got, nullptr)) throw Error::lastWin32();
        if (got == 0) break;
        total += got;
    }
    return total;
}

void FileChannel::readExact(void* buffer, std::size_t n) {
    if (readBytes(buffer, n) != n) throw Error(errInputPastEnd);
}

bool FileChannel::isSameFileAs(std::wstring_view path) const {
    // No access asked: only the identity (volume and file index) is read.
    Handle other(CreateFileW(terminated(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!other || !GetFileInformationByHandle(h_.get(), &a) || !GetFileInformationByHandle(other.get(), &b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

void FileChannel::cutHere() {
    // Nothing to cut at the end already: on a full volume the platform refuses even a cut
    // that changes nothing, which would fail a write that has happened.
    LARGE_INTEGER here{}, size{};
    if (SetFilePointerEx(h_.get(), here, &here, FILE_CURRENT) && GetFileSizeEx(h_.get(), &size) && here.QuadPart == size.QuadPart)
        return;
    if (!SetEndOfFile(h_.get())) throw Error::lastWin32();
}

void FileChannel::flush() {
    if (!FlushFileBuffers(h_.get())) throw Error::lastWin32();
}

void FileChannel::seek(std::uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(h_.get(), to, nullptr, FILE_BEGIN)) throw Error::lastWin32();
}

std::string FileChannel::readAll() {
    std::uint64_t n = size();
    // A 32-bit process cannot hold more: out of memory.
    if (n > 0x40000000u) throw Error(errOutOfMemory);
    seek(0);
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(n));
    bytes.resize(readBytes(bytes.data(), bytes.size())); // the file may have shrunk meanwhile
    return bytes;
}

std::string readAnsiFile(std::wstring_view path) {
    FileChannel file(path, OpenMode::Input);
    return file.readAll();
}

std::wstring readTextFile(std::wstring_view path) { return fromAnsi(readAnsiFile(path)); }

void deleteFile(std::wstring_view path) {
    std::wstring p = terminated(path);
    if (!DeleteFileW(p.c_str())) throw fileError(GetLastError(), p);
}

void renameFile(std::wstring_view from, std::wstring_view to) {
    std::wstring f = terminated(from), t = terminated(to);
    if (!MoveFileW(f.c_str(), t.c_str())) throw fileError(GetLastError(), f);
}

void replaceFile(std::wstring_view source, std::wstring_view target) {
    std::wstring s = terminated(source), t = terminated(target);
    if (MoveFileExW(s.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
    DWORD code = GetLastError();
    if (code != ERROR_NOT_SAME_DEVICE) throw fileError(code, s);

    // Another volume: a copy is made beside the target under a free name and then renamed over
    // it within its volume, so a failed copy or rename leaves the target as it was.
    std::wstring copy;
    for (int n = 0;; ++n) {
        copy = t + L".zor-replace" + (n ? std::to_wstring(n) : std::wstring());
        if (CopyFileW(s.c_str(), copy.c_str(), TRUE)) break;
        code = GetLastError();
        if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || n == 9) {
            if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) DeleteFileW(copy.c_str()); // a partial copy
            throw fileError(code, s);
        }
    }
    if (!MoveFileExW(copy.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        code = GetLastError();
        DeleteFileW(copy.c_str());
        throw fileError(code, t);
    }
    // The target holds the source's content now; a source that cannot be deleted stays behind
    // rather than failing a replacement that has happened.
    DeleteFileW(s.c_str());
}

namespace {

// The full path of p, or empty when the platform cannot make one.
std::wstring fullPathName(const std::wstring& p) {
    DWORD n = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(p.c_str(), n, full.data(), nullptr);
    full.resize(n < full.size() ? n : 0);
    return full;
}

bool isExtended(const std::wstring& p) { return p.rfind(L"\\\\?\\", 0) == 0 || p.rfind(L"\\\\.\\", 0) == 0; }

} // namespace

std::wstring fullPath(std::wstring_view path) {
    std::wstring p = terminated(path), full = fullPathName(p);
    return full.empty() ? p : full;
}

std::wstring extendedPath(std::wstring_view path) {
    std::wstring p = terminated(path);
    if (isExtended(p)) return p;
    std::wstring full = fullPathName(p);
    // Short enough for every call (folders are refused from MAX_PATH - 12 on): as spelled.
    if (full.size() < MAX_PATH - 12) return p;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

ScratchFile::ScratchFile(std::wstring_view beside) {
    std::wstring folder = extendedPath(beside);
    if (!isExtended(folder)) folder = fullPathName(folder);
    if (folder.empty()) throw Error(errBadFileName);
    folder.erase(folder.find_last_of(L'\\') + 1);
    // A free name made here rather than by GetTempFileName, which refuses a folder longer than
    // MAX_PATH - 14: CREATE_NEW makes the file and finds the name taken in one step.
    const unsigned long long seed = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^ GetTickCount();
    for (unsigned attempt = 0;; ++attempt) {
        wchar_t name[40];
        swprintf(name, 40, L"ZOR%llX-%X.tmp", seed, attempt);
        std::wstring candidate = folder + name;
        HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            path_ = std::move(candidate);
            return;
        }
        DWORD code = GetLastError();
        if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt == 0xFFFF)
            throw fileError(code, folder);
    }
}

ScratchFile::~ScratchFile() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
}

SYSTEMTIME lastWriteLocal(std::wstring_view path) {
    std::wstring p = terminated(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data)) throw fileError(GetLastError(), p);
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        throw Error::lastWin32();
    return local;
}

bool samePath(std::wstring_view a, std::wstring_view b) {
    std::wstring fa = fullPath(a), fb = fullPath(b);
    return CompareStringOrdinal(fa.data(), static_cast<int>(fa.size()), fb.data(), static_cast<int>(fb.size()), TRUE) ==
           CSTR_EQUAL;
}

bool volumeHasRoom(std::wstring_view path, std::size_t bytes) {
    std::wstring p = terminated(path);
    const size_t slash = p.find_last_of(L"\\/");
    const std::wstring scratch = (slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1)) + L"~zor-room-" +
                                 std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetCurrentThreadId()) + L".tmp";
    Handle h(CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!h) return true;
    const std::string zeros(std::min<std::size_t>(bytes, 64 * 1024), '\0');
    for (std::size_t left = bytes; left > 0;) {
        DWORD chunk = static_cast<DWORD>(std::min(left, zeros.size())), written = 0;
        if (!WriteFile(h.get(), zeros.data(), chunk, &written, nullptr)) {
            DWORD code = GetLastError();
            return code != ERROR_DISK_FULL && code != ERROR_HANDLE_DISK_FULL;
        }
        if (written == 0) return false;
        left -= written;
    }
    return true;
}

bool waitWhileHeld(std::wstring_view path, DWORD access, DWORD waitMs) {
    const std::wstring p = terminated(path);
    bool opened = retrying(waitMs, [&] {
        HANDLE h = CreateFileW(p.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
        return true;
    });
    return opened || !heldByAnother(GetLastError());
}

bool linesShorterThan(std::wstring_view path, std::size_t limit) {
    Handle h(CreateFileW(terminated(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h) return true;
    std::vector<char> block(64 * 1024);
    std::size_t line = 0;
    DWORD got = 0;
    while (ReadFile(h.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            if (block[i] == '\n' || block[i] == '\r') line = 0;
            else if (++line >= limit) return false;
        }
    }
    return true;
}

std::wstring fileTurnName(std::wstring_view path, bool global) {
    std::wstring full = fullPath(path);
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    // A fixed-length name, whatever the path's length (an object name longer than MAX_PATH is
    // refused): a 64-bit FNV-1a hash of the path. Two files whose paths meet in one hash only
    // take turns together, which costs a wait and never a wrong result.
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : full) {
        hash = (hash ^ (c & 0xFF)) * 1099511628211ull;
        hash = (hash ^ (c >> 8)) * 1099511628211ull;
    }
    wchar_t name[64];
    swprintf(name, 64, L"%ls\\zor-file-turn-%016llX", global ? L"Global" : L"Local", hash);
    return name;
}

FileMutex::FileMutex(std::wstring_view path, DWORD waitMs) {
    // The global namespace, so that a service and a desktop program take turns too; a security
    // descriptor that lets every account wait for and release the turn (the creator's default
    // one would keep other accounts out). Where the global name cannot be made (a sandboxed
    // process), the session's own.
    SECURITY_ATTRIBUTES everyone{sizeof everyone, nullptr, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100001;;;WD)", SDDL_REVISION_1,
                                                         &everyone.lpSecurityDescriptor, nullptr);
    for (bool global : {true, false}) {
        mutex_ = CreateMutexExW(&everyone, fileTurnName(path, global).c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
        if (mutex_) break;
    }
    LocalFree(everyone.lpSecurityDescriptor);
    if (!mutex_) return;
    // A turn held by another is waited for as a locked file is, in short pauses.
    retrying(waitMs, [&] {
        DWORD w = WaitForSingleObject(mutex_, 0);
        taken_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
        SetLastError(w == WAIT_TIMEOUT ? ERROR_LOCK_VIOLATION : ERROR_INVALID_HANDLE);
        return taken_;
    }, 2);
}

FileMutex::~FileMutex() {
    if (taken_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}

} // namespace zor
