#include <dispex.h>
#include <shellapi.h>
#include <memory>
#include "callerobject.h"
#include "textfiles.h"

using namespace test;

struct WholeFiles : TextFiles {
    bool fileExists(const std::wstring& f) {
        VARIANT_BOOL r = 7;
        return result(tf->FileExists(Bstr(f).get(), &r), r);
    }
    bool dirExists(const std::wstring& f) {
        VARIANT_BOOL r = 7;
        return result(tf->DirExists(Bstr(f).get(), &r), r);
    }
    std::wstring readString(const std::wstring& f) {
        Bstr r;
        hr = tf->ReadTextFileString(Bstr(f).get(), r.out());
        return r.text();
    }
    // The lines of ReadTextFileVariant, or {"<Null>"}; a wrong shape or element gives a line no case expects.
    std::vector<std::wstring> readLines(const std::wstring& f) {
        Variant v;
        hr = tf->ReadTextFileVariant(Bstr(f).get(), &v.get());
        if (V_VT(&v.get()) == VT_NULL) return {L"<Null>"};
        if (V_VT(&v.get()) != (VT_ARRAY | VT_VARIANT)) return {L"<not an array>"};
        const SAFEARRAY* a = V_ARRAY(&v.get());
        if (a->cDims != 1 || a->rgsabound[0].lLbound != 0) return {L"<not one dimension from 0>"};
        std::vector<std::wstring> out;
        for (ULONG i = 0; i < a->rgsabound[0].cElements; ++i) {
            const VARIANT& e = static_cast<const VARIANT*>(a->pvData)[i];
            out.push_back(V_VT(&e) == VT_BSTR ? zor::str(V_BSTR(&e)) : L"<not a string>");
        }
        return out;
    }
    bool setFileDate(const std::wstring& f, DATE d) {
        VARIANT_BOOL r = 7;
        return result(tf->SetFileDate(Bstr(f).get(), d, &r), r);
    }
    std::wstring shortName(const std::wstring& f) {
        Bstr r;
        hr = tf->GetShortName(Bstr(f).get(), r.out());
        return r.text();
    }
};

using Lines = std::vector<std::wstring>;

// ---- FileExists, DirExists -------------------------------------------------------------------

// The cases of tests/data/cases/exists.tsv (the script tests run them too), bare names, and a file
// held by another process.
TEST_F(WholeFiles, ExistenceTestsTellFilesFromDirectoriesSkipHiddenEntriesAndTakeBareNames) {
    const std::wstring dir = existenceTree(L"exists");
    const auto rows = caseRows(L"exists");
    ASSERT_GT(rows.size(), 25u);
    for (const CaseRow& c : rows) {
        const std::wstring name = c.at(0) == L"-" ? L"" : c[0].rfind(L"C:", 0) == 0 ? c[0] : dir + c[0];
        EXPECT_EQ(c.at(1) == L"True", fileExists(name)) << testing::PrintToString(name);
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(c.at(2) == L"True", dirExists(name)) << testing::PrintToString(name);
        EXPECT_EQ(S_OK, hr);
    }
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW(dir.c_str());
    const std::vector<bool> bare{fileExists(L"a.txt"), dirExists(L"sub"), fileExists(L"sub"), fileExists(L"zz.txt")};
    SetCurrentDirectoryW(old);
    EXPECT_EQ((std::vector<bool>{true, true, false, false}), bare) << "a.txt, sub, sub as a file, zz.txt";
    HeldFile held(dir + L"b.log");
    ASSERT_TRUE(held.held());
    EXPECT_TRUE(fileExists(dir + L"b.log"));
    EXPECT_TRUE(dirExists(dir + L"b.log"));
    EXPECT_TRUE(fileExists(dir + L"b.*"));
}

// ---- ReadTextFileString, ReadTextFileVariant ------------------------------------------------

