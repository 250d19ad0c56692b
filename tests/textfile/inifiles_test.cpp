#include "textfiles.h"
#include <functional>
#include <memory>
#include <thread>

using namespace test;

struct IniFiles : TextFiles {
    std::wstring read(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
        Bstr r;
        hr = tf->ReadIniFile(Bstr(file).get(), Bstr(section).get(), Bstr(key).get(), r.out());
        return r.text();
    }
    bool write(const std::wstring& file, const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        VARIANT_BOOL r = 7;
        HRESULT h = tf->WriteINIFile(Bstr(file).get(), Bstr(section).get(), Bstr(key).get(), Bstr(value).get(), &r);
        return result(h, r);
    }
    bool create(const std::wstring& file, const VARIANT& header) {
        VARIANT_BOOL r = 7;
        return result(tf->CreateINIFile(Bstr(file).get(), header, &r), r);
    }
    bool blankLine(const std::wstring& file) {
        VARIANT_BOOL r = 7;
        return result(tf->WriteINIFileBlankLine(Bstr(file).get(), &r), r);
    }
};

TEST_F(IniFiles, ReadIniFileTrimsAndGivesEmptyForWhatIsMissing) {
    std::wstring dir = scratchDir(L"ini-read");
    std::wstring ini = dir + L"app.ini";
    writeFile(ini, "[General]\r\nColour=Blue   \r\nEmpty=\r\nLong=" + std::string(300, 'x') + "\r\n[Other]\r\nKey=v\r\n");
    struct Case {
        const wchar_t *section, *key;
        std::wstring value;
    } cases[] = {
        {L"General", L"Colour", L"Blue"},
        {L"general", L"colour", L"Blue"}, // the platform matches names without regard to case
        {L"Other", L"Key", L"v"},
        {L"General", L"Key", L""},
        {L"Missing", L"Colour", L""},
        {L"General", L"Empty", L""},
        {L"", L"", L""},
        {L"General", L"Long", std::wstring(254, L'x')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, read(ini, c.section, c.key)) << testing::PrintToString(std::wstring(c.key));
        EXPECT_EQ(S_OK, hr);
    }
}

// A name without a path lives in the Windows directory.
TEST_F(IniFiles, WriteINIFileCreatesTheFileSectionAndKey) {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring bare = std::wstring(windows) + L"\\zortest-bare.ini";
    const std::pair<std::wstring, std::wstring> files[] = {{scratchDir(L"ini-write") + L"app.ini", L""},
                                                           {L"zortest-bare.ini", bare}};
    for (const auto& [ini, full] : files) {
        const std::wstring written = full.empty() ? ini : full;
        DeleteFileW(written.c_str());
        EXPECT_TRUE(write(ini, L"General", L"Colour", L"Blue")) << ini;
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ("[General]\r\nColour=Blue\r\n", readFile(written));
        EXPECT_TRUE(write(ini, L"General", L"Size", L"10"));
        EXPECT_TRUE(write(ini, L"General", L"Colour", L"Red"));
        EXPECT_EQ("[General]\r\nColour=Red\r\nSize=10\r\n", readFile(written));
        EXPECT_EQ(L"Red", read(ini, L"General", L"Colour"));
    }
    DeleteFileW(bare.c_str());
}

// Texts the platform cannot take (they used to end the host) are refused.
TEST_F(IniFiles, WriteINIFileRefusesTextsThePlatformCannotTake) {
    std::wstring dir = scratchDir(L"ini-write-long");
    writeFile(dir + L"long.ini", "[General]\r\nKey=v\r\n");
    for (size_t n : {32767u, 40000u, 100000u}) {
        const std::wstring text(n, L'x');
        EXPECT_FALSE(write(dir + L"long.ini", text, L"Key", L"v")) << n;
        EXPECT_FALSE(write(dir + L"long.ini", L"General", text, L"v")) << n;
        EXPECT_FALSE(write(dir + L"long.ini", L"General", L"Key", text)) << n;
    }
    EXPECT_EQ("[General]\r\nKey=v\r\n", readFile(dir + L"long.ini"));
    EXPECT_TRUE(write(dir + L"long.ini", L"General", std::wstring(32766, L'k'), std::wstring(32766, L'v')));
}

