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
#include <cwctype>
#include <cwchar>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

HMODULE self = nullptr;

// An SRW lock held for a scope.
struct Hold {
    SRWLOCK& lock;
    explicit Hold(SRWLOCK& l) : lock(l) { AcquireSRWLockExclusive(&lock); }
    ~Hold() { ReleaseSRWLockExclusive(&lock); }
};

// What the checker keeps about open handles (listings, keys, mappings), shared by the threads.
template <class Value>
struct PerHandle {
    SRWLOCK lock = SRWLOCK_INIT;
    std::map<void*, Value> map;
    std::optional<Value> find(void* h) {
        Hold hold(lock);
        auto it = map.find(h);
        return it == map.end() ? std::nullopt : std::optional<Value>(it->second);
    }
    void set(void* h, const Value& value) {
        Hold hold(lock);
        map[h] = value;
    }
    void erase(void* h) {
        Hold hold(lock);
        map.erase(h);
    }
};

// ---- records --------------------------------------------------------------------------------
enum Kind { fault, note }; // zorcheck_take's kinds: 0 violations, 1 notes
SRWLOCK recordLock = SRWLOCK_INIT;
std::vector<std::wstring> records[2];
constexpr DWORD keepError = 0; // the rule lets the call go on: its last error stays

void appendToLog(const std::wstring& line) {
    wchar_t log[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ZOR_CHECK_LOG", log, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    char text[4096]; // a record: at most about 1100 characters, 3 bytes each in UTF-8
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text, sizeof text, nullptr, nullptr);
    if (bytes == 0) return;
    text[bytes - 1] = '\n'; // in place of the terminating 0
    HANDLE f = CreateFileW(log, FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, text, bytes, &written, nullptr);
    CloseHandle(f);
}

// record(kind, rule, error, format, ...): one line "rule: call", kept and logged; then the last
// error is Windows' answer `error`, or the caller's (keepError). True, for `return record(...)`.
bool record(Kind kind, const wchar_t* rule, DWORD error, const wchar_t* format, ...) {
    const DWORD callers = GetLastError();
    wchar_t call[1024];
    va_list args;
    va_start(args, format);
    __mingw_vsnwprintf(call, 1023, format, args);
    va_end(args);
    call[1023] = 0;
    const std::wstring line = std::wstring(rule) + L": " + call;
    {
        Hold hold(recordLock);
        if (records[kind].size() < 1000) records[kind].push_back(line);
    }
    appendToLog((kind == fault ? L"violation " : L"note ") + line);
    SetLastError(error != keepError ? error : callers);
    return true;
}

const wchar_t* show(const wchar_t* s) { return s ? s : L"(null)"; }

// A text argument as wide characters, an ANSI one converted; null stays null.
struct Wide {
    std::wstring text;
    const wchar_t* p = nullptr;
    Wide(const wchar_t* s) : p(s) {}
    Wide(const char* s) {
        if (!s) return;
        int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
        text.assign(n > 0 ? n - 1 : 0, L'\0');
        if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, text.data(), n);
        p = text.c_str();
    }
    operator const wchar_t*() const { return p; }
};

ULONGLONG join(DWORD high, DWORD low) { return (static_cast<ULONGLONG>(high) << 32) | low; }
ULONGLONG at(const OVERLAPPED* o) { return o ? join(o->OffsetHigh, o->Offset) : 0; }

// ---- handle access ----------------------------------------------------------------------------
// The access a handle was granted (NtQueryObject, ObjectBasicInformation); none when the
// handle is no kernel object handle (pseudo handles, console).
std::optional<ACCESS_MASK> grantedAccess(HANDLE h) {
    PUBLIC_OBJECT_BASIC_INFORMATION info{};
    if (!h || h == INVALID_HANDLE_VALUE || NtQueryObject(h, ObjectBasicInformation, &info, sizeof info, nullptr) < 0) return {};
    return info.GrantedAccess;
}

// The file a handle is open on, for the records.
std::wstring handlePath(HANDLE h) {
    wchar_t path[1024];
    DWORD n = GetFinalPathNameByHandleW(h, path, 1024, FILE_NAME_NORMALIZED);
    return n > 0 && n < 1024 ? path : L"?";
}

