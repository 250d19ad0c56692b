// zorcheck.dll: test support. Each export has a platform function's name and stands in front
// of it in a checked build, applying the rule Windows applies and Wine skips, then calling the
// real function. Two kinds of rules:
//  - fault: the call is wrong on Windows whatever the files are. It is answered as Windows
//    answers (return value and last error) and recorded as a violation, which fails the test.
//  - condition: Windows answers differently from Wine for these files or names. The call gets
//    Windows' answer and a note (not a failure): the tests must expect Windows' answer.
// Records go to an in-process list (zorcheck_take, read by the tests' listener after every
// test) and, when ZOR_CHECK_LOG names a file, to that file (child processes, script hosts).
#include <windows.h>
#include <winternl.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

// ---- records --------------------------------------------------------------------------------
SRWLOCK recordLock = SRWLOCK_INIT;
std::vector<std::wstring> records[2]; // [0] violations, [1] notes

void appendToLog(const std::wstring& line) {
    wchar_t log[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ZOR_CHECK_LOG", log, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), text.data(), bytes, nullptr, nullptr);
    text += '\n';
    HANDLE f = CreateFileW(log, FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

// record(fault, rule, format, ...): one line "rule: call", kept and logged; the caller's last
// error survives it.
void record(bool fault, const wchar_t* rule, const wchar_t* format, ...) {
    DWORD error = GetLastError();
    wchar_t call[1024];
    va_list args;
    va_start(args, format);
    __mingw_vsnwprintf(call, 1023, format, args);
    va_end(args);
    call[1023] = 0;
    std::wstring line = std::wstring(rule) + L": " + call;
    AcquireSRWLockExclusive(&recordLock);
    auto& list = records[fault ? 0 : 1];
    if (list.size() < 1000) list.push_back(line);
    ReleaseSRWLockExclusive(&recordLock);
    appendToLog((fault ? L"violation " : L"note ") + line);
    SetLastError(error);
}

const wchar_t* show(const wchar_t* s) { return s ? s : L"(null)"; }

std::wstring wide(const char* s) {
    if (!s) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    return w;
}

// ---- handle access ----------------------------------------------------------------------------
// The access a handle was granted (NtQueryObject, ObjectBasicInformation); false when the
// handle is no kernel object handle (pseudo handles, console).
bool grantedAccess(HANDLE h, ACCESS_MASK& granted) {
    if (!h || h == INVALID_HANDLE_VALUE) return false;
    PUBLIC_OBJECT_BASIC_INFORMATION info{};
    if (NtQueryObject(h, ObjectBasicInformation, &info, sizeof info, nullptr) < 0) return false;
    granted = info.GrantedAccess;
    return true;
}

// The file a handle is open on, for the records.
std::wstring handlePath(HANDLE h) {
    wchar_t path[1024];
    DWORD n = GetFinalPathNameByHandleW(h, path, 1024, FILE_NAME_NORMALIZED);
    return n > 0 && n < 1024 ? path : L"?";
}

// A fault rule on a handle's access: true (after recording) when none of the rights in
// `anyOf` was granted.
bool lacksAccess(HANDLE h, ACCESS_MASK anyOf, const wchar_t* rule, const wchar_t* function) {
    ACCESS_MASK granted = 0;
    if (!grantedAccess(h, granted) || (granted & anyOf)) return false;
    record(true, rule, L"%ls(\"%ls\", handle granted 0x%08lx, needs one of 0x%08lx)", function, handlePath(h).c_str(),
           static_cast<unsigned long>(granted), static_cast<unsigned long>(anyOf));
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

// ---- mandatory byte-range locks -----------------------------------------------------------
// LockFileEx documentation: an exclusive lock denies every other handle read and write access
// to the range; a shared lock denies write access to everyone, the holder included. Windows
// enforces this on ReadFile/WriteFile (ERROR_LOCK_VIOLATION); Wine does not. The table is
// shared by all processes of the prefix (a named section under a named mutex).
struct LockEntry {
    DWORD pid;
    DWORD exclusive;
    ULONGLONG handle;
    DWORD volume, indexHigh, indexLow, spare;
    ULONGLONG offset, length;
};
constexpr LONG lockCapacity = 4096;
struct LockTable {
    volatile LONG count;
    LONG spare;
    LockEntry entries[lockCapacity];
};
LockTable* table = nullptr;
HANDLE tableMutex = nullptr;
INIT_ONCE tableOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK openTable(PINIT_ONCE, PVOID, PVOID*) {
    tableMutex = CreateMutexW(nullptr, FALSE, L"ZorCheck.LockTable.Mutex");
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LockTable),
                                        L"ZorCheck.LockTable");
    if (tableMutex && section) table = static_cast<LockTable*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0));
    return TRUE; // kept open for the life of the process
}
LockTable* locks() {
    InitOnceExecuteOnce(&tableOnce, openTable, nullptr, nullptr);
    return table;
}

struct TableGuard {
    TableGuard() { WaitForSingleObject(tableMutex, INFINITE); }
    ~TableGuard() { ReleaseMutex(tableMutex); }
};

bool fileIdentity(HANDLE h, LockEntry& e) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) return false;
    e.volume = info.dwVolumeSerialNumber;
    e.indexHigh = info.nFileIndexHigh;
    e.indexLow = info.nFileIndexLow;
    return true;
}

void removeAt(LONG i) {
    table->entries[i] = table->entries[table->count - 1];
    InterlockedDecrement(&table->count);
}

bool processEnded(DWORD pid) {
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!p) return GetLastError() == ERROR_INVALID_PARAMETER;
    bool ended = WaitForSingleObject(p, 0) == WAIT_OBJECT_0;
    CloseHandle(p);
    return ended;
}

