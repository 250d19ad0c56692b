// ASPFunctions: the hit counter, the file date and the two HTML fragments, through IDispatch as a
// page script calls them, with the files checked byte for byte.
#include "client.h"
#include "scratch.h"
#include <set>
#include <thread>

using namespace test;

namespace {

std::wstring scratch(const wchar_t* name) {
    static const std::wstring dir = scratchDir(L"web");
    return dir + name;
}

struct Web {
    ComPtr<_ASPFunctions> asp = create<_ASPFunctions>(L"ASPFunctions");

    void counter(Call& call, const std::wstring& file, VARIANT increment) {
        Args args{vstr(file.c_str()), increment};
        invoke(call, asp.get(), L"GetCounter", args);
    }
    void counter(Call& call, const std::wstring& file) {
        Args args{vstr(file.c_str())};
        invoke(call, asp.get(), L"GetCounter", args);
    }
    std::wstring text(const wchar_t* method, std::vector<VARIANT> args) {
        Call call;
        invoke(call, asp.get(), method, args);
        for (auto& a : args) VariantClear(&a);
        EXPECT_EQ(S_OK, call.hr);
        EXPECT_EQ(VT_BSTR, V_VT(&call.result.get()));
        return call.text();
    }
};

void expectLong(const Call& call, long n) {
    EXPECT_EQ(S_OK, call.hr);
    ASSERT_EQ(VT_I4, V_VT(&call.result.get()));
    EXPECT_EQ(n, V_I4(&call.result.get()));
}

} // namespace

TEST(Counter, NewFileStartsAtIntegerOneThenCountsInLongs) {
    Web w;
    std::wstring f = scratch(L"new.cnt");
    DeleteFileW(f.c_str());
    Call first;
    w.counter(first, f, vbool(true));
    EXPECT_EQ(S_OK, first.hr);
    ASSERT_EQ(VT_I2, V_VT(&first.result.get()));
    EXPECT_EQ(1, V_I2(&first.result.get()));
    EXPECT_EQ("1\r\n", readFile(f));
    Call second;
    w.counter(second, f, vbool(true));
    expectLong(second, 2);
    EXPECT_EQ("2\r\n", readFile(f));
    Call third;
    w.counter(third, f);
    expectLong(third, 2);
}

TEST(Counter, OnlyTrueIncrements) {
    Web w;
    std::wstring f = scratch(L"only.cnt");
    VARIANT empty;
    VariantInit(&empty);
    VARIANT null;
    VariantInit(&null);
    V_VT(&null) = VT_NULL;
    struct Case {
        VARIANT v;
        bool counts;
    } cases[] = {{vmissing(), false}, {vbool(false), false}, {vi2(1), false}, {vstr(L"yes"), false}, {empty, false},
                 {null, false}, {vi2(-1), true}, {vstr(L"-1"), true}, {vbool(true), true}};
    for (Case& c : cases) {
        writeFile(f, "7 visitors\r\nsecond line\r\n");
        Call call;
        w.counter(call, f, c.v);
        VariantClear(&c.v);
        expectLong(call, c.counts ? 8 : 7);
        EXPECT_EQ(c.counts ? std::string("8\r\n") : std::string("7 visitors\r\nsecond line\r\n"), readFile(f));
    }
}

TEST(Counter, FirstLineIsReadByTheLeadingNumberRules) {
    Web w;
    std::wstring f = scratch(L"rules.cnt");
    struct Case {
        const char* content;
        long value;
    } cases[] = {{"  41 visitors\r\n", 41}, {"12.5\r\n", 12}, {"13.5\r\n", 14}, {"1 2 3\r\n", 123}, {"\t9\r\n", 9},
                 {"&H10\r\n", 16}, {"&O17", 15}, {"-5\r\n", -5}, {"1e3\r\n", 1000}, {"abc\r\n", 0}, {"\r\n42\r\n", 0},
                 {"42", 42}, {"4\n2\r\n", 42}, {"7\r9\r\n", 7}, {"2147483646\r\n", 2147483646}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        writeFile(f, c.content);
        Call call;
        w.counter(call, f);
        expectLong(call, c.value);
        EXPECT_EQ(c.content, readFile(f)) << "reading leaves the file as it was";
    }
    writeFile(f, "  41 visitors\r\n");
    Call call;
    w.counter(call, f, vbool(true));
    expectLong(call, 42);
    EXPECT_EQ("42\r\n", readFile(f));
}

