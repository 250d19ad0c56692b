#include <gtest/gtest.h>
#include <functional>
#include "runtime/files.h"
#include "runtime/text.h"
#include "scratch.h"
#include <aclapi.h>
#include <sddl.h>

using namespace test;
using zor::FileChannel;
using zor::OpenMode;

TEST(FileChannel, OpenErrorsFollowTheCatalogue) {
    std::wstring dir = scratchDir(L"channel-errors");
    writeFile(dir + L"held.txt", "x");
    HeldFile held(dir + L"held.txt");
    ASSERT_TRUE(held.held());
    writeFile(dir + L"hidden.txt", "keep me");
    SetFileAttributesW((dir + L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    struct Case {
        std::wstring path;
        OpenMode mode;
        long error;
    } cases[] = {
        {dir + L"missing.txt", OpenMode::Input, 53},
        {dir + L"missing.txt", OpenMode::Update, 53},
        {dir + L"no\\such\\file.txt", OpenMode::Input, 76},
        {dir + L"no\\such\\file.txt", OpenMode::Output, 76},
        {dir + L"no\\such\\file.txt", OpenMode::Append, 76},
        {dir + L"no\\such\\file.txt", OpenMode::Binary, 76},
        {dir.substr(0, dir.size() - 1), OpenMode::Input, 75},
        {dir.substr(0, dir.size() - 1), OpenMode::Output, 75},
        {dir + L"held.txt", OpenMode::Input, 70},
        {dir + L"held.txt", OpenMode::Output, 70},
        {dir + L"held.txt", OpenMode::Append, 70},
        {dir + L"held.txt", OpenMode::Binary, 70},
        {dir + L"hidden.txt", OpenMode::Output, 75}, // never emptied
        {L"", OpenMode::Input, 52},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.error, errorOf([&] { FileChannel f(c.path, c.mode); })) << testing::PrintToString(c.path) << " mode " << int(c.mode);
    EXPECT_FALSE(exists(dir + L"missing.txt")) << "Input and Update never create";
    EXPECT_EQ("keep me", readFile(dir + L"hidden.txt"));
}

// Update writes over an existing file's bytes without emptying it; Append writes at the end.
TEST(FileChannel, OutputEmptiesAndWritesCrLfLinesUpdateWritesOverAppendAtTheEnd) {
    std::wstring dir = scratchDir(L"channel-output");
    std::wstring path = dir + L"out.txt";
    writeFile(path, "old content that must go");
    {
        FileChannel f(path, OpenMode::Output);
        EXPECT_EQ(0u, f.size());
        f.writeLine(L"first");
        f.writeText(L"sec");
        f.writeLine(L"ond");
        f.writeLine(L"");
        f.close();
        f.close(); // closing twice is harmless
    }
    EXPECT_EQ("first\r\nsecond\r\n\r\n", readFile(path));
    {
        FileChannel f(path, OpenMode::Update);
        f.writeBytes("F");
    }
    EXPECT_EQ("First\r\nsecond\r\n\r\n", readFile(path));
    writeFile(path, "a\r\n");
    {
        FileChannel f(path, OpenMode::Append);
        f.writeLine(L"b");
        // The handle may read (Windows locks the appenders' turn only through a handle with
        // read or write data access); writes still go to the end.
        char back[6];
        f.seek(0);
        EXPECT_EQ("a\r\nb\r\n", std::string(back, f.readBytes(back, sizeof back)));
        f.writeText(L"c");
    }
    EXPECT_EQ("a\r\nb\r\nc", readFile(path));
}

TEST(FileChannel, BinaryReadsAndWritesBlocksAtAPosition) {
    std::wstring dir = scratchDir(L"channel-binary");
    std::wstring path = dir + L"data.bin";
    std::string bytes(10000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    writeFile(path, bytes);
    FileChannel f(path, OpenMode::Binary);
    EXPECT_EQ(10000u, f.size());
    char block[4096];
    std::vector<size_t> sizes;
    std::string back;
    for (;;) {
        size_t n = f.readBytes(block, sizeof block);
        sizes.push_back(n);
        if (n == 0) break;
        back.append(block, n);
    }
    EXPECT_EQ((std::vector<size_t>{4096, 4096, 1808, 0}), sizes);
    EXPECT_EQ(bytes, back);
    f.seek(9998);
    EXPECT_EQ(62, errorOf([&] { f.readExact(block, 4); })) << "an exact read past the end";
    f.seek(4096);
    f.writeBytes("XYZ");
    f.close();
    bytes.replace(4096, 3, "XYZ");
    EXPECT_EQ(bytes, readFile(path));
}

// Output, Append and Binary create a missing file; no mode leaves the file open once the channel goes.
TEST(FileChannel, WritingModesCreateAMissingFileAndNothingStaysOpenAfterAChannelGoes) {
    std::wstring dir = scratchDir(L"channel-new");
    for (OpenMode mode : {OpenMode::Input, OpenMode::Output, OpenMode::Append, OpenMode::Binary}) {
        SCOPED_TRACE(testing::Message() << "mode " << int(mode));
        const std::wstring path = dir + std::to_wstring(int(mode)) + L".txt";
        if (mode == OpenMode::Input) writeFile(path, "z\r\n");
        {
            FileChannel f(path, mode);
            EXPECT_FALSE(canOpenExclusively(path));
            if (mode != OpenMode::Input) {
                EXPECT_EQ(0u, f.size());
                f.writeLine(L"z");
            }
        }
        EXPECT_TRUE(canOpenExclusively(path));
        EXPECT_EQ("z\r\n", readFile(path));
    }
}

TEST(FileChannel, RecognisesTheSameFileUnderAnotherName) {
    const std::wstring dir = scratchDir(L"channel-same"), path = dir + L"same.bin";
    FileChannel f(path, OpenMode::Output);
    std::wstring upper = path;
    CharUpperW(upper.data());
    EXPECT_TRUE(f.isSameFileAs(path));
    EXPECT_TRUE(f.isSameFileAs(upper));
    EXPECT_TRUE(f.isSameFileAs(dir + L".\\same.bin"));
    EXPECT_FALSE(f.isSameFileAs(dir + L"other.bin"));
    EXPECT_FALSE(f.isSameFileAs(dir.substr(0, dir.size() - 1))); // its folder
}

TEST(FileReplacement, InOneStepOrNotAtAll) {
    const std::wstring dir = scratchDir(L"replace"), source = dir + L"src.bin", target = dir + L"dst.bin";
    writeFile(source, "new");
    writeFile(target, "old content");
    zor::replaceFile(source, target);
    EXPECT_EQ("new", readFile(target));
    EXPECT_FALSE(exists(source));

    writeFile(source, "newer");
    HANDLE holder = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    long error = errorOf([&] { zor::replaceFile(source, target); });
    CloseHandle(holder);
    EXPECT_EQ(70, error); // permission denied
    EXPECT_EQ("new", readFile(target));
    EXPECT_EQ("newer", readFile(source));
}

// Every byte one character of the system code page (the test prefix runs with 1252).
TEST(ReadTextFile, ReadsTheWholeFileInTheAnsiCodePage) {
    std::wstring dir = scratchDir(L"read-text");
    std::string big;
    for (int i = 0; i < 100000; ++i) big += "line " + std::to_string(i) + ", some text to make it longer\r\n";
    ASSERT_GT(big.size(), 4000000u);
    const std::pair<std::string, std::wstring> cases[] = {
        {"caf\xe9\r\nline two\r", L"caf\u00e9\r\nline two\r"}, {"", L""}, {big, std::wstring(big.begin(), big.end())}};
    for (const auto& [bytes, text] : cases) {
        writeFile(dir + L"t.txt", bytes);
        EXPECT_TRUE(text == zor::readTextFile(dir + L"t.txt")) << bytes.size() << " bytes";
    }
    EXPECT_EQ(53, errorOf([&] { zor::readTextFile(dir + L"none.txt"); }));
}

TEST(FileOperations, DeleteAndRenameReportCatalogueErrors) {
    std::wstring dir = scratchDir(L"file-ops");
    writeFile(dir + L"a.txt", "a");
    writeFile(dir + L"b.txt", "b");
    EXPECT_EQ(58, errorOf([&] { zor::renameFile(dir + L"a.txt", dir + L"b.txt"); }));
    EXPECT_EQ(53, errorOf([&] { zor::renameFile(dir + L"none.txt", dir + L"c.txt"); }));
    EXPECT_EQ(0, errorOf([&] { zor::renameFile(dir + L"a.txt", dir + L"c.txt"); }));
    EXPECT_EQ("a", readFile(dir + L"c.txt"));
    EXPECT_EQ(53, errorOf([&] { zor::deleteFile(dir + L"none.txt"); }));
    EXPECT_EQ(0, errorOf([&] { zor::deleteFile(dir + L"c.txt"); }));
    EXPECT_FALSE(exists(dir + L"c.txt"));
    HeldFile held(dir + L"b.txt");
    EXPECT_EQ(70, errorOf([&] { zor::deleteFile(dir + L"b.txt"); }));
}

TEST(FileOperations, SamePathComparesFullPathsWithoutCase) {
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::wstring here(cwd);
    if (here.back() != L'\\') here += L'\\';
    EXPECT_TRUE(zor::samePath(L"app.log", here + L"APP.LOG"));
    EXPECT_TRUE(zor::samePath(L"C:\\a\\b\\..\\c.log", L"c:\\A\\C.log"));
    EXPECT_FALSE(zor::samePath(L"C:\\a\\c.log", L"C:\\a\\d.log"));
}

// The INI turn's mutex: one machine-wide name per file for every spelling, of one short length
// for any path (Windows refuses object names over MAX_PATH); every account may wait and release.
TEST(FileMutex, NameIsFixedLengthPerFileAndEveryAccountMayTakeTurns) {
    const std::wstring dir = scratchDir(L"file-turn"), deep = dir + std::wstring(250, L'd') + L".ini";
    const std::wstring name = zor::fileTurnName(dir + L"a.ini");
    const std::pair<std::wstring, bool> spellings[] = {{dir + L"sub\\..\\A.INI", true}, {dir + L"b.ini", false}, {deep, false}};
    for (const auto& [path, same] : spellings) {
        const std::wstring other = zor::fileTurnName(path);
        EXPECT_EQ(same, other == name) << other;
        EXPECT_EQ(name.size(), other.size()) << other;
    }
    EXPECT_EQ(0u, name.rfind(L"Global\\", 0)) << name;
    zor::FileMutex turn(deep, 0);
    ASSERT_TRUE(turn.taken());
    HANDLE owned = OpenMutexW(READ_CONTROL, FALSE, zor::fileTurnName(deep).c_str()); // the owner may read it
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    GetSecurityInfo(owned, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &sd);
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    EXPECT_EQ(std::wstring(L"D:(A;;0x100001;;;WD)"), text ? text : L"<none>") << "SYNCHRONIZE | MUTEX_MODIFY_STATE";
    LocalFree(text);
    LocalFree(sd);
    CloseHandle(owned);
}
