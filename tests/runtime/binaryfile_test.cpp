#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "runtime/errors.h"
#include "runtime/files.h"
#include "scratch.h"

using zor::FileChannel;
using zor::OpenMode;

namespace {

std::wstring scratch(const wchar_t* name) {
    static const std::wstring dir = test::scratchDir(L"blockfiles");
    return dir + name;
}

using test::errorOf;

std::string content(const std::wstring& path) {
    FileChannel f(path, OpenMode::Input);
    std::string s(static_cast<size_t>(f.size()), '\0');
    if (!s.empty()) f.readExact(s.data(), s.size());
    return s;
}

TEST(BlockFile, WritesReadsAndEmptiesOnCreate) {
    const std::wstring path = scratch(L"a.bin");
    {
        FileChannel f(path, OpenMode::Output);
        f.writeBytes(std::string_view("hello world", 11));
        f.close();
        f.close(); // closing twice is harmless
    }
    EXPECT_EQ("hello world", content(path));
    {
        FileChannel f(path, OpenMode::Output);
        EXPECT_EQ(0u, f.size());
        f.writeBytes(std::string_view("hi", 2));
    }
    EXPECT_EQ("hi", content(path));
    {
        FileChannel f(path, OpenMode::Update); // no emptying: bytes are written over
        f.writeBytes(std::string_view("H", 1));
    }
    EXPECT_EQ("Hi", content(path));
    DeleteFileW(path.c_str());
}

TEST(BlockFile, ErrorsAreCatalogueNumbers) {
    const std::wstring path = scratch(L"b.bin");
    const std::wstring missing = scratch(L"missing.bin");
    {
        FileChannel f(path, OpenMode::Output);
        f.writeBytes(std::string_view("abc", 3));
    }
    EXPECT_EQ(53, errorOf([&] { FileChannel f(missing, OpenMode::Input); }));
    EXPECT_EQ(53, errorOf([&] { FileChannel f(missing, OpenMode::Update); }));
    EXPECT_EQ(76, errorOf([&] { FileChannel f(scratch(L"no-folder\\x.bin"), OpenMode::Output); }));
    EXPECT_EQ(62, errorOf([&] {
        FileChannel f(path, OpenMode::Input);
        char buf[4];
        f.readExact(buf, 4);
    }));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(missing.c_str())); // nothing was created
    DeleteFileW(path.c_str());
}

TEST(BlockFile, RecognisesTheSameFileUnderAnotherName) {
    const std::wstring path = scratch(L"same.bin");
    FileChannel f(path, OpenMode::Output);
    std::wstring upper = path;
    for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
    size_t slash = path.rfind(L'\\');
    std::wstring dotted = path.substr(0, slash) + L"\\.\\" + path.substr(slash + 1);
    EXPECT_TRUE(f.isSameFileAs(path));
    EXPECT_TRUE(f.isSameFileAs(upper));
    EXPECT_TRUE(f.isSameFileAs(dotted));
    EXPECT_FALSE(f.isSameFileAs(scratch(L"other.bin")));
    EXPECT_FALSE(f.isSameFileAs(path.substr(0, slash))); // its folder
    f.close();
    DeleteFileW(path.c_str());
}

TEST(FileReplacement, InOneStepOrNotAtAll) {
    const std::wstring source = scratch(L"src.bin"), target = scratch(L"dst.bin");
    auto make = [](const std::wstring& p, const char* text) {
        FileChannel f(p, OpenMode::Output);
        f.writeBytes(text);
    };
    make(source, "new");
    make(target, "old content");
    zor::replaceFile(source, target);
    EXPECT_EQ("new", content(target));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(source.c_str()));

    make(source, "newer");
    HANDLE holder = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    long error = errorOf([&] { zor::replaceFile(source, target); });
    CloseHandle(holder);
    EXPECT_EQ(70, error); // permission denied
    EXPECT_EQ("new", content(target));
    EXPECT_EQ("newer", content(source));
    DeleteFileW(source.c_str());
    DeleteFileW(target.c_str());
}

} // namespace
