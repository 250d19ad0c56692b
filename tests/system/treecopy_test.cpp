// Win32Functions.CopyFiles through the registered DLL: real trees copied, files compared byte for
// byte, and the current directory checked after every call; and against independent
// implementations on random trees: with "*.*" the same tree, byte for byte, as the scripting
// runtime's FileSystemObject.CopyFolder, into a destination that exists or one that does not yet,
// and the same error when its parent is missing; with a pattern, the files the platform's own
// matching (FindFirstFile) selects in each folder. ZOR_TREES and ZOR_TREE_SEED change the number
// of random trees (10) and the seed (bench/treecompare.sh runs 50).
#include "client.h"
#include "scratch.h"
#include "frame/results.h"
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <thread>

using namespace test;
using zor::call;
using W = _Win32Functions;

namespace {

std::wstring cwd() {
    wchar_t b[MAX_PATH];
    return std::wstring(b, GetCurrentDirectoryW(MAX_PATH, b));
}

// CopyFiles (with "*.txt" unless told); the automation error it ends with must be `error`. paths:
// the two paths as the call leaves them in the caller's variables.
short copyTree(std::wstring src, std::wstring dst, short subDirs = -1, long error = 0, std::wstring pattern = L"*.txt",
               std::pair<std::wstring, std::wstring>* paths = nullptr) {
    auto w = create<W>(L"Win32Functions");
    std::wstring before = cwd();
    short result = 99;
    EXPECT_EQ(error, errorOf([&] { result = call(w.get(), &W::CopyFiles, src, dst, subDirs, pattern); }));
    EXPECT_EQ(before, cwd()) << "current directory restored";
    if (paths) *paths = {src, dst};
    return result;
}

// A fresh folder of this name holding files ("path=text") and folders ("path\"), each with the
// folders above it.
std::wstring tree(const wchar_t* name, std::initializer_list<std::wstring> entries) {
    std::wstring root = scratchDir(name);
    for (const std::wstring& e : entries) {
        const size_t text = e.find(L'=');
        for (size_t at = 0; (at = e.find(L'\\', at + 1)) < text;) CreateDirectoryW((root + e.substr(0, at)).c_str(), nullptr);
        if (text != std::wstring::npos) writeFile(root + e.substr(0, text), std::string(e.begin() + text + 1, e.end()));
    }
    return root;
}

using Tree = std::map<std::wstring, std::string>;

// Every folder under root and the files in them that pattern selects through the platform's own
// matching, by path from root: "<folder>" or the file's bytes. Every folder, also without a
// matching file: each level of a copy by pattern makes its destination folder.
Tree listTree(const std::wstring& root, const std::wstring& pattern = L"*", const std::wstring& under = L"") {
    Tree out;
    for (bool folders : {true, false}) {
        WIN32_FIND_DATAW f;
        HANDLE h = FindFirstFileW((root + under + (folders ? L"*" : pattern)).c_str(), &f);
        for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f)) {
            const std::wstring name = f.cFileName, path = under + name;
            if (name == L"." || name == L".." || folders != bool(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            if (folders) out.merge(listTree(root, pattern, path + L"\\"));
            out[path] = folders ? "<folder>" : readFile(root + path);
        }
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
    }
    return out;
}

struct Random {
    unsigned state;
    unsigned operator()(unsigned n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    }
};

// Names with spaces, several dots and none; never a leading dot (listed as hidden here) nor a
// trailing dot or space (the platform drops them).
std::wstring randomName(Random& r) {
    static const wchar_t* const stems[] = {L"a", L"Report", L"my file", L"x.y", L"READ ME", L"v1.2.3", L"b c d", L"noext"};
    static const wchar_t* const ends[] = {L"", L".txt", L".TXT", L".log", L".tar.gz", L".t", L".txt.bak", L". x"};
    return stems[r(8)] + std::to_wstring(r(100)) + ends[r(8)];
}

// A new folder root holding up to 6 levels, fewer than `files` files and some empty folders; its listing.
Tree randomTree(Random& r, const std::wstring& root, unsigned files = 501) {
    CreateDirectoryW(root.c_str(), nullptr);
    std::vector<std::pair<std::wstring, int>> folders{{root, 0}};
    std::set<std::wstring> taken; // names in any case, per folder
    auto fresh = [&](const std::wstring& folder) {
        for (;;) {
            std::wstring name = randomName(r), key = folder + name;
            CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
            if (taken.insert(key).second) return folder + name;
        }
    };
    for (unsigned n = r(40); n > 0; --n) {
        auto [parent, depth] = folders[r(static_cast<unsigned>(folders.size()))];
        if (depth == 6) continue;
        std::wstring folder = fresh(parent) + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        folders.push_back({folder, depth + 1});
    }
    for (unsigned n = r(files); n > 0; --n) {
        std::string bytes(r(10) == 0 ? r(70000) : r(300), '\0');
        for (char& c : bytes) c = static_cast<char>(r(256));
        writeFile(fresh(folders[r(static_cast<unsigned>(folders.size()))].first), bytes);
    }
    return listTree(root);
}

// The paths whose entries differ between two trees, empty when they are the same.
std::string differences(const Tree& want, const Tree& got) {
    std::string out;
    for (auto& [path, entry] : want)
        if (!got.count(path) || got.at(path) != entry) out += std::string(path.begin(), path.end()) + "; ";
    for (auto& [path, entry] : got)
        if (!want.count(path)) out += std::string(path.begin(), path.end()) + "; ";
    return out;
}

} // namespace

