// Win32Functions: system folders and temporary files, disk and volume information, tree copy,
// shutdown and log-off, wallpaper, window order and processes.
#include "system/Win32Functions.h"
#include "system/folders.h"
#include "runtime/files.h"
#include "runtime/guards.h"
#include "runtime/listing.h"
#include "runtime/platform.h"
#include <cmath>
#include <optional>
#include <vector>

namespace zor {

namespace {

// A folder's path with one backslash at its end.
std::wstring withSeparator(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path : path + L'\\';
}

// The caller's text as the platform's "A" calls take it, when it fits limit bytes with its
// terminator. A NUL inside would end the text early and so name something else: none then.
std::optional<std::string> platformText(const std::wstring& s, size_t limit) {
    if (s.find(L'\0') != std::wstring::npos) return std::nullopt;
    std::string a = toAnsi(s);
    if (a.size() >= limit) return std::nullopt;
    return a;
}

} // namespace

// ---- system folders and temporary files ---------------------------------------------------

std::wstring Win32Functions::stripped(CallBuffer& buffer) {
    return call(self(), &_Win32Functions::StripTerminator, fromAnsi(std::string_view(buffer.data(), buffer.size())));
}

STDMETHODIMP Win32Functions::StripTerminator(BSTR strString, BSTR* result) {
    return untrapped(result, [&] {
        std::wstring s = str(strString);
        size_t nul = s.find(L'\0');
        if (nul == std::wstring::npos) return s;
        if (nul + 1 > 32767) throw Error(errOverflow); // positions are 16-bit
        s.resize(nul);
        return s;
    });
}

// A count of 0 is a failure, and so is a count beyond the buffer: the folder did not fit.
STDMETHODIMP Win32Functions::GetWindowsDir(BSTR* result) {
    return untrapped(result, [&] {
        CallBuffer buffer(255);
        UINT n = GetWindowsDirectoryA(buffer.data(), 255);
        return n == 0 || n >= 255 ? std::wstring() : withSeparator(stripped(buffer));
    });
}

STDMETHODIMP Win32Functions::GetWindowsSysDir(BSTR* result) {
    return untrapped(result, [&] {
        CallBuffer buffer(255);
        UINT n = GetSystemDirectoryA(buffer.data(), 255);
        return n == 0 || n >= 255 ? std::wstring() : withSeparator(stripped(buffer));
    });
}

STDMETHODIMP Win32Functions::GetWindowsTempDir(BSTR* result) {
    return untrapped(result, [&] {
        CallBuffer buffer(260);
        DWORD n = GetTempPathA(260, buffer.data());
        return n == 0 || n >= 260 ? std::wstring() : stripped(buffer);
    });
}

STDMETHODIMP Win32Functions::GetTempFilename(VARIANT strPath, BSTR* result) {
    return untrapped(result, [&] {
        std::wstring folder = isMissing(strPath) ? call(self(), &_Win32Functions::GetWindowsTempDir)
                                                 : variantText(strPath);
        // The platform writes folder, "\", "ZOR", up to four hex digits and ".tmp" into the
        // 255-character buffer: a longer folder is refused before the call.
        const size_t nameLength = 1 + 3 + 4 + 4;
        CallBuffer buffer(255);
        auto dir = platformText(folder, buffer.size() - nameLength);
        if (!dir || GetTempFileNameA(dir->c_str(), "ZOR", 0, buffer.data()) == 0) return std::wstring();
        return stripped(buffer);
    });
}

// ---- disk and volume information -----------------------------------------------------------

namespace {

// A root path longer than the platform's path limit names no volume: the call is not made and
// its outputs stay as they were, as after a failed call.
std::optional<std::string> rootPath(BSTR strDrive) { return platformText(str(strDrive), MAX_PATH); }

short megabytes(BSTR strDrive, bool free) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (auto root = rootPath(strDrive)) {
        CriticalErrorsFail noDiskBox;
        GetDiskFreeSpaceA(root->c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters);
    }
    auto signedValue = [](DWORD v) { return static_cast<double>(static_cast<LONG>(v)); };
    double bytes = signedValue(bytesPerSector) * signedValue(sectorsPerCluster) *
                   signedValue(free ? freeClusters : totalClusters);
    double mb = std::floor(bytes / 1048576.0);
    if (mb > 32767.0 || mb < -32768.0) throw Error(errOverflow); // the result is a 16-bit Integer
    return static_cast<short>(mb);
}

struct Volume {
    CallBuffer name{255}, fileSystem{255};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    bool answered = false;

