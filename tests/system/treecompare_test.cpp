// CopyFiles against independent implementations on random trees: with "*.*" the same tree, byte
// for byte, as the scripting runtime's FileSystemObject.CopyFolder, into a destination that exists
// or one that does not yet, and the same error when its parent is missing; with a pattern, the files the
// platform's own matching (FindFirstFile) selects in each folder. ZOR_TREES and ZOR_TREE_SEED
// change the number of trees (10) and the seed (bench/treecompare.sh runs 50).
#include "client.h"
#include "scratch.h"
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <thread>

using namespace test;

namespace {

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

// A tree of up to 6 levels, fewer than `files` files and some empty folders under root.
void randomTree(Random& r, const std::wstring& root, unsigned files = 501) {
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
}

using Tree = std::map<std::wstring, std::string>;

std::wstring cwd() {
    wchar_t b[MAX_PATH];
    return std::wstring(b, GetCurrentDirectoryW(MAX_PATH, b));
}

// Every folder under root and the files in them that pattern selects through the platform's own
// matching, by path from root: "<folder>" or the file's bytes. Every folder, also without a
// matching file: each level of a copy by pattern makes its destination folder.
void listTree(const std::wstring& root, Tree& out, const std::wstring& pattern = L"*", const std::wstring& under = L"") {
    for (bool folders : {true, false}) {
        WIN32_FIND_DATAW f;
        HANDLE h = FindFirstFileW((root + under + (folders ? L"*" : pattern)).c_str(), &f);
        for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f)) {
            const std::wstring name = f.cFileName, path = under + name;
            if (name == L"." || name == L".." || folders != bool(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            if (folders) listTree(root, out, pattern, path + L"\\");
            out[path] = folders ? "<folder>" : readFile(root + path);
        }
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
    }
}

// The paths whose entries differ between two trees, empty when they are the same.
std::string differences(const Tree& want, const Tree& got) {
    std::set<std::wstring> paths;
    for (auto* tree : {&want, &got})
        for (auto& entry : *tree) paths.insert(entry.first);
    std::string out;
    for (const std::wstring& p : paths)
        if (!want.count(p) || !got.count(p) || want.at(p) != got.at(p)) out += std::string(p.begin(), p.end()) + "; ";
    return out;
}

} // namespace

TEST(TreeCopy, SameAsCopyFolderAndThePlatformsMatchingOnRandomTrees) {
    const char* trees = std::getenv("ZOR_TREES");
    const char* seed = std::getenv("ZOR_TREE_SEED");
    const int count = trees ? std::atoi(trees) : 10;
    Random r{seed ? static_cast<unsigned>(std::atol(seed)) : 20261207u};
    auto w = create<_Win32Functions>(L"Win32Functions");
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
        CreateDirectoryW(src.c_str(), nullptr);
        randomTree(r, src + L"\\");
        Tree source, copied, reference, selected, matched;
        listTree(src + L"\\", source);
        files += source.size();
        SCOPED_TRACE("tree " + std::to_string(t) + ", " + std::to_string(source.size()) + " entries");

        // The whole tree, into a folder that exists or, as CopyFolder's, one that does not yet.
        if (t % 2) CreateDirectoryW((dir + L"ours").c_str(), nullptr);
        Bstr from(src), to(dir + L"ours"), all(L"*.*");
        short subDirs = -1, result = 0;
        Clock::time_point t0 = Clock::now();
        ASSERT_EQ(S_OK, w->CopyFiles(from.inout(), to.inout(), &subDirs, all.inout(), &result));
        Clock::time_point t1 = Clock::now();
        Call call;
        invoke(call, fso.get(), L"CopyFolder", Args{vstr(src.c_str()), vstr((dir + L"theirs").c_str()), vbool(true)});
        theirs += Clock::now() - t1;
        ours += t1 - t0;
        ASSERT_EQ(S_OK, call.hr);
        EXPECT_EQ(-1, result);
        listTree(dir + L"ours\\", copied);
        listTree(dir + L"theirs\\", reference);
        EXPECT_EQ("", differences(source, reference)) << "CopyFolder itself";
        EXPECT_EQ("", differences(reference, copied));

        // By pattern, into a fresh folder, made beforehand or not.
        const wchar_t* pattern = patterns[t % std::size(patterns)];
        if (t % 2 == 0) CreateDirectoryW((dir + L"matched").c_str(), nullptr);
        Bstr from2(src), to2(dir + L"matched"), pat(pattern);
        ASSERT_EQ(S_OK, w->CopyFiles(from2.inout(), to2.inout(), &subDirs, pat.inout(), &result));
        EXPECT_EQ(-1, result);
        listTree(dir + L"matched\\", matched);
        listTree(src + L"\\", selected, pattern);
        EXPECT_EQ("", differences(selected, matched)) << pattern;

        // A destination whose parent is missing: the same error, nothing made.
        Bstr from3(src), to3(dir + L"nowhere\\ours");
        Call nowhere;
        invoke(nowhere, fso.get(), L"CopyFolder", Args{vstr(src.c_str()), vstr((dir + L"nowhere\\theirs").c_str()), vbool(true)});
        EXPECT_EQ(nowhere.excep.scode, w->CopyFiles(from3.inout(), to3.inout(), &subDirs, all.inout(), &result));
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
    Tree source[2], relative;
    for (int i : {0, 1}) {
        CreateDirectoryW(path(L"src", i).c_str(), nullptr);
        randomTree(r, path(L"src", i) + L"\\", 40);
        listTree(path(L"src", i) + L"\\", source[i]);
    }
    CreateDirectoryW(here.c_str(), nullptr);
    SetCurrentDirectoryW(here.c_str());
    std::atomic<int> copying{2}, moved{0}, made{0};
    short results[2][20] = {};
    auto copies = [&](int i) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (auto w = create<_Win32Functions>(L"Win32Functions"))
            for (int n = 0; n < 20; ++n) {
                Bstr from(path(L"src", i)), to(path(L"dst", i, n)), all(L"*.*");
                short subDirs = -1;
                w->CopyFiles(from.inout(), to.inout(), &subDirs, all.inout(), &results[i][n]);
            }
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
        for (int n = 0; n < 20; ++n) {
            Tree copied;
            listTree(path(L"dst", i, n) + L"\\", copied);
            EXPECT_EQ(-1, results[i][n]);
            EXPECT_EQ("", differences(source[i], copied)) << i << " " << n;
        }
    listTree(here + L"\\", relative);
    EXPECT_EQ(static_cast<size_t>(made), relative.size());
}