TEST(TreeCopy, CopiesMatchingVisibleFilesLevelByLevelByFullOrRelativePath) {
    std::wstring root = tree(L"treecopy", {L"src\\a.txt=top", L"src\\b.log=b", L"src\\h.txt=h", L"src\\s.txt=s",
                                           L"src\\Sub\\c.txt=new", L"src\\Sub\\Deep\\d.txt=deep", L"src\\Hidden\\e.txt=e",
                                           L"src\\System\\", L"dst\\sub\\c.txt=old", L"dst\\sub\\keep.txt=kept", L"rel\\sub\\"});
    for (auto [name, attribute] : {std::pair{L"h.txt", FILE_ATTRIBUTE_HIDDEN}, {L"s.txt", FILE_ATTRIBUTE_SYSTEM},
                                   {L"Hidden", FILE_ATTRIBUTE_HIDDEN}, {L"System", FILE_ATTRIBUTE_SYSTEM}})
        SetFileAttributesW((root + L"src\\" + name).c_str(), attribute);
    std::wstring src = root + L"src", upper = root;
    CharLowerW(src.data()), CharUpperW(upper.data());
    std::pair<std::wstring, std::wstring> paths;
    EXPECT_EQ(-1, copyTree(src, root + L"dst", 0, 0, L"*.txt", &paths));    // this level only
    EXPECT_EQ(std::make_pair(upper + L"SRC\\", upper + L"DST\\"), paths); // normalised into the caller's variables
    EXPECT_EQ("old", readFile(root + L"dst\\sub\\c.txt"));
    EXPECT_EQ(-1, copyTree(paths.first, paths.second, -1, 0, L"*.txt", &paths));
    EXPECT_EQ(upper + L"DST\\", paths.second);
    for (auto [file, text] : {std::pair{L"a.txt", "top"}, {L"sub\\c.txt", "new"}, {L"sub\\keep.txt", "kept"},
                              {L"sub\\Deep\\d.txt", "deep"}, {L"b.log", "<missing>"}, {L"h.txt", "<missing>"},
                              {L"s.txt", "<missing>"}, {L"Hidden\\e.txt", "<missing>"}})
        EXPECT_EQ(text, readFile(root + L"dst\\" + file)) << file;
    EXPECT_EQ(1u, listTree(root + L"dst\\sub\\").count(L"Deep")); // named as listed
    EXPECT_FALSE(exists(root + L"dst\\System"));

    // Relative paths name the same folders at every level.
    std::wstring before = cwd();
    SetCurrentDirectoryW(root.c_str());
    EXPECT_EQ(-1, copyTree(L"src", L"rel"));
    SetCurrentDirectoryW(before.c_str());
    EXPECT_EQ("new", readFile(root + L"rel\\sub\\c.txt"));
}

// A failing nested level fails every level above it, after the rest of the tree is copied.
TEST(TreeCopy, AHundredSubfoldersCopyAHundredAndOneFailTheLevelAndThoseAbove) {
    for (int n : {100, 101}) {
        std::wstring root = tree(L"treecopy100", {L"src\\sub\\f.txt=f", L"src\\zz\\g.txt=g", L"dst\\"});
        for (int i = 0; i < n; ++i) CreateDirectoryW((root + L"src\\sub\\d" + std::to_wstring(i)).c_str(), nullptr);
        EXPECT_EQ(n == 100 ? -1 : 0, copyTree(root + L"src", root + L"dst"));
        EXPECT_EQ(n == 100, exists(root + L"dst\\sub\\f.txt") && exists(root + L"dst\\sub\\d99"));
        EXPECT_EQ("g", readFile(root + L"dst\\zz\\g.txt"));
    }
}