    explicit Volume(BSTR strDrive) {
        if (auto root = rootPath(strDrive)) {
            CriticalErrorsFail noDiskBox;
            answered = GetVolumeInformationA(root->c_str(), name.data(), 255, &serial, &maxComponent, &flags,
                                             fileSystem.data(), 255) != FALSE;
        }
    }
};

const struct {
    const wchar_t* name;
    DWORD bit;
} volumeFlags[] = {
    {L"FS_CASE_IS_PRESERVED", 0x00000002},      {L"FS_CASE_SENSITIVE", 0x00000001},
    {L"FS_UNICODE_STORED_ON_DISK", 0x00000004}, {L"FS_PERSISTENT_ACLS", 0x00000008},
    {L"FS_VOL_IS_COMPRESSED", 0x00008000},      {L"FS_FILE_COMPRESSION", 0x00000010},
};

} // namespace

STDMETHODIMP Win32Functions::GetFreeDiskSpace(BSTR strDrive, short* result) {
    return untrapped(result, [&] { return megabytes(strDrive, true); });
}

STDMETHODIMP Win32Functions::GetTotalDiskSpace(BSTR strDrive, short* result) {
    return untrapped(result, [&] { return megabytes(strDrive, false); });
}

// A volume that does not answer has neither a label nor a file-system name: the empty string.
STDMETHODIMP Win32Functions::GetDiskVolumeName(BSTR strDrive, BSTR* result) {
    return untrapped(result, [&] {
        Volume volume(strDrive);
        if (!volume.answered) return std::wstring();
        std::wstring label = stripped(volume.name);
        return label.empty() ? std::wstring(L"{volume has no label}") : label;
    });
}

STDMETHODIMP Win32Functions::GetFileSystemName(BSTR strDrive, BSTR* result) {
    return untrapped(result, [&] {
        Volume volume(strDrive);
        return volume.answered ? stripped(volume.fileSystem) : std::wstring();
    });
}

STDMETHODIMP Win32Functions::GetDiskSerialNumber(BSTR strDrive, BSTR* result) {
    return untrapped(result, [&] { return decimal(static_cast<LONG>(Volume(strDrive).serial)); });
}

STDMETHODIMP Win32Functions::GetMaxFilenameLength(BSTR strDrive, LONG* result) {
    return untrapped(result, [&] { return static_cast<long>(Volume(strDrive).maxComponent); });
}

STDMETHODIMP Win32Functions::GetDiskVolumeFlags(BSTR strDrive, BSTR* result) {
    return untrapped(result, [&] {
        DWORD flags = Volume(strDrive).flags;
        std::wstring text;
        for (const auto& flag : volumeFlags)
            if (flags & flag.bit) text.append(flag.name).append(L"\r\n");
        if (!text.empty()) text.resize(text.size() - 2);
        return text;
    });
}

// ---- tree copy ------------------------------------------------------------------------------
// Each level of the tree is one call: the level copies its matching files, then makes each
// missing destination subfolder and calls CopyFiles on it through the interface. A level returns
// -1 when every file of it and every level below it was copied, 0 otherwise. Every step names
// its files by full path: the process's current directory, which other threads of the host use
// for their relative names, is never changed.

