// ASPFunctions: the hit counter, the file date and the two HTML fragments, through IDispatch as a
// page script calls them, with the files checked byte for byte.
#include "client.h"
#include "scratch.h"
#include <optional>
#include <thread>

using namespace test;

namespace {

std::wstring scratch(const wchar_t* name) {
    static const std::wstring dir = scratchDir(L"web");
    return dir + name;
}

// The tests of each method (Counter, FileDate, ReadTextFile, ComboList) share one object.
class Web : public ::testing::Test {
protected:
    ComPtr<_ASPFunctions> asp = create<_ASPFunctions>(L"ASPFunctions");

    // GetCounter with or without Increment, which must succeed: "Integer n", "Long n" or "String text".
    std::wstring count(const std::wstring& file, std::optional<VARIANT> increment = {}) {
        Args args{vstr(file.c_str())};
        if (increment) args.v.push_back(*increment);
        Call call;
        invoke(call, asp.get(), L"GetCounter", args);
        EXPECT_EQ(S_OK, call.hr);
        const VARIANT& r = call.result.get();
        if (V_VT(&r) == VT_I2) return L"Integer " + std::to_wstring(V_I2(&r));
        if (V_VT(&r) == VT_I4) return L"Long " + std::to_wstring(V_I4(&r));
        return V_VT(&r) == VT_BSTR ? L"String " + call.text() : L"type " + std::to_wstring(V_VT(&r));
    }
    std::wstring text(const wchar_t* method, const Args& args) {
        Call call;
        invoke(call, asp.get(), method, args);
        EXPECT_EQ(S_OK, call.hr);
        EXPECT_EQ(VT_BSTR, V_VT(&call.result.get()));
        return call.text();
    }
    std::wstring combo(const Args& args) { return text(L"ComboListDirectory", args); }
};

using Counter = Web;
using FileDate = Web;
using ReadTextFile = Web;
using ComboList = Web;

const std::wstring failed = L"String There was an error in the GetCounter function: ";

} // namespace

TEST_F(Counter, OnlyTrueIncrements) {
    std::wstring f = scratch(L"only.cnt");
    const std::pair<VARIANT, bool> cases[] = {
        {vmissing(), false},     {vbool(false), false}, {vi2(1), false},      {vstr(L"yes"), false},
        {vtype(VT_EMPTY), false}, {vtype(VT_NULL), false}, {vi2(-1), true}, {vstr(L"-1"), true}, {vbool(true), true}};
    for (auto [increment, counts] : cases) {
        writeFile(f, "7 visitors\r\nsecond line\r\n");
        EXPECT_EQ(counts ? L"Long 8" : L"Long 7", count(f, increment)); // the call frees increment
        EXPECT_EQ(counts ? std::string("8\r\n") : std::string("7 visitors\r\nsecond line\r\n"), readFile(f));
    }
}

TEST_F(Counter, FirstLineIsReadByTheLeadingNumberRules) {
    std::wstring f = scratch(L"rules.cnt");
    const std::pair<const char*, long> cases[] = {
        {"  41 visitors\r\n", 41}, {"12.5\r\n", 12}, {"13.5\r\n", 14}, {"1 2 3\r\n", 123}, {"\t9\r\n", 9},
        {"&H10\r\n", 16}, {"&O17", 15}, {"-5\r\n", -5}, {"1e3\r\n", 1000}, {"abc\r\n", 0}, {"\r\n42\r\n", 0},
        {"42", 42}, {"4\n2\r\n", 42}, {"7\r9\r\n", 7}, {"2147483646\r\n", 2147483646}};
    for (auto [content, value] : cases) {
        SCOPED_TRACE(content);
        writeFile(f, content);
        EXPECT_EQ(L"Long " + std::to_wstring(value), count(f));
        EXPECT_EQ(content, readFile(f)) << "reading leaves the file as it was";
    }
}

// Calls on one counter file, at first missing: {written before (nullptr: as left), Increment True or
// not given, result, file after}. A failure keeps the stored count readable and unchanged.
TEST_F(Counter, ANewFileStartsAtIntegerOneThenLongsAndFailuresAreErrorTextsThatKeepTheCount) {
    const std::wstring f = scratch(L"steps.cnt"), overflow = failed + L"6 ...Overflow";
    DeleteFileW(f.c_str());
    const struct { const char* before; bool increment; std::wstring result; const char* after; } steps[] = {
        {nullptr, true, L"Integer 1", "1\r\n"},
        {nullptr, true, L"Long 2", "2\r\n"},
        {nullptr, false, L"Long 2", "2\r\n"},
        {"", true, failed + L"62 ...Input past end of file", ""},
        {"2147483646\r\n", true, L"Long 2147483647", "2147483647\r\n"},
        {nullptr, true, overflow, "2147483647\r\n"},
        {nullptr, false, L"Long 2147483647", "2147483647\r\n"},
        {"3000000000\r\n", false, overflow, "3000000000\r\n"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.result);
        if (s.before) writeFile(f, s.before);
        EXPECT_EQ(s.result, s.increment ? count(f, vbool(true)) : count(f));
        EXPECT_EQ(s.after, readFile(f));
    }
    // A missing folder, a folder, a hidden counter and the rest are in the fault table.
    EXPECT_EQ(failed + L"52 ...Bad file name or number", count(L"", vbool(true)));
}

