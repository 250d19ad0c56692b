#include "client.h"
#include "scratch.h"
#include <cstdint>
#include <string>
#include <vector>

using namespace test;

namespace {

using Bytes = std::vector<uint8_t>;

// ---- scratch files: the shared helpers, with the bytes as a vector ---------------------------

// A fresh folder for one test; a name in it by call.
struct Scratch {
    std::wstring dir = scratchDir(L"crypt");
    std::wstring operator()(const wchar_t* name) const { return dir + name; }
};

void writeFile(const std::wstring& path, const Bytes& data) {
    test::writeFile(path, std::string(data.begin(), data.end()));
    ASSERT_EQ(data.size(), test::readFile(path).size());
}

Bytes readFile(const std::wstring& path) {
    if (!exists(path)) return Bytes{0xDE, 0xAD}; // distinct from any content written here
    std::string bytes = test::readFile(path);
    return Bytes(bytes.begin(), bytes.end());
}

Bytes pseudoRandom(size_t n, uint32_t seed) {
    Bytes data(n);
    for (auto& b : data) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return data;
}

// The scrambled file computed here independently: byte j meets key code ((j mod 4096) mod K)
// of the key string of decimal codes.
Bytes expectedScramble(const Bytes& data, const std::string& passwordAnsi) {
    std::string key;
    for (unsigned char c : passwordAnsi) key += std::to_string(c);
    Bytes out(data.size());
    for (size_t j = 0; j < data.size(); ++j) out[j] = data[j] ^ static_cast<uint8_t>(key[(j % 4096) % key.size()]);
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

// ---- calls --------------------------------------------------------------------------------

ComPtr<_EncryptFunctions> crypt() { return create<_EncryptFunctions>(L"EncryptFunctions"); }

// CryptFile by name through IDispatch, blnReplace given or (when replace is null) omitted.
VARIANT_BOOL cryptFile(const std::wstring& in, const std::wstring& out, const wchar_t* password,
                       const VARIANT* replace = nullptr) {
    auto ef = crypt();
    Call call;
    VARIANT r = replace ? *replace : vmissing();
    std::vector<VARIANT> args{vstr(in.c_str()), vstr(out.c_str()), vstr(password), r};
    invoke(call, ef.get(), L"CryptFile", args);
    for (size_t i = 0; i < 3; ++i) VariantClear(&args[i]);
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(VT_BOOL, V_VT(&call.result.get()));
    return V_BOOL(&call.result.get());
}

const wchar_t* const password = L"\x05" L"Ab{\u007f"; // codes 5, 65, 98, 123, 127
const std::string passwordAnsi = "\x05" "Ab{\x7f";
const VARIANT yes = vbool(true); // blnReplace

// ---- tests --------------------------------------------------------------------------------

// Each size written where there is no output yet and over an older output of 9,000 bytes, plain,
// hidden or system: exactly the input's length.
TEST(CryptFile, BlocksOfEverySizeMatchTheFormat) {
    Scratch s;
    const size_t sizes[] = {0, 1, 100, 4095, 4096, 4097, 5000, 8192, 12289, 5 * 1024 * 1024 + 7};
    for (size_t n : sizes) {
        Bytes data = pseudoRandom(n, static_cast<uint32_t>(n));
        writeFile(s(L"in.bin"), data);
        DeleteFileW(s(L"out.bin").c_str());
        for (DWORD attributes : {0, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
            SCOPED_TRACE(testing::Message() << "size " << n << ", older output's attributes " << attributes);
            if (attributes) {
                writeFile(s(L"out.bin"), Bytes(9000, 0xEE));
                ASSERT_TRUE(SetFileAttributesW(s(L"out.bin").c_str(), attributes));
            }
            ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), password));
            Bytes out = readFile(s(L"out.bin"));
            ASSERT_EQ(n, out.size());
            EXPECT_TRUE(out == expectedScramble(data, passwordAnsi));
            SetFileAttributesW(s(L"out.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        EXPECT_TRUE(readFile(s(L"in.bin")) == data) << "input changed, size " << n;
    }
}

TEST(CryptFile, KeyStreamRestartsAtEveryBlock) {
    Scratch s;
    writeFile(s(L"in.bin"), Bytes(4097, 0)); // zero bytes come out as the key codes themselves
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), L"d")); // key string "100"
    Bytes out = readFile(s(L"out.bin"));
    ASSERT_EQ(4097u, out.size());
    EXPECT_EQ(Bytes({'1', '0', '0', '1'}), Bytes(out.begin(), out.begin() + 4));
    EXPECT_EQ('0', out[4094]);
    EXPECT_EQ('1', out[4095]);
    EXPECT_EQ('1', out[4096]); // an unbroken stream would give '0' here (4096 mod 3 = 1)
}

