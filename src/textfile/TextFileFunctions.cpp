// TextFileFunctions: path strings, log files, INI files, whole-file reading and attributes.
#include "textfile/TextFileFunctions.h"
#include "runtime/callbuffer.h"
#include "runtime/callertext.h"
#include "runtime/files.h"
#include "runtime/listing.h"
#include "runtime/pump.h"
#include "runtime/readers.h"
#include "runtime/text.h"
#include "frame/members.h"
#include <shellapi.h>
#include <cwchar>
#include <optional>
#include <vector>

namespace zor {

namespace {
bool isSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

constexpr size_t profileTextLimit = 32767;

// The file the profile functions use: one named without a folder is in the Windows directory.
std::wstring profilePath(const std::wstring& file) {
    if (file.find_first_of(L"\\/") != std::wstring::npos) return file;
    wchar_t buffer[MAX_PATH] = L"";
    UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n < MAX_PATH ? n : 0) + L"\\" + file;
}

// Whether a text passes whole through the profile functions' limit of `limit` characters with its
// NUL: counted in UTF-16 units (the wide functions' own count) and, so that every name of the
// code page has the result it always had, in ANSI bytes too.
bool profileTextFits(const std::wstring& text, size_t limit) {
    return text.size() < limit && fitsLimit(toAnsi(text), limit) && text.find(L'\0') == std::wstring::npos;
}

// The profile functions corrupt their memory, and later crash the host, on a file with a line of
// that limit or longer: such a file reads as empty and takes no values.
bool profileCanTake(const std::wstring& file) { return linesShorterThan(profilePath(file), profileTextLimit); }

// Readers and writers of an INI file take turns across processes, and each starts from the file
// as it is: the profile functions keep a copy of the file per process, trusted while the file's
// time is unchanged, and a time does not change between two writes close together, so a write
// made from a stale copy would undo another process's value.
class ProfileMutex {
public:
    explicit ProfileMutex(const std::wstring& file) : path_(profilePath(file)), turn_(path_, 10000) {
        if (turn_.taken() && GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES)
            WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str()); // drops the copy
    }
    bool taken() const { return turn_.taken(); }

private:
    std::wstring path_;
    FileMutex turn_;
};

// Another process holding the file open without sharing keeps the profile functions out; they
// are let in once it lets go, within a second, as for the text-file methods.
bool waitForProfile(const std::wstring& path, DWORD access) {
    return waitWhileHeld(path, access, FileChannel::appendWaitMs);
}

// The short (8.3) form of a path; the buffer is grown when the form does not fit 255 characters.
std::wstring shortPathName(const std::wstring& path) {
    std::string name = toAnsi(path);
    if (!fitsLimit(name, MAX_PATH)) return std::wstring(); // the platform takes no longer path
    CallBuffer buffer(255);
    DWORD n = GetShortPathNameA(name.c_str(), buffer.data(), buffer.size());
    if (n < buffer.size()) return buffer.text(n);
    CallBuffer bigger(n);
    n = GetShortPathNameA(name.c_str(), bigger.data(), bigger.size());
    return n < bigger.size() ? bigger.text(n) : std::wstring(); // changed meanwhile
}
} // namespace

// ---- path and file-name strings ------------------------------------------------------------
// Only "\" separates file-path parts; AddDirSep and AddURLDirSep accept either slash; the
// extension methods cut at the first full stop.

STDMETHODIMP TextFileFunctions::ExtractDirectoryPath(BSTR strInputFile, BSTR* result) {
    // Failures skipped: whatever step fails, the method returns what it has (nothing).
    return trapped(result, L"", [&] {
        std::wstring w = str(strInputFile);
        size_t last = w.rfind(L'\\');
        w.resize(last == std::wstring::npos ? 0 : last + 1);
        return w;
    });
}

STDMETHODIMP TextFileFunctions::ExtractFilename(BSTR strInputFile, BSTR* result) {
    return untrapped(result, [&] {
        std::wstring w = str(strInputFile);
        return w.substr(w.rfind(L'\\') + 1); // npos + 1 is 0: no separator, the whole name
    });
}

STDMETHODIMP TextFileFunctions::ExtractFilenameNoExtension(BSTR strInputFile, BSTR* result) {
    return untrapped(result, [&] {
        std::wstring name = call(self(), &_TextFileFunctions::ExtractFilename, str(strInputFile));
        return name.substr(0, name.find(L'.'));
    });
}

STDMETHODIMP TextFileFunctions::ExtractExtension(BSTR strInputFile, BSTR* result) {
    return untrapped(result, [&] {
        std::wstring w = str(strInputFile);
        size_t dot = w.find(L'.');
        return dot == std::wstring::npos ? w : w.substr(dot + 1);
    });
}

