// Win32Functions.CopyFiles: real trees copied through the registered DLL, files compared byte for
// byte, and the current directory checked after every call.
#include "client.h"
#include "scratch.h"
#include "frame/results.h"
#include <optional>

using namespace test;
using zor::call;
using W = _Win32Functions;

namespace {

std::wstring cwd() {
    wchar_t b[MAX_PATH];
    return std::wstring(b, GetCurrentDirectoryW(MAX_PATH, b));
}

// CopyFiles with "*.txt"; the automation error it ends with must be `error`.
short copyTree(std::wstring& src, std::wstring& dst, short subDirs = -1, long error = 0) {
    auto w = create<W>(L"Win32Functions");
    std::wstring before = cwd(), pattern = L"*.txt";
    short result = 99;
    EXPECT_EQ(error, errorOf([&] { result = call(w.get(), &W::CopyFiles, src, dst, subDirs, pattern); }));
    EXPECT_EQ(before, cwd()) << "current directory restored";
    return result;
}

std::wstring tree(const wchar_t* name, std::initializer_list<std::pair<const wchar_t*, const char*>> entries) {
    std::wstring root = scratchDir(name);
    for (auto [path, text] : entries) text ? writeFile(root + path, text) : void(CreateDirectoryW((root + path).c_str(), nullptr));
    return root;
}

} // namespace

TEST(TreeCopy, CopiesMatchingVisibleFilesLevelByLevel) {
    std::wstring root = tree(L"treecopy", {{L"src", nullptr}, {L"src\\Sub", nullptr}, {L"src\\Sub\\Deep", nullptr},
                                           {L"src\\Hidden", nullptr}, {L"src\\System", nullptr}, {L"dst", nullptr},
                                           {L"dst\\sub", nullptr}, {L"src\\a.txt", "top"}, {L"src\\b.log", "b"},
                                           {L"src\\h.txt", "h"}, {L"src\\s.txt", "s"}, {L"src\\Sub\\c.txt", "new"},
                                           {L"src\\Sub\\Deep\\d.txt", "deep"}, {L"src\\Hidden\\e.txt", "e"},
                                           {L"dst\\sub\\c.txt", "old"}, {L"dst\\sub\\keep.txt", "kept"}});
    for (auto [name, attribute] : {std::pair{L"h.txt", FILE_ATTRIBUTE_HIDDEN}, {L"s.txt", FILE_ATTRIBUTE_SYSTEM},
                                   {L"Hidden", FILE_ATTRIBUTE_HIDDEN}, {L"System", FILE_ATTRIBUTE_SYSTEM}})
        SetFileAttributesW((root + L"src\\" + name).c_str(), attribute);
    std::wstring src = root + L"src", dst = root + L"dst", upper = root;
    CharLowerW(src.data()), CharUpperW(upper.data());
    EXPECT_EQ(-1, copyTree(src, dst, 0)); // this level only
    EXPECT_EQ(upper + L"SRC\\", src);     // normalised into the caller's variables
    EXPECT_EQ(upper + L"DST\\", dst);
    EXPECT_EQ("old", readFile(root + L"dst\\sub\\c.txt"));
    EXPECT_EQ(-1, copyTree(src, dst));
    EXPECT_EQ(upper + L"DST\\", dst);
    for (auto [file, text] : {std::pair{L"a.txt", "top"}, {L"sub\\c.txt", "new"}, {L"sub\\keep.txt", "kept"},
                              {L"sub\\Deep\\d.txt", "deep"}, {L"b.log", "<missing>"}, {L"h.txt", "<missing>"},
                              {L"s.txt", "<missing>"}, {L"Hidden\\e.txt", "<missing>"}})
        EXPECT_EQ(text, readFile(root + L"dst\\" + file)) << file;
    WIN32_FIND_DATAW made;
    FindClose(FindFirstFileW((root + L"dst\\sub\\deep").c_str(), &made));
    EXPECT_STREQ(L"Deep", made.cFileName); // named as listed
    EXPECT_FALSE(exists(root + L"dst\\System"));
}

