#include "client.h"
#include "scratch.h"
#include <cstdint>
#include <string>

using namespace test;

namespace {

// A fresh folder for one test; a name in it by call.
struct Scratch {
    std::wstring dir = scratchDir(L"crypt");
    std::wstring operator()(const wchar_t* name) const { return dir + name; }
};

std::string pseudoRandom(size_t n, uint32_t seed) {
    std::string data(n, '\0');
    for (auto& b : data) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return data;
}

const wchar_t* const password = L"\x05" L"Ab{\u007f"; // codes 5, 65, 98, 123, 127
const VARIANT yes = vbool(true); // blnReplace

// The file scrambled with password, computed here independently: byte j meets key code
// ((j mod 4096) mod K) of the key string of decimal codes.
std::string scrambled(const std::string& data) {
    const std::string key = "56598123127";
    std::string out(data.size(), '\0');
    for (size_t j = 0; j < data.size(); ++j) out[j] = static_cast<char>(data[j] ^ key[(j % 4096) % key.size()]);
    return out;
}

// The entries of a folder (of any length), "." and ".." aside.
int entriesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW f;
    HANDLE listing = FindFirstFileW((L"\\\\?\\" + folder + L"*").c_str(), &f);
    int entries = 0;
    do entries += f.cFileName[0] != L'.';
    while (FindNextFileW(listing, &f));
    FindClose(listing);
    return entries;
}

// Another holder that lets the file be read and written but not deleted or replaced.
HANDLE refusingReplacement(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    return h;
}

ComPtr<_EncryptFunctions> crypt() { return create<_EncryptFunctions>(L"EncryptFunctions"); }

// CryptFile by name through IDispatch, blnReplace given or (when replace is null) omitted.
VARIANT_BOOL cryptFile(const std::wstring& in, const std::wstring& out, const wchar_t* pw, const VARIANT* replace = nullptr) {
    Call call;
    Args args{vstr(in), vstr(out), vstr(pw), vmissing()};
    if (replace) VariantCopy(&args.v[3], const_cast<VARIANT*>(replace));
    invoke(call, crypt().get(), L"CryptFile", args);
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(VT_BOOL, V_VT(&call.result.get()));
    return V_BOOL(&call.result.get());
}

// ---- tests --------------------------------------------------------------------------------

// Each size written where there is no output yet and over an older output of 9,000 bytes, plain,
// hidden or system: exactly the input's length.
TEST(CryptFile, BlocksOfEverySizeMatchTheFormat) {
    Scratch s;
    const size_t sizes[] = {0, 1, 100, 4095, 4096, 4097, 5000, 8192, 12289, 5 * 1024 * 1024 + 7};
    for (size_t n : sizes) {
        const std::string data = pseudoRandom(n, static_cast<uint32_t>(n));
        writeFile(s(L"in.bin"), data);
        DeleteFileW(s(L"out.bin").c_str());
        for (DWORD attributes : {0, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
            SCOPED_TRACE(testing::Message() << "size " << n << ", older output's attributes " << attributes);
            if (attributes) {
                writeFile(s(L"out.bin"), std::string(9000, '\xEE'));
                ASSERT_TRUE(SetFileAttributesW(s(L"out.bin").c_str(), attributes));
            }
            ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), password));
            EXPECT_TRUE(readFile(s(L"out.bin")) == scrambled(data));
            SetFileAttributesW(s(L"out.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        EXPECT_TRUE(readFile(s(L"in.bin")) == data) << "input changed, size " << n;
    }
}

// Zero bytes come out as the key codes themselves: "d" gives the key string "100".
TEST(CryptFile, KeyStreamRestartsAtEveryBlock) {
    Scratch s;
    writeFile(s(L"in.bin"), std::string(4097, '\0'));
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), L"d"));
    const std::string out = readFile(s(L"out.bin"));
    EXPECT_EQ("1001", out.substr(0, 4));
    EXPECT_EQ("011", out.substr(4094)) << "an unbroken stream would end in '0' (4096 mod 3 = 1)";
}