namespace {

const size_t maxSubfolders = 100;

// Each level runs nested in the one above, on the caller's stack. The platform's path limit
// allows at most 128 levels ("x\" each); a deeper tree (long paths are possible here) is cut
// off there, so that it cannot exhaust the stack: a failure of the level that would go deeper.
const int maxDepth = 128;

std::wstring upperCase(std::wstring path) {
    CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

// The subfolders of src, all listed before anything is copied; more than 100 is a failure.
std::vector<std::wstring> subfoldersOf(const std::wstring& src) {
    std::vector<std::wstring> subfolders;
    DirListing scan(src + L"*.*", listDirectory);
    for (DirEntry entry; scan.next(entry);) {
        if (entry.name == L"." || entry.name == L".." || !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (subfolders.size() == maxSubfolders) throw Error(errSubscript);
        subfolders.push_back(src + entry.name);
    }
    return subfolders;
}

// Copies the ordinary files of src matching pattern into dst, replacing files of the same name.
// A file that cannot be copied, or a listing that breaks off, is passed over and the rest is
// copied: false then. Only a listing that cannot start is an error.
bool copyMatchingFiles(const std::wstring& src, const std::wstring& dst, const std::wstring& pattern) {
    DirListing listing(src + pattern, listNormal);
    DirEntry entry;
    if (!listing.next(entry)) return true;
    bool all = true;
    for (;;) {
        std::wstring from = src + entry.name, to = dst + entry.name;
        // Most destination files are new: the copy that refuses an existing file spares the
        // platform's check whether the destination is the source itself, an extra open.
        // Windows refuses to replace a read-only or hidden file.
        if (!CopyFileW(from.c_str(), to.c_str(), TRUE))
            all = GetLastError() == ERROR_FILE_EXISTS && CopyFileW(from.c_str(), to.c_str(), FALSE) && all;
        try {
            if (!listing.next(entry)) return all;
        } catch (const Error&) {
            return false;
        }
    }
}

// Makes sure a destination folder exists: made (one level) when it is missing or a file stands
// in its way; false when the platform cannot say (access denied, a name it rejects). A folder
// that can be neither found nor made is the one failure a level does not trap: its error (75
// for a file in the way, 76 for a missing parent) ends the call. A root is found with its
// separator; any other folder is tested and made without it.
bool folderReady(std::wstring folder) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    if (folder.back() == L'\\') {
        folder.pop_back();
        attributes = GetFileAttributesW(folder.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        long n = code == ERROR_FILE_NOT_FOUND ? errPathNotFound : Error::fromWin32(code).number;
        if (n != errPathNotFound && n != errPathFileAccess) return false;
    }
    makeDirectory(folder);
    return true;
}

} // namespace

// One level, trapped with the result 0 apart from folderReady. The caller's variables get the
// normalised, upper-case paths; the folders themselves are named as the caller spelled them,
// which the file system finds much faster than a name in another case.
STDMETHODIMP Win32Functions::CopyFiles(BSTR* srcPath, BSTR* dstPath, short* IncludeSubDirs, BSTR* FilePat,
                                       short* result) {
    return untrapped(result, inout(srcPath, dstPath, IncludeSubDirs, FilePat),
                     [&](std::wstring& srcVar, std::wstring& dstVar, short subDirs, std::wstring pattern) {
        NestingLevel level(copyDepth_);
        std::wstring src, dst;
        std::vector<std::wstring> subfolders;
        bool same = false;
        bool named = attempt([&] {
            srcVar = withSeparator(srcVar);
            dstVar = withSeparator(dstVar);
            if ((srcVar + dstVar + pattern).find(L'\0') != std::wstring::npos) throw Error(errBadFileName);
            // Relative names resolve against the current directory of the moment, once.
            src = fullPath(srcVar);
            dst = fullPath(dstVar);
            srcVar = upperCase(srcVar);
            dstVar = upperCase(dstVar);
            same = samePath(src, dst);
        });
        if (!named) return short(0);
        if (same) return short(-1); // every file is already where it would go
        // The outermost destination is made as a subfolder is, by the level itself (the levels
        // below have theirs made by the level above).
        if (level.level() == 1) {
            copyRoot_ = dst;
            if (!folderReady(dst)) return short(0);
        }
        if (!attempt([&] { subfolders = subfoldersOf(src); })) return short(0);
        bool complete = true;
        if (!attempt([&] { complete = copyMatchingFiles(src, dst, pattern); })) return short(0);
        if (subDirs == 0) return short(complete ? -1 : 0);

        for (std::wstring folder : subfolders) {
            if (isWithin(withSeparator(folder), copyRoot_)) continue; // the destination is never copied into itself
            std::wstring subDst = dst + folder.substr(src.size());
            if (level.level() == maxDepth || !folderReady(subDst)) {
                complete = false;
                continue;
            }
            short nested = 0; // a nested level that ends with an error fails too
            attempt([&] { nested = call(self(), &_Win32Functions::CopyFiles, folder, subDst, subDirs, pattern); });
            complete = complete && nested != 0;
        }
        return short(complete ? -1 : 0);
    });
}

// ---- shutdown, desktop and processes --------------------------------------------------------

namespace {

void closeToken(HANDLE token) { platform().CloseHandle(token); }
using Token = Owner<HANDLE, &closeToken>;

const UINT wallpaperChange = SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE;

// A path longer than the platform's limit, or with a NUL inside, sets nothing: 0.
long setWallpaper(const std::wstring& path) {
    auto bitmap = platformText(path, MAX_PATH);
    if (!bitmap) return 0;
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, bitmap->data(), wallpaperChange);
}

} // namespace

void Win32Functions::EnableShutdownPrivilege() {
    Token token;
    platform().OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.out());
    LUID shutdown{};
    platform().LookupPrivilegeValueA("", "SeShutdownPrivilege", &shutdown);
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid = shutdown;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previousLength = 0;
    platform().AdjustTokenPrivileges(token.get(), FALSE, &wanted, sizeof wanted, &previous, &previousLength);
}

