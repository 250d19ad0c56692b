// TextFileFunctions: path strings, log files, INI files, whole-file reading and attributes.
#include "TextFileFunctions.h"
#include "../runtime/files.h"
#include "../runtime/listing.h"
#include "../runtime/pump.h"
#include "../runtime/readers.h"
#include "../runtime/text.h"
#include "../frame/members.h"
#include <shellapi.h>
#include <cwchar>
#include <optional>
#include <vector>

namespace zor {

namespace {
bool isSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// The short (8.3) form of a path; the buffer is grown when the form does not fit 255 characters.
std::wstring shortPathName(const std::wstring& path) {
    std::string name = toAnsi(path);
    std::string buffer(255, ' ');
    DWORD n = GetShortPathNameA(name.c_str(), buffer.data(), 255);
    if (n >= buffer.size()) {
        buffer.assign(n, ' ');
        n = GetShortPathNameA(name.c_str(), buffer.data(), n);
        if (n >= buffer.size()) n = 0; // changed meanwhile
    }
    return fromAnsi(std::string_view(buffer).substr(0, n));
}
} // namespace

// ---- path and file-name strings ------------------------------------------------------------
// Only "\" separates file-path parts; AddDirSep and AddURLDirSep accept either slash; the
// extension methods cut at the first full stop.

STDMETHODIMP TextFileFunctions::ExtractDirectoryPath(BSTR strInputFile, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    // Failures skipped: whatever step fails, the method returns what it has.
    skip([&] {
        std::wstring w = str(strInputFile);
        size_t last = w.rfind(L'\\');
        w.resize(last == std::wstring::npos ? 0 : last + 1);
        *result = newBstr(w);
    });
    return S_OK;
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
    if (!strPathName) return E_POINTER;
    return untrapped([&] {
        std::wstring s = str(*strPathName);
        std::wstring_view t = trimSpaces(s);
        if (!t.empty() && isSlash(t.back())) return; // already ends in a separator: left exactly as it is
        std::wstring out(trimRightSpaces(s));
        out += L'\\';
        replaceBstr(strPathName, out);
    });
}

STDMETHODIMP TextFileFunctions::AddURLDirSep(BSTR* strPathName) {
    if (!strPathName) return E_POINTER;
    return untrapped([&] {
        std::wstring s = str(*strPathName);
        std::wstring_view t = trimSpaces(s);
        if (!t.empty() && isSlash(t.back())) return;
        std::wstring out(t);
        out += L'/';
        replaceBstr(strPathName, out);
    });
}

STDMETHODIMP TextFileFunctions::IsUNCName(BSTR strPathName, short* result) {
    if (!result) return E_POINTER;
    *result = 0;
    return untrapped([&] {
        std::wstring s = str(strPathName);
        *result = (s.size() >= 2 && isSlash(s[0]) && isSlash(s[1])) ? -1 : 0;
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
    if (!result) return E_POINTER;
    *result = VARIANT_TRUE;
    return trappedBool(result, [&] {
        std::wstring filename = str(strFilename);
        if (fileExists(filename)) return; // an existing log is left exactly as it is
        createTextFile(filename, headerLine(strHeader));
    });
}

STDMETHODIMP TextFileFunctions::CreateLogFileWithBackup(BSTR strFilename, VARIANT strHeader, VARIANT intDays,
                                                        VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_TRUE;
    return trappedBool(result, [&] {
        std::wstring filename = str(strFilename);
        if (!fileExists(filename)) {
            createTextFile(filename, headerLine(strHeader));
            return;
        }
        std::wstring lastWritten = yyyymmdd(lastWriteLocal(filename));
        if (lastWritten == yyyymmdd(localNow())) return; // today's log stays as it is

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
        Bstr name(filename);
        check(self()->CreateLogFile(name.get(), strHeader, result));
    });
}

STDMETHODIMP TextFileFunctions::UpdateLogFile(BSTR strLogFile, BSTR strDetails, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return untrapped([&] {
        std::wstring filename = str(strLogFile);
        if (!fileExists(filename)) return; // a missing log is not created
        FileChannel log(filename, OpenMode::Append);
        log.writeLine(str(strDetails));
        log.close();
        *result = VARIANT_TRUE;
    });
}

STDMETHODIMP TextFileFunctions::IsInLogFile(BSTR strLogFile, BSTR strSearch, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return trappedBool(result, [&] {
        std::wstring filename = str(strLogFile), search = str(strSearch);
        if (!fileExists(filename)) return;
        TextReader log(readTextFile(filename));
        MessagePump pump;
        while (!log.atEnd()) {
            if (log.field().find(search) != std::wstring_view::npos) {
                *result = VARIANT_TRUE;
                return;
            }
            pump.step();
        }
    });
}

// ---- INI files ----------------------------------------------------------------------------
// Values go through the platform's profile functions; only the first line of a new file and
// blank lines are written here.

std::wstring TextFileFunctions::StripNullChar(const std::wstring& text) {
    size_t p = text.find(L'\0');
    return p == std::wstring::npos ? text : text.substr(0, p);
}

STDMETHODIMP TextFileFunctions::ReadIniFile(BSTR strIniFile, BSTR strSection, BSTR strKey, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return untrapped([&] {
        std::string section = toAnsi(str(strSection)), key = toAnsi(str(strKey)), file = toAnsi(str(strIniFile));
        std::string buffer(255, ' ');
        DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), 255, file.c_str());
        if (n < 1) {
            *result = newBstr(L"");
            return;
        }
        *result = newBstr(trimRightSpaces(StripNullChar(fromAnsi(buffer))));
    });
}

STDMETHODIMP TextFileFunctions::CreateINIFile(BSTR strFilename, VARIANT strHeader, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_TRUE;
    return trappedBool(result, [&] { createTextFile(str(strFilename), headerLine(strHeader)); });
}

STDMETHODIMP TextFileFunctions::WriteINIFile(BSTR strIniFile, BSTR strHeader, BSTR strSection, BSTR strValue,
                                             VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return untrapped([&] {
        std::string section = toAnsi(str(strHeader)), key = toAnsi(str(strSection)), value = toAnsi(str(strValue)),
                    file = toAnsi(str(strIniFile));
        *result = vbool(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0);
    });
}

STDMETHODIMP TextFileFunctions::WriteINIFileBlankLine(BSTR strIniFile, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return untrapped([&] {
        std::wstring filename = str(strIniFile);
        if (!fileExists(filename)) return;
        FileChannel ini(filename, OpenMode::Append);
        ini.writeLine(L"\r\n");
        ini.close();
        *result = VARIANT_TRUE;
    });
}

// ---- whole-file reading and file attributes ------------------------------------------------

STDMETHODIMP TextFileFunctions::FileExists(BSTR strFilename, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return untrapped([&] { *result = vbool(fileExists(str(strFilename))); });
}

STDMETHODIMP TextFileFunctions::DirExists(BSTR strDirName, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return untrapped([&] { *result = vbool(fileOrDirExists(str(strDirName))); });
}

STDMETHODIMP TextFileFunctions::ReadTextFileString(BSTR strFilename, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return trappedText(result, L"There was an error in the ReadTextFileString function: ", [&] {
        std::wstring filename = str(strFilename);
        if (!fileExists(filename)) {
            replaceBstr(result, L"File Does Not Exist!!!");
            return;
        }
        // The fields are joined in the file's own code page and converted once at the end.
        AnsiReader file(readAnsiFile(filename));
        MessagePump pump;
        std::string fields = file.joinFields([&] { pump.step(); });
        BSTR text = newBstrFromAnsi(fields);
        SysFreeString(*result);
        *result = text;
    });
}

STDMETHODIMP TextFileFunctions::ReadTextFileVariant(BSTR strFilename, VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    V_VT(result) = VT_NULL;
    return trapped(
        [&] {
            std::wstring filename = str(strFilename);
            if (!fileExists(filename)) return;
            // Each line goes from the file's bytes straight into its own String: every byte is
            // converted once, with no second copy of the whole text.
            AnsiReader file(readAnsiFile(filename));
            if (file.atEnd()) return; // an empty file has no lines
            std::vector<Bstr> lines;
            MessagePump pump;
            while (!file.atEnd()) {
                lines.push_back(Bstr::fromAnsi(file.line()));
                pump.step();
            }
            setStringArray(result, lines);
        },
        [&] { setNull(result); });
}

STDMETHODIMP TextFileFunctions::ShellTextFile(IDispatch* frmForm, BSTR strFilename, LONG* result) {
    if (!result) return E_POINTER;
    *result = 0;
    return untrapped([&] {
        HWND owner = windowMember(frmForm, L"hwnd");
        std::string file = toAnsi(str(strFilename));
        HINSTANCE done = ShellExecuteA(owner, "open", file.c_str(), "", "", SW_RESTORE);
        *result = static_cast<LONG>(reinterpret_cast<INT_PTR>(done));
    });
}

STDMETHODIMP TextFileFunctions::SetFileDate(BSTR strFilename, DATE dteDate, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return untrapped([&] {
        std::string name = toAnsi(str(strFilename));
        OFSTRUCT of{};
        of.cBytes = sizeof of;
        HFILE opened = OpenFile(name.c_str(), &of, OF_WRITE);
        if (opened < 1) return;
        Handle file(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(opened)));

        SYSTEMTIME wanted;
        if (!VariantTimeToSystemTime(dteDate, &wanted)) throw Error(errIllegalCall);
        // The old last-write time in UTC keeps its milliseconds; dteDate is taken as UTC.
        FILETIME created, accessed, written;
        SYSTEMTIME parts;
        if (!GetFileTime(file.get(), &created, &accessed, &written) || !FileTimeToSystemTime(&written, &parts)) return;
        parts.wYear = wanted.wYear;
        parts.wMonth = wanted.wMonth;
        parts.wDay = wanted.wDay;
        parts.wHour = wanted.wHour;
        parts.wMinute = wanted.wMinute;
        parts.wSecond = wanted.wSecond;
        // A date the file system cannot hold (before 1601) is refused instead of writing a
        // time that was never computed.
        FILETIME changed;
        if (!SystemTimeToFileTime(&parts, &changed) || !SetFileTime(file.get(), &created, nullptr, &changed)) return;
        file.close();
        *result = VARIANT_TRUE;
    });
}

STDMETHODIMP TextFileFunctions::GetShortName(BSTR sLongFileName, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    // Failures skipped: each step that fails is passed over. Only what this call created is
    // removed again.
    std::wstring name, directory, shortName;
    bool exists = false, directoryCreated = false, fileCreated = false;
    skip([&] { name = str(sLongFileName); });
    skip([&] { exists = fileExists(name); });
    if (!exists) {
        skip([&] { directory = directoryPart(name); });
        skip([&] {
            Bstr d(directory);
            VARIANT_BOOL there = VARIANT_FALSE;
            check(self()->DirExists(d.get(), &there));
            if (!there && CreateDirectoryW(directory.c_str(), nullptr)) directoryCreated = true;
        });
        skip([&] {
            Bstr n(name);
            VARIANT_BOOL made = VARIANT_FALSE;
            check(self()->CreateLogFile(n.get(), missingArg(), &made));
            fileCreated = made != VARIANT_FALSE;
        });
    }
    skip([&] { shortName = shortPathName(name); });
    if (fileCreated) skip([&] { deleteFile(name); });
    if (directoryCreated) skip([&] { RemoveDirectoryW(directory.c_str()); });
    skip([&] { *result = newBstr(shortName); });
    return S_OK;
}

} // namespace zor