// The fault rule on a handle's access: true (after recording) when none of the rights in
// `anyOf` was granted (no rights asked for: no rule).
bool lacksAccess(HANDLE h, ACCESS_MASK anyOf, const wchar_t* function) {
    const auto granted = anyOf ? grantedAccess(h) : std::nullopt;
    if (!granted || (*granted & anyOf)) return false;
    return record(fault, L"handle access", ERROR_ACCESS_DENIED, L"%ls(\"%ls\", handle granted 0x%08lx, needs one of 0x%08lx)",
                  function, handlePath(h).c_str(), *granted, anyOf);
}

// ---- mandatory byte-range locks -----------------------------------------------------------
// LockFileEx documentation: an exclusive lock denies every other handle read and write access
// to the range; a shared lock denies write access to everyone, the holder included. Windows
// enforces this on ReadFile/WriteFile (ERROR_LOCK_VIOLATION); Wine does not. The table is
// shared by all processes of the prefix (a named section under a named mutex).
struct LockEntry {
    DWORD pid, exclusive;
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

// The lock call's answer `ok`; the lock it made goes into the table.
BOOL addLock(BOOL ok, HANDLE h, ULONGLONG offset, ULONGLONG length, bool exclusive) {
    LockEntry e{GetCurrentProcessId(), exclusive, reinterpret_cast<ULONG_PTR>(h), 0, 0, 0, 0, offset, length};
    if (!ok || !locks() || !fileIdentity(h, e)) return ok;
    TableGuard g;
    if (table->count < lockCapacity) {
        table->entries[table->count] = e;
        InterlockedIncrement(&table->count);
    }
    return ok;
}

// The unlock's or the close's answer `ok`; then this process's locks through h leave the table:
// the first on [offset,+length) (an unlock), or all of them (the handle is closed).
BOOL removeLocks(BOOL ok, HANDLE h, bool all, ULONGLONG offset = 0, ULONGLONG length = 0) {
    if (!ok || !table || table->count == 0) return ok;
    TableGuard g;
    const DWORD pid = GetCurrentProcessId();
    for (LONG i = 0; i < table->count;) {
        const LockEntry& e = table->entries[i];
        const bool range = all || (e.offset == offset && e.length == length);
        if (e.pid == pid && e.handle == reinterpret_cast<ULONG_PTR>(h) && range) {
            removeAt(i);
            if (!all) return ok;
        } else {
            ++i;
        }
    }
    return ok;
}

// Where a read or write through h starts: the OVERLAPPED's offset, the end for an append-only
// handle (or the OVERLAPPED's all-ones offset), else the file pointer.
ULONGLONG transferOffset(HANDLE h, const OVERLAPPED* o, bool write) {
    const ACCESS_MASK granted = write ? grantedAccess(h).value_or(0) : 0;
    const bool appendOnly = !(granted & FILE_WRITE_DATA) && (granted & FILE_APPEND_DATA);
    const bool atEnd = appendOnly || (o && write && o->Offset == MAXDWORD && o->OffsetHigh == MAXDWORD);
    if (o && !atEnd) return join(o->OffsetHigh, o->Offset);
    LARGE_INTEGER pos{};
    if (atEnd)
        GetFileSizeEx(h, &pos);
    else
        SetFilePointerEx(h, LARGE_INTEGER{}, &pos, FILE_CURRENT);
    return pos.QuadPart;
}

// A condition rule: true (after noting it; nothing moved) when another handle's lock covers
// part of the range.
bool lockedAgainst(HANDLE h, const OVERLAPPED* o, DWORD bytes, DWORD* moved, bool write, const wchar_t* function) {
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
        if (moved) *moved = 0;
        return record(note, L"byte-range lock", ERROR_LOCK_VIOLATION,
                      L"%ls(\"%ls\", offset %llu, %lu bytes) into %ls lock [%llu,+%llu) of handle %p in process %lu", function,
                      handlePath(h).c_str(), start, bytes, e.exclusive ? L"an exclusive" : L"a shared", e.offset, e.length,
                      reinterpret_cast<void*>(static_cast<ULONG_PTR>(e.handle)), e.pid);
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
    const DWORD a = attributesOf(path);
    if (disposition == CREATE_NEW || a == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD writes = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
    const bool overwrite = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if ((a & FILE_ATTRIBUTE_READONLY) && ((access & writes) || overwrite))
        return record(note, L"read-only file", ERROR_ACCESS_DENIED,
                      L"%ls(\"%ls\", access 0x%08lx) opens a read-only file for writing", function, path, access);
    if (overwrite && (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) & ~flags))
        return record(note, L"hidden or system file", ERROR_ACCESS_DENIED,
                      L"%ls(\"%ls\", disposition %lu, attributes 0x%08lx) overwrites a file with attributes 0x%08lx", function,
                      path, disposition, flags & 0xFFFF, a);
    return false;
}

// Kernel object names are limited to MAX_PATH characters (CreateMutex, CreateEvent,
// CreateSemaphore, CreateFileMapping documentation); ReactOS' kernel32 converts the name into a
// MAX_PATH buffer and fails with ERROR_FILENAME_EXCED_RANGE. Wine takes any length.
bool nameTooLong(const wchar_t* name, const wchar_t* function) {
    if (!name || wcslen(name) <= MAX_PATH) return false;
    return record(note, L"object name length", ERROR_FILENAME_EXCED_RANGE, L"%ls(name of %u characters \"%.60ls...\")",
                  function, static_cast<unsigned>(wcslen(name)), name);
}

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

PerHandle<std::wstring> findWildcards; // listings that are being filtered

std::wstring wildcardOf(const wchar_t* pattern) {
    if (!pattern) return {};
    const std::wstring path = pattern;
    const std::wstring wildcard = path.substr(path.find_last_of(L"\\/:") + 1); // npos + 1: all of it
    if (wildcard.find_first_of(L"*?") == std::wstring::npos) return {};
    return wildcard == L"*.*" ? L"*" : wildcard;
}

// Skips the entries whose long name does not match; false when none is left.
bool skipShortNameMatches(HANDLE h, const std::wstring& wildcard, WIN32_FIND_DATAW* data) {
    while (!matches(wildcard, data->cFileName)) {
        record(note, L"short-name wildcard match", keepError,
               L"FindFirstFile/FindNextFile(\"%ls\") leaves out \"%ls\" (matched only through a short name)", wildcard.c_str(),
               data->cFileName);
        if (!FindNextFileW(h, data)) return false;
    }
    data->cAlternateFileName[0] = 0; // no 8.3 names on such a volume
    return true;
}

// "Merged view of HKEY_CLASSES_ROOT" (documentation): a write to a key under HKEY_CLASSES_ROOT
// goes to HKEY_CURRENT_USER\Software\Classes when the key exists there. Wine has no merged view.
PerHandle<std::wstring> classKeys; // keys opened below HKEY_CLASSES_ROOT, by path

// The path below HKEY_CLASSES_ROOT of key\sub; none when key is not known to be there.
std::optional<std::wstring> classPath(HKEY key, const wchar_t* sub) {
    auto path = key == HKEY_CLASSES_ROOT ? std::optional<std::wstring>(L"") : classKeys.find(key);
    if (path && sub && *sub) *path += (path->empty() ? L"" : L"\\") + std::wstring(sub);
    return path;
}

bool userClassExists(const std::wstring& path) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + path).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