STDMETHODIMP TextFileFunctions::AddDirSep(BSTR* strPathName) {
    return untrapped(inout(strPathName), [&](std::wstring& path) {
        std::wstring_view t = trimSpaces(path);
        if (!t.empty() && isSlash(t.back())) return; // already ends in a separator: left exactly as it is
        path = std::wstring(trimRightSpaces(path)) + L'\\';
    });
}

STDMETHODIMP TextFileFunctions::AddURLDirSep(BSTR* strPathName) {
    return untrapped(inout(strPathName), [&](std::wstring& path) {
        std::wstring_view t = trimSpaces(path);
        if (!t.empty() && isSlash(t.back())) return;
        path = std::wstring(t) + L'/';
    });
}

STDMETHODIMP TextFileFunctions::IsUNCName(BSTR strPathName, short* result) {
    return untrapped(result, [&] {
        std::wstring s = str(strPathName);
        return s.size() >= 2 && isSlash(s[0]) && isSlash(s[1]);
    });
}

// ---- calls through the object's own interface -------------------------------------------

std::wstring TextFileFunctions::directoryPart(const std::wstring& path) {
    return call(self(), &_TextFileFunctions::ExtractDirectoryPath, path);
}

// ---- log files ----------------------------------------------------------------------------
// A log is plain ANSI text, one caller's line per entry, each ending with CR LF. Backups are
// named after the day of the log's last change: yyyymmdd.log beside the log.

namespace {

std::wstring yyyymmdd(const SYSTEMTIME& t) {
    wchar_t digits[16];
    swprintf(digits, 16, L"%04u%02u%02u", t.wYear, t.wMonth, t.wDay);
    return digits;
}

SYSTEMTIME localNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

// The local date and time a number of days before now; error 5 outside the dates of the calendar.
SYSTEMTIME daysBeforeNow(double days) {
    SYSTEMTIME now = localNow(), then;
    double date = 0;
    if (!SystemTimeToVariantTime(&now, &date) || !VariantTimeToSystemTime(date - days, &then))
        throw Error(errIllegalCall);
    return then;
}

// The header line of a new log or INI file, none when the argument is absent.
std::optional<std::wstring> headerLine(const VARIANT& header) {
    if (isMissing(header)) return std::nullopt;
    return variantText(header);
}

void createTextFile(const std::wstring& filename, const std::optional<std::wstring>& header) {
    FileChannel file(filename, OpenMode::Output);
    if (header) file.writeLine(*header);
    file.close();
}

} // namespace

STDMETHODIMP TextFileFunctions::CreateLogFile(BSTR strFilename, VARIANT strHeader, VARIANT_BOOL* result) {
    return trapped(result, false, [&] {
        std::wstring filename = str(strFilename);
        if (fileExists(filename)) return true; // an existing log is left exactly as it is
        createTextFile(filename, headerLine(strHeader));
        return true;
    });
}

STDMETHODIMP TextFileFunctions::CreateLogFileWithBackup(BSTR strFilename, VARIANT strHeader, VARIANT intDays,
                                                        VARIANT_BOOL* result) {
    return trapped(result, false, [&] {
        std::wstring filename = str(strFilename);
        if (!fileExists(filename)) {
            createTextFile(filename, headerLine(strHeader));
            return true;
        }
        std::wstring lastWritten = yyyymmdd(lastWriteLocal(filename));
        if (lastWritten == yyyymmdd(localNow())) return true; // today's log stays as it is

        // The day whose backup expires is worked out before the log is renamed: a bad intDays
        // then fails the call with the log still in place, so no entries go missing.
        std::optional<std::wstring> expiredDay;
        if (!isMissing(intDays)) expiredDay = yyyymmdd(daysBeforeNow(variantNumber(intDays) + 1));

        std::wstring directory = directoryPart(filename);
        std::wstring backup = directory + lastWritten + L".log";
        if (!samePath(backup, filename)) { // a log already named as its own backup stays put
            if (fileExists(backup)) deleteFile(backup);
            renameFile(filename, backup);
        }
        if (expiredDay) {
            std::wstring expired = directory + *expiredDay + L".log";
            if (!samePath(expired, filename) && fileExists(expired)) deleteFile(expired);
        }
        return callBool(self(), &_TextFileFunctions::CreateLogFile, filename, strHeader);
    });
}

STDMETHODIMP TextFileFunctions::UpdateLogFile(BSTR strLogFile, BSTR strDetails, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        std::wstring filename = str(strLogFile);
        if (!fileExists(filename)) return false; // a missing log is not created
        FileChannel log(filename, OpenMode::Append);
        log.writeLine(str(strDetails));
        log.close();
        return true;
    });
}