TEST(Counter, FailuresAreErrorTextsAndKeepTheStoredCount) {
    Web w;
    std::wstring f = scratch(L"fail.cnt");
    writeFile(f, "");
    Call empty;
    w.counter(empty, f, vbool(true));
    EXPECT_EQ(S_OK, empty.hr);
    EXPECT_EQ(L"There was an error in the GetCounter function: 62 ...Input past end of file", empty.text());
    EXPECT_EQ("", readFile(f));

    writeFile(f, "2147483646\r\n");
    Call last;
    w.counter(last, f, vbool(true));
    expectLong(last, 2147483647);
    EXPECT_EQ("2147483647\r\n", readFile(f));
    Call over;
    w.counter(over, f, vbool(true));
    EXPECT_EQ(L"There was an error in the GetCounter function: 6 ...Overflow", over.text());
    EXPECT_EQ("2147483647\r\n", readFile(f)) << "the stored count stays readable and unchanged";
    Call read;
    w.counter(read, f);
    expectLong(read, 2147483647);

    writeFile(f, "3000000000\r\n");
    Call big;
    w.counter(big, f);
    EXPECT_EQ(L"There was an error in the GetCounter function: 6 ...Overflow", big.text());

    // A missing folder, a folder, a hidden counter and the rest are in the fault table.
    Call noName;
    w.counter(noName, L"", vbool(true));
    EXPECT_EQ(L"There was an error in the GetCounter function: 52 ...Bad file name or number", noName.text());
}

TEST(Counter, WaitsBrieflyForAnotherHolderThenReportsTheFileInUse) {
    Web w;
    std::wstring f = scratch(L"held.cnt");
    writeFile(f, "5\r\n");
    {
        HeldFile held(f);
        ASSERT_TRUE(held.held());
        CountingWindow window; // the caller's window stays responsive while the request waits
        window.post();
        Call call;
        w.counter(call, f, vbool(true));
        EXPECT_EQ(L"There was an error in the GetCounter function: 70 ...Permission denied", call.text());
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
    Call call;
    w.counter(call, f, vbool(true));
    expectLong(call, 6);
    letGo.join();
    EXPECT_EQ("6\r\n", readFile(f));
}

TEST(Counter, APlainReaderElsewhereNeverMakesAnIncrementWait) {
    Web w;
    std::wstring f = scratch(L"read-elsewhere.cnt");
    writeFile(f, "100\r\n");
    HeldFile reader(f, Holder::readerSharingAll);
    ASSERT_TRUE(reader.held());
    DWORD slowest = 0;
    for (int i = 1; i <= 50; ++i) {
        DWORD start = GetTickCount();
        Call call;
        w.counter(call, f, vbool(true));
        slowest = std::max(slowest, GetTickCount() - start);
        expectLong(call, 100 + i);
    }
    EXPECT_LT(slowest, 50u); // a wait for the reader would take the whole retry time
    EXPECT_EQ("150\r\n", readFile(f));
}

TEST(Counter, ParallelProcessesLoseNoIncrement) {
    std::wstring f = scratch(L"parallel.cnt");
    DeleteFileW(f.c_str());
    const int processes = 4, each = 60;
    std::vector<std::wstring> args(processes, L"\"" + f + L"\" " + std::to_wstring(each));
    EXPECT_EQ(std::vector<DWORD>(processes, 10), runScripts(L"bump_counter.vbs", args)) << "a request got an error text or a script died";
    EXPECT_EQ(std::to_string(processes * each) + "\r\n", readFile(f));
}

TEST(FileDate, LongDateOfTheLastChangeInLocalTime) {
    Web w;
    std::wstring f = scratch(L"dated.txt");
    writeFile(f, "x");
    SYSTEMTIME st{1998, 12, 3, 9, 12, 0, 0, 0}; // noon, so no time zone moves the day
    setLocalWriteTime(f, st);
    wchar_t expected[128];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, expected, 128);
    std::wstring got = w.text(L"GetFileDate", {vstr(f.c_str())});
    EXPECT_EQ(expected, got);
    if (GetUserDefaultLCID() == 0x409) EXPECT_EQ(L"Wednesday, December 9, 1998", got);
}

