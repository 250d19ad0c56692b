#define PSAPI_VERSION 2
#include "textfiles.h"
#include <psapi.h>
#include <atomic>
#include <set>
#include <thread>

using namespace test;

namespace {
VARIANT vempty() {
    VARIANT v;
    VariantInit(&v);
    return v;
}
VARIANT vnull() {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_NULL;
    return v;
}
} // namespace

// ---- CreateLogFile ---------------------------------------------------------------------------

TEST_F(TextFiles, CreateLogFileWritesTheHeaderLineOrNothing) {
    std::wstring dir = scratchDir(L"create-log");
    struct Case {
        const wchar_t* name;
        VARIANT header;
        std::string bytes;
    } cases[] = {
        {L"started.log", vstr(L"Started"), "Started\r\n"},
        {L"none.log", vmissing(), ""},
        {L"number.log", vi4(42), "42\r\n"},
        {L"empty.log", vempty(), "\r\n"},
        {L"true.log", vbool(true), "True\r\n"},
    };
    for (auto& c : cases) {
        Arg header(c.header);
        EXPECT_TRUE(createLog(dir + c.name, header)) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(c.bytes, readFile(dir + c.name));
    }
}

TEST_F(TextFiles, CreateLogFileLeavesAnExistingLogAlone) {
    std::wstring dir = scratchDir(L"create-log-existing");
    writeFile(dir + L"app.log", "old\r\nlines");
    Arg header(vstr(L"Started"));
    EXPECT_TRUE(createLog(dir + L"app.log", header));
    EXPECT_EQ("old\r\nlines", readFile(dir + L"app.log"));
}

TEST_F(TextFiles, CreateLogFileFailuresGiveFalse) {
    std::wstring dir = scratchDir(L"create-log-fail");
    Arg header(vstr(L"h")), null(vnull());
    EXPECT_FALSE(createLog(dir + L"no\\such\\dir\\app.log", header));
    EXPECT_EQ(S_OK, hr);
    CreateDirectoryW((dir + L"adir").c_str(), nullptr); // a directory where the log should be
    EXPECT_FALSE(createLog(dir + L"adir", header));
    EXPECT_EQ(S_OK, hr);
    EXPECT_FALSE(createLog(dir + L"null.log", null)); // Null has no text: nothing is created
    EXPECT_FALSE(exists(dir + L"null.log"));
    EXPECT_FALSE(createLog(dir + std::wstring(L"cut\0.log", 8), header)); // not a file named "cut"
    EXPECT_FALSE(exists(dir + L"cut"));
}