TEST(TreeCopy, TheDestinationIsLeftOutOfTheScanAndTheSourceItselfIsLeftAlone) {
    // {destination below the source, IncludeSubDirs} -> {files there after the call, folders not made}
    const struct { const wchar_t* dst; short subDirs; std::vector<const wchar_t*> made, notMade; } cases[] = {
        {L"", -1, {}, {L"in\\a.txt", L"in\\in"}},
        {L"in", 0, {L"in\\a.txt"}, {L"in\\in"}},
        {L"in\\..\\in\\", -1, {L"in\\a.txt"}, {L"in\\in"}},
        {L"in\\deep", -1, {L"in\\deep\\a.txt", L"in\\deep\\in\\b.txt"}, {L"in\\deep\\in\\deep"}},
    };
    for (const auto& c : cases) {
        std::wstring root = tree(L"treecopyinside", {L"in\\deep\\", L"a.txt=a", L"in\\b.txt=b"});
        EXPECT_EQ(-1, copyTree(root, root + c.dst, c.subDirs)) << c.dst;
        for (const wchar_t* file : c.made) EXPECT_TRUE(exists(root + file)) << c.dst << " " << file;
        for (const wchar_t* file : c.notMade) EXPECT_FALSE(exists(root + file)) << c.dst << " " << file;
        EXPECT_EQ("a", readFile(root + L"a.txt")); // nothing overwritten or lost
    }
}