TEST(CryptFile, RoundTripsEveryByteValue) {
    Scratch s;
    std::string data;
    for (int i = 0; i < 40 * 256; ++i) data += static_cast<char>(i); // 10,240 bytes: blocks and a rest
    writeFile(s(L"plain.bin"), data);
    for (const wchar_t* pw : {L"p", L"\x01\x02\x03", L"\u00ff\u00e9", L"Long password, 100% sure!"}) {
        ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"plain.bin"), s(L"scrambled.bin"), pw));
        EXPECT_FALSE(readFile(s(L"scrambled.bin")) == data);
        ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"scrambled.bin"), s(L"back.bin"), pw));
        EXPECT_TRUE(readFile(s(L"back.bin")) == data) << pw;
    }
}

TEST(CryptFile, SameFormatAsTheStringsWithinOneBlock) {
    Scratch s;
    const wchar_t* text = L"Scrambled alike: files and strings!";
    writeFile(s(L"in.txt"), zor::toAnsi(text));
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.txt"), s(L"out.txt"), L"key"));
    Bstr hex;
    ASSERT_EQ(S_OK, crypt()->EncryptString(Bstr(text).get(), Bstr(L"key").get(), hex.out()));
    std::wstring fromFile;
    wchar_t pair[3];
    for (unsigned char b : readFile(s(L"out.txt"))) {
        swprintf(pair, 3, L"%02X", b);
        fromFile += pair;
    }
    EXPECT_EQ(hex.text(), fromFile);
}

// The input replaced takes the output's place; replacing twice restores it.
TEST(CryptFile, ReplaceOnlyWhenTheArgumentConvertsToTrue) {
    Scratch s;
    const std::string data = pseudoRandom(9000, 3);
    struct Case {
        VARIANT arg;
        bool replaces;
        VARIANT_BOOL result;
    };
    Case cases[] = {
        {vmissing(), false, VARIANT_TRUE}, {vbool(false), false, VARIANT_TRUE}, {vi4(0), false, VARIANT_TRUE},
        {vstr(L"False"), false, VARIANT_TRUE}, {vbool(true), true, VARIANT_TRUE}, {vi4(1), true, VARIANT_TRUE},
        {vi2(-1), true, VARIANT_TRUE},     {vi4(42), true, VARIANT_TRUE},     {vstr(L"True"), true, VARIANT_TRUE},
        {vstr(L"abc"), false, VARIANT_FALSE}, // no Boolean: fails after the output is complete
    };
    for (auto& c : cases) {
        writeFile(s(L"in.bin"), data);
        DeleteFileW(s(L"out.bin").c_str());
        EXPECT_EQ(c.result, cryptFile(s(L"in.bin"), s(L"out.bin"), password, &c.arg));
        EXPECT_TRUE(readFile(s(L"in.bin")) == (c.replaces ? scrambled(data) : data));
        EXPECT_TRUE(readFile(s(L"out.bin")) == (c.replaces ? "<missing>" : scrambled(data)));
        VariantClear(&c.arg);
    }
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), password, &yes));
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), password, &yes));
    EXPECT_TRUE(readFile(s(L"in.bin")) == data);
    EXPECT_FALSE(exists(s(L"out.bin")));
}

// The input in a folder of its own on the same volume, and on the memory file system (Z:) where
// no rename joins it to the output in the prefix (C:). A holder that refuses the replacement: the
// input stays whole, the output stays, nothing is left beside the input.
TEST(CryptFile, ReplaceOnOneVolumeAndAcrossVolumes) {
    Scratch s;
    const std::wstring folders[] = {s(L"in\\"), L"Z:\\dev\\shm\\zor-crypt-" + std::to_wstring(GetCurrentProcessId()) + L"\\"};
    const std::string data = pseudoRandom(9000, 4);
    for (const std::wstring& folder : folders) {
        SCOPED_TRACE(zor::toAnsi(folder));
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring input = folder + L"doc.bin";
        writeFile(input, data);
        ASSERT_EQ(VARIANT_TRUE, cryptFile(input, s(L"doc.out"), password, &yes));
        EXPECT_TRUE(readFile(input) == scrambled(data));
        EXPECT_FALSE(exists(s(L"doc.out")));
        HANDLE holder = refusingReplacement(input);
        EXPECT_EQ(VARIANT_FALSE, cryptFile(input, s(L"doc.out"), password, &yes));
        CloseHandle(holder);
        EXPECT_TRUE(readFile(input) == scrambled(data));
        EXPECT_TRUE(readFile(s(L"doc.out")) == data);
        EXPECT_EQ(1, entriesIn(folder));
        DeleteFileW(input.c_str());
        DeleteFileW(s(L"doc.out").c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

TEST(CryptFile, InputEqualToOutputIsScrambledInPlace) {
    Scratch s;
    const std::string data = pseudoRandom(10000, 9);
    writeFile(s(L"same.bin"), data);
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"same.bin"), s(L"same.bin"), password, &yes));
    EXPECT_TRUE(readFile(s(L"same.bin")) == scrambled(data));
    // Another spelling of the same name.
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"same.bin"), s(L".\\SAME.BIN"), password));
    EXPECT_TRUE(readFile(s(L"same.bin")) == data);
    // A failure at the first block, after the last one, at the replacement: the input stays
    // byte for byte and nothing is left beside it.
    HANDLE holder = refusingReplacement(s(L"same.bin"));
    const Args noBoolean{vstr(L"maybe")};
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"same.bin"), s(L"same.bin"), L""));
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"same.bin"), s(L"same.bin"), password, &noBoolean.v[0]));
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"same.bin"), s(L"same.bin"), password));
    CloseHandle(holder);
    EXPECT_TRUE(readFile(s(L"same.bin")) == data);
    EXPECT_EQ(1, entriesIn(s.dir));
}