void addLock(HANDLE h, ULONGLONG offset, ULONGLONG length, bool exclusive) {
    LockEntry e{GetCurrentProcessId(), exclusive, reinterpret_cast<ULONG_PTR>(h), 0, 0, 0, 0, offset, length};
    if (!locks() || !fileIdentity(h, e)) return;
    TableGuard g;
    if (table->count < lockCapacity) {
        table->entries[table->count] = e;
        InterlockedIncrement(&table->count);
    }
}

void removeLock(HANDLE h, ULONGLONG offset, ULONGLONG length) {
    if (!locks() || table->count == 0) return;
    TableGuard g;
    const DWORD pid = GetCurrentProcessId();
    for (LONG i = 0; i < table->count; ++i) {
        const LockEntry& e = table->entries[i];
        if (e.pid == pid && e.handle == reinterpret_cast<ULONG_PTR>(h) && e.offset == offset && e.length == length) {
            removeAt(i);
            return;
        }
    }
}

void dropHandle(HANDLE h) {
    if (!table || table->count == 0) return;
    TableGuard g;
    const DWORD pid = GetCurrentProcessId();
    for (LONG i = table->count - 1; i >= 0; --i)
        if (table->entries[i].pid == pid && table->entries[i].handle == reinterpret_cast<ULONG_PTR>(h)) removeAt(i);
}

// Where a read or write through h starts: the OVERLAPPED's offset, the end for an append-only
// handle (or the OVERLAPPED's all-ones offset), else the file pointer.
ULONGLONG transferOffset(HANDLE h, const OVERLAPPED* o, bool write) {
    ACCESS_MASK granted = 0;
    bool appendOnly = write && grantedAccess(h, granted) && !(granted & FILE_WRITE_DATA) && (granted & FILE_APPEND_DATA);
    if (o && !(write && o->Offset == MAXDWORD && o->OffsetHigh == MAXDWORD) && !appendOnly)
        return (static_cast<ULONGLONG>(o->OffsetHigh) << 32) | o->Offset;
    LARGE_INTEGER pos{};
    if (o || appendOnly) {
        GetFileSizeEx(h, &pos);
    } else {
        SetFilePointerEx(h, LARGE_INTEGER{}, &pos, FILE_CURRENT);
    }
    return pos.QuadPart;
}

// A condition rule: true (after noting it) when another handle's lock covers part of the range.
bool lockedAgainst(HANDLE h, const OVERLAPPED* o, DWORD bytes, bool write, const wchar_t* function) {
    if (bytes == 0 || !locks() || table->count == 0) return false; // the common case costs one read
    LockEntry me{};
    if (!fileIdentity(h, me)) return false;
    const ULONGLONG start = transferOffset(h, o, write), end = start + bytes;
    const DWORD pid = GetCurrentProcessId();
    TableGuard g;
    for (LONG i = table->count - 1; i >= 0; --i) {
        const LockEntry e = table->entries[i];
        if (e.volume != me.volume || e.indexHigh != me.indexHigh || e.indexLow != me.indexLow) continue;
        if (e.length == 0 || start >= e.offset + e.length || e.offset >= end) continue;
        const bool mine = e.pid == pid && e.handle == reinterpret_cast<ULONG_PTR>(h);
        if (e.exclusive ? mine : !write) continue;
        if (e.pid != pid && processEnded(e.pid)) {
            removeAt(i);
            continue;
        }
        record(false, L"byte-range lock", L"%ls(\"%ls\", offset %llu, %lu bytes) into %ls lock [%llu,+%llu) of handle %p in process %lu",
               function, handlePath(h).c_str(), start, static_cast<unsigned long>(bytes), e.exclusive ? L"an exclusive" : L"a shared",
               e.offset, e.length, reinterpret_cast<void*>(static_cast<ULONG_PTR>(e.handle)), static_cast<unsigned long>(e.pid));
        SetLastError(ERROR_LOCK_VIOLATION);
        return true;
    }
    return false;
}

// ---- attributes ---------------------------------------------------------------------------
DWORD attributesOf(const wchar_t* path) {
    DWORD a = path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? INVALID_FILE_ATTRIBUTES : a;
}
bool has(DWORD attributes, DWORD bits) { return attributes != INVALID_FILE_ATTRIBUTES && (attributes & bits); }

// CreateFile documentation: opening a read-only file for writing fails (ERROR_ACCESS_DENIED);
// CREATE_ALWAYS over a hidden or system file fails unless the same attributes are asked for
// (TRUNCATE_EXISTING likewise: both become an overwrite in NtCreateFile, ReactOS
// IopCheckAttributes... / Wine's kernel32 file tests, todo_wine). Wine as root ignores both.
bool createRefused(const wchar_t* path, DWORD access, DWORD disposition, DWORD flags, const wchar_t* function) {
    if (disposition == CREATE_NEW || !path) return false;
    const DWORD a = attributesOf(path);
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD writes = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
    if ((a & FILE_ATTRIBUTE_READONLY) && ((access & writes) || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)) {
        record(false, L"read-only file", L"%ls(\"%ls\", access 0x%08lx) opens a read-only file for writing", function, path,
               static_cast<unsigned long>(access));
        SetLastError(ERROR_ACCESS_DENIED);
        return true;
    }
    const DWORD special = a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if ((disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) && (special & ~flags)) {
        record(false, L"hidden or system file", L"%ls(\"%ls\", disposition %lu, attributes 0x%08lx) overwrites a file with attributes 0x%08lx",
               function, path, static_cast<unsigned long>(disposition), static_cast<unsigned long>(flags & 0xFFFF),
               static_cast<unsigned long>(a));
        SetLastError(ERROR_ACCESS_DENIED);
        return true;
    }
    return false;
}