void checkClassWrite(HKEY key, const wchar_t* sub, const wchar_t* function, const wchar_t* value = nullptr) {
    const auto path = classPath(key, sub);
    if (!path || path->empty() || !userClassExists(*path)) return;
    record(fault, L"write through HKEY_CLASSES_ROOT", keepError,
           L"%ls(HKCR\\%ls%ls%ls) writes the user's HKCU\\Software\\Classes copy on Windows", function, path->c_str(),
           value ? L" value " : L"", value ? value : L"");
}

// An open's or a create's status; a key it opened below HKEY_CLASSES_ROOT is kept with its path.
LSTATUS trackClassKey(LSTATUS status, HKEY parent, const wchar_t* sub, const HKEY* result) {
    const auto path = classPath(parent, sub);
    if (status == ERROR_SUCCESS && result && path) classKeys.set(*result, *path);
    return status;
}

// ---- mappings ------------------------------------------------------------------------------
PerHandle<DWORD> mappingProtection;

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

bool mappingRefused(HANDLE file, DWORD protect, const wchar_t* name, const wchar_t* function) {
    if (nameTooLong(name, function)) return true;
    const ACCESS_MASK needed = accessForProtection(protect);
    const auto granted = grantedAccess(file);
    if (!granted || (*granted & needed) == needed) return false;
    return record(fault, L"handle access", ERROR_ACCESS_DENIED,
                  L"%ls(\"%ls\", handle granted 0x%08lx, protection 0x%lx needs 0x%08lx)", function, handlePath(file).c_str(),
                  *granted, protect, needed);
}