// Each file's fields joined by ReadTextFileString, its lines by ReadTextFileVariant.
TEST_F(WholeFiles, ReadTextFileStringJoinsTheFieldsAndVariantGivesOneElementPerLine) {
    std::wstring dir = scratchDir(L"read-whole");
    struct Case {
        std::string bytes;
        const wchar_t* text;
        Lines lines;
    } cases[] = {
        {"a,b\r\nc", L"abc", {L"a,b", L"c"}},
        {"a,b\r\nc\r\n", L"abc", {L"a,b", L"c"}},
        {"\"x\"", L"x", {L"\"x\""}},
        {"\"one, two\" rest,three\r\n", L"one, twothree", {L"\"one, two\" rest,three"}},
        {"", L"", {L"<Null>"}},
        {"  lead, trail  \r\n", L"leadtrail  ", {L"  lead, trail  "}},
        {"lone\rcr\nlf", L"lonecrlf", {L"lone", L"cr\nlf"}},
        {"\r\n\r\n", L"", {L"", L""}},
        {"\"multi\r\nline\"", L"multi\r\nline", {L"\"multi", L"line\""}},
        {"one\r\n\r\nthree\r\n", L"onethree", {L"one", L"", L"three"}},
        {"no line end", L"no line end", {L"no line end"}},
        {"lone\rcr", L"lonecr", {L"lone", L"cr"}},
        {"lone\nlf\r\n", L"lonelf", {L"lone\nlf"}},
        {"\r\n", L"", {L""}},
        {"a,\"b\"", L"ab", {L"a,\"b\""}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        std::wstring f = dir + L"f" + std::to_wstring(++n) + L".txt";
        writeFile(f, c.bytes);
        EXPECT_EQ(c.text, readString(f));
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(c.lines, readLines(f));
        EXPECT_EQ(S_OK, hr);
    }
}

// The loops over lines and fields let the caller's windows run.
TEST_F(WholeFiles, ReadTextFileStringVariantAndIsInLogFileReadSeveralMegabytesWithMessagesFlowing) {
    std::wstring f = scratchDir(L"read-big") + L"big.txt";
    std::string bytes;
    std::wstring expected;
    for (int i = 0; i < 100000; ++i) {
        std::string n = std::to_string(i);
        bytes += "line " + n + ",\"quoted " + n + "\"\r\n";
        expected += L"line " + std::to_wstring(i) + L"quoted " + std::to_wstring(i);
    }
    ASSERT_GT(bytes.size(), 2000000u);
    writeFile(f, bytes);
    CountingWindow w;
    w.post();
    EXPECT_EQ(expected, readString(f));
    EXPECT_EQ(1, w.count()) << "ReadTextFileString";
    w.post();
    Lines lines = readLines(f);
    EXPECT_EQ(2, w.count()) << "ReadTextFileVariant";
    ASSERT_EQ(100000u, lines.size());
    EXPECT_EQ(L"line 0,\"quoted 0\"", lines.front());
    EXPECT_EQ(L"line 99999,\"quoted 99999\"", lines.back());
    w.post();
    EXPECT_TRUE(isInLog(f, L"quoted 99999"));
    EXPECT_EQ(3, w.count()) << "IsInLogFile";
}

// ---- SetFileDate -----------------------------------------------------------------------------

namespace {
// The last-write time in UTC: year, month, day, hour, minute, second, millisecond.
std::vector<int> utcParts(const std::wstring& f) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW(f.c_str(), GetFileExInfoStandard, &d);
    SYSTEMTIME s;
    FileTimeToSystemTime(&d.ftLastWriteTime, &s);
    return {s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wMilliseconds};
}
DATE oleDate(int y, int mo, int d, int h, int mi, int s) {
    SYSTEMTIME st{static_cast<WORD>(y), static_cast<WORD>(mo), 0, static_cast<WORD>(d),
                  static_cast<WORD>(h), static_cast<WORD>(mi), static_cast<WORD>(s), 0};
    DATE out = 0;
    SystemTimeToVariantTime(&st, &out);
    return out;
}
} // namespace