TEST_F(TextFiles, CreateLogFileOnAHiddenFileKeepsIt) {
    std::wstring dir = scratchDir(L"create-log-hidden");
    writeFile(dir + L"app.log", "secret");
    SetFileAttributesW((dir + L"app.log").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(createLog(dir + L"app.log"));
    EXPECT_EQ("secret", readFile(dir + L"app.log"));
}

// ---- UpdateLogFile ---------------------------------------------------------------------------

TEST_F(TextFiles, UpdateLogFileAppendsExactlyTheEntryAndCrLf) {
    std::wstring dir = scratchDir(L"update-log");
    Arg header(vstr(L"Started"));
    ASSERT_TRUE(createLog(dir + L"app.log", header));
    EXPECT_TRUE(updateLog(dir + L"app.log", L"a"));
    EXPECT_TRUE(updateLog(dir + L"app.log", L"b"));
    EXPECT_TRUE(updateLog(dir + L"app.log", L""));
    EXPECT_TRUE(updateLog(dir + L"app.log", L"caf\u00e9, \"quoted\""));
    EXPECT_EQ(S_OK, hr);
    // The last entry's "é" is one byte in the system code page, whatever that page is.
    EXPECT_EQ("Started\r\na\r\nb\r\n\r\ncaf" + zor::toAnsi(L"\u00e9") + ", \"quoted\"\r\n", readFile(dir + L"app.log"));
}

TEST_F(TextFiles, UpdateLogFileDoesNotCreateAMissingLog) {
    std::wstring dir = scratchDir(L"update-log-missing");
    EXPECT_FALSE(updateLog(dir + L"app.log", L"a"));
    EXPECT_EQ(S_OK, hr);
    EXPECT_FALSE(exists(dir + L"app.log"));
}

TEST_F(TextFiles, UpdateLogFileOnALogInUseIsAnAutomationError) {
    std::wstring dir = scratchDir(L"update-log-held");
    writeFile(dir + L"app.log", "x\r\n");
    {
        HeldFile held(dir + L"app.log");
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(updateLog(dir + L"app.log", L"a"));
        EXPECT_EQ(ctlError(70), hr);
        EXPECT_EQ(L"Permission denied", errorInfoDescription());
    }
    EXPECT_TRUE(canOpenExclusively(dir + L"app.log"));
    EXPECT_EQ("x\r\n", readFile(dir + L"app.log"));
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

TEST_F(TextFiles, UpdateLogFileTakesFourAppendingProcessesAtOnce) {
    std::wstring dir = scratchDir(L"append-processes"), log = dir + L"shared.log", go = dir + L"go";
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
}

TEST_F(TextFiles, UpdateLogFileTakesFourAppendingThreadsAtOnce) {
    std::wstring log = scratchDir(L"append-threads") + L"shared.log";
    writeFile(log, "");
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < 4; ++p)
        threads.emplace_back([&, p] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            auto files = create<_TextFileFunctions>(L"TextFileFunctions");
            for (int i = 1; i <= 300; ++i) {
                VARIANT_BOOL ok = 0;
                refused += files->UpdateLogFile(Bstr(log).get(), Bstr(zor::fromAnsi(entry(p, i))).get(), &ok) != S_OK || !ok;
            }
            files.out();
            CoUninitialize();
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(0, refused.load());
    expectEveryEntryOnce(log);
}

// ---- IsInLogFile -----------------------------------------------------------------------------

TEST_F(TextFiles, IsInLogFileSearchesOneFieldAtATime) {
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
}

TEST_F(TextFiles, IsInLogFileOnMissingEmptyOrBusyFilesIsFalse) {
    std::wstring dir = scratchDir(L"is-in-log-fail");
    EXPECT_FALSE(isInLog(dir + L"missing.log", L"x"));
    writeFile(dir + L"empty.log", "");
    EXPECT_FALSE(isInLog(dir + L"empty.log", L""));
    writeFile(dir + L"held.log", "x\r\n");
    {
        HeldFile held(dir + L"held.log");
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(isInLog(dir + L"held.log", L"x"));
        EXPECT_EQ(S_OK, hr);
    }
    EXPECT_TRUE(canOpenExclusively(dir + L"held.log"));
    EXPECT_TRUE(isInLog(dir + L"held.log", L"x"));
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

struct Rollover : TextFiles {
    std::wstring dir;
    std::wstring log;
    void SetUp() override {
        dir = scratchDir(L"rollover");
        log = dir + L"app.log";
    }
    // The log as it was last written so many days ago (negative: in the future).
    void oldLog(int daysAgo, const std::string& content = "old entries\r\n") {
        writeFile(log, content);
        setLocalWriteTime(log, localDaysAgo(daysAgo));
    }
    std::wstring backup(int daysAgo) { return dir + yyyymmdd(localDaysAgo(daysAgo)) + L".log"; }
};

TEST_F(Rollover, AMissingLogIsCreatedWithItsHeader) {
    Arg header(vstr(L"Started")), days(vmissing());
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("Started\r\n", readFile(log));
}

TEST_F(Rollover, TodaysLogStaysAsItIs) {
    writeFile(log, "today\r\n");
    Arg header(vstr(L"Started")), days(vi2(7));
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("today\r\n", readFile(log));
}

TEST_F(Rollover, YesterdaysLogBecomesItsBackupAndANewLogStarts) {
    oldLog(1);
    Arg header(vstr(L"Started")), days(vmissing());
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ("old entries\r\n", readFile(backup(1)));
    EXPECT_EQ("Started\r\n", readFile(log));
    // the same call again on the same day changes nothing
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("old entries\r\n", readFile(backup(1)));
    EXPECT_EQ("Started\r\n", readFile(log));
}

TEST_F(Rollover, ALogFromALaterDayRollsOverToo) {
    oldLog(-1);
    Arg header(vmissing()), days(vmissing());
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("old entries\r\n", readFile(backup(-1)));
    EXPECT_EQ("", readFile(log));
}

TEST_F(Rollover, ABackupOfThatNameIsReplaced) {
    oldLog(3);
    writeFile(backup(3), "another log's backup of that day\r\n");
    Arg header(vmissing()), days(vmissing());
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("old entries\r\n", readFile(backup(3)));
}

TEST_F(Rollover, PruningDeletesExactlyOneExpiredBackup) {
    oldLog(1);
    for (int d : {2, 3, 4, 5}) writeFile(backup(d), "backup " + std::to_string(d));
    Arg header(vmissing()), days(vi2(3));
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("old entries\r\n", readFile(backup(1)));
    EXPECT_EQ("backup 2", readFile(backup(2)));
    EXPECT_EQ("backup 3", readFile(backup(3)));
    EXPECT_FALSE(exists(backup(4))); // today - (3 + 1) days
    EXPECT_EQ("backup 5", readFile(backup(5)));
}

TEST_F(Rollover, DaysAsTextAreANumber) {
    oldLog(1);
    writeFile(backup(3), "expired");
    Arg header(vmissing()), days(vstr(L"2"));
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_FALSE(exists(backup(3)));
}

TEST_F(Rollover, ZeroDaysDeletesYesterdaysBackupAgain) {
    oldLog(1);
    Arg header(vmissing()), days(vi2(0));
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_FALSE(exists(backup(1)));
    EXPECT_EQ("", readFile(log));
}

TEST_F(Rollover, DaysAreNotLookedAtWhenThereIsNothingToRollOver) {
    writeFile(log, "today\r\n");
    Arg header(vmissing()), days(vstr(L"a week"));
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("today\r\n", readFile(log));
    EXPECT_TRUE(createLogWithBackup(dir + L"new.log", header, days));
    EXPECT_EQ("", readFile(dir + L"new.log"));
}

TEST_F(Rollover, BadDaysFailBeforeTheLogIsTouched) {
    oldLog(1);
    Arg header(vmissing()), days(vstr(L"a week"));
    EXPECT_FALSE(createLogWithBackup(log, header, days));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ("old entries\r\n", readFile(log));
    EXPECT_FALSE(exists(backup(1)));
}

TEST_F(Rollover, ABareNameRollsOverInTheCurrentDirectory) {
    oldLog(1);
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW(dir.c_str());
    Arg header(vstr(L"Started")), days(vmissing());
    bool result = createLogWithBackup(L"app.log", header, days);
    SetCurrentDirectoryW(old);
    EXPECT_TRUE(result);
    EXPECT_EQ("old entries\r\n", readFile(backup(1)));
    EXPECT_EQ("Started\r\n", readFile(log));
}

TEST_F(Rollover, ALogInUseIsNotRolledOver) {
    oldLog(1);
    {
        HeldFile held(log);
        ASSERT_TRUE(held.held());
        Arg header(vmissing()), days(vmissing());
        EXPECT_FALSE(createLogWithBackup(log, header, days));
        EXPECT_EQ(S_OK, hr);
    }
    EXPECT_TRUE(canOpenExclusively(log));
    EXPECT_EQ("old entries\r\n", readFile(log));
    EXPECT_FALSE(exists(backup(1)));
}

TEST_F(Rollover, ALogNamedAsItsOwnBackupIsKept) {
    log = backup(1);
    oldLog(1);
    Arg header(vstr(L"Started")), days(vi2(0));
    EXPECT_TRUE(createLogWithBackup(log, header, days));
    EXPECT_EQ("old entries\r\n", readFile(log));
}