TEST(TreeCopy, RelativePathsNameTheSameFoldersAtEveryLevel) {
    std::wstring root = tree(L"treecopyrelative", {{L"src", nullptr}, {L"src\\a", nullptr}, {L"src\\a\\f.txt", "f"},
                                                   {L"dst", nullptr}, {L"dst\\a", nullptr}});
    std::wstring before = cwd(), src = L"src", dst = L"dst";
    SetCurrentDirectoryW(root.c_str());
    EXPECT_EQ(-1, copyTree(src, dst));
    SetCurrentDirectoryW(before.c_str());
    EXPECT_EQ("f", readFile(root + L"dst\\a\\f.txt"));
}

// A failing nested level fails every level above it, after the rest of the tree is copied.
TEST(TreeCopy, AHundredSubfoldersCopyAHundredAndOneFailTheLevelAndThoseAbove) {
    for (int n : {100, 101}) {
        std::wstring root = tree(L"treecopy100", {{L"src", nullptr}, {L"src\\sub", nullptr}, {L"src\\zz", nullptr},
                                                  {L"dst", nullptr}, {L"src\\sub\\f.txt", "f"}, {L"src\\zz\\g.txt", "g"}});
        for (int i = 0; i < n; ++i) CreateDirectoryW((root + L"src\\sub\\d" + std::to_wstring(i)).c_str(), nullptr);
        std::wstring src = root + L"src", dst = root + L"dst";
        EXPECT_EQ(n == 100 ? -1 : 0, copyTree(src, dst));
        EXPECT_EQ(n == 100, exists(root + L"dst\\sub\\f.txt") && exists(root + L"dst\\sub\\d99"));
        EXPECT_EQ("g", readFile(root + L"dst\\zz\\g.txt"));
    }
}

TEST(TreeCopy, TheDestinationIsLeftOutOfTheScanAndTheSourceItselfIsLeftAlone) {
    // {destination below the source, IncludeSubDirs} -> {files there after the call, folders not made}
    const struct {
        const wchar_t* dst;
        short subDirs;
        std::vector<const wchar_t*> made, notMade;
    } cases[] = {
        {L"", -1, {}, {L"in\\a.txt", L"in\\in"}},
        {L"in", 0, {L"in\\a.txt"}, {L"in\\in"}},
        {L"in\\..\\in\\", -1, {L"in\\a.txt"}, {L"in\\in"}},
        {L"in\\deep", -1, {L"in\\deep\\a.txt", L"in\\deep\\in\\b.txt"}, {L"in\\deep\\in\\deep"}},
    };
    for (const auto& c : cases) {
        std::wstring root =
            tree(L"treecopyinside", {{L"in", nullptr}, {L"in\\deep", nullptr}, {L"a.txt", "a"}, {L"in\\b.txt", "b"}});
        std::wstring src = root, dst = root + c.dst;
        EXPECT_EQ(-1, copyTree(src, dst, c.subDirs)) << c.dst;
        for (const wchar_t* file : c.made) EXPECT_TRUE(exists(root + file)) << c.dst << " " << file;
        for (const wchar_t* file : c.notMade) EXPECT_FALSE(exists(root + file)) << c.dst << " " << file;
        EXPECT_EQ("a", readFile(root + L"a.txt")); // nothing overwritten or lost
    }
}

TEST(TreeCopy, BelowTheHundredAndTwentyEighthLevelNothingIsCopiedAndTheCallFails) {
    // Long paths allow deeper trees than the platform's path limit: the levels stop at 128.
    std::wstring level, src = tree(L"treecopydeep", {{L"dst", nullptr}}) + L"src", dst = src.substr(0, src.size() - 3) + L"dst";
    CreateDirectoryW(src.c_str(), nullptr);
    for (int depth = 2; depth <= 200; ++depth) {
        CreateDirectoryW((src + (level += L"\\d")).c_str(), nullptr);
        if (depth == 128 || depth == 129) writeFile(src + level + L"\\f.txt", std::to_string(depth));
    }
    EXPECT_EQ(0, copyTree(src, dst));
    EXPECT_EQ("128", readFile(dst + level.substr(0, 2 * 127) + L"\\f.txt"));
    EXPECT_FALSE(exists(dst + level.substr(0, 2 * 128) + L"\\f.txt"));
}