STDMETHODIMP Win32Functions::WindowsExit(short intOption, short* result) {
    return untrapped(result, [&] {
        if (intOption == 0) {
            if (isWindowsNT() == 1) EnableShutdownPrivilege();
            platform().ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0xFFFFFFFF);
        } else if (intOption == 1) {
            platform().ExitWindowsEx(EWX_LOGOFF | EWX_FORCE, 0xFFFFFFFF);
        }
        return short(0);
    });
}

STDMETHODIMP Win32Functions::SetWallpaper(BSTR strBitmap, LONG* result) {
    return untrapped(result, [&] { return setWallpaper(str(strBitmap)); });
}

STDMETHODIMP Win32Functions::RemoveWallpaper(LONG* result) {
    // An empty path is the documented way to take the wallpaper away; a name of a file that
    // does not exist is refused.
    return untrapped(result, [&] { return setWallpaper(L""); });
}

STDMETHODIMP Win32Functions::PutWindowOnTop(LONG lngFormhWnd, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        BringWindowToTop(reinterpret_cast<HWND>(static_cast<LONG_PTR>(lngFormhWnd)));
        return true;
    });
}

STDMETHODIMP Win32Functions::GetWindowsVersion(LONG* result) {
    return untrapped(result, [] { return isWindowsNT(); });
}

namespace {

// Waits for the process while answering messages that other threads and processes send to this
// thread's windows: a child that sends to them (a broadcast of a changed setting, a DDE
// conversation) would otherwise wait for this thread while it waits for the child. Nothing
// posted is taken from the queue or dispatched: no input, timer or paint reaches the caller's
// windows meanwhile. MWMO_INPUTAVAILABLE wakes for a sent message that arrived before the wait.
void waitAnsweringSentMessages(HANDLE process) {
    HANDLE handles[] = {process};
    while (MsgWaitForMultipleObjectsEx(1, handles, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        // Peeking delivers the pending sent messages; the filter matches nothing posted.
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

// A command line that cannot be started (too long for the platform, a NUL inside, no such
// program) starts nothing, and the call returns at once.
STDMETHODIMP Win32Functions::ExecuteAndWait(BSTR strCommandLine) {
    return untrapped([&] {
        auto commandLine = platformText(str(strCommandLine), 32768);
        if (!commandLine) return;
        STARTUPINFOA start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION started{};
        CreateProcessA(nullptr, commandLine->data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                       &start, &started);
        Handle process(started.hProcess), thread(started.hThread);
        if (process) waitAnsweringSentMessages(process.get());
    });
}

} // namespace zor