// In place in a folder of 251 characters (a scratch name from the platform would not fit),
// named plainly or in the \\?\ form; scrambled and back, nothing left beside it.
TEST(CryptFile, InPlaceInALongFolder) {
    Scratch s;
    const std::wstring folder = s.dir + std::wstring(251 - s.dir.size(), L'f');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
    const std::wstring file = folder + L"\\data.bin", extended = L"\\\\?\\" + file;
    const std::string data = pseudoRandom(5000, 3);
    writeFile(extended, data);
    for (const std::wstring& name : {file, extended}) {
        ASSERT_EQ(VARIANT_TRUE, cryptFile(name, name, password)) << name;
        EXPECT_TRUE(readFile(extended) == scrambled(data)) << name;
        ASSERT_EQ(VARIANT_TRUE, cryptFile(name, name, password)) << name;
        EXPECT_TRUE(readFile(extended) == data) << name;
    }
    EXPECT_EQ(1, entriesIn(folder + L"\\"));
}

TEST(CryptFile, InPlaceKeepsTheHiddenAndSystemMarks) {
    Scratch s;
    const std::wstring file = s(L"marked.bin");
    const std::string data = pseudoRandom(5000, 12);
    for (DWORD marks : {DWORD(FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_SYSTEM), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)}) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        writeFile(file, data);
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), marks));
        const DWORD before = GetFileAttributesW(file.c_str());
        ASSERT_EQ(marks, before & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        ASSERT_EQ(VARIANT_TRUE, cryptFile(file, file, password)) << marks;
        EXPECT_TRUE(readFile(file) == scrambled(data)) << marks;
        // The scrambled file is a changed file: marked for backup as well (Windows clears the
        // archive mark when only the others are set; Wine always reports it).
        EXPECT_EQ(before | FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesW(file.c_str())) << marks;
    }
}

// A missing input creates nothing and leaves an existing output alone.
TEST(CryptFile, FailuresGiveFalse) {
    Scratch s;
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"missing.bin"), s(L"out.bin"), password));
    EXPECT_FALSE(exists(s(L"missing.bin")));
    EXPECT_FALSE(exists(s(L"out.bin")));
    writeFile(s(L"old.bin"), "\x01\x02\x03");
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"missing.bin"), s(L"old.bin"), password, &yes));
    EXPECT_EQ("\x01\x02\x03", readFile(s(L"old.bin")));
    EXPECT_FALSE(exists(s(L"missing.bin")));
    const std::string data = pseudoRandom(300, 1);
    writeFile(s(L"in.bin"), data);
    CreateDirectoryW(s(L"folder").c_str(), nullptr);
    // Input that is a folder (an output that cannot be written is in the fault table).
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"folder"), s(L"out.bin"), password));
    EXPECT_FALSE(exists(s(L"out.bin")));
    // An empty password fails at the first byte; an empty file needs no key.
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"in.bin"), s(L"out.bin"), L""));
    writeFile(s(L"empty.bin"), "");
    EXPECT_EQ(VARIANT_TRUE, cryptFile(s(L"empty.bin"), s(L"out.bin"), L""));
    EXPECT_TRUE(readFile(s(L"in.bin")) == data);
    // Trapped: no error information is left behind.
    EXPECT_EQ(L"<none>", errorInfoDescription());
}

} // namespace
