#define PSAPI_VERSION 2
#include "textfiles.h"
#include <psapi.h>
#include <atomic>
#include <memory>
#include <set>
#include <thread>

using namespace test;

// ---- CreateLogFile ---------------------------------------------------------------------------

// An existing log (old.log) is left alone. UpdateLogFile appends exactly the entry and CR LF.
TEST_F(TextFiles, CreateLogFileWritesTheHeaderLineOrNothingAndUpdateLogFileAppends) {
    std::wstring dir = scratchDir(L"create-log");
    writeFile(dir + L"old.log", "old\r\nlines");
    struct Case {
        const wchar_t* name;
        VARIANT header;
        std::string bytes;
    } cases[] = {
        {L"started.log", vstr(L"Started"), "Started\r\n"},
        {L"none.log", vmissing(), ""},
        {L"number.log", vi4(42), "42\r\n"},
        {L"empty.log", vtype(VT_EMPTY), "\r\n"},
        {L"true.log", vbool(true), "True\r\n"},
        {L"old.log", vstr(L"Started"), "old\r\nlines"},
    };
    for (auto& c : cases) {
        Arg header(c.header);
        EXPECT_TRUE(createLog(dir + c.name, header)) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(c.bytes, readFile(dir + c.name));
    }
    for (const wchar_t* details : {L"a", L"b", L"", L"caf\u00e9, \"quoted\""}) {
        EXPECT_TRUE(updateLog(dir + L"started.log", details));
        EXPECT_EQ(S_OK, hr);
    }
    // The last entry's "é" is one byte in the system code page, whatever that page is.
    EXPECT_EQ("Started\r\na\r\nb\r\n\r\ncaf" + zor::toAnsi(L"\u00e9") + ", \"quoted\"\r\n", readFile(dir + L"started.log"));
}

namespace {

// Appender p's entry i, as append_log.vbs writes it.
std::string entry(int p, int i) { return "p" + std::to_string(p) + " entry " + std::to_string(i) + ", all of it intact"; }

// Every entry of 4 appenders × 300 once and whole, each with its own CR LF.
void expectEveryEntryOnce(const std::wstring& file) {
    std::multiset<std::string> expected, lines;
    for (int p = 0; p < 4; ++p)
        for (int i = 1; i <= 300; ++i) expected.insert(entry(p, i) + "\r\n");
    std::string text = readFile(file);
    for (size_t start = 0, end; start < text.size(); start = end) {
        size_t crlf = text.find("\r\n", start); // a torn last entry has none
        end = crlf == std::string::npos ? text.size() : crlf + 2;
        lines.insert(text.substr(start, end - start));
    }
    EXPECT_EQ(expected, lines);
}

} // namespace

// Four appending processes at once, then four threads of this one on the log made empty again.
TEST_F(TextFiles, UpdateLogFileTakesFourAppendingProcessesOrThreadsAtOnce) {
    std::wstring dir = scratchDir(L"append"), log = dir + L"shared.log", go = dir + L"go";
    writeFile(log, "");
    std::vector<std::wstring> args;
    for (int p = 0; p < 4; ++p) args.push_back(L"\"" + log + L"\" 300 p" + std::to_wstring(p) + L" \"" + go + L"\"");
    std::thread starter([&] {
        ::Sleep(1500); // every process is waiting for the go by then
        writeFile(go, "");
    });
    EXPECT_EQ(std::vector<DWORD>(4, 10), runScripts(L"append_log.vbs", args)) << "an entry was refused or a script died";
    starter.join();
    expectEveryEntryOnce(log);
    writeFile(log, "");
    std::atomic<int> refused{0};
    onThreads(4, [&](int p) {
        auto files = create<_TextFileFunctions>(L"TextFileFunctions");
        for (int i = 1; i <= 300; ++i) {
            VARIANT_BOOL ok = 0;
            refused += files->UpdateLogFile(Bstr(log).get(), Bstr(zor::fromAnsi(entry(p, i))).get(), &ok) != S_OK || !ok;
        }
    });
    EXPECT_EQ(0, refused.load());
    expectEveryEntryOnce(log);
}

