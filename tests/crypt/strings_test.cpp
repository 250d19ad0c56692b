#include "client.h"
#include "scratch.h"
#include "runtime/text.h"
#include <string>
#include <vector>
#include "crypt/keystream.h"

using namespace test;

namespace {

ComPtr<_EncryptFunctions> crypt() { return create<_EncryptFunctions>(L"EncryptFunctions"); }

struct Outcome {
    HRESULT hr;
    std::wstring text;
};

using Method = HRESULT (STDMETHODCALLTYPE _EncryptFunctions::*)(BSTR, BSTR, BSTR*);
Outcome call(Method m, const std::wstring& text, const std::wstring& password) {
    Bstr out;
    HRESULT hr = (crypt().get()->*m)(Bstr(text).get(), Bstr(password).get(), out.out());
    return {hr, out.text()};
}
Outcome encrypt(const std::wstring& t, const std::wstring& pw) { return call(&_EncryptFunctions::EncryptString, t, pw); }
Outcome decrypt(const std::wstring& t, const std::wstring& pw) { return call(&_EncryptFunctions::DecryptString, t, pw); }

// The scrambled string computed here independently: key string of decimal codes, one
// unbroken stream, two upper-case hex digits per character.
std::wstring expectedScramble(const std::wstring& text, const std::wstring& password) {
    std::string key;
    for (wchar_t c : password) key += std::to_string(static_cast<unsigned>(c)); // test texts are Latin-1
    std::wstring out;
    wchar_t pair[3];
    for (size_t i = 0; i < text.size(); ++i) {
        swprintf(pair, 3, L"%02X", static_cast<unsigned>(text[i]) ^ static_cast<unsigned char>(key[i % key.size()]));
        out += pair;
    }
    return out;
}

// The known answers of tests/data/cases/scramble.tsv (the script tests run them too).
TEST(EncryptString, KnownAnswersBothWays) {
    const auto rows = caseRows(L"scramble");
    ASSERT_GT(rows.size(), 25u);
    for (const CaseRow& c : rows) {
        Outcome o = c.at(0) == L"EncryptString" ? encrypt(c.at(1), c.at(2)) : decrypt(c.at(1), c.at(2));
        ASSERT_EQ(S_OK, o.hr) << zor::toAnsi(c[0] + L" " + c[1]);
        EXPECT_EQ(c.at(3), o.text) << zor::toAnsi(c[0] + L" [" + c[1] + L"]");
    }
}

TEST(EncryptString, CodesOfTheSystemCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "expected values are for code page 1252";
    // "caf\u00e9" with "\u00e9t\u00e9": key "233116233"; the euro sign is code 128.
    EXPECT_EQ(L"515255D8", encrypt(L"caf\u00e9", L"\u00e9t\u00e9").text);
    EXPECT_EQ(L"B1", encrypt(L"\u20ac", L"\x01").text); // 128 XOR '1'
    EXPECT_EQ(L"\u20ac", decrypt(L"B1", L"\x01").text);
    EXPECT_EQ(L"\u00ce", decrypt(L"ff", L"\x01").text); // 0xCE
}

TEST(EncryptString, TwoUpperCaseDigitsPerCharacterWithOneUnbrokenKeyStream) {
    std::wstring text, password = L"\x03Zorro{}\x7f";
    for (int i = 0; i < 16383; ++i) text += static_cast<wchar_t>(32 + (i * 7919) % 95);
    Outcome o = encrypt(text, password);
    ASSERT_EQ(S_OK, o.hr);
    EXPECT_EQ(expectedScramble(text, password), o.text);
}

TEST(DecryptString, RoundTripsEveryCode) {
    std::wstring text;
    for (int code = 0; code < 256; ++code) {
        char b = static_cast<char>(code);
        wchar_t c = 0;
        ASSERT_EQ(1, MultiByteToWideChar(CP_ACP, 0, &b, 1, &c, 1));
        text += c;
    }
    for (const wchar_t* password : {L"p", L"\x01\x02\x03", L"\u00ff\u00fe", L"Long password, 100% sure!"}) {
        Outcome scrambled = encrypt(text, password);
        ASSERT_EQ(S_OK, scrambled.hr);
        EXPECT_EQ(512u, scrambled.text.size());
        Outcome back = decrypt(scrambled.text, password);
        ASSERT_EQ(S_OK, back.hr);
        EXPECT_EQ(text, back.text) << password;
    }
}

TEST(DecryptString, WrongPasswordGivesAnotherTextOfTheSameLength) {
    Outcome o = decrypt(encrypt(L"The plain text", L"right").text, L"wrong");
    ASSERT_EQ(S_OK, o.hr);
    EXPECT_EQ(14u, o.text.size());
    EXPECT_NE(L"The plain text", o.text);
    // Passwords with the same key string are interchangeable.
    EXPECT_EQ(L"abc", decrypt(encrypt(L"abc", L"\x0c").text, L"\x01\x02").text);
}

TEST(EncryptString, EmptyPasswordIsAnInvalidArgument) {
    auto ef = crypt();
    for (bool scramble : {true, false}) {
        Bstr out;
        HRESULT hr = scramble ? ef->EncryptString(Bstr(L"x").get(), Bstr(L"").get(), out.out())
                              : ef->DecryptString(Bstr(L"41").get(), nullptr, out.out());
        EXPECT_EQ(HRESULT(0x800A0005), hr);
        EXPECT_EQ(L"Invalid procedure call or argument", errorInfoDescription());
        EXPECT_EQ(nullptr, out.get());
    }
    Call call;
    Args args{vstr(L"text"), vstr(L"")};
    invoke(call, ef.get(), L"EncryptString", args);
    EXPECT_EQ(DISP_E_EXCEPTION, call.hr);
    EXPECT_EQ(0x800A0005, static_cast<unsigned long>(call.excep.scode));
}

TEST(EncryptString, SixteenBitLimits) {
    const std::wstring limit(32766, L'a'), over(32767, L'a');
    Outcome o = encrypt(limit, L"pw");
    ASSERT_EQ(S_OK, o.hr);
    EXPECT_EQ(65532u, o.text.size());
    EXPECT_EQ(HRESULT(0x800A0006), encrypt(over, L"pw").hr);
    EXPECT_EQ(L"Overflow", errorInfoDescription());
    EXPECT_EQ(HRESULT(0x800A0006), encrypt(std::wstring(40000, L'a'), L"pw").hr);

    // A scrambled string of 32,766 digits is the longest that reads back: 16,383 characters.
    Outcome back = decrypt(encrypt(std::wstring(16383, L'z'), L"pw").text, L"pw");
    ASSERT_EQ(S_OK, back.hr);
    EXPECT_EQ(std::wstring(16383, L'z'), back.text);
    EXPECT_EQ(HRESULT(0x800A0006), decrypt(std::wstring(32767, L'4'), L"pw").hr);
    EXPECT_EQ(HRESULT(0x800A0006), decrypt(encrypt(std::wstring(16384, L'z'), L"pw").text, L"pw").hr);

    // Passwords too.
    EXPECT_EQ(S_OK, encrypt(L"abc", limit).hr);
    EXPECT_EQ(HRESULT(0x800A0006), encrypt(L"abc", over).hr);
    EXPECT_EQ(HRESULT(0x800A0006), decrypt(L"4142", over).hr);
}

TEST(KeyStream, DecimalCodesJoinedAndRepeated) {
    EXPECT_EQ("165100", zor::KeyStream(L"\x01" L"Ad").keyString());
    EXPECT_EQ("", zor::KeyStream(L"").keyString());
    EXPECT_EQ("090", zor::KeyStream(std::wstring(L"\0Z", 2)).keyString());
    zor::KeyStream keys(L"\x01" L"Ad");
    std::string taken;
    for (int i = 0; i < 13; ++i) taken += static_cast<char>(keys.next());
    EXPECT_EQ("1651001651001", taken);
}

// Position 32,767 is passed neither one code at a time nor in a block; an empty key string has no code.
TEST(KeyStream, PositionIsASixteenBitCounterAndAnEmptyKeyHasNoCode) {
    zor::KeyStream keys(std::wstring(11000, L'd')), bulk(std::wstring(11000, L'd')); // key strings of 33,000 characters
    for (int i = 1; i < 32767; ++i) ASSERT_EQ(i % 3 == 1 ? '1' : '0', keys.next()) << i;
    EXPECT_EQ(6, errorOf([&] { keys.next(); }));
    std::vector<unsigned char> block(32766), one(1), none;
    EXPECT_EQ(0, errorOf([&] { bulk.scramble(block); }));
    EXPECT_EQ(6, errorOf([&] { bulk.scramble(one); }));
    zor::KeyStream empty(L"");
    EXPECT_EQ(0, errorOf([&] { empty.scramble(none); })) << "nothing to combine: no key needed";
    EXPECT_EQ(5, errorOf([&] { empty.scramble(one); }));
}

TEST(KeyStream, ScrambleCombinesLikeNextForEveryLengthAndStart) {
    const std::wstring passwords[] = {L"\x01", L"\x0c", L"d", L"\x01\x02\x03\x04", L"\x05" L"A",
                                      L"\x01" L"Ad", L"secret", std::wstring(300, L'\u00e9')};
    for (const auto& password : passwords) {
        for (size_t start : {0u, 1u, 2u, 5u}) {
            for (size_t n : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 63u, 4095u, 4096u}) {
                zor::KeyStream bulk(password), single(password);
                for (size_t i = 0; i < start; ++i) {
                    bulk.next();
                    single.next();
                }
                std::vector<unsigned char> data(n), want(n);
                for (size_t i = 0; i < n; ++i) data[i] = static_cast<unsigned char>(i * 37 + 11);
                for (size_t i = 0; i < n; ++i) want[i] = data[i] ^ single.next();
                bulk.scramble(data);
                ASSERT_EQ(want, data) << "key " << bulk.keyString() << " start " << start << " n " << n;
                ASSERT_EQ(single.next(), bulk.next()) << "position after scramble";
            }
        }
    }
}

} // namespace