TEST(ReadTextFile, LinesBecomeHtmlText) {
    Web w;
    std::wstring f = scratch(L"page.txt");
    struct Case {
        const char* content;
        const wchar_t* html;
    } cases[] = {{"Hello\r\n\r\nWorld\r\n", L"Hello<BR><P></P>World<BR>"},
                 {"Hello\r\n\r\nWorld", L"Hello<BR><P></P>World<BR>"},
                 {"", L""},
                 {"   \r\n", L"<P></P>"},
                 {"  x  \r\n", L"  x  <BR>"},
                 {"<b>&amp;</b>\r\n", L"<b>&amp;</b><BR>"},
                 {"a\nb\r\n", L"a\nb<BR>"},
                 {"a\rb", L"a<BR>b<BR>"},
                 {"\t\r\n", L"\t<BR>"},
                 {"Caf\xE9\r\n", L"Caf\x00E9<BR>"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        writeFile(f, c.content);
        EXPECT_EQ(c.html, w.text(L"ReadTextFile", {vstr(f.c_str())}));
    }
}

TEST(ComboList, FilesOfADirectoryAsOptions) {
    Web w;
    std::wstring dir = scratch(L"combo");
    CreateDirectoryW(dir.c_str(), nullptr);
    writeFile(dir + L"\\report.txt", "r");
    EXPECT_EQ(L"<select name='files'><option>report</select>",
              w.text(L"ComboListDirectory", {vstr(L"files"), vstr(dir.c_str())}));
    EXPECT_EQ(L"<select name='files'><option>report</select>",
              w.text(L"ComboListDirectory", {vstr(L"files"), vstr((dir + L"\\").c_str()), vbool(false)}));
    EXPECT_EQ(L"<select name='files'><option>report.txt</select>",
              w.text(L"ComboListDirectory", {vstr(L"files"), vstr(dir.c_str()), vbool(true)}));
    EXPECT_EQ(L"<select name='Unnamed'><option>report</select>",
              w.text(L"ComboListDirectory", {vstr(L"   "), vstr(dir.c_str())}));
    EXPECT_EQ(L"<select name=' a '><option>report</select>",
              w.text(L"ComboListDirectory", {vstr(L" a "), vstr(dir.c_str())}));
    EXPECT_EQ(L"There was an error in the ComboListDirectory function: 13 Type mismatch",
              w.text(L"ComboListDirectory", {vstr(L"x"), vstr(dir.c_str()), vstr(L"maybe")}));
}

TEST(ComboList, NamesAreEscapedAndOnlyOrdinaryFilesCount) {
    Web w;
    std::wstring dir = scratch(L"combo2");
    CreateDirectoryW(dir.c_str(), nullptr);
    writeFile(dir + L"\\it's&co.v1.txt", "x");
    std::wstring hidden = dir + L"\\hidden.txt";
    writeFile(hidden, "h");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW((dir + L"\\sub.dir").c_str(), nullptr);
    EXPECT_EQ(L"<select name='a&#39;&gt;&lt;script&gt;&amp;&quot;'><option>it&#39;s&amp;co</select>",
              w.text(L"ComboListDirectory", {vstr(L"a'><script>&\""), vstr(dir.c_str())}));
    EXPECT_EQ(L"<select name='n'><option>it&#39;s&amp;co.v1.txt</select>",
              w.text(L"ComboListDirectory", {vstr(L"n"), vstr(dir.c_str()), vbool(true)}));

    std::wstring onlyDirs = scratch(L"combo3");
    CreateDirectoryW(onlyDirs.c_str(), nullptr);
    CreateDirectoryW((onlyDirs + L"\\a").c_str(), nullptr);
    EXPECT_EQ(L"", w.text(L"ComboListDirectory", {vstr(L"n"), vstr(onlyDirs.c_str())}));
    EXPECT_EQ(L"", w.text(L"ComboListDirectory", {vstr(L"n"), vstr(scratch(L"missing_dir").c_str())}));
}

TEST(ComboList, HundredsOfFilesInThePlatformsOrder) {
    Web w;
    std::wstring dir = scratch(L"many");
    CreateDirectoryW(dir.c_str(), nullptr);
    std::set<std::wstring> expected;
    for (int i = 0; i < 300; ++i) {
        std::wstring stem = L"file" + std::to_wstring(i);
        writeFile(dir + L"\\" + stem + L".dat", "d");
        expected.insert(stem);
    }
    std::wstring html = w.text(L"ComboListDirectory", {vstr(L"m"), vstr(dir.c_str())});
    const std::wstring head = L"<select name='m'>", tail = L"</select>";
    ASSERT_EQ(0u, html.find(head));
    ASSERT_EQ(html.size() - tail.size(), html.rfind(tail));
    std::set<std::wstring> seen;
    std::wstring body = html.substr(head.size(), html.size() - head.size() - tail.size());
    for (size_t p = 0; (p = body.find(L"<option>", p)) != std::wstring::npos;) {
        p += 8;
        size_t end = body.find(L"<option>", p);
        seen.insert(body.substr(p, end == std::wstring::npos ? std::wstring::npos : end - p));
    }
    EXPECT_EQ(expected, seen);
}