// The turn held past a second by a writer: the entry waits while the log grows. Held by one that
// writes nothing, it is refused (error 70) after a second.
TEST_F(TextFiles, UpdateLogFileWaitsForAWritingHolderOfTheTurnButNotForAnIdleOne) {
    std::wstring log = scratchDir(L"append-turn") + L"turn.log";
    writeFile(log, "");
    for (bool writes : {true, false}) {
        zor::Handle h(CreateFileW(log.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
        OVERLAPPED turn{0, 0, {{0, 0x7FFFFFFF}}, nullptr}; // the byte the library's appenders take turns on
        ASSERT_TRUE(LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &turn));
        std::thread holder([&] {
            for (int i = 0; i < 15; ++i) {
                ::Sleep(100);
                DWORD n = 0;
                if (writes) WriteFile(h.get(), "held\r\n", 6, &n, nullptr);
            }
            UnlockFileEx(h.get(), 0, 1, 0, &turn);
        });
        EXPECT_EQ(writes, updateLog(log, L"mine"));
        EXPECT_EQ(writes ? S_OK : HRESULT(0x800A0046), hr);
        holder.join();
    }
    std::string held;
    for (int i = 0; i < 15; ++i) held += "held\r\n";
    EXPECT_EQ(held + "mine\r\n", readFile(log));
}

// ---- IsInLogFile -----------------------------------------------------------------------------

TEST_F(TextFiles, IsInLogFileSearchesOneFieldAtATimeAndNothingInAnEmptyLog) {
    std::wstring dir = scratchDir(L"is-in-log");
    writeFile(dir + L"app.log", "Started\r\nDisk Error, retry\r\n\"quoted, text\" after\r\nlone\rcr\nlf\r\nlast line");
    struct Case {
        const wchar_t* search;
        bool found;
    } cases[] = {
        {L"Error", true},         {L"error", false},       {L"Error, retry", false}, {L"retry", true},
        {L"quoted, text", true},  {L"after", false},       {L"\"quoted", false},     {L"lone", true},
        {L"cr", true},            {L"lf", true},           {L"lone\r", false},       {L"last line", true},
        {L"Started\r\n", false},  {L"", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.found, isInLog(dir + L"app.log", c.search)) << testing::PrintToString(std::wstring(c.search));
        EXPECT_EQ(S_OK, hr);
    }
    writeFile(dir + L"empty.log", "");
    EXPECT_FALSE(isInLog(dir + L"empty.log", L"")) << "an empty log holds not even the empty field";
}

TEST_F(TextFiles, IsInLogFileStreamsALogOfOneAndAHalfGigabytes) {
    // 1.5 GB of 1,000-byte lines written in 8 MB blocks; marked first and last lines.
    std::wstring file = scratchDir(L"is-in-log-huge") + L"huge.log";
    std::string line = std::string(998, 'x') + "\r\n", block;
    while (block.size() < (8u << 20)) block += line;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, "first line\r\n", 12, &written, nullptr);
    for (unsigned long long total = 0; total < 1536ull << 20; total += block.size())
        ASSERT_TRUE(WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &written, nullptr));
    WriteFile(h, "last line", 9, &written, nullptr);
    CloseHandle(h);

    PROCESS_MEMORY_COUNTERS before{}, after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    EXPECT_TRUE(isInLog(file, L"first line"));
    EXPECT_TRUE(isInLog(file, L"last line"));
    EXPECT_FALSE(isInLog(file, L"nowhere"));
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.PeakPagefileUsage - before.PeakPagefileUsage, 32u << 20);
    EXPECT_TRUE(DeleteFileW(file.c_str()));
}

// ---- CreateLogFileWithBackup -----------------------------------------------------------------

// {the log's age in days (none: no log; negative: from a later day), the backups there are, the
// header, the days to keep} -> {the result, the log's text, the backups left}. The log holds
// "old", backup d holds "bd"; each case calls twice, and the second call changes nothing.
TEST_F(TextFiles, CreateLogFileWithBackupRollsOverOnceADay) {
    const int none = 99;
    struct Case {
        int logAge;
        const char* how; // "held": by another process; "bare": by a bare name; "own": the log has its backup's name
        std::vector<int> backups;
        VARIANT header, days;
        bool result;
        std::string logText, backupsLeft;
    } cases[] = {
        {none, "", {}, vstr(L"Started"), vmissing(), true, "Started\r\n", ""},
        {0, "", {}, vstr(L"Started"), vi2(7), true, "old", ""},
        {1, "", {}, vstr(L"Started"), vmissing(), true, "Started\r\n", "1:old"},
        {-1, "", {}, vmissing(), vmissing(), true, "", "-1:old"},
        {3, "", {3}, vmissing(), vmissing(), true, "", "3:old"},       // a backup of that name is replaced
        {1, "", {2, 3, 4, 5}, vmissing(), vi2(3), true, "", "1:old 2:b2 3:b3 5:b5"}, // exactly one expires: today - (3 + 1)
        {1, "", {3}, vmissing(), vstr(L"2"), true, "", "1:old"},        // days as text are a number
        {1, "", {}, vmissing(), vi2(0), true, "", ""},                  // zero days deletes yesterday's backup again
        {0, "", {}, vmissing(), vstr(L"a week"), true, "old", ""},      // days are not looked at with nothing to roll over
        {none, "", {}, vmissing(), vstr(L"a week"), true, "", ""},
        {1, "", {}, vmissing(), vstr(L"a week"), false, "old", ""},    // bad days fail before the log is touched
        {1, "held", {}, vmissing(), vmissing(), false, "old", ""},
        {1, "bare", {}, vstr(L"Started"), vmissing(), true, "Started\r\n", "1:old"},
        {1, "own", {}, vstr(L"Started"), vi2(0), true, "old", "1:old"}, // a log named as its own backup is kept
    };
    for (Case& c : cases) {
        Arg header(c.header), days(c.days);
        std::wstring dir = scratchDir(L"rollover");
        auto backup = [&](int daysAgo) { return dir + yyyymmdd(localDaysAgo(daysAgo)) + L".log"; };
        const std::string how = c.how;
        std::wstring log = how == "own" ? backup(1) : dir + L"app.log";
        SCOPED_TRACE(testing::Message() << "log age " << c.logAge << " " << how << ", backups " << c.backups.size()
                                        << ", case " << &c - cases);
        for (int d : c.backups) writeFile(backup(d), "b" + std::to_string(d));
        if (c.logAge != none) {
            writeFile(log, "old");
            setLocalWriteTime(log, localDaysAgo(c.logAge));
        }
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        if (how == "bare") SetCurrentDirectoryW(dir.c_str());
        for (int call = 0; call < 2; ++call) {
            std::unique_ptr<HeldFile> held(how == "held" ? new HeldFile(log) : nullptr);
            EXPECT_EQ(c.result, createLogWithBackup(how == "bare" ? L"app.log" : log, header, days)) << "call " << call;
            EXPECT_EQ(S_OK, hr);
        }
        SetCurrentDirectoryW(cwd);
        EXPECT_TRUE(canOpenExclusively(log));
        EXPECT_EQ(c.logText, readFile(log));
        std::string left;
        for (int d = -5; d <= 5; ++d)
            if (exists(backup(d))) left += (left.empty() ? "" : " ") + std::to_string(d) + ":" + readFile(backup(d));
        EXPECT_EQ(c.backupsLeft, left);
    }
}