// A mapping made keeps its protection, for MapViewOfFile's rule.
HANDLE mapped(HANDLE m, DWORD protect) {
    if (m) mappingProtection.set(m, protect & 0xFF);
    return m;
}

} // namespace

// ---- the wrappers -------------------------------------------------------------------------
// Exported under the platform's names by zorcheck.def. WRAP(type, fn, (parameters), refused,
// failure, call) is chk_fn: when `refused` holds (a rule that has recorded, given the call's
// name as `function`) the answer is `failure`, else `call`'s.
#define WRAP(Type, fn, params, refused, failure, call)      \
    extern "C" Type WINAPI chk_##fn params {                \
        [[maybe_unused]] const wchar_t* function = L"" #fn; \
        return (refused) ? failure : call;                  \
    }

WRAP(HANDLE, CreateFileW, (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition, DWORD flags,
     HANDLE templ), createRefused(path, access, disposition, flags, function), INVALID_HANDLE_VALUE,
     CreateFileW(path, access, share, sa, disposition, flags, templ))
WRAP(HANDLE, CreateFileA, (LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition, DWORD flags,
     HANDLE templ), createRefused(Wide(path), access, disposition, flags, function), INVALID_HANDLE_VALUE,
     CreateFileA(path, access, share, sa, disposition, flags, templ))

WRAP(BOOL, ReadFile, (HANDLE h, LPVOID buffer, DWORD bytes, LPDWORD read, LPOVERLAPPED o),
     lockedAgainst(h, o, bytes, read, false, function), FALSE, ReadFile(h, buffer, bytes, read, o))
WRAP(BOOL, WriteFile, (HANDLE h, LPCVOID buffer, DWORD bytes, LPDWORD written, LPOVERLAPPED o),
     lockedAgainst(h, o, bytes, written, true, function), FALSE, WriteFile(h, buffer, bytes, written, o))

// Locks: ReactOS NtLockFile / NtUnlockFile refuse a handle with neither FILE_READ_DATA nor
// FILE_WRITE_DATA (STATUS_ACCESS_DENIED); Wine's server checks no access for locks. A lock
// made goes into the table, an unlock takes it out.
bool lockRefused(HANDLE h, const wchar_t* function) { return lacksAccess(h, FILE_READ_DATA | FILE_WRITE_DATA, function); }
WRAP(BOOL, LockFile, (HANDLE h, DWORD offLow, DWORD offHigh, DWORD lenLow, DWORD lenHigh), lockRefused(h, function), FALSE,
     addLock(LockFile(h, offLow, offHigh, lenLow, lenHigh), h, join(offHigh, offLow), join(lenHigh, lenLow), true))
WRAP(BOOL, LockFileEx, (HANDLE h, DWORD flags, DWORD reserved, DWORD lenLow, DWORD lenHigh, LPOVERLAPPED o),
     lockRefused(h, function), FALSE, addLock(LockFileEx(h, flags, reserved, lenLow, lenHigh, o), h, at(o), join(lenHigh, lenLow),
             flags & LOCKFILE_EXCLUSIVE_LOCK))
WRAP(BOOL, UnlockFile, (HANDLE h, DWORD offLow, DWORD offHigh, DWORD lenLow, DWORD lenHigh), lockRefused(h, function), FALSE,
     removeLocks(UnlockFile(h, offLow, offHigh, lenLow, lenHigh), h, false, join(offHigh, offLow), join(lenHigh, lenLow)))
WRAP(BOOL, UnlockFileEx, (HANDLE h, DWORD reserved, DWORD lenLow, DWORD lenHigh, LPOVERLAPPED o), lockRefused(h, function), FALSE,
     removeLocks(UnlockFileEx(h, reserved, lenLow, lenHigh, o), h, false, at(o), join(lenHigh, lenLow)))

// The access each call needs on its handle. SetEndOfFile documentation: GENERIC_WRITE
// (ReactOS: FILE_WRITE_DATA). SetFileTime documentation: FILE_WRITE_ATTRIBUTES.
// SetFileInformationByHandle: basic information FILE_WRITE_ATTRIBUTES, a rename or a
// disposition DELETE, an end of file or allocation FILE_WRITE_DATA (ReactOS
// NtSetInformationFile's access table). FlushFileBuffers documentation: GENERIC_WRITE; ReactOS
// NtFlushBuffersFile: FILE_WRITE_DATA or FILE_APPEND_DATA.
WRAP(BOOL, SetEndOfFile, (HANDLE h), lacksAccess(h, FILE_WRITE_DATA, function), FALSE, SetEndOfFile(h))
WRAP(BOOL, SetFileTime, (HANDLE h, const FILETIME* c, const FILETIME* a, const FILETIME* w),
     lacksAccess(h, FILE_WRITE_ATTRIBUTES, function), FALSE, SetFileTime(h, c, a, w))