// ---- names ----------------------------------------------------------------------------------
// Kernel object names are limited to MAX_PATH characters (CreateMutex, CreateEvent,
// CreateSemaphore, CreateFileMapping documentation); ReactOS' kernel32 converts the name into a
// MAX_PATH buffer and fails with ERROR_FILENAME_EXCED_RANGE. Wine takes any length.
bool nameTooLong(const wchar_t* name, const wchar_t* function) {
    if (!name || wcslen(name) <= MAX_PATH) return false;
    record(false, L"object name length", L"%ls(name of %u characters \"%.60ls...\")", function,
           static_cast<unsigned>(wcslen(name)), name);
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return true;
}

// ---- wildcards without short names -----------------------------------------------------------
// On a volume without 8.3 names (the default for new volumes since Windows 8 / Server 2012) a
// wildcard matches the long name only: "*.htm" does not find "x.html". Wine matches its made-up
// short names too. Matching as the file system does (FsRtlIsNameInExpression with the DOS
// wildcards kernel32 substitutes): "*" any run, "?" one character (none at the end or before a
// dot), ".*" and "." at the end also match a name without an extension, "*.*" everything.
bool matches(const wchar_t* p, const wchar_t* n, bool nameHasDot) {
    for (;; ++p, ++n) {
        if (*p == L'*') {
            while (*p == L'*') ++p;
            if (!*p) return true;
            for (;; ++n) {
                if (matches(p, n, nameHasDot)) return true;
                if (!*n) return false;
            }
        }
        if (!*p) return !*n;
        if (*p == L'?' && (!*n || *n == L'.')) { // matches nothing at the end or before a dot
            while (*p == L'?') ++p;
            return matches(p, n, nameHasDot);
        }
        if (*p == L'.' && !*n) return !nameHasDot && (p[1] == 0 || (p[1] == L'*' && p[2] == 0)); // "x.*", "x."
        if (!*n) return false;
        if (*p != L'?' && towupper(*p) != towupper(*n)) return false;
    }
}
bool matches(const std::wstring& wildcard, const wchar_t* name) { return matches(wildcard.c_str(), name, wcschr(name, L'.') != nullptr); }

SRWLOCK findLock = SRWLOCK_INIT;
std::map<HANDLE, std::wstring> findWildcards; // listings that are being filtered

std::wstring wildcardOf(const wchar_t* pattern) {
    if (!pattern) return {};
    const wchar_t* name = pattern;
    for (const wchar_t* c = pattern; *c; ++c)
        if (*c == L'\\' || *c == L'/' || *c == L':') name = c + 1;
    std::wstring wildcard = name;
    if (wildcard.find_first_of(L"*?") == std::wstring::npos) return {};
    return wildcard == L"*.*" ? L"*" : wildcard;
}

// Skips the entries whose long name does not match; false when none is left.
bool skipShortNameMatches(HANDLE h, const std::wstring& wildcard, WIN32_FIND_DATAW* data) {
    while (!matches(wildcard, data->cFileName)) {
        record(false, L"short-name wildcard match", L"FindFirstFile/FindNextFile(\"%ls\") leaves out \"%ls\" (matched only through a short name)",
               wildcard.c_str(), data->cFileName);
        if (!FindNextFileW(h, data)) return false;
    }
    data->cAlternateFileName[0] = 0; // no 8.3 names on such a volume
    return true;
}

// ---- HKEY_CLASSES_ROOT -----------------------------------------------------------------------
// "Merged view of HKEY_CLASSES_ROOT" (documentation): a write to a key under HKEY_CLASSES_ROOT
// goes to HKEY_CURRENT_USER\Software\Classes when the key exists there. Wine has no merged view.
SRWLOCK keyLock = SRWLOCK_INIT;
std::map<HKEY, std::wstring> classKeys; // keys opened below HKEY_CLASSES_ROOT, by path

bool classPath(HKEY key, const wchar_t* sub, std::wstring& path) {
    if (key == HKEY_CLASSES_ROOT) {
        path.clear();
    } else {
        AcquireSRWLockShared(&keyLock);
        auto it = classKeys.find(key);
        bool found = it != classKeys.end();
        if (found) path = it->second;
        ReleaseSRWLockShared(&keyLock);
        if (!found) return false;
    }
    if (sub && *sub) path += (path.empty() ? L"" : L"\\") + std::wstring(sub);
    return true;
}

bool userClassExists(const std::wstring& path) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + path).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

void checkClassWrite(HKEY key, const wchar_t* sub, const wchar_t* function, const wchar_t* value) {
    std::wstring path;
    if (!classPath(key, sub, path) || path.empty() || !userClassExists(path)) return;
    record(true, L"write through HKEY_CLASSES_ROOT", L"%ls(HKCR\\%ls%ls%ls) writes the user's HKCU\\Software\\Classes copy on Windows",
           function, path.c_str(), value ? L" value " : L"", value ? value : L"");
}

void trackClassKey(HKEY parent, const wchar_t* sub, HKEY result) {
    std::wstring path;
    if (!classPath(parent, sub, path)) return;
    AcquireSRWLockExclusive(&keyLock);
    classKeys[result] = path;
    ReleaseSRWLockExclusive(&keyLock);
}

// ---- mappings ------------------------------------------------------------------------------
SRWLOCK mappingLock = SRWLOCK_INIT;
std::map<HANDLE, DWORD> mappingProtection;

