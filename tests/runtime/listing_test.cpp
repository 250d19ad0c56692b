#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <set>
#include "runtime/errors.h"
#include "runtime/listing.h"
#include "scratch.h"

using namespace test;
using Names = std::set<std::wstring>;

namespace {

// a.txt, b.log, read-only r.txt, hidden h.txt, system s.txt, sub\ with one file, empty\, and
// a hidden directory.
std::wstring listingTree() {
    std::wstring dir = scratchDir(L"listing");
    writeFile(dir + L"a.txt", "a");
    writeFile(dir + L"b.log", "b");
    writeFile(dir + L"r.txt", "r");
    SetFileAttributesW((dir + L"r.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    writeFile(dir + L"h.txt", "h");
    SetFileAttributesW((dir + L"h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    writeFile(dir + L"s.txt", "s");
    SetFileAttributesW((dir + L"s.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryW((dir + L"sub").c_str(), nullptr);
    writeFile(dir + L"sub\\inner.txt", "i");
    CreateDirectoryW((dir + L"empty").c_str(), nullptr);
    CreateDirectoryW((dir + L"hdir").c_str(), nullptr);
    SetFileAttributesW((dir + L"hdir").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    return dir;
}

Names names(const std::wstring& pattern, unsigned mask) {
    zor::DirListing listing(pattern, mask);
    zor::DirEntry e;
    Names out;
    while (listing.next(e)) out.insert(e.name);
    return out;
}

} // namespace

TEST(DirListing, TheMaskChoosesTheEntries) {
    std::wstring dir = listingTree();
    EXPECT_EQ((Names{L"a.txt", L"b.log", L"r.txt"}), names(dir + L"*", zor::listNormal));
    EXPECT_EQ((Names{L"a.txt", L"b.log", L"r.txt", L"h.txt"}), names(dir + L"*", zor::listHidden));
    EXPECT_EQ((Names{L"a.txt", L"b.log", L"r.txt", L"s.txt"}), names(dir + L"*", zor::listSystem));
    EXPECT_EQ((Names{L".", L"..", L"a.txt", L"b.log", L"r.txt", L"sub", L"empty"}), names(dir, zor::listDirectory));
    EXPECT_EQ((Names{L"a.txt", L"r.txt"}), names(dir + L"*.txt", zor::listNormal));
    EXPECT_EQ((Names{L"a.txt", L"r.txt"}), names(dir + L"?.tx?", zor::listNormal));
    EXPECT_EQ((Names{L"inner.txt"}), names(dir + L"sub\\", zor::listNormal));
}

TEST(DirListing, EntriesCarryAttributesSizeAndTime) {
    std::wstring dir = listingTree();
    zor::DirListing listing(dir + L"r.txt", zor::listNormal);
    zor::DirEntry e;
    ASSERT_TRUE(listing.next(e));
    EXPECT_EQ(L"r.txt", e.name);
    EXPECT_TRUE(e.attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(1u, e.size);
    EXPECT_NE(0u, e.lastWrite.dwHighDateTime);
    EXPECT_FALSE(listing.next(e));
}

struct ExistsCase {
    const wchar_t* name; // relative to the tree, or absolute when it starts with "C:"
    bool file, fileOrDir;
};

TEST(ExistenceTests, OrdinaryFilesAndDirectories) {
    std::wstring dir = listingTree();
    const ExistsCase cases[] = {
        {L"a.txt", true, true},      {L"A.TXT", true, true},         {L"r.txt", true, true},
        {L"h.txt", false, false},    {L"s.txt", false, false},       {L"sub", false, true},
        {L"sub\\", true, true},      {L"empty", false, true},        {L"empty\\", false, true},
        {L"hdir", false, false},     {L"missing.txt", false, false}, {L"no\\such\\x.txt", false, false},
        {L"*.log", true, true},      {L"*.zzz", false, false},       {L"sub\\*.txt", true, true},
        {L"", false, false},
        // A file where a folder is expected: missing, not an invalid name.
        {L"a.txt\\", false, false},     {L"a.txt\\x", false, false},    {L"a.txt\\x\\y.log", false, false},
        // Other spellings: the other slash, a step up and back, a hidden folder's contents.
        {L"sub/inner.txt", true, true},  {L"sub\\..\\a.txt", true, true}, {L"sub\\.", false, true},
        {L"h?.txt", false, false},       {L"hdir\\", false, true},
    };
    for (const auto& c : cases) {
        std::wstring name = std::wstring(c.name).empty() ? L"" : dir + c.name;
        EXPECT_EQ(c.file, zor::fileExists(name)) << testing::PrintToString(name);
        EXPECT_EQ(c.fileOrDir, zor::fileOrDirExists(name)) << testing::PrintToString(name);
    }
    EXPECT_FALSE(zor::fileOrDirExists(dir + std::wstring(L"a.txt\0.log", 10))); // no name holds a NUL
}

TEST(ExistenceTests, BareNamesAreLookedUpInTheCurrentDirectory) {
    std::wstring dir = listingTree();
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW(dir.c_str());
    bool file = zor::fileExists(L"a.txt"), sub = zor::fileOrDirExists(L"sub"), none = zor::fileExists(L"zz.txt");
    SetCurrentDirectoryW(old);
    EXPECT_TRUE(file);
    EXPECT_TRUE(sub);
    EXPECT_FALSE(none);
}

TEST(ExistenceTests, UnixDotFilesCountAsHidden) {
    std::wstring dir = scratchDir(L"dotfiles");
    writeFile(dir + L".profile", "x");
    EXPECT_FALSE(zor::fileExists(dir + L".profile"));
    EXPECT_EQ(Names{L".profile"}, names(dir + L".profile", zor::listHidden));
}

TEST(ExistenceTests, AFileHeldOpenByAnotherProcessExists) {
    std::wstring dir = scratchDir(L"held-exists");
    writeFile(dir + L"busy.log", "x");
    HeldFile held(dir + L"busy.log");
    ASSERT_TRUE(held.held());
    EXPECT_TRUE(zor::fileExists(dir + L"busy.log"));
    EXPECT_TRUE(zor::fileOrDirExists(dir + L"busy.log"));
    EXPECT_TRUE(zor::fileExists(dir + L"busy.*"));
}