TEST(CryptFile, RoundTripsEveryByteValue) {
    Scratch s;
    Bytes data;
    for (int i = 0; i < 40; ++i)
        for (int b = 0; b < 256; ++b) data.push_back(static_cast<uint8_t>(b)); // 10,240 bytes: blocks and a rest
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
    std::string text = "Scrambled alike: files and strings!";
    writeFile(s(L"in.txt"), Bytes(text.begin(), text.end()));
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.txt"), s(L"out.txt"), L"key"));
    Bstr hex;
    ASSERT_EQ(S_OK, crypt()->EncryptString(Bstr(L"Scrambled alike: files and strings!").get(), Bstr(L"key").get(), hex.out()));
    std::wstring fromFile;
    wchar_t pair[3];
    for (uint8_t b : readFile(s(L"out.txt"))) {
        swprintf(pair, 3, L"%02X", b);
        fromFile += pair;
    }
    EXPECT_EQ(hex.text(), fromFile);
}

// The input replaced takes the output's place; replacing twice restores it.
TEST(CryptFile, ReplaceOnlyWhenTheArgumentConvertsToTrue) {
    Scratch s;
    Bytes data = pseudoRandom(9000, 3);
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
        if (c.replaces) {
            EXPECT_TRUE(readFile(s(L"in.bin")) == expectedScramble(data, passwordAnsi));
            EXPECT_FALSE(exists(s(L"out.bin")));
        } else {
            EXPECT_TRUE(readFile(s(L"in.bin")) == data);
            EXPECT_TRUE(readFile(s(L"out.bin")) == expectedScramble(data, passwordAnsi));
        }
        VariantClear(&c.arg);
    }
    DeleteFileW(s(L"out.bin").c_str());
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), password, &yes));
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"in.bin"), s(L"out.bin"), password, &yes));
    EXPECT_TRUE(readFile(s(L"in.bin")) == data);
    EXPECT_FALSE(exists(s(L"out.bin")));
}

TEST(CryptFile, FailedReplacementKeepsTheInput) {
    Scratch s;
    Bytes data = pseudoRandom(5000, 5);
    writeFile(s(L"locked.bin"), data);
    // Another holder lets the file be read and written but not deleted or replaced.
    HANDLE holder = CreateFileW(s(L"locked.bin").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    VARIANT_BOOL result = cryptFile(s(L"locked.bin"), s(L"locked.out"), password, &yes);
    CloseHandle(holder);
    EXPECT_EQ(VARIANT_FALSE, result);
    EXPECT_TRUE(readFile(s(L"locked.bin")) == data);
    EXPECT_TRUE(readFile(s(L"locked.out")) == expectedScramble(data, passwordAnsi));
}

TEST(CryptFile, ReplaceAcrossVolumes) {
    // The input on the memory file system (Z:), the output in the prefix (C:): no rename joins them.
    Scratch s;
    std::wstring other = L"Z:\\dev\\shm\\zor-crypt-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(other.c_str(), nullptr);
    std::wstring input = other + L"\\doc.bin";
    Bytes data = pseudoRandom(9000, 4);
    writeFile(input, data);
    ASSERT_EQ(VARIANT_TRUE, cryptFile(input, s(L"doc.out"), password, &yes));
    EXPECT_TRUE(readFile(input) == expectedScramble(data, passwordAnsi));
    EXPECT_FALSE(exists(s(L"doc.out")));
    // A holder that refuses the replacement: the input stays whole, the output stays, no copy is left.
    HANDLE holder = CreateFileW(input.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    VARIANT_BOOL result = cryptFile(input, s(L"doc.out"), password, &yes);
    CloseHandle(holder);
    EXPECT_EQ(VARIANT_FALSE, result);
    EXPECT_TRUE(readFile(input) == expectedScramble(data, passwordAnsi));
    EXPECT_TRUE(readFile(s(L"doc.out")) == data);
    EXPECT_FALSE(exists(input + L".zor-replace"));
    DeleteFileW(input.c_str());
    RemoveDirectoryW(other.c_str());
}

TEST(CryptFile, InputEqualToOutputIsScrambledInPlace) {
    Scratch s;
    Bytes data = pseudoRandom(10000, 9);
    writeFile(s(L"same.bin"), data);
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"same.bin"), s(L"same.bin"), password, &yes));
    EXPECT_TRUE(readFile(s(L"same.bin")) == expectedScramble(data, passwordAnsi));
    // Another spelling of the same name.
    ASSERT_EQ(VARIANT_TRUE, cryptFile(s(L"same.bin"), s(L".\\SAME.BIN"), password));
    EXPECT_TRUE(readFile(s(L"same.bin")) == data);
    // A failure at the first block, after the last one, at the replacement: the input stays
    // byte for byte and nothing is left beside it.
    HANDLE holder = CreateFileW(s(L"same.bin").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr); // lets the file be read and written, not replaced
    VARIANT noBoolean = vstr(L"maybe");
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"same.bin"), s(L"same.bin"), L""));
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"same.bin"), s(L"same.bin"), password, &noBoolean));
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"same.bin"), s(L"same.bin"), password));
    CloseHandle(holder);
    VariantClear(&noBoolean);
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
    const Bytes data = pseudoRandom(5000, 3);
    writeFile(extended, data);
    for (const std::wstring& name : {file, extended}) {
        ASSERT_EQ(VARIANT_TRUE, cryptFile(name, name, password)) << name;
        EXPECT_TRUE(readFile(extended) == expectedScramble(data, passwordAnsi)) << name;
        ASSERT_EQ(VARIANT_TRUE, cryptFile(name, name, password)) << name;
        EXPECT_TRUE(readFile(extended) == data) << name;
    }
    EXPECT_EQ(1, entriesIn(folder + L"\\"));
}