// CreateFileMapping documentation: the file handle's access must fit the protection asked for.
ACCESS_MASK accessForProtection(DWORD protect) {
    switch (protect & 0xFF) {
    case PAGE_READONLY: case PAGE_WRITECOPY: return FILE_READ_DATA;
    case PAGE_READWRITE: return FILE_READ_DATA | FILE_WRITE_DATA;
    case PAGE_EXECUTE_READ: case PAGE_EXECUTE_WRITECOPY: return FILE_READ_DATA | FILE_EXECUTE;
    case PAGE_EXECUTE_READWRITE: return FILE_READ_DATA | FILE_WRITE_DATA | FILE_EXECUTE;
    default: return 0;
    }
}

template <class Create>
HANDLE checkedMapping(HANDLE file, DWORD protect, const wchar_t* name, const wchar_t* function, Create create) {
    if (nameTooLong(name, function)) return nullptr;
    ACCESS_MASK granted = 0, needed = accessForProtection(protect);
    if (file != INVALID_HANDLE_VALUE && grantedAccess(file, granted) && (granted & needed) != needed) {
        record(true, L"handle access", L"%ls(\"%ls\", handle granted 0x%08lx, protection 0x%lx needs 0x%08lx)", function,
               handlePath(file).c_str(),
               static_cast<unsigned long>(granted), static_cast<unsigned long>(protect), static_cast<unsigned long>(needed));
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE m = create();
    if (m) {
        AcquireSRWLockExclusive(&mappingLock);
        mappingProtection[m] = protect & 0xFF;
        ReleaseSRWLockExclusive(&mappingLock);
    }
    return m;
}

struct Wrapper {
    const char* name;
    FARPROC address;
};
extern const Wrapper wrappers[];

} // namespace

// ---- the wrappers -------------------------------------------------------------------------
// Exported under the platform's names by zorcheck.def.
#define CHECKER extern "C"

CHECKER HANDLE WINAPI chk_CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                                      DWORD flags, HANDLE templ) {
    if (createRefused(path, access, disposition, flags, L"CreateFileW")) return INVALID_HANDLE_VALUE;
    return CreateFileW(path, access, share, sa, disposition, flags, templ);
}

CHECKER HANDLE WINAPI chk_CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                                      DWORD flags, HANDLE templ) {
    if (path && createRefused(wide(path).c_str(), access, disposition, flags, L"CreateFileA")) return INVALID_HANDLE_VALUE;
    return CreateFileA(path, access, share, sa, disposition, flags, templ);
}

CHECKER BOOL WINAPI chk_ReadFile(HANDLE h, LPVOID buffer, DWORD bytes, LPDWORD read, LPOVERLAPPED o) {
    if (lockedAgainst(h, o, bytes, false, L"ReadFile")) {
        if (read) *read = 0;
        return FALSE;
    }
    return ReadFile(h, buffer, bytes, read, o);
}

CHECKER BOOL WINAPI chk_WriteFile(HANDLE h, LPCVOID buffer, DWORD bytes, LPDWORD written, LPOVERLAPPED o) {
    if (lockedAgainst(h, o, bytes, true, L"WriteFile")) {
        if (written) *written = 0;
        return FALSE;
    }
    return WriteFile(h, buffer, bytes, written, o);
}

// Locks: ReactOS NtLockFile / NtUnlockFile refuse a handle with neither FILE_READ_DATA nor
// FILE_WRITE_DATA (STATUS_ACCESS_DENIED); Wine's server checks no access for locks.
constexpr ACCESS_MASK lockAccess = FILE_READ_DATA | FILE_WRITE_DATA;

CHECKER BOOL WINAPI chk_LockFile(HANDLE h, DWORD offLow, DWORD offHigh, DWORD lenLow, DWORD lenHigh) {
    if (lacksAccess(h, lockAccess, L"handle access", L"LockFile")) return FALSE;
    if (!LockFile(h, offLow, offHigh, lenLow, lenHigh)) return FALSE;
    addLock(h, (static_cast<ULONGLONG>(offHigh) << 32) | offLow, (static_cast<ULONGLONG>(lenHigh) << 32) | lenLow, true);
    return TRUE;
}

CHECKER BOOL WINAPI chk_LockFileEx(HANDLE h, DWORD flags, DWORD reserved, DWORD lenLow, DWORD lenHigh, LPOVERLAPPED o) {
    if (lacksAccess(h, lockAccess, L"handle access", L"LockFileEx")) return FALSE;
    if (!LockFileEx(h, flags, reserved, lenLow, lenHigh, o)) return FALSE;
    if (o)
        addLock(h, (static_cast<ULONGLONG>(o->OffsetHigh) << 32) | o->Offset, (static_cast<ULONGLONG>(lenHigh) << 32) | lenLow,
                flags & LOCKFILE_EXCLUSIVE_LOCK);
    return TRUE;
}

CHECKER BOOL WINAPI chk_UnlockFile(HANDLE h, DWORD offLow, DWORD offHigh, DWORD lenLow, DWORD lenHigh) {
    if (lacksAccess(h, lockAccess, L"handle access", L"UnlockFile")) return FALSE;
    if (!UnlockFile(h, offLow, offHigh, lenLow, lenHigh)) return FALSE;
    removeLock(h, (static_cast<ULONGLONG>(offHigh) << 32) | offLow, (static_cast<ULONGLONG>(lenHigh) << 32) | lenLow);
    return TRUE;
}

CHECKER BOOL WINAPI chk_UnlockFileEx(HANDLE h, DWORD reserved, DWORD lenLow, DWORD lenHigh, LPOVERLAPPED o) {
    if (lacksAccess(h, lockAccess, L"handle access", L"UnlockFileEx")) return FALSE;
    if (!UnlockFileEx(h, reserved, lenLow, lenHigh, o)) return FALSE;
    if (o) removeLock(h, (static_cast<ULONGLONG>(o->OffsetHigh) << 32) | o->Offset, (static_cast<ULONGLONG>(lenHigh) << 32) | lenLow);
    return TRUE;
}