WRAP(BOOL, SetFileInformationByHandle, (HANDLE h, FILE_INFO_BY_HANDLE_CLASS c, LPVOID info, DWORD size),
     lacksAccess(h, c == FileBasicInfo ? FILE_WRITE_ATTRIBUTES
                    : c == FileRenameInfo || c == FileDispositionInfo ? DELETE
                    : c == FileEndOfFileInfo || c == FileAllocationInfo ? FILE_WRITE_DATA : 0, function),
     FALSE, SetFileInformationByHandle(h, c, info, size))
WRAP(BOOL, FlushFileBuffers, (HANDLE h), lacksAccess(h, FILE_WRITE_DATA | FILE_APPEND_DATA, function), FALSE, FlushFileBuffers(h))

WRAP(HANDLE, CreateFileMappingW, (HANDLE f, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD high, DWORD low, LPCWSTR name),
     mappingRefused(f, protect, name, function), nullptr, mapped(CreateFileMappingW(f, sa, protect, high, low, name), protect))
WRAP(HANDLE, CreateFileMappingA, (HANDLE f, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD high, DWORD low, LPCSTR name),
     mappingRefused(f, protect, Wide(name), function), nullptr,
     mapped(CreateFileMappingA(f, sa, protect, high, low, name), protect))

// MapViewOfFile documentation: FILE_MAP_WRITE needs a PAGE_READWRITE mapping, FILE_MAP_READ a
// readable one (ERROR_ACCESS_DENIED).
bool viewRefused(HANDLE m, DWORD access) {
    const DWORD protect = mappingProtection.find(m).value_or(0);
    const bool writable = protect == PAGE_READWRITE || protect == PAGE_EXECUTE_READWRITE;
    if (!protect || (access & FILE_MAP_COPY) || !(access & FILE_MAP_WRITE) || writable) return false;
    return record(fault, L"handle access", ERROR_ACCESS_DENIED, L"MapViewOfFile(mapping %p protection 0x%lx, access 0x%08lx)", m,
                  protect, access);
}
WRAP(LPVOID, MapViewOfFile, (HANDLE m, DWORD access, DWORD high, DWORD low, SIZE_T bytes), viewRefused(m, access), nullptr,
     MapViewOfFile(m, access, high, low, bytes))

// DeleteFile documentation: a read-only file cannot be deleted (ERROR_ACCESS_DENIED).
WRAP(BOOL, DeleteFileW, (LPCWSTR path), has(attributesOf(path), FILE_ATTRIBUTE_READONLY) &&
     record(note, L"read-only file", ERROR_ACCESS_DENIED, L"DeleteFileW(\"%ls\") deletes a read-only file", path),
     FALSE, DeleteFileW(path))

// MoveFileEx: replacing a read-only file fails (ERROR_ACCESS_DENIED; Wine's kernel32 file tests).
WRAP(BOOL, MoveFileExW, (LPCWSTR from, LPCWSTR to, DWORD flags),
     (flags & MOVEFILE_REPLACE_EXISTING) && has(attributesOf(to), FILE_ATTRIBUTE_READONLY) &&
     record(note, L"read-only file", ERROR_ACCESS_DENIED, L"MoveFileExW(\"%ls\" over \"%ls\") replaces a read-only file",
            show(from), to), FALSE, MoveFileExW(from, to, flags))