STDMETHODIMP TextFileFunctions::IsInLogFile(BSTR strLogFile, BSTR strSearch, VARIANT_BOOL* result) {
    return trapped(result, false, [&] {
        std::wstring filename = str(strLogFile), search = str(strSearch);
        if (!fileExists(filename)) return false;
        // The log is read in blocks, however large it has grown, up to the first match.
        FileChannel file(filename, OpenMode::Input);
        FieldStream log(file);
        AnsiSearch text(search);
        MessagePump pump;
        while (!log.atEnd()) {
            if (text.foundIn(log.field())) return true;
            pump.step();
        }
        return false;
    });
}

// ---- INI files ----------------------------------------------------------------------------
// Values go through the platform's profile functions; only the first line of a new file and
// blank lines are written here.

STDMETHODIMP TextFileFunctions::ReadIniFile(BSTR strIniFile, BSTR strSection, BSTR strKey, BSTR* result) {
    return untrapped(result, [&] {
        const std::wstring section = str(strSection), key = str(strKey), file = str(strIniFile);
        // The profile functions copy the file name into a path buffer: a longer name is read
        // as a missing file.
        if (!profileTextFits(file, MAX_PATH) || (section + key).find(L'\0') != std::wstring::npos)
            return std::wstring();
        if (!waitForProfile(profilePath(file), GENERIC_READ)) throw Error(errPermissionDenied);
        if (!profileCanTake(file)) return std::wstring();
        ProfileMutex turn(file);
        if (!turn.taken()) return std::wstring();
        wchar_t buffer[255];
        DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, 255, file.c_str());
        if (n < 1) return std::wstring();
        return std::wstring(trimRightSpaces(std::wstring_view(buffer, std::min<DWORD>(n, 254))));
    });
}

STDMETHODIMP TextFileFunctions::CreateINIFile(BSTR strFilename, VARIANT strHeader, VARIANT_BOOL* result) {
    return trapped(result, false, [&] {
        const std::wstring filename = str(strFilename);
        const std::optional<std::wstring> header = headerLine(strHeader);
        // The file is emptied only when its new first line has room (a line no longer than the
        // file takes its place): a full volume keeps it whole.
        const size_t line = header ? toAnsi(*header).size() + 2 : 0;
        WIN32_FILE_ATTRIBUTE_DATA old{};
        const bool fits = GetFileAttributesExW(filename.c_str(), GetFileExInfoStandard, &old) && !old.nFileSizeHigh &&
                          old.nFileSizeLow >= line;
        if (line && !fits && !volumeHasRoom(filename, line)) return false;
        FileChannel file(filename, OpenMode::Output, {.waitMs = FileChannel::appendWaitMs});
        if (header) file.writeLine(*header);
        file.close();
        return true;
    });
}

STDMETHODIMP TextFileFunctions::WriteINIFile(BSTR strIniFile, BSTR strHeader, BSTR strSection, BSTR strValue,
                                             VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        const std::wstring section = str(strHeader), key = str(strSection), value = str(strValue),
                           file = str(strIniFile);
        // The profile functions crash the host on a section, key or value of 32,767 characters
        // or more (a length kept in 16 bits).
        if (!profileTextFits(file, MAX_PATH) || !profileTextFits(section, profileTextLimit) ||
            !profileTextFits(key, profileTextLimit) || !profileTextFits(value, profileTextLimit))
            return false; // a failed write, as the profile functions report it
        // The platform rewrites the whole file and reports success even when a full volume cut
        // the rewrite short, losing the file's last lines: the room for its growth comes first.
        const std::wstring path = profilePath(str(strIniFile));
        if (!waitForProfile(path, GENERIC_READ | GENERIC_WRITE)) return false; // refused, as the platform reports it
        ProfileMutex turn(path);
        if (!turn.taken() || !profileCanTake(path) || !volumeHasRoom(path, toAnsi(section + key + value).size() + 16))
            return false;
        return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
    });
}

STDMETHODIMP TextFileFunctions::WriteINIFileBlankLine(BSTR strIniFile, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        std::wstring filename = str(strIniFile);
        if (!fileExists(filename)) return false;
        FileChannel ini(filename, OpenMode::Append);
        ini.writeLine(L"\r\n");
        ini.close();
        return true;
    });
}

// ---- whole-file reading and file attributes ------------------------------------------------

STDMETHODIMP TextFileFunctions::FileExists(BSTR strFilename, VARIANT_BOOL* result) {
    return untrapped(result, [&] { return fileExists(strView(strFilename)); });
}

STDMETHODIMP TextFileFunctions::DirExists(BSTR strDirName, VARIANT_BOOL* result) {
    return untrapped(result, [&] { return fileOrDirExists(str(strDirName)); });
}