// SetEndOfFile documentation: the handle needs GENERIC_WRITE (ReactOS: FILE_WRITE_DATA).
CHECKER BOOL WINAPI chk_SetEndOfFile(HANDLE h) {
    if (lacksAccess(h, FILE_WRITE_DATA, L"handle access", L"SetEndOfFile")) return FALSE;
    return SetEndOfFile(h);
}

// SetFileTime documentation: the handle needs FILE_WRITE_ATTRIBUTES.
CHECKER BOOL WINAPI chk_SetFileTime(HANDLE h, const FILETIME* c, const FILETIME* a, const FILETIME* w) {
    if (lacksAccess(h, FILE_WRITE_ATTRIBUTES, L"handle access", L"SetFileTime")) return FALSE;
    return SetFileTime(h, c, a, w);
}

// SetFileInformationByHandle: basic information needs FILE_WRITE_ATTRIBUTES, a rename or a
// disposition DELETE, an end of file or allocation FILE_WRITE_DATA (ReactOS
// NtSetInformationFile's access table).
CHECKER BOOL WINAPI chk_SetFileInformationByHandle(HANDLE h, FILE_INFO_BY_HANDLE_CLASS c, LPVOID info, DWORD size) {
    ACCESS_MASK needed = c == FileBasicInfo ? FILE_WRITE_ATTRIBUTES
                         : c == FileRenameInfo || c == FileDispositionInfo ? DELETE
                         : c == FileEndOfFileInfo || c == FileAllocationInfo ? FILE_WRITE_DATA : 0;
    if (needed && lacksAccess(h, needed, L"handle access", L"SetFileInformationByHandle")) return FALSE;
    return SetFileInformationByHandle(h, c, info, size);
}

// FlushFileBuffers documentation: GENERIC_WRITE; ReactOS NtFlushBuffersFile: FILE_WRITE_DATA
// or FILE_APPEND_DATA.
CHECKER BOOL WINAPI chk_FlushFileBuffers(HANDLE h) {
    if (lacksAccess(h, FILE_WRITE_DATA | FILE_APPEND_DATA, L"handle access", L"FlushFileBuffers")) return FALSE;
    return FlushFileBuffers(h);
}

CHECKER HANDLE WINAPI chk_CreateFileMappingW(HANDLE f, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD high, DWORD low, LPCWSTR name) {
    return checkedMapping(f, protect, name, L"CreateFileMappingW",
                          [&] { return CreateFileMappingW(f, sa, protect, high, low, name); });
}

CHECKER HANDLE WINAPI chk_CreateFileMappingA(HANDLE f, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD high, DWORD low, LPCSTR name) {
    return checkedMapping(f, protect, name ? wide(name).c_str() : nullptr, L"CreateFileMappingA",
                          [&] { return CreateFileMappingA(f, sa, protect, high, low, name); });
}

