// The Windows-rules checker: each row plants one call that breaks one rule and shows that the
// checker answers as Windows does (result, last error) and records the rule by name, as a fault
// (fails the test that made it) or as a note of Windows' answer. The rows consume their records.
#include <algorithm>
#include <functional>
#include "client.h"
#include "scratch.h"

namespace {

using test::checkerRecords;

struct Scratch {
    std::wstring dir = test::scratchDir(L"checker");
    std::wstring file(const wchar_t* name, DWORD attributes = 0) {
        std::wstring path = dir + name;
        test::writeFile(path, "0123456789");
        if (attributes) SetFileAttributesW(path.c_str(), attributes);
        return path;
    }
    // A handle closed with the row (closing drops its locks).
    HANDLE open(const std::wstring& path, DWORD access) {
        return keep(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    }
    HANDLE keep(HANDLE h) {
        handles.push_back(h);
        return h;
    }
    HANDLE a(DWORD access) { return open(file(L"a.txt"), access); } // a handle on a fresh a.txt
    std::vector<HANDLE> handles;
    ~Scratch() {
        for (HANDLE h : handles) CloseHandle(h);
    }
};

// A handle-valued result as the row's number: 0 for failure (the handle is closed otherwise).
DWORD opened(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE || !h) return 0;
    CloseHandle(h);
    return 1;
}

DWORD lockEx(HANDLE h, DWORD flags) {
    OVERLAPPED o{};
    return LockFileEx(h, flags | LOCKFILE_FAIL_IMMEDIATELY, 0, 4, 0, &o);
}

struct Row {
    const char* name;
    std::function<DWORD(Scratch&)> plant;
    DWORD result; // what the call answers on Windows
    DWORD error;  // GetLastError after it (registry rows: the status itself)
    bool fault;   // a fault record, else a note
    const wchar_t* rule;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

const std::wstring longName(MAX_PATH + 1, L'n');

const Row rows[] = {
    {"lock through an append-only handle",
     [](Scratch& s) { return lockEx(s.a(FILE_APPEND_DATA | SYNCHRONIZE), LOCKFILE_EXCLUSIVE_LOCK); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: LockFileEx"},
    {"lock looked up at run time", [](Scratch& s) {
         auto lock = reinterpret_cast<decltype(&LockFile)>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "LockFile")));
         return lock(s.a(FILE_APPEND_DATA), 0, 0, 1, 0); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: LockFile"},
    {"unlock through an append-only handle", [](Scratch& s) {
         OVERLAPPED o{};
         return UnlockFileEx(s.a(FILE_APPEND_DATA), 0, 4, 0, &o); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: UnlockFileEx"},
    {"end of file through a read handle", [](Scratch& s) { return SetEndOfFile(s.a(GENERIC_READ)); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: SetEndOfFile"},
    {"file time through a read handle", [](Scratch& s) {
         FILETIME t{1, 1};
         return SetFileTime(s.a(GENERIC_READ), nullptr, nullptr, &t); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: SetFileTime"},
    {"basic information through a read handle", [](Scratch& s) {
         FILE_BASIC_INFO b{{}, {}, {}, {}, FILE_ATTRIBUTE_NORMAL};
         return SetFileInformationByHandle(s.a(GENERIC_READ), FileBasicInfo, &b, sizeof b); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: SetFileInformationByHandle"},
    {"delete by a handle without DELETE", [](Scratch& s) {
         FILE_DISPOSITION_INFO d{TRUE};
         return SetFileInformationByHandle(s.a(GENERIC_READ | GENERIC_WRITE), FileDispositionInfo, &d, sizeof d); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: SetFileInformationByHandle"},
    {"flush through a read handle", [](Scratch& s) { return FlushFileBuffers(s.a(GENERIC_READ)); },
     FALSE, ERROR_ACCESS_DENIED, true, L"handle access: FlushFileBuffers"},
    {"writable mapping of a read handle",
     [](Scratch& s) { return opened(CreateFileMappingW(s.a(GENERIC_READ), nullptr, PAGE_READWRITE, 0, 0, nullptr)); },
     0, ERROR_ACCESS_DENIED, true, L"handle access: CreateFileMappingW"},
    {"writable view of a read-only mapping", [](Scratch& s) {
         void* view = MapViewOfFile(s.keep(CreateFileMappingW(s.a(GENERIC_READ), nullptr, PAGE_READONLY, 0, 0, nullptr)),
                                    FILE_MAP_WRITE, 0, 0, 0);
         return view ? UnmapViewOfFile(view) : FALSE; },
     0, ERROR_ACCESS_DENIED, true, L"handle access: MapViewOfFile"},
    {"expandable string without RRF_NOEXPAND", [](Scratch&) {
         DWORD size = 0;
         return DWORD(RegGetValueW(HKEY_CURRENT_USER, L"Environment", L"TEMP", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, nullptr, &size)); },
     ERROR_INVALID_PARAMETER, 0, true, L"RegGetValue flags: RegGetValueW"},
    {"write through HKEY_CLASSES_ROOT to a key the user has", [](Scratch&) {
         HKEY user, merged;
         RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\ZorCheckRule", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user, nullptr);
         RegCloseKey(user);
         DWORD r = RegCreateKeyExW(HKEY_CLASSES_ROOT, L"ZorCheckRule", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &merged, nullptr);
         if (r == ERROR_SUCCESS) RegCloseKey(merged);
         RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Classes\\ZorCheckRule");
         RegDeleteKeyW(HKEY_CLASSES_ROOT, L"ZorCheckRule"); // no longer in the user's classes: not flagged
         return r; },
     ERROR_SUCCESS, 0, true, L"write through HKEY_CLASSES_ROOT: RegCreateKeyExW(HKCR\\ZorCheckRule)"},
    {"write access to a read-only file", [](Scratch& s) { return opened(s.open(s.file(L"r.txt", FILE_ATTRIBUTE_READONLY), GENERIC_WRITE)); },
     0, ERROR_ACCESS_DENIED, false, L"read-only file: CreateFileW"},
    {"delete a read-only file", [](Scratch& s) { return DWORD(DeleteFileW(s.file(L"r.txt", FILE_ATTRIBUTE_READONLY).c_str())); },
     FALSE, ERROR_ACCESS_DENIED, false, L"read-only file: DeleteFileW"},
    {"replace a read-only file", [](Scratch& s) {
         return DWORD(MoveFileExW(s.file(L"a.txt").c_str(), s.file(L"r.txt", FILE_ATTRIBUTE_READONLY).c_str(), MOVEFILE_REPLACE_EXISTING)); },
     FALSE, ERROR_ACCESS_DENIED, false, L"read-only file: MoveFileExW"},
    {"overwrite a hidden file as a normal one", [](Scratch& s) {
         return opened(CreateFileW(s.file(L"h.txt", FILE_ATTRIBUTE_HIDDEN).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)); },
     0, ERROR_ACCESS_DENIED, false, L"hidden or system file: CreateFileW"},
    {"truncate a system file", [](Scratch& s) {
         return opened(CreateFileW(s.file(L"s.txt", FILE_ATTRIBUTE_SYSTEM).c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr)); },
     0, ERROR_ACCESS_DENIED, false, L"hidden or system file: CreateFileW"},
    {"copy over a hidden file", [](Scratch& s) {
         return DWORD(CopyFileW(s.file(L"a.txt").c_str(), s.file(L"h.txt", FILE_ATTRIBUTE_HIDDEN).c_str(), FALSE)); },
     FALSE, ERROR_ACCESS_DENIED, false, L"read-only or hidden destination: CopyFileW"},
    {"copy over a read-only file", [](Scratch& s) {
         return DWORD(CopyFileExW(s.file(L"a.txt").c_str(), s.file(L"r.txt", FILE_ATTRIBUTE_READONLY).c_str(), nullptr, nullptr, nullptr, 0)); },
     FALSE, ERROR_ACCESS_DENIED, false, L"read-only or hidden destination: CopyFileExW"},
    {"mutex name longer than MAX_PATH", [](Scratch&) { return opened(CreateMutexW(nullptr, FALSE, longName.c_str())); },
     0, ERROR_FILENAME_EXCED_RANGE, false, L"object name length: CreateMutexW"},
    {"mutex name longer than MAX_PATH, extended call", [](Scratch&) { return opened(CreateMutexExW(nullptr, longName.c_str(), 0, SYNCHRONIZE)); },
     0, ERROR_FILENAME_EXCED_RANGE, false, L"object name length: CreateMutexExW"},
    {"event name longer than MAX_PATH", [](Scratch&) { return opened(OpenEventW(SYNCHRONIZE, FALSE, longName.c_str())); },
     0, ERROR_FILENAME_EXCED_RANGE, false, L"object name length: OpenEventW"},
    {"temporary file in a folder longer than MAX_PATH - 14", [](Scratch& s) {
         wchar_t out[MAX_PATH * 2];
         return DWORD(GetTempFileNameW((s.dir + std::wstring(MAX_PATH - 14 - s.dir.size() + 1, L'd')).c_str(), L"ZOR", 0, out)); },
     0, ERROR_BUFFER_OVERFLOW, false, L"temporary file folder length: GetTempFileNameW"},
    {"read into another handle's exclusive lock", [](Scratch& s) {
         HANDLE holder = s.a(GENERIC_READ | GENERIC_WRITE), reader = s.open(s.dir + L"a.txt", GENERIC_READ);
         char buffer[8];
         DWORD read = 99;
         return lockEx(holder, LOCKFILE_EXCLUSIVE_LOCK) ? ReadFile(reader, buffer, 8, &read, nullptr) + read : 99; },
     FALSE, ERROR_LOCK_VIOLATION, false, L"byte-range lock: ReadFile"},
    {"read into another process's lock", [](Scratch& s) {
         std::wstring path = s.file(L"a.txt");
         test::HeldFile holder(path, test::Holder::lockedStart);
         char buffer[8];
         DWORD read = 99;
         return holder.held() ? ReadFile(s.open(path, GENERIC_READ), buffer, 8, &read, nullptr) + read : 99; },
     FALSE, ERROR_LOCK_VIOLATION, false, L"byte-range lock: ReadFile"},
    {"write into its own shared lock", [](Scratch& s) {
         HANDLE h = s.a(GENERIC_READ | GENERIC_WRITE);
         DWORD written = 0;
         return lockEx(h, 0) ? WriteFile(h, "x", 1, &written, nullptr) : 99; },
     FALSE, ERROR_LOCK_VIOLATION, false, L"byte-range lock: WriteFile"},
    {"wallpaper that does not exist", [](Scratch& s) {
         return DWORD(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>((s.dir + L"none.bmp").c_str()), 0)); },
     FALSE, ERROR_FILE_NOT_FOUND, false, L"wallpaper file: SystemParametersInfoW"},
    {"wildcard matching only a short name", [](Scratch& s) {
         s.file(L"page.html");
         WIN32_FIND_DATAW data;
         return opened(FindFirstFileW((s.dir + L"*.htm").c_str(), &data)); },
     0, ERROR_FILE_NOT_FOUND, false, L"short-name wildcard match: FindFirstFile/FindNextFile(\"*.htm\") leaves out \"page.html\""},
    {"volume call without failing critical errors", [](Scratch&) {
         DWORD serial = 0;
         return DWORD(GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)); },
     TRUE, 0, true, L"critical error mode: GetVolumeInformationW"},
    {"short name of a long name", [](Scratch& s) {
         std::wstring path = s.file(L"a long file name.text");
         wchar_t out[MAX_PATH];
         DWORD n = GetShortPathNameW(path.c_str(), out, MAX_PATH);
         return n == path.size() && path == out ? 1 : 0; },
     1, 0, false, L"no short names: GetShortPathNameW"},
};

class Rules : public testing::TestWithParam<Row> {
protected:
    // The planted calls' records are this test's own: none of them goes to the run's log.
    void SetUp() override {
        SetEnvironmentVariableW(L"ZOR_CHECK_LOG", nullptr);
        checkerRecords(0);
        checkerRecords(1);
    }
};

TEST_P(Rules, AnsweredAsWindowsAndRecorded) {
    const Row& row = GetParam();
    Scratch scratch;
    SetLastError(0);
    DWORD result = row.plant(scratch);
    DWORD error = GetLastError();
    const std::wstring records[2] = {checkerRecords(0), checkerRecords(1)}; // faults, notes
    const std::wstring &mine = records[row.fault ? 0 : 1], &other = records[row.fault ? 1 : 0];
    EXPECT_EQ(row.result, result);
    if (row.error) {
        EXPECT_EQ(row.error, error);
    }
    EXPECT_NE(std::wstring::npos, mine.find(row.rule)) << "records: " << testing::PrintToString(mine);
    EXPECT_EQ(1, std::count(mine.begin(), mine.end(), L'\n')) << testing::PrintToString(mine);
    EXPECT_TRUE(other.empty()) << testing::PrintToString(other);
}

INSTANTIATE_TEST_SUITE_P(Checker, Rules, testing::ValuesIn(rows),
                         [](const testing::TestParamInfo<Row>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c) name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

// Calls Windows allows pass without a record (each rule above, its permitted neighbour).
TEST_F(Rules, LegalCallsPassUnrecorded) {
    Scratch s;
    std::wstring path = s.file(L"a.txt");
    HANDLE h = s.open(path, GENERIC_READ | GENERIC_WRITE);
    EXPECT_TRUE(lockEx(h, LOCKFILE_EXCLUSIVE_LOCK));
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, "ab", 2, &n, nullptr)); // its own exclusive lock
    OVERLAPPED o{};
    EXPECT_TRUE(UnlockFileEx(h, 0, 4, 0, &o));
    char buffer[4];
    EXPECT_TRUE(ReadFile(s.open(path, GENERIC_READ), buffer, 4, &n, nullptr)); // unlocked again
    FILE_IO_PRIORITY_HINT_INFO hint{IoPriorityHintNormal}; // a class that no access rule covers: no record, whatever the answer
    SetFileInformationByHandle(s.open(path, GENERIC_READ), FileIoPriorityHintInfo, &hint, sizeof hint);
    EXPECT_EQ(1u, opened(CreateFileW(s.file(L"h.txt", FILE_ATTRIBUTE_HIDDEN).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr)));
    EXPECT_TRUE(CopyFileW(path.c_str(), s.file(L"r.txt", FILE_ATTRIBUTE_READONLY).c_str(), TRUE) == FALSE); // fails: exists
    WIN32_FIND_DATAW data;
    EXPECT_TRUE(FindClose(FindFirstFileW((s.dir + L"*.*").c_str(), &data))); // a listing was opened
    DWORD size = 0;
    EXPECT_NE(ERROR_INVALID_PARAMETER, RegGetValueW(HKEY_CURRENT_USER, L"Environment", L"TEMP",
                                                    RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, nullptr, &size));
    DWORD mode = 0, sectors, bytes, free, total;
    SetThreadErrorMode(GetThreadErrorMode() | SEM_FAILCRITICALERRORS, &mode);
    EXPECT_TRUE(GetDiskFreeSpaceW(L"C:\\", &sectors, &bytes, &free, &total));
    SetThreadErrorMode(mode, nullptr);
    EXPECT_EQ(L"", checkerRecords(0));
    EXPECT_EQ(L"", checkerRecords(1));
}

} // namespace