TEST(CryptFile, InPlaceKeepsTheHiddenAndSystemMarks) {
    Scratch s;
    const std::wstring file = s(L"marked.bin");
    Bytes data = pseudoRandom(5000, 12);
    for (DWORD marks : {DWORD(FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_SYSTEM), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)}) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        writeFile(file, data);
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), marks));
        const DWORD before = GetFileAttributesW(file.c_str());
        ASSERT_EQ(marks, before & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        ASSERT_EQ(VARIANT_TRUE, cryptFile(file, file, password)) << marks;
        EXPECT_TRUE(readFile(file) == expectedScramble(data, passwordAnsi)) << marks;
        // The scrambled file is a changed file: marked for backup as well (Windows clears the
        // archive mark when only the others are set; Wine always reports it).
        EXPECT_EQ(before | FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesW(file.c_str())) << marks;
    }
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A missing input creates nothing and leaves an existing output alone.
TEST(CryptFile, FailuresGiveFalse) {
    Scratch s;
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"missing.bin"), s(L"out.bin"), password));
    EXPECT_FALSE(exists(s(L"missing.bin")));
    EXPECT_FALSE(exists(s(L"out.bin")));
    writeFile(s(L"old.bin"), Bytes{1, 2, 3});
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"missing.bin"), s(L"old.bin"), password, &yes));
    EXPECT_EQ(Bytes({1, 2, 3}), readFile(s(L"old.bin")));
    EXPECT_FALSE(exists(s(L"missing.bin")));
    Bytes data = pseudoRandom(300, 1);
    writeFile(s(L"in.bin"), data);
    CreateDirectoryW(s(L"folder").c_str(), nullptr);
    // Input that is a folder (an output that cannot be written is in the fault table).
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"folder"), s(L"out.bin"), password));
    EXPECT_FALSE(exists(s(L"out.bin")));
    // An empty password fails at the first byte; an empty file needs no key.
    EXPECT_EQ(VARIANT_FALSE, cryptFile(s(L"in.bin"), s(L"out.bin"), L""));
    writeFile(s(L"empty.bin"), Bytes());
    EXPECT_EQ(VARIANT_TRUE, cryptFile(s(L"empty.bin"), s(L"out.bin"), L""));
    EXPECT_TRUE(readFile(s(L"in.bin")) == data);
    // Trapped: no error information is left behind.
    EXPECT_EQ(L"<none>", errorInfoDescription());
}

} // namespace