// The date's seconds are rounded (23:59:59.6 is midnight); the file's milliseconds stay. Before
// the file system's first day, or on a file held by another process: false, the time kept.
TEST_F(WholeFiles, SetFileDateSetsTheLastWriteTimeAsUtcKeepingTheMillisecondsOrFailsKeepingTheTime) {
    std::wstring f = scratchDir(L"set-date") + L"f.txt";
    writeFile(f, "x");
    setLocalWriteTime(f, {2020, 5, 0, 17, 8, 9, 10, 456}); // a known time with milliseconds
    const struct {
        DATE date;
        std::vector<int> parts;
    } cases[] = {
        {oleDate(1998, 12, 9, 14, 30, 15), {1998, 12, 9, 14, 30, 15, 456}},
        {oleDate(1998, 12, 9, 23, 59, 59) + 0.6 / 86400, {1998, 12, 10, 0, 0, 0, 456}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(setFileDate(f, c.date)) << c.date;
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(c.parts, utcParts(f)) << c.date;
    }
    // (Wine reports the inode change time as the creation time, so that one cannot be compared.)
    EXPECT_EQ("x", readFile(f));

    const std::vector<int> old = utcParts(f);
    EXPECT_FALSE(setFileDate(f, oleDate(1500, 1, 1, 0, 0, 0)));
    EXPECT_EQ(S_OK, hr);
    EXPECT_TRUE(canOpenExclusively(f));
    {
        HeldFile held(f);
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(setFileDate(f, oleDate(2001, 12, 9, 0, 0, 0)));
        EXPECT_EQ(S_OK, hr);
    }
    EXPECT_TRUE(canOpenExclusively(f));
    // A holder that lets others write but not read: the old time is read through the handle,
    // which Windows allows only with read access, so the file is not opened.
    HANDLE writer = CreateFileW(f.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(setFileDate(f, oleDate(2001, 12, 9, 0, 0, 0)));
    CloseHandle(writer);
    EXPECT_EQ(old, utcParts(f));
}

// ---- GetShortName ----------------------------------------------------------------------------

namespace {
std::wstring platformShortName(const std::wstring& f) {
    wchar_t buffer[1024];
    DWORD n = GetShortPathNameW(f.c_str(), buffer, 1024);
    return std::wstring(buffer, n);
}
} // namespace

// A plain, a hidden and a held file: the platform's short name, the file kept as it was. A file
// in a folder that does not exist yet: the name it would have there; empty for what cannot be made.
TEST_F(WholeFiles, GetShortNameOfAnExistingFileOrOneInAFolderThatDoesNotExistYet) {
    std::wstring dir = scratchDir(L"short-name");
    const struct {
        const wchar_t* name;
        DWORD attributes;
        bool held;
    } cases[] = {
        {L"a rather long file name.text", FILE_ATTRIBUTE_NORMAL, false},
        {L"hidden long file name.text", FILE_ATTRIBUTE_HIDDEN, false},
        {L"held long name.txt", FILE_ATTRIBUTE_NORMAL, true},
    };
    for (const auto& c : cases) {
        const std::wstring f = dir + c.name;
        SCOPED_TRACE(zor::toAnsi(f));
        writeFile(f, "keep");
        SetFileAttributesW(f.c_str(), c.attributes);
        std::unique_ptr<HeldFile> held(c.held ? new HeldFile(f) : nullptr);
        ASSERT_TRUE(!held || held->held());
        const std::wstring expected = platformShortName(f);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(expected, shortName(f));
        EXPECT_EQ(S_OK, hr);
        held.reset();
        EXPECT_EQ("keep", readFile(f));
    }

    // The expected form, from the platform, on a copy made and removed here.
    std::wstring folder = dir + L"a new long folder", f = folder + L"\\another long file name.text";
    CreateDirectoryW(folder.c_str(), nullptr);
    writeFile(f, "");
    std::wstring expected = platformShortName(f);
    DeleteFileW(f.c_str());
    RemoveDirectoryW(folder.c_str());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, shortName(f));
    EXPECT_EQ(S_OK, hr);
    EXPECT_FALSE(exists(folder));
    EXPECT_EQ(L"", shortName(dir + L"two\\levels\\name.txt"));
    EXPECT_EQ(S_OK, hr);
    EXPECT_FALSE(exists(dir + L"two"));
    EXPECT_EQ(L"", shortName(L""));
    EXPECT_TRUE(exists(dir)); // the existing folder stays
}

// ---- ShellTextFile ---------------------------------------------------------------------------

namespace {

// The test prefix opens ".zorshell" files by copying them to "<name>.ran".
void registerAssociation() {
    auto setDefault = [](const wchar_t* key, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, value.c_str(), DWORD((value.size() + 1) * sizeof(wchar_t)));
    };
    setDefault(L".zorshell", L"ZorTest.Shell");
    setDefault(L"ZorTest.Shell\\shell\\open\\command", L"C:\\windows\\system32\\cmd.exe /c copy /y \"%1\" \"%1.ran\"");
}

// The associated program runs on its own; wait for its result.
std::string waitForFile(const std::wstring& path) {
    for (int i = 0; i < 600 && !exists(path); ++i) Sleep(50);
    Sleep(200);
    return readFile(path);
}

} // namespace

TEST_F(WholeFiles, ShellTextFileOpensWithTheAssociatedProgramOrGivesTheError) {
    registerAssociation();
    std::wstring dir = scratchDir(L"shell");
    writeFile(dir + L"note.zorshell", "opened\r\n");
    CallerObject form(false);
    form.hwnd = 0;
    LONG r = 0;
    EXPECT_EQ(S_OK, tf->ShellTextFile(&form, Bstr(dir + L"note.zorshell").get(), &r));
    EXPECT_GT(r, 32);
    EXPECT_EQ(1, form.hwndReads);
    EXPECT_EQ("opened\r\n", waitForFile(dir + L"note.zorshell.ran"));

    // The platform's error codes as results; errors for a form without hWnd and for no form.
    writeFile(dir + L"note.zornoassoc", "x");
    const std::pair<const wchar_t*, LONG> errors[] = {{L"note.zornoassoc", SE_ERR_NOASSOC}, {L"missing.txt", SE_ERR_FNF}};
    for (const auto& [name, code] : errors) {
        EXPECT_EQ(S_OK, tf->ShellTextFile(&form, Bstr(dir + name).get(), &r));
        EXPECT_EQ(code, r);
    }
    form.hasHwnd = false;
    EXPECT_EQ(ctlError(438), tf->ShellTextFile(&form, Bstr(dir + L"note.zornoassoc").get(), &r));
    EXPECT_EQ(ctlError(424), tf->ShellTextFile(nullptr, Bstr(dir + L"note.zornoassoc").get(), &r));
}