TEST_F(Counter, WaitsBrieflyForAnotherHolderThenReportsTheFileInUseButNeverForAPlainReader) {
    std::wstring f = scratch(L"held.cnt");
    writeFile(f, "5\r\n");
    {
        HeldFile held(f);
        ASSERT_TRUE(held.held());
        CountingWindow window; // the caller's window stays responsive while the request waits
        window.post();
        EXPECT_EQ(failed + L"70 ...Permission denied", count(f, vbool(true)));
        EXPECT_EQ(1, window.count());
    }
    EXPECT_EQ("5\r\n", readFile(f));
    // A holder that lets go within the retry time does not make the request fail.
    auto* held = new HeldFile(f);
    ASSERT_TRUE(held->held());
    std::thread letGo([held] {
        ::Sleep(300);
        delete held;
    });
    EXPECT_EQ(L"Long 6", count(f, vbool(true)));
    letGo.join();
    EXPECT_EQ("6\r\n", readFile(f));
    // A plain reader elsewhere never makes an increment wait.
    HeldFile reader(f, Holder::readerSharingAll);
    ASSERT_TRUE(reader.held());
    DWORD slowest = 0;
    for (int i = 1; i <= 50; ++i) {
        DWORD start = GetTickCount();
        std::wstring got = count(f, vbool(true));
        slowest = std::max(slowest, GetTickCount() - start);
        EXPECT_EQ(L"Long " + std::to_wstring(6 + i), got);
    }
    EXPECT_LT(slowest, 50u); // a wait for the reader would take the whole retry time
    EXPECT_EQ("56\r\n", readFile(f));
}

TEST_F(FileDate, LongDateOfTheLastChangeInLocalTime) {
    std::wstring f = scratch(L"dated.txt");
    writeFile(f, "x");
    SYSTEMTIME st{1998, 12, 3, 9, 12, 0, 0, 0}; // noon, so no time zone moves the day
    setLocalWriteTime(f, st);
    wchar_t expected[128];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, expected, 128);
    std::wstring got = text(L"GetFileDate", {vstr(f.c_str())});
    EXPECT_EQ(expected, got);
    if (GetUserDefaultLCID() == 0x409) { EXPECT_EQ(L"Wednesday, December 9, 1998", got); }
}

TEST_F(ReadTextFile, LinesBecomeHtmlText) {
    std::wstring f = scratch(L"page.txt");
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"Hello\r\n\r\nWorld\r\n", L"Hello<BR><P></P>World<BR>"}, {"Hello\r\n\r\nWorld", L"Hello<BR><P></P>World<BR>"},
        {"", L""},                                                {"   \r\n", L"<P></P>"},
        {"  x  \r\n", L"  x  <BR>"},                              {"<b>&amp;</b>\r\n", L"<b>&amp;</b><BR>"},
        {"a\nb\r\n", L"a\nb<BR>"},                                {"a\rb", L"a<BR>b<BR>"},
        {"\t\r\n", L"\t<BR>"},                                    {"Caf\xE9\r\n", L"Caf\x00E9<BR>"}};
    for (auto [content, html] : cases) {
        SCOPED_TRACE(content);
        writeFile(f, content);
        EXPECT_EQ(html, text(L"ReadTextFile", {vstr(f.c_str())}));
    }
}

TEST_F(ComboList, FilesOfADirectoryAsOptionsInThePlatformsOrderNamesEscapedAndOnlyOrdinaryFilesCount) {
    std::wstring dir = scratch(L"combo"), expected = L"<select name='m'>";
    CreateDirectoryW(dir.c_str(), nullptr);
    writeFile(dir + L"\\report.txt", "r");
    EXPECT_EQ(L"<select name='files'><option>report</select>", combo({vstr(L"files"), vstr(dir)}));
    EXPECT_EQ(L"<select name='files'><option>report</select>", combo({vstr(L"files"), vstr(dir + L"\\"), vbool(false)}));
    EXPECT_EQ(L"<select name='files'><option>report.txt</select>", combo({vstr(L"files"), vstr(dir), vbool(true)}));
    EXPECT_EQ(L"<select name='Unnamed'><option>report</select>", combo({vstr(L"   "), vstr(dir)}));
    EXPECT_EQ(L"<select name=' a '><option>report</select>", combo({vstr(L" a "), vstr(dir)}));
    EXPECT_EQ(L"There was an error in the ComboListDirectory function: 13 Type mismatch",
              combo({vstr(L"x"), vstr(dir), vstr(L"maybe")}));

    // Names are escaped and only ordinary files count.
    dir = scratchDir(L"web-combo2");
    writeFile(dir + L"it's&co.v1.txt", "x");
    std::wstring hidden = dir + L"hidden.txt";
    writeFile(hidden, "h");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW((dir + L"sub.dir").c_str(), nullptr);
    EXPECT_EQ(L"<select name='a&#39;&gt;&lt;script&gt;&amp;&quot;'><option>it&#39;s&amp;co</select>",
              combo({vstr(L"a'><script>&\""), vstr(dir)}));
    EXPECT_EQ(L"<select name='n'><option>it&#39;s&amp;co.v1.txt</select>", combo({vstr(L"n"), vstr(dir), vbool(true)}));

    std::wstring onlyDirs = scratchDir(L"web-combo3");
    CreateDirectoryW((onlyDirs + L"a").c_str(), nullptr);
    EXPECT_EQ(L"", combo({vstr(L"n"), vstr(onlyDirs)}));
    EXPECT_EQ(L"", combo({vstr(L"n"), vstr(scratch(L"missing_dir"))}));

    dir = scratchDir(L"web-many");
    for (int i = 0; i < 300; ++i) writeFile(dir + L"file" + std::to_wstring(i) + L".dat", "d");
    WIN32_FIND_DATAW found; // 300 files in the platform's own order, each name without ".dat"
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &found);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            expected += L"<option>" + std::wstring(found.cFileName, wcslen(found.cFileName) - 4);
    FindClose(h);
    EXPECT_EQ(expected + L"</select>", combo({vstr(L"m"), vstr(dir)}));
}