TEST(TreeCopy, BelowTheHundredAndTwentyEighthLevelNothingIsCopiedAndTheCallFails) {
    // Long paths allow deeper trees than the platform's path limit: the levels stop at 128.
    std::wstring level, src = tree(L"treecopydeep", {L"dst\\"}) + L"src", dst = src.substr(0, src.size() - 3) + L"dst";
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
        std::wstring root = tree(L"treecopyblocked", {L"src\\x.txt=x", L"src\\Sub\\Deep\\y.txt=y", L"dst\\Sub\\"});
        if (c.inTheWay) RemoveDirectoryW((root + c.inTheWay).c_str()), writeFile(root + c.inTheWay, "file");
        EXPECT_EQ(c.result, copyTree(root + L"src", root + c.dst, c.subDirs, c.error)) << c.dst << " " << c.subDirs;
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
        std::wstring root = tree(L"treecopyrefused", {L"src\\Sub\\", L"dst\\Sub\\"});
        for (auto [file, text] : files) writeFile(root + L"src\\" + file, text);
        const std::wstring blocked = root + L"dst\\" + c.file;
        std::optional<HeldFile> held;
        if (c.obstacle == folder) CreateDirectoryW(blocked.c_str(), nullptr);
        if (c.obstacle == heldOpen) held.emplace(blocked);
        ASSERT_TRUE(!held || held->held());
        if (c.obstacle >= readOnly)
            writeFile(blocked, "old"), SetFileAttributesW(blocked.c_str(), c.obstacle == readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_HIDDEN);
        EXPECT_EQ(0, copyTree(root + L"src", root + L"dst")) << c.file << " " << c.obstacle;
        for (auto [file, text] : files) // all but the blocked file arrived
            EXPECT_EQ(file != std::wstring(c.file), readFile(root + L"dst\\" + file) == text)
                << file << " beside " << c.file << " " << c.obstacle;
        SetFileAttributesW(blocked.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(TreeCopy, SameAsCopyFolderAndThePlatformsMatchingOnRandomTrees) {
    const int count = std::getenv("ZOR_TREES") ? std::atoi(std::getenv("ZOR_TREES")) : 10;
    Random r{std::getenv("ZOR_TREE_SEED") ? unsigned(std::atol(std::getenv("ZOR_TREE_SEED"))) : 20261207u};
    CLSID fsoClass;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Scripting.FileSystemObject", &fsoClass));
    ComPtr<IDispatch> fso;
    ASSERT_EQ(S_OK, CoCreateInstance(fsoClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, fso.outVoid()));
    const wchar_t* const patterns[] = {L"*.txt", L"*.", L"a*", L"*.t?t", L"* *", L"*.tar.gz", L"*1*.*"};
    using Clock = std::chrono::steady_clock;
    Clock::duration ours{}, theirs{};
    size_t files = 0;
    for (int t = 0; t < count; ++t) {
        const std::wstring dir = scratchDir(L"treecompare"), src = dir + L"src";
        const Tree source = randomTree(r, src + L"\\");
        files += source.size();
        SCOPED_TRACE("tree " + std::to_string(t) + ", " + std::to_string(source.size()) + " entries");

        // The whole tree, into a folder that exists or, as CopyFolder's, one that does not yet.
        if (t % 2) CreateDirectoryW((dir + L"ours").c_str(), nullptr);
        Clock::time_point t0 = Clock::now();
        EXPECT_EQ(-1, copyTree(src, dir + L"ours", -1, 0, L"*.*"));
        Clock::time_point t1 = Clock::now();
        Call call;
        invoke(call, fso.get(), L"CopyFolder", Args{vstr(src.c_str()), vstr((dir + L"theirs").c_str()), vbool(true)});
        theirs += Clock::now() - t1;
        ours += t1 - t0;
        ASSERT_EQ(S_OK, call.hr);
        const Tree reference = listTree(dir + L"theirs\\");
        EXPECT_EQ("", differences(source, reference)) << "CopyFolder itself";
        EXPECT_EQ("", differences(reference, listTree(dir + L"ours\\")));

        // By pattern, into a fresh folder, made beforehand or not.
        const wchar_t* pattern = patterns[t % std::size(patterns)];
        if (t % 2 == 0) CreateDirectoryW((dir + L"matched").c_str(), nullptr);
        EXPECT_EQ(-1, copyTree(src, dir + L"matched", -1, 0, pattern));
        EXPECT_EQ("", differences(listTree(src + L"\\", pattern), listTree(dir + L"matched\\"))) << pattern;

        // A destination whose parent is missing: the same error, nothing made.
        Call nowhere;
        invoke(nowhere, fso.get(), L"CopyFolder", Args{vstr(src.c_str()), vstr((dir + L"nowhere\\theirs").c_str()), vbool(true)});
        EXPECT_EQ(HRESULT(0x800A004C), nowhere.excep.scode); // 76, Path not found
        copyTree(src, dir + L"nowhere\\ours", -1, 76, L"*.*");
        EXPECT_FALSE(exists(dir + L"nowhere"));
    }
    auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    std::cout << count << " trees, " << files << " entries: CopyFiles " << seconds(ours) << " s, FileSystemObject.CopyFolder "
              << seconds(theirs) << " s (anchor), ratio " << seconds(ours) / seconds(theirs) << "\n";
}

// Two copies of different trees at once on two threads of one process, while a third thread
// makes files by relative name: the copies leave the process's current directory alone.
TEST(TreeCopy, CopiesOnTwoThreadsLeaveTheCurrentDirectoryToTheOtherThreads) {
    const std::wstring dir = scratchDir(L"treecopythreads"), here = dir + L"here", before = cwd();
    auto path = [&](const wchar_t* kind, int i, int n = 0) { return dir + kind + std::to_wstring(i) + L"-" + std::to_wstring(n); };
    Random r{7};
    Tree source[2];
    for (int i : {0, 1}) source[i] = randomTree(r, path(L"src", i) + L"\\", 40);
    CreateDirectoryW(here.c_str(), nullptr);
    SetCurrentDirectoryW(here.c_str());
    std::atomic<int> copying{2}, moved{0}, made{0};
    auto copies = [&](int i) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        for (int n = 0; n < 20; ++n) EXPECT_EQ(-1, copyTree(path(L"src", i), path(L"dst", i, n), -1, 0, L"*.*")) << i << " " << n;
        CoUninitialize();
        --copying;
    };
    std::thread first(copies, 0), second(copies, 1), third([&] {
        for (; copying > 0; ++made, Sleep(1)) writeFile(L"relative" + std::to_wstring(made) + L".txt", "r");
    });
    for (; copying > 0; Sleep(1)) moved += cwd() != here;
    first.join(), second.join(), third.join();
    SetCurrentDirectoryW(before.c_str());
    EXPECT_EQ(0, moved) << "samples of another current directory";
    for (int i : {0, 1})
        for (int n = 0; n < 20; ++n) EXPECT_EQ("", differences(source[i], listTree(path(L"dst", i, n) + L"\\"))) << i << " " << n;
    EXPECT_EQ(static_cast<size_t>(made), listTree(here + L"\\").size());
}