// MapViewOfFile documentation: FILE_MAP_WRITE needs a PAGE_READWRITE mapping, FILE_MAP_READ a
// readable one (ERROR_ACCESS_DENIED).
CHECKER LPVOID WINAPI chk_MapViewOfFile(HANDLE m, DWORD access, DWORD high, DWORD low, SIZE_T bytes) {
    AcquireSRWLockShared(&mappingLock);
    auto it = mappingProtection.find(m);
    const DWORD protect = it == mappingProtection.end() ? 0 : it->second;
    ReleaseSRWLockShared(&mappingLock);
    const bool writable = protect == PAGE_READWRITE || protect == PAGE_EXECUTE_READWRITE;
    if (protect && !(access & FILE_MAP_COPY) && (access & FILE_MAP_WRITE) && !writable) {
        record(true, L"handle access", L"MapViewOfFile(mapping %p protection 0x%lx, access 0x%08lx)", m,
               static_cast<unsigned long>(protect), static_cast<unsigned long>(access));
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return MapViewOfFile(m, access, high, low, bytes);
}

CHECKER BOOL WINAPI chk_CloseHandle(HANDLE h) {
    dropHandle(h);
    AcquireSRWLockExclusive(&mappingLock);
    mappingProtection.erase(h);
    ReleaseSRWLockExclusive(&mappingLock);
    return CloseHandle(h);
}

// DeleteFile documentation: a read-only file cannot be deleted (ERROR_ACCESS_DENIED).
CHECKER BOOL WINAPI chk_DeleteFileW(LPCWSTR path) {
    if (has(attributesOf(path), FILE_ATTRIBUTE_READONLY)) {
        record(false, L"read-only file", L"DeleteFileW(\"%ls\") deletes a read-only file", path);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return DeleteFileW(path);
}

// MoveFileEx: replacing a read-only file fails (ERROR_ACCESS_DENIED; Wine's kernel32 file tests).
CHECKER BOOL WINAPI chk_MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (to && (flags & MOVEFILE_REPLACE_EXISTING) && has(attributesOf(to), FILE_ATTRIBUTE_READONLY)) {
        record(false, L"read-only file", L"MoveFileExW(\"%ls\" over \"%ls\") replaces a read-only file", show(from), to);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileExW(from, to, flags);
}

// CopyFile documentation: a destination that exists with FILE_ATTRIBUTE_HIDDEN or
// FILE_ATTRIBUTE_READONLY makes the copy fail with ERROR_ACCESS_DENIED.
bool copyRefused(LPCWSTR from, LPCWSTR to, bool failIfExists, const wchar_t* function) {
    if (failIfExists || !has(attributesOf(to), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) return false;
    record(false, L"read-only or hidden destination", L"%ls(\"%ls\" over \"%ls\", attributes 0x%08lx)", function, show(from), to,
           static_cast<unsigned long>(attributesOf(to)));
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

CHECKER BOOL WINAPI chk_CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    if (copyRefused(from, to, failIfExists, L"CopyFileW")) return FALSE;
    return CopyFileW(from, to, failIfExists);
}

CHECKER BOOL WINAPI chk_CopyFileExW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel, DWORD flags) {
    if (copyRefused(from, to, flags & COPY_FILE_FAIL_IF_EXISTS, L"CopyFileExW")) return FALSE;
    return CopyFileExW(from, to, progress, data, cancel, flags);
}

CHECKER HANDLE WINAPI chk_CreateMutexW(LPSECURITY_ATTRIBUTES sa, BOOL owner, LPCWSTR name) {
    return nameTooLong(name, L"CreateMutexW") ? nullptr : CreateMutexW(sa, owner, name);
}
CHECKER HANDLE WINAPI chk_CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL owner, LPCSTR name) {
    return name && nameTooLong(wide(name).c_str(), L"CreateMutexA") ? nullptr : CreateMutexA(sa, owner, name);
}
CHECKER HANDLE WINAPI chk_CreateMutexExW(LPSECURITY_ATTRIBUTES sa, LPCWSTR name, DWORD flags, DWORD access) {
    return nameTooLong(name, L"CreateMutexExW") ? nullptr : CreateMutexExW(sa, name, flags, access);
}
CHECKER HANDLE WINAPI chk_CreateEventW(LPSECURITY_ATTRIBUTES sa, BOOL manual, BOOL initial, LPCWSTR name) {
    return nameTooLong(name, L"CreateEventW") ? nullptr : CreateEventW(sa, manual, initial, name);
}
CHECKER HANDLE WINAPI chk_CreateEventA(LPSECURITY_ATTRIBUTES sa, BOOL manual, BOOL initial, LPCSTR name) {
    return name && nameTooLong(wide(name).c_str(), L"CreateEventA") ? nullptr : CreateEventA(sa, manual, initial, name);
}
CHECKER HANDLE WINAPI chk_CreateSemaphoreW(LPSECURITY_ATTRIBUTES sa, LONG initial, LONG most, LPCWSTR name) {
    return nameTooLong(name, L"CreateSemaphoreW") ? nullptr : CreateSemaphoreW(sa, initial, most, name);
}
CHECKER HANDLE WINAPI chk_CreateSemaphoreA(LPSECURITY_ATTRIBUTES sa, LONG initial, LONG most, LPCSTR name) {
    return name && nameTooLong(wide(name).c_str(), L"CreateSemaphoreA") ? nullptr : CreateSemaphoreA(sa, initial, most, name);
}
CHECKER HANDLE WINAPI chk_OpenMutexW(DWORD access, BOOL inherit, LPCWSTR name) {
    return nameTooLong(name, L"OpenMutexW") ? nullptr : OpenMutexW(access, inherit, name);
}
CHECKER HANDLE WINAPI chk_OpenEventW(DWORD access, BOOL inherit, LPCWSTR name) {
    return nameTooLong(name, L"OpenEventW") ? nullptr : OpenEventW(access, inherit, name);
}
CHECKER HANDLE WINAPI chk_OpenSemaphoreW(DWORD access, BOOL inherit, LPCWSTR name) {
    return nameTooLong(name, L"OpenSemaphoreW") ? nullptr : OpenSemaphoreW(access, inherit, name);
}
CHECKER HANDLE WINAPI chk_OpenFileMappingW(DWORD access, BOOL inherit, LPCWSTR name) {
    return nameTooLong(name, L"OpenFileMappingW") ? nullptr : OpenFileMappingW(access, inherit, name);
}

// GetTempFileName documentation: the folder may not be longer than MAX_PATH - 14 characters;
// ReactOS' GetTempFileNameW fails such a folder with ERROR_BUFFER_OVERFLOW. Wine does not check.
bool tempFolderTooLong(const wchar_t* folder, const wchar_t* function) {
    if (!folder || wcslen(folder) <= MAX_PATH - 14) return false;
    record(false, L"temporary file folder length", L"%ls(folder of %u characters \"%.60ls...\")", function,
           static_cast<unsigned>(wcslen(folder)), folder);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return true;
}

CHECKER UINT WINAPI chk_GetTempFileNameW(LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR out) {
    return tempFolderTooLong(folder, L"GetTempFileNameW") ? 0 : GetTempFileNameW(folder, prefix, unique, out);
}
CHECKER UINT WINAPI chk_GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR out) {
    return folder && tempFolderTooLong(wide(folder).c_str(), L"GetTempFileNameA") ? 0 : GetTempFileNameA(folder, prefix, unique, out);
}

HANDLE filteredFirst(HANDLE h, const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    const std::wstring wildcard = wildcardOf(pattern);
    if (h == INVALID_HANDLE_VALUE || wildcard.empty()) return h;
    if (!skipShortNameMatches(h, wildcard, data)) {
        FindClose(h);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    AcquireSRWLockExclusive(&findLock);
    findWildcards[h] = wildcard;
    ReleaseSRWLockExclusive(&findLock);
    return h;
}

CHECKER HANDLE WINAPI chk_FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    return filteredFirst(FindFirstFileW(pattern, data), pattern, data);
}

CHECKER HANDLE WINAPI chk_FindFirstFileExW(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS op,
                                           LPVOID filter, DWORD flags) {
    HANDLE h = FindFirstFileExW(pattern, level, data, op, filter, flags);
    return filteredFirst(h, pattern, static_cast<WIN32_FIND_DATAW*>(data));
}