STDMETHODIMP TextFileFunctions::ReadTextFileString(BSTR strFilename, BSTR* result) {
    return trappedText(result, L"There was an error in the ReadTextFileString function: ", [&] {
        std::wstring filename = str(strFilename);
        if (!fileExists(filename)) return Bstr(L"File Does Not Exist!!!");
        // The fields are joined in the file's own code page and converted once at the end.
        AnsiReader file(readAnsiFile(filename));
        MessagePump pump;
        return Bstr::fromAnsi(file.joinFields([&] { pump.step(); }));
    });
}

STDMETHODIMP TextFileFunctions::ReadTextFileVariant(BSTR strFilename, VARIANT* result) {
    return trapped(result, nullVariant(), [&] {
        Variant lines = nullVariant();
        std::wstring filename = str(strFilename);
        if (!fileExists(filename)) return lines;
        // Each line goes from the file's bytes straight into its own String: every byte is
        // converted once, with no second copy of the whole text.
        AnsiReader file(readAnsiFile(filename));
        if (file.atEnd()) return lines; // an empty file has no lines
        std::vector<Bstr> items;
        MessagePump pump;
        while (!file.atEnd()) {
            items.push_back(Bstr::fromAnsi(file.line()));
            pump.step();
        }
        setStringArray(&lines, items);
        return lines;
    });
}

STDMETHODIMP TextFileFunctions::ShellTextFile(IDispatch* frmForm, BSTR strFilename, LONG* result) {
    return untrapped(result, [&] {
        HWND owner = windowMember(frmForm, L"hwnd");
        std::string file = toAnsi(str(strFilename));
        if (!passesWhole(file)) return long(SE_ERR_FNF); // not the file the caller named
        HINSTANCE done = ShellExecuteA(owner, "open", file.c_str(), "", "", SW_RESTORE);
        return static_cast<long>(reinterpret_cast<INT_PTR>(done));
    });
}

STDMETHODIMP TextFileFunctions::SetFileDate(BSTR strFilename, DATE dteDate, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        std::string name = toAnsi(str(strFilename));
        if (!fitsLimit(name, OFS_MAXPATHNAME)) return false; // OpenFile keeps the path in its record
        OFSTRUCT of{};
        of.cBytes = sizeof of;
        // Reading the old time takes read access (GetFileTime), setting it write access.
        HFILE opened = OpenFile(name.c_str(), &of, OF_READWRITE);
        if (opened < 1) return false;
        Handle file(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(opened)));

        SYSTEMTIME wanted;
        if (!VariantTimeToSystemTime(dteDate, &wanted)) throw Error(errIllegalCall);
        // The old last-write time in UTC keeps its milliseconds; dteDate is taken as UTC.
        FILETIME created, accessed, written;
        SYSTEMTIME parts;
        if (!GetFileTime(file.get(), &created, &accessed, &written) || !FileTimeToSystemTime(&written, &parts))
            return false;
        parts.wYear = wanted.wYear;
        parts.wMonth = wanted.wMonth;
        parts.wDay = wanted.wDay;
        parts.wHour = wanted.wHour;
        parts.wMinute = wanted.wMinute;
        parts.wSecond = wanted.wSecond;
        // A date the file system cannot hold (before 1601) is refused instead of writing a
        // time that was never computed.
        FILETIME changed;
        if (!SystemTimeToFileTime(&parts, &changed) || !SetFileTime(file.get(), &created, nullptr, &changed))
            return false;
        file.close();
        return true;
    });
}

STDMETHODIMP TextFileFunctions::GetShortName(BSTR sLongFileName, BSTR* result) {
    // Failures skipped: each step that fails is passed over. Only what this call created is
    // removed again.
    return trapped(result, L"", [&] {
        std::wstring name, directory, shortName;
        bool exists = false, directoryCreated = false, fileCreated = false;
        skip([&] { name = str(sLongFileName); });
        skip([&] { exists = fileExists(name); });
        if (!exists) {
            skip([&] { directory = directoryPart(name); });
            skip([&] {
                bool there = callBool(self(), &_TextFileFunctions::DirExists, directory);
                if (!there && CreateDirectoryW(directory.c_str(), nullptr)) directoryCreated = true;
            });
            skip([&] { fileCreated = callBool(self(), &_TextFileFunctions::CreateLogFile, name, missing); });
        }
        skip([&] { shortName = shortPathName(name); });
        if (fileCreated) skip([&] { deleteFile(name); });
        if (directoryCreated) skip([&] { RemoveDirectoryW(directory.c_str()); });
        return shortName;
    });
}

} // namespace zor