// Every INI method on a plain name, names outside the ANSI code page and a path of 255 characters;
// the file read back through the wide platform calls. A blank line is two line ends.
TEST_F(IniFiles, NamesOutsideTheCodePageAndLongPathsWork) {
    const std::wstring dir = scratchDir(L"ini-names");
    std::wstring deep = dir + std::wstring(230 - dir.size(), L'd');
    CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr);
    const std::wstring files[] = {
        dir + L"plain.ini",
        dir + L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.ini", // Greek
        dir + L"\u041a\u0438\u0440\u0438\u043b\u043b\u0438\u0446\u0430.ini", // Cyrillic
        dir + L"\u4e2d\u6587\u8bbe\u7f6e.ini",                         // CJK
        deep + L"\\" + std::wstring(255 - deep.size() - 5, L'n') + L".ini", // 255 characters
    };
    Arg header(vstr(L"[General]"));
    for (const auto& ini : files) {
        EXPECT_TRUE(create(ini, header)) << ini.size();
        EXPECT_TRUE(write(ini, L"General", L"Colour", L"Blue")) << ini.size();
        EXPECT_EQ(L"Blue", read(ini, L"General", L"Colour")) << ini.size();
        EXPECT_TRUE(blankLine(ini)) << ini.size();
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ("[General]\r\nColour=Blue\r\n\r\n\r\n", readFile(L"\\\\?\\" + ini)) << ini.size();
    }
}

TEST_F(IniFiles, CreateINIFileEmptiesTheFileAndWritesTheHeader) {
    std::wstring dir = scratchDir(L"ini-create");
    Arg header(vstr(L"[General]")), none(vmissing());
    for (const wchar_t* name : {L"a.ini", L"b.ini"}) writeFile(dir + name, "[Old]\r\nKey=1\r\n");
    EXPECT_TRUE(create(dir + L"a.ini", header));
    EXPECT_EQ("[General]\r\n", readFile(dir + L"a.ini"));
    for (const wchar_t* name : {L"b.ini", L"c.ini"}) { // an old file and a missing one
        EXPECT_TRUE(create(dir + name, none)) << name;
        EXPECT_EQ("", readFile(dir + name)) << name;
    }
}

TEST_F(IniFiles, AFileHeldByAnotherProcessForAMomentIsWaitedForWithMessagesFlowing) {
    const std::wstring ini = scratchDir(L"ini-wait") + L"a.ini";
    Arg header(vstr(L"[General]"));
    const std::function<bool()> calls[] = {
        [&] { return read(ini, L"General", L"Colour") == L"Blue"; },
        [&] { return write(ini, L"General", L"Size", L"10"); },
        [&] { return blankLine(ini); },
        [&] { return create(ini, header); },
    };
    for (const auto& call : calls) {
        writeFile(ini, "[General]\r\nColour=Blue\r\n");
        auto held = std::make_unique<HeldFile>(ini);
        ASSERT_TRUE(held->held());
        std::thread release([&] { Sleep(300); held.reset(); });
        CountingWindow window;
        window.post();
        EXPECT_TRUE(call()) << &call - calls;
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(1, window.count());
        release.join();
    }
}

// A reader elsewhere that shares only reading holds up no read: the wait is for holders that
// refuse reading (the platform itself refuses this holder a writer, so a probe asking more waits).
TEST_F(IniFiles, AReaderElsewhereSharingOnlyReadingHoldsUpNoRead) {
    const std::wstring ini = scratchDir(L"ini-reader") + L"a.ini";
    writeFile(ini, "[General]\r\nColour=Blue\r\n");
    HeldFile reader(ini, Holder::readerSharingReading);
    ASSERT_TRUE(reader.held());
    HANDLE writer = CreateFileW(ini.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(INVALID_HANDLE_VALUE, writer);
    ASSERT_EQ(DWORD(ERROR_SHARING_VIOLATION), GetLastError());
    // A read that waited on this holder would give up with error 70, as it stays through the call.
    EXPECT_EQ(L"Blue", read(ini, L"General", L"Colour"));
    EXPECT_EQ(S_OK, hr);
}