CHECKER BOOL WINAPI chk_FindNextFileW(HANDLE h, LPWIN32_FIND_DATAW data) {
    if (!FindNextFileW(h, data)) return FALSE;
    std::wstring wildcard;
    AcquireSRWLockShared(&findLock);
    auto it = findWildcards.find(h);
    if (it != findWildcards.end()) wildcard = it->second;
    ReleaseSRWLockShared(&findLock);
    if (wildcard.empty() || skipShortNameMatches(h, wildcard, data)) return TRUE;
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
}

CHECKER BOOL WINAPI chk_FindClose(HANDLE h) {
    AcquireSRWLockExclusive(&findLock);
    findWildcards.erase(h);
    ReleaseSRWLockExclusive(&findLock);
    return FindClose(h);
}

// GetShortPathName documentation: where a volume keeps no short names, the long name comes
// back. Wine makes up hashed 8.3 names.
template <class Char, class Real>
DWORD longNameBack(const Char* path, Char* out, DWORD size, Real real, const wchar_t* function) {
    DWORD n = real();
    if (n == 0 || !path) return n;
    DWORD length = 0;
    while (path[length]) ++length;
    if (size <= length) return length + 1;
    if (n < size && std::char_traits<Char>::compare(out, path, length + 1) != 0)
        record(false, L"no short names", L"%ls gives the long name back", function);
    std::char_traits<Char>::move(out, path, length + 1);
    return length;
}

CHECKER DWORD WINAPI chk_GetShortPathNameW(LPCWSTR path, LPWSTR out, DWORD size) {
    std::wstring copy = path ? path : L""; // the buffers may be one
    return longNameBack(copy.c_str(), out, size, [&] { return GetShortPathNameW(path, out, size); }, L"GetShortPathNameW");
}
CHECKER DWORD WINAPI chk_GetShortPathNameA(LPCSTR path, LPSTR out, DWORD size) {
    std::string copy = path ? path : "";
    return longNameBack(copy.c_str(), out, size, [&] { return GetShortPathNameA(path, out, size); }, L"GetShortPathNameA");
}

// A wrapped function looked up at run time is the wrapper (imports are not the only way in).
CHECKER FARPROC WINAPI chk_GetProcAddress(HMODULE m, LPCSTR name) {
    FARPROC real = GetProcAddress(m, name);
    if (!real || !name || IS_INTRESOURCE(name)) return real;
    for (const Wrapper* w = wrappers; w->name; ++w)
        if (strcmp(w->name, name) == 0) return w->address;
    return real;
}

// RegGetValue (Wine's advapi32 registry tests; Windows 7 has no exception for RRF_RT_ANY
// beyond Wine's): RRF_RT_REG_EXPAND_SZ without RRF_NOEXPAND, data without a size, and both
// WOW64 view flags are refused with ERROR_INVALID_PARAMETER.
CHECKER LSTATUS WINAPI chk_RegGetValueW(HKEY key, LPCWSTR sub, LPCWSTR value, DWORD flags, LPDWORD type, PVOID data, LPDWORD size) {
    const wchar_t* wrong = nullptr;
    if ((flags & RRF_RT_REG_EXPAND_SZ) && !(flags & RRF_NOEXPAND) && (flags & RRF_RT_ANY) != RRF_RT_ANY)
        wrong = L"RRF_RT_REG_EXPAND_SZ without RRF_NOEXPAND";
    else if (data && !size)
        wrong = L"data without a size";
    else if ((flags & 0x30000) == 0x30000)
        wrong = L"both WOW64 views";
    if (wrong) {
        record(true, L"RegGetValue flags", L"RegGetValueW(\"%ls\", \"%ls\", flags 0x%08lx): %ls", show(sub), show(value),
               static_cast<unsigned long>(flags), wrong);
        return ERROR_INVALID_PARAMETER;
    }
    return RegGetValueW(key, sub, value, flags, type, data, size);
}

CHECKER LSTATUS WINAPI chk_RegOpenKeyExW(HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY result) {
    LSTATUS s = RegOpenKeyExW(key, sub, options, sam, result);
    if (s == ERROR_SUCCESS && result) trackClassKey(key, sub, *result);
    return s;
}

CHECKER LSTATUS WINAPI chk_RegCreateKeyExW(HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                                           const LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition) {
    checkClassWrite(key, sub, L"RegCreateKeyExW", nullptr);
    LSTATUS s = RegCreateKeyExW(key, sub, reserved, cls, options, sam, sa, result, disposition);
    if (s == ERROR_SUCCESS && result) trackClassKey(key, sub, *result);
    return s;
}

CHECKER LSTATUS WINAPI chk_RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    checkClassWrite(key, nullptr, L"RegSetValueExW", name ? name : L"");
    return RegSetValueExW(key, name, reserved, type, data, size);
}

CHECKER LSTATUS WINAPI chk_RegDeleteKeyW(HKEY key, LPCWSTR sub) {
    checkClassWrite(key, sub, L"RegDeleteKeyW", nullptr);
    return RegDeleteKeyW(key, sub);
}

CHECKER LSTATUS WINAPI chk_RegDeleteValueW(HKEY key, LPCWSTR name) {
    checkClassWrite(key, nullptr, L"RegDeleteValueW", name ? name : L"");
    return RegDeleteValueW(key, name);
}

CHECKER LSTATUS WINAPI chk_RegDeleteTreeW(HKEY key, LPCWSTR sub) {
    checkClassWrite(key, sub, L"RegDeleteTreeW", nullptr);
    return RegDeleteTreeW(key, sub);
}

CHECKER LSTATUS WINAPI chk_RegCloseKey(HKEY key) {
    AcquireSRWLockExclusive(&keyLock);
    classKeys.erase(key);
    ReleaseSRWLockExclusive(&keyLock);
    return RegCloseKey(key);
}