// A missing destination folder, the outermost one too, is made one level deep; one that cannot be
// made fails with its error the call that tried it, and at the outermost level nothing is made.
TEST(TreeCopy, AMissingDestinationIsMadeOrFailsTheCallThatTriedIt) {
    // {destination, a file in the way, IncludeSubDirs} -> {automation error, result, a file and its text after}
    const struct { const wchar_t *dst, *inTheWay; short subDirs; long error; short result; const wchar_t* file; const char* text; } cases[] = {
        {L"new", nullptr, 0, 0, -1, L"new\\x.txt", "x"},
        {L"new", nullptr, -1, 0, -1, L"new\\Sub\\Deep\\y.txt", "y"},
        {L"nowhere\\new", nullptr, 0, 76, 99, L"nowhere", "<missing>"},
        {L"nowhere\\new", nullptr, -1, 76, 99, L"nowhere", "<missing>"},
        {L"new", L"new", 0, 75, 99, L"new", "file"},
        {L"dst", L"dst\\Sub", -1, 75, 99, L"dst\\x.txt", "x"},      // files first, then the subfolders
        {L"dst", L"dst\\Sub\\Deep", -1, 0, 0, L"dst\\x.txt", "x"}, // the level above the one that tried fails
    };
    for (const auto& c : cases) {
        std::wstring root = tree(L"treecopyblocked", {{L"src", nullptr}, {L"src\\Sub", nullptr}, {L"src\\Sub\\Deep", nullptr}, {L"src\\x.txt", "x"},
                                                      {L"src\\Sub\\Deep\\y.txt", "y"}, {L"dst", nullptr}, {L"dst\\Sub", nullptr}});
        if (c.inTheWay) RemoveDirectoryW((root + c.inTheWay).c_str()), writeFile(root + c.inTheWay, "file");
        std::wstring src = root + L"src", dst = root + c.dst;
        EXPECT_EQ(c.result, copyTree(src, dst, c.subDirs, c.error)) << c.dst << " " << c.subDirs;
        EXPECT_EQ(c.text, readFile(root + c.file)) << c.file;
    }
}

// A file that cannot be copied is passed over: the rest of the tree is copied, and the result of
// its level and of every level above it is 0. The result is -1 exactly when every file arrived.
TEST(TreeCopy, AFileThatCannotBeCopiedIsPassedOverAndTheResultSaysSo) {
    enum Obstacle { folder, heldOpen, readOnly, hidden };
    // {destination file, what stands there}: Windows refuses every one (as root, Wine would replace
    // read-only and hidden files; the Windows-rules checker refuses them as Windows does).
    const struct { const wchar_t* file; Obstacle obstacle; } cases[] = {
        {L"b.txt", folder},   {L"Sub\\d.txt", folder},   {L"b.txt", heldOpen}, {L"Sub\\d.txt", heldOpen},
        {L"b.txt", readOnly}, {L"Sub\\d.txt", readOnly}, {L"b.txt", hidden},   {L"Sub\\d.txt", hidden},
    };
    const std::pair<const wchar_t*, const char*> files[] = {{L"a.txt", "a"}, {L"b.txt", "b"}, {L"Sub\\c.txt", "c"}, {L"Sub\\d.txt", "d"}};
    for (const auto& c : cases) {
        std::wstring root = tree(L"treecopyrefused", {{L"src", nullptr}, {L"src\\Sub", nullptr}, {L"dst", nullptr}, {L"dst\\Sub", nullptr}});
        for (auto [file, text] : files) writeFile(root + L"src\\" + file, text);
        std::wstring blocked = root + L"dst\\" + c.file, src = root + L"src", dst = root + L"dst";
        std::optional<HeldFile> held;
        if (c.obstacle == folder) CreateDirectoryW(blocked.c_str(), nullptr);
        if (c.obstacle == heldOpen) held.emplace(blocked);
        ASSERT_TRUE(!held || held->held());
        if (c.obstacle >= readOnly)
            writeFile(blocked, "old"), SetFileAttributesW(blocked.c_str(), c.obstacle == readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_HIDDEN);
        short result = copyTree(src, dst);
        bool arrived = true;
        for (auto [file, text] : files) {
            bool here = readFile(root + L"dst\\" + file) == text;
            if (file == std::wstring(c.file)) arrived = here;
            else EXPECT_TRUE(here) << file << " beside " << c.file;
        }
        EXPECT_FALSE(arrived) << c.file << " " << c.obstacle;
        EXPECT_EQ(0, result) << c.file << " " << c.obstacle;
        SetFileAttributesW(blocked.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}