// CopyFile documentation: a destination that exists with FILE_ATTRIBUTE_HIDDEN or
// FILE_ATTRIBUTE_READONLY makes the copy fail with ERROR_ACCESS_DENIED.
bool copyRefused(LPCWSTR from, LPCWSTR to, bool failIfExists, const wchar_t* function) {
    if (failIfExists || !has(attributesOf(to), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) return false;
    return record(note, L"read-only or hidden destination", ERROR_ACCESS_DENIED,
                  L"%ls(\"%ls\" over \"%ls\", attributes 0x%08lx)", function, show(from), to, attributesOf(to));
}
WRAP(BOOL, CopyFileW, (LPCWSTR from, LPCWSTR to, BOOL failIfExists), copyRefused(from, to, failIfExists, function), FALSE,
     CopyFileW(from, to, failIfExists))
WRAP(BOOL, CopyFileExW, (LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel, DWORD flags),
     copyRefused(from, to, flags & COPY_FILE_FAIL_IF_EXISTS, function), FALSE,
     CopyFileExW(from, to, progress, data, cancel, flags))

// A kernel object's wrapper: its parameter `name` under the length rule.
#define NAMED(fn, params, args) WRAP(HANDLE, fn, params, nameTooLong(Wide(name), function), nullptr, fn args)
NAMED(CreateMutexW, (LPSECURITY_ATTRIBUTES sa, BOOL owner, LPCWSTR name), (sa, owner, name))
NAMED(CreateMutexA, (LPSECURITY_ATTRIBUTES sa, BOOL owner, LPCSTR name), (sa, owner, name))
NAMED(CreateMutexExW, (LPSECURITY_ATTRIBUTES sa, LPCWSTR name, DWORD flags, DWORD access), (sa, name, flags, access))
NAMED(CreateEventW, (LPSECURITY_ATTRIBUTES sa, BOOL manual, BOOL initial, LPCWSTR name), (sa, manual, initial, name))
NAMED(CreateEventA, (LPSECURITY_ATTRIBUTES sa, BOOL manual, BOOL initial, LPCSTR name), (sa, manual, initial, name))
NAMED(CreateSemaphoreW, (LPSECURITY_ATTRIBUTES sa, LONG initial, LONG most, LPCWSTR name), (sa, initial, most, name))
NAMED(CreateSemaphoreA, (LPSECURITY_ATTRIBUTES sa, LONG initial, LONG most, LPCSTR name), (sa, initial, most, name))
NAMED(OpenMutexW, (DWORD access, BOOL inherit, LPCWSTR name), (access, inherit, name))
NAMED(OpenEventW, (DWORD access, BOOL inherit, LPCWSTR name), (access, inherit, name))
NAMED(OpenSemaphoreW, (DWORD access, BOOL inherit, LPCWSTR name), (access, inherit, name))
NAMED(OpenFileMappingW, (DWORD access, BOOL inherit, LPCWSTR name), (access, inherit, name))

// GetTempFileName documentation: the folder may not be longer than MAX_PATH - 14 characters;
// ReactOS' GetTempFileNameW fails such a folder with ERROR_BUFFER_OVERFLOW. Wine does not check.
bool tempFolderTooLong(const wchar_t* folder, const wchar_t* function) {
    if (!folder || wcslen(folder) <= MAX_PATH - 14) return false;
    return record(note, L"temporary file folder length", ERROR_BUFFER_OVERFLOW, L"%ls(folder of %u characters \"%.60ls...\")",
                  function, static_cast<unsigned>(wcslen(folder)), folder);
}
WRAP(UINT, GetTempFileNameW, (LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR out), tempFolderTooLong(folder, function), 0,
     GetTempFileNameW(folder, prefix, unique, out))
WRAP(UINT, GetTempFileNameA, (LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR out), tempFolderTooLong(Wide(folder), function), 0,
     GetTempFileNameA(folder, prefix, unique, out))

HANDLE filteredFirst(HANDLE h, const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    const std::wstring wildcard = wildcardOf(pattern);
    if (h == INVALID_HANDLE_VALUE || wildcard.empty()) return h;
    if (!skipShortNameMatches(h, wildcard, data)) {
        FindClose(h);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    findWildcards.set(h, wildcard);
    return h;
}
WRAP(HANDLE, FindFirstFileW, (LPCWSTR pattern, LPWIN32_FIND_DATAW data), false, nullptr,
     filteredFirst(FindFirstFileW(pattern, data), pattern, data))
WRAP(HANDLE, FindFirstFileExW, (LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS op, LPVOID filter,
     DWORD flags), false, nullptr,
     filteredFirst(FindFirstFileExW(pattern, level, data, op, filter, flags), pattern, static_cast<WIN32_FIND_DATAW*>(data)))

extern "C" BOOL WINAPI chk_FindNextFileW(HANDLE h, LPWIN32_FIND_DATAW data) {
    if (!FindNextFileW(h, data)) return FALSE;
    const auto wildcard = findWildcards.find(h);
    if (!wildcard || skipShortNameMatches(h, *wildcard, data)) return TRUE;
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
}

// GetShortPathName documentation: where a volume keeps no short names, the long name comes
// back. Wine makes up hashed 8.3 names.
template <class Char, class Real>
DWORD longNameBack(const std::basic_string<Char>& path, Char* out, DWORD size, Real real, const wchar_t* function) {
    DWORD n = real();
    if (n == 0) return n; // a null path fails in the real call
    const DWORD length = static_cast<DWORD>(path.size());
    if (size <= length) return length + 1;
    if (n < size && path.compare(out) != 0) record(note, L"no short names", keepError, L"%ls gives the long name back", function);
    std::char_traits<Char>::move(out, path.c_str(), length + 1);
    return length;
}
// The path is copied before the real call: the buffers may be one.
WRAP(DWORD, GetShortPathNameW, (LPCWSTR path, LPWSTR out, DWORD size), false, 0,
     longNameBack(std::wstring(path ? path : L""), out, size, [&] { return GetShortPathNameW(path, out, size); }, function))
WRAP(DWORD, GetShortPathNameA, (LPCSTR path, LPSTR out, DWORD size), false, 0,
     longNameBack(std::string(path ? path : ""), out, size, [&] { return GetShortPathNameA(path, out, size); }, function))

// A wrapped function looked up at run time is the wrapper (imports are not the only way in):
// this DLL exports each wrapper under the platform's name.
extern "C" FARPROC WINAPI chk_GetProcAddress(HMODULE m, LPCSTR name) {
    FARPROC real = GetProcAddress(m, name);
    if (!real || !name || IS_INTRESOURCE(name)) return real;
    const DWORD error = GetLastError();
    FARPROC wrapper = GetProcAddress(self, name);
    SetLastError(error);
    return wrapper ? wrapper : real;
}

// RegGetValue (Wine's advapi32 registry tests; Windows 7 has no exception for RRF_RT_ANY
// beyond Wine's): RRF_RT_REG_EXPAND_SZ without RRF_NOEXPAND, data without a size, and both
// WOW64 view flags are refused with ERROR_INVALID_PARAMETER.
bool regFlagsRefused(LPCWSTR sub, LPCWSTR value, DWORD flags, PVOID data, LPDWORD size) {
    const bool expands = (flags & RRF_RT_REG_EXPAND_SZ) && !(flags & RRF_NOEXPAND) && (flags & RRF_RT_ANY) != RRF_RT_ANY;
    const wchar_t* wrong = expands ? L"RRF_RT_REG_EXPAND_SZ without RRF_NOEXPAND"
                           : data && !size ? L"data without a size"
                           : (flags & 0x30000) == 0x30000 ? L"both WOW64 views" : nullptr;
    return wrong && record(fault, L"RegGetValue flags", keepError, L"RegGetValueW(\"%ls\", \"%ls\", flags 0x%08lx): %ls",
                           show(sub), show(value), flags, wrong);
}
WRAP(LSTATUS, RegGetValueW, (HKEY key, LPCWSTR sub, LPCWSTR value, DWORD flags, LPDWORD type, PVOID data, LPDWORD size),
     regFlagsRefused(sub, value, flags, data, size), ERROR_INVALID_PARAMETER,
     RegGetValueW(key, sub, value, flags, type, data, size))

// The HKEY_CLASSES_ROOT writes: recorded, then made all the same.
WRAP(LSTATUS, RegOpenKeyExW, (HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY result), false, 0,
     trackClassKey(RegOpenKeyExW(key, sub, options, sam, result), key, sub, result))
WRAP(LSTATUS, RegCreateKeyExW, (HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
     const LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition), (checkClassWrite(key, sub, function), false), 0,
     trackClassKey(RegCreateKeyExW(key, sub, reserved, cls, options, sam, sa, result, disposition), key, sub, result))
WRAP(LSTATUS, RegSetValueExW, (HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size),
     (checkClassWrite(key, nullptr, function, name ? name : L""), false), 0,
     RegSetValueExW(key, name, reserved, type, data, size))
WRAP(LSTATUS, RegDeleteKeyW, (HKEY key, LPCWSTR sub), (checkClassWrite(key, sub, function), false), 0, RegDeleteKeyW(key, sub))
WRAP(LSTATUS, RegDeleteValueW, (HKEY key, LPCWSTR name), (checkClassWrite(key, nullptr, function, name ? name : L""), false), 0,
     RegDeleteValueW(key, name))
WRAP(LSTATUS, RegDeleteTreeW, (HKEY key, LPCWSTR sub), (checkClassWrite(key, sub, function), false), 0, RegDeleteTreeW(key, sub))

// A handle's locks and what is kept about it end with it.
WRAP(BOOL, CloseHandle, (HANDLE h), (removeLocks(TRUE, h, true), mappingProtection.erase(h), false), FALSE, CloseHandle(h))
WRAP(BOOL, FindClose, (HANDLE h), (findWildcards.erase(h), false), FALSE, FindClose(h))
WRAP(LSTATUS, RegCloseKey, (HKEY key), (classKeys.erase(key), false), 0, RegCloseKey(key))

// SPI_SETDESKWALLPAPER: "" removes the wallpaper; on current Windows a path that does not
// exist fails (ERROR_FILE_NOT_FOUND), where Wine stores any string and answers TRUE.
bool wallpaperMissing(UINT action, const wchar_t* path, const wchar_t* function) {
    if (action != SPI_SETDESKWALLPAPER || !path || !*path || GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return false;
    return record(note, L"wallpaper file", ERROR_FILE_NOT_FOUND, L"%ls(SPI_SETDESKWALLPAPER, \"%ls\") names no file",
                  function, path);
}
WRAP(BOOL, SystemParametersInfoW, (UINT action, UINT param, PVOID pv, UINT winIni),
     wallpaperMissing(action, static_cast<const wchar_t*>(pv), function), FALSE, SystemParametersInfoW(action, param, pv, winIni))
WRAP(BOOL, SystemParametersInfoA, (UINT action, UINT param, PVOID pv, UINT winIni),
     action == SPI_SETDESKWALLPAPER && wallpaperMissing(action, Wide(static_cast<const char*>(pv)), function), FALSE,
     SystemParametersInfoA(action, param, pv, winIni))

// Critical errors (SetThreadErrorMode, SetErrorMode documentation): unless the thread's error
// mode has SEM_FAILCRITICALERRORS, a drive without a disk (an empty card reader or DVD drive)
// shows the system's "no disk" box and the call waits for someone to answer it, which nobody
// does under a page server. Wine shows no box. A volume or disk-space call needs the mode set
// (a fault; the call is made all the same).
void checkErrorMode(const wchar_t* root, const wchar_t* function) {
    if (GetThreadErrorMode() & SEM_FAILCRITICALERRORS) return;
    record(fault, L"critical error mode", keepError,
           L"%ls(\"%ls\") without SEM_FAILCRITICALERRORS in the thread's error mode", function, show(root));
}
WRAP(BOOL, GetVolumeInformationW, (LPCWSTR root, LPWSTR name, DWORD nameSize, LPDWORD serial, LPDWORD maxComponent,
     LPDWORD flags, LPWSTR fs, DWORD fsSize), (checkErrorMode(root, function), false), FALSE,
     GetVolumeInformationW(root, name, nameSize, serial, maxComponent, flags, fs, fsSize))
WRAP(BOOL, GetVolumeInformationA, (LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serial, LPDWORD maxComponent,
     LPDWORD flags, LPSTR fs, DWORD fsSize), (checkErrorMode(Wide(root), function), false), FALSE,
     GetVolumeInformationA(root, name, nameSize, serial, maxComponent, flags, fs, fsSize))
WRAP(BOOL, GetDiskFreeSpaceW, (LPCWSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD free, LPDWORD total),
     (checkErrorMode(root, function), false), FALSE, GetDiskFreeSpaceW(root, sectors, bytes, free, total))
WRAP(BOOL, GetDiskFreeSpaceA, (LPCSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD free, LPDWORD total),
     (checkErrorMode(Wide(root), function), false), FALSE, GetDiskFreeSpaceA(root, sectors, bytes, free, total))

// The lock table is opened as the process starts, so that its handles are there before any
// count of a test's handles is taken.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    self = instance;
    locks();
    return TRUE;
}

// zorcheck_take(kind, buffer, size): the records of one kind (0 violations, 1 notes) as lines;
// returns the characters needed. The list is emptied only when everything fitted.
extern "C" DWORD WINAPI zorcheck_take(DWORD kind, LPWSTR buffer, DWORD size) {
    if (kind > 1) return 0;
    Hold hold(recordLock);
    std::wstring all;
    for (const auto& line : records[kind]) all += line + L"\n";
    const DWORD needed = static_cast<DWORD>(all.size()) + 1;
    if (buffer && size >= needed) {
        wmemcpy(buffer, all.c_str(), needed);
        records[kind].clear();
    }
    return needed;
}