// SPI_SETDESKWALLPAPER: "" removes the wallpaper; on current Windows a path that does not
// exist fails (ERROR_FILE_NOT_FOUND), where Wine stores any string and answers TRUE.
bool wallpaperMissing(UINT action, const wchar_t* path, const wchar_t* function) {
    if (action != SPI_SETDESKWALLPAPER || !path || !*path || GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return false;
    record(false, L"wallpaper file", L"%ls(SPI_SETDESKWALLPAPER, \"%ls\") names no file", function, path);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return true;
}

CHECKER BOOL WINAPI chk_SystemParametersInfoW(UINT action, UINT param, PVOID pv, UINT winIni) {
    if (wallpaperMissing(action, static_cast<const wchar_t*>(pv), L"SystemParametersInfoW")) return FALSE;
    return SystemParametersInfoW(action, param, pv, winIni);
}

CHECKER BOOL WINAPI chk_SystemParametersInfoA(UINT action, UINT param, PVOID pv, UINT winIni) {
    if (action == SPI_SETDESKWALLPAPER && pv && wallpaperMissing(action, wide(static_cast<const char*>(pv)).c_str(), L"SystemParametersInfoA"))
        return FALSE;
    return SystemParametersInfoA(action, param, pv, winIni);
}

// Critical errors (SetThreadErrorMode, SetErrorMode documentation): unless the thread's error
// mode has SEM_FAILCRITICALERRORS, a drive without a disk (an empty card reader or DVD drive)
// shows the system's "no disk" box and the call waits for someone to answer it, which nobody
// does under a page server. Wine shows no box. A volume or disk-space call needs the mode set.
void checkErrorMode(const wchar_t* root, const wchar_t* function) {
    if (GetThreadErrorMode() & SEM_FAILCRITICALERRORS) return;
    record(true, L"critical error mode", L"%ls(\"%ls\") without SEM_FAILCRITICALERRORS in the thread's error mode",
           function, show(root));
}

CHECKER BOOL WINAPI chk_GetVolumeInformationW(LPCWSTR root, LPWSTR name, DWORD nameSize, LPDWORD serial, LPDWORD maxComponent,
                                              LPDWORD flags, LPWSTR fs, DWORD fsSize) {
    checkErrorMode(root, L"GetVolumeInformationW");
    return GetVolumeInformationW(root, name, nameSize, serial, maxComponent, flags, fs, fsSize);
}

CHECKER BOOL WINAPI chk_GetVolumeInformationA(LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serial, LPDWORD maxComponent,
                                              LPDWORD flags, LPSTR fs, DWORD fsSize) {
    checkErrorMode(root ? wide(root).c_str() : nullptr, L"GetVolumeInformationA");
    return GetVolumeInformationA(root, name, nameSize, serial, maxComponent, flags, fs, fsSize);
}

CHECKER BOOL WINAPI chk_GetDiskFreeSpaceW(LPCWSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                                          LPDWORD totalClusters) {
    checkErrorMode(root, L"GetDiskFreeSpaceW");
    return GetDiskFreeSpaceW(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
}

CHECKER BOOL WINAPI chk_GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                                          LPDWORD totalClusters) {
    checkErrorMode(root ? wide(root).c_str() : nullptr, L"GetDiskFreeSpaceA");
    return GetDiskFreeSpaceA(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
}

// The lock table is opened as the process starts, so that its handles are there before any
// count of a test's handles is taken.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) locks();
    return TRUE;
}

// zorcheck_take(kind, buffer, size): the records of one kind (0 violations, 1 notes) as lines;
// returns the characters needed. The list is emptied only when everything fitted.
CHECKER DWORD WINAPI zorcheck_take(DWORD kind, LPWSTR buffer, DWORD size) {
    if (kind > 1) return 0;
    AcquireSRWLockExclusive(&recordLock);
    std::wstring all;
    for (const auto& line : records[kind]) all += line + L"\n";
    const DWORD needed = static_cast<DWORD>(all.size()) + 1;
    if (buffer && size >= needed) {
        wmemcpy(buffer, all.c_str(), needed);
        records[kind].clear();
    }
    ReleaseSRWLockExclusive(&recordLock);
    return needed;
}

namespace {
#define W(name) {#name, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(chk_##name))}
const Wrapper wrappers[] = {
    W(CreateFileW), W(CreateFileA), W(ReadFile), W(WriteFile), W(LockFile), W(LockFileEx), W(UnlockFile),
    W(UnlockFileEx), W(SetEndOfFile), W(SetFileTime), W(SetFileInformationByHandle), W(FlushFileBuffers),
    W(CreateFileMappingW), W(CreateFileMappingA), W(MapViewOfFile), W(CloseHandle), W(DeleteFileW), W(MoveFileExW),
    W(CopyFileW), W(CopyFileExW), W(CreateMutexW), W(CreateMutexA), W(CreateMutexExW), W(CreateEventW), W(CreateEventA),
    W(CreateSemaphoreW), W(CreateSemaphoreA), W(OpenMutexW), W(OpenEventW), W(OpenSemaphoreW), W(OpenFileMappingW),
    W(GetTempFileNameW), W(GetTempFileNameA), W(FindFirstFileW), W(FindFirstFileExW), W(FindNextFileW), W(FindClose),
    W(GetShortPathNameW), W(GetShortPathNameA), W(GetProcAddress), W(RegGetValueW), W(RegOpenKeyExW),
    W(RegCreateKeyExW), W(RegSetValueExW), W(RegDeleteKeyW), W(RegDeleteValueW), W(RegDeleteTreeW), W(RegCloseKey),
    W(SystemParametersInfoW), W(SystemParametersInfoA), W(GetVolumeInformationW), W(GetVolumeInformationA),
    W(GetDiskFreeSpaceW), W(GetDiskFreeSpaceA), {nullptr, nullptr}};
#undef W
} // namespace
