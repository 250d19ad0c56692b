// Generated and mutated input for the methods that take free text or file content, through the
// registered library as a client calls it. A fixed seed and a few hundred inputs per method
// here; bench/fuzz.sh runs the same with ZOR_FUZZ_ITERATIONS and ZOR_FUZZ_SEED set.
#include "client.h"
#include "scratch.h"
#include <cstdlib>
#include <random>
#include <string>

using namespace test;
using namespace std::literals;

namespace {

class Input {
public:
    Input() : rng_(std::getenv("ZOR_FUZZ_SEED") ? std::strtoul(std::getenv("ZOR_FUZZ_SEED"), nullptr, 10) : 1) {}
    size_t below(size_t n) { return n ? rng_() % n : 0; }
    // Mostly short, now and then long, rarely beyond the 16-bit counters.
    size_t length() {
        size_t r = below(100);
        return r < 80 ? below(40) : r < 97 ? below(2000) : 30000 + below(5000);
    }
    // Characters of the given alphabet, or from anywhere (NULs, line ends, non-ANSI) when empty.
    std::wstring text(size_t n, std::wstring_view alphabet = {}) {
        static const std::wstring any = L"a Z09.,\\/:\"\t\r\n\0&H-+eE\x00E9\x00FF\x20AC\x4E2D\xD800"s;
        const std::wstring_view from = alphabet.empty() ? std::wstring_view(any) : alphabet;
        std::wstring s;
        for (size_t i = 0; i < n; ++i)
            s += alphabet.empty() && below(8) == 0 ? wchar_t(1 + below(0xFFFE)) : from[below(from.size())];
        return s;
    }
    // Text that the system ANSI code page holds: ASCII and Latin-1 letters.
    std::wstring ansi(size_t n) {
        std::wstring s;
        for (size_t i = 0; i < n; ++i) s += below(4) ? wchar_t(1 + below(127)) : wchar_t(0xC0 + below(64));
        return s;
    }

private:
    std::mt19937 rng_;
};

} // namespace

class Fuzz : public testing::Test {
protected:
    Input in;
    ComPtr<_TextFileFunctions> tf = create<_TextFileFunctions>(L"TextFileFunctions");
    const int iterations = std::getenv("ZOR_FUZZ_ITERATIONS") ? std::atoi(std::getenv("ZOR_FUZZ_ITERATIONS")) : 150;
};

TEST_F(Fuzz, ScrambledStringsRoundTripAndFailOnlyAsDocumented) {
    auto crypt = create<_EncryptFunctions>(L"EncryptFunctions");
    HRESULT hr;
    auto call = [&](auto method, const std::wstring& text, const std::wstring& password) {
        Bstr out;
        hr = (crypt.get()->*method)(Bstr(text).get(), Bstr(password).get(), out.out());
        return out.text();
    };
    for (int i = 0; i < iterations; ++i) {
        const std::wstring text = in.ansi(std::min<size_t>(in.length(), 16383)), password = in.ansi(1 + in.below(20));
        const std::wstring scrambled = call(&_EncryptFunctions::EncryptString, text, password);
        ASSERT_EQ(S_OK, hr);
        ASSERT_EQ(2 * text.size(), scrambled.size());
        ASSERT_EQ(std::wstring::npos, scrambled.find_first_not_of(L"0123456789ABCDEF")) << "upper-case hex";
        ASSERT_EQ(text, call(&_EncryptFunctions::DecryptString, scrambled, password));
        // The digits are read leniently: either case, and a blank, tab or line feed in place of a
        // leading zero reads the same.
        std::wstring lenient = scrambled;
        for (size_t k = 0; k < lenient.size(); k += 2) {
            if (in.below(2)) lenient[k] = towlower(lenient[k]);
            if (in.below(2)) lenient[k + 1] = towlower(lenient[k + 1]);
            if (lenient[k] != L'0' || in.below(2)) continue;
            const wchar_t blank = L" \t\n"[in.below(3)];
            if (in.below(2)) lenient[k] = blank; // " X"
            else lenient[k] = std::exchange(lenient[k + 1], blank); // "X "
        }
        ASSERT_EQ(text, call(&_EncryptFunctions::DecryptString, lenient, password));

        // Damaged or foreign scrambled strings and passwords: text of half the length, or error 5
        // (empty password) or 6 (beyond the 16-bit counters).
        std::wstring damaged = in.below(2) ? scrambled : in.text(in.length());
        for (size_t k = in.below(4); k-- && !damaged.empty();) damaged[in.below(damaged.size())] = in.text(1)[0];
        const std::wstring key = in.below(10) ? in.text(in.below(3) ? 1 + in.below(20) : in.length()) : L"";
        const std::wstring plain = call(&_EncryptFunctions::DecryptString, damaged, key);
        if (hr == S_OK) EXPECT_EQ((damaged.size() + 1) / 2, plain.size());
        else if (hr == HRESULT(0x800A0005)) EXPECT_TRUE(key.empty() && !damaged.empty());
        else EXPECT_EQ(HRESULT(0x800A0006), hr) << "input " << damaged.size() << ", password " << key.size();
    }
}

TEST_F(Fuzz, ExtractDecimalKeepsTheWholePartAndGivesExactlyTheDecimalsAsked) {
    auto various = create<_VariousFunctions>(L"VariousFunctions");
    for (int i = 0; i < iterations; ++i) {
        const std::wstring text = in.text(in.length());
        const short decimals = short(in.below(297));
        Bstr out;
        ASSERT_EQ(S_OK, various->ExtractDecimal(Bstr(text).get(), decimals, out.out()));
        const std::wstring r = out.text();
        const size_t point = text.find(L'.');
        if (point != std::wstring::npos) {
            EXPECT_EQ(point + decimals, r.size());
            EXPECT_EQ(text.substr(0, point), r.substr(0, point));
        } else {
            ASSERT_GE(r.size(), size_t(decimals));
            EXPECT_EQ(std::wstring(decimals, L'0'), r.substr(r.size() - decimals));
        }
    }
}

TEST_F(Fuzz, PathPartsPutTogetherGiveThePathAgain) {
    auto text = [&](HRESULT (STDMETHODCALLTYPE _TextFileFunctions::*m)(BSTR, BSTR*), const std::wstring& p) {
        Bstr out;
        EXPECT_EQ(S_OK, (tf.get()->*m)(Bstr(p).get(), out.out()));
        return out.text();
    };
    auto withSep = [&](bool dir, const std::wstring& p) {
        Bstr b(p);
        EXPECT_EQ(S_OK, dir ? tf->AddDirSep(b.inout()) : tf->AddURLDirSep(b.inout()));
        return b.text();
    };
    for (int i = 0; i < iterations * 4; ++i) {
        const std::wstring p = in.text(in.length(), in.below(3) ? L"ab.\\/ :"sv : L""sv);
        const std::wstring dir = text(&_TextFileFunctions::ExtractDirectoryPath, p);
        const std::wstring file = text(&_TextFileFunctions::ExtractFilename, p);
        ASSERT_EQ(p, dir + file);
        EXPECT_TRUE(dir.empty() || dir.back() == L'\\');
        EXPECT_EQ(std::wstring::npos, file.find(L'\\'));
        const std::wstring stem = text(&_TextFileFunctions::ExtractFilenameNoExtension, p);
        EXPECT_EQ(std::wstring::npos, stem.find(L'.'));
        EXPECT_EQ(stem, file.substr(0, stem.size()));
        EXPECT_TRUE(stem.size() == file.size() || file[stem.size()] == L'.');
        const std::wstring ext = text(&_TextFileFunctions::ExtractExtension, p);
        EXPECT_TRUE(ext == p || p.find(L'.') + 1 + ext.size() == p.size()) << "extension " << testing::PrintToString(ext);
        for (bool d : {true, false}) {
            const std::wstring once = withSep(d, p), twice = withSep(d, once);
            EXPECT_EQ(once, twice);
            const size_t last = once.find_last_not_of(L' ');
            ASSERT_NE(std::wstring::npos, last);
            EXPECT_TRUE(once[last] == L'\\' || once[last] == L'/');
        }
        short unc = 1;
        EXPECT_EQ(S_OK, tf->IsUNCName(Bstr(p).get(), &unc));
        auto sep = [](wchar_t c) { return c == L'\\' || c == L'/'; };
        EXPECT_EQ(p.size() >= 2 && sep(p[0]) && sep(p[1]) ? -1 : 0, unc);
    }
}

TEST_F(Fuzz, IniValuesReadBackAsWrittenAndHostileOnesFailQuietly) {
    const std::wstring ini = scratchDir(L"fuzz_ini") + L"values.ini";
    for (int i = 0; i < iterations; ++i) {
        const std::wstring section = L"S" + std::to_wstring(in.below(5)), key = L"k" + std::to_wstring(i);
        // No blank or quote at either end: nothing for the reader to trim.
        const std::wstring value = L"v" + in.text(1 + in.below(200), L"ab Z09.,\\/:=[];\t&#%()"sv) + L"v";
        VARIANT_BOOL ok = 0;
        ASSERT_EQ(S_OK, tf->WriteINIFile(Bstr(ini).get(), Bstr(section).get(), Bstr(key).get(), Bstr(value).get(), &ok));
        EXPECT_EQ(VARIANT_TRUE, ok);
        Bstr back;
        ASSERT_EQ(S_OK, tf->ReadIniFile(Bstr(ini).get(), Bstr(section).get(), Bstr(key).get(), back.out()));
        EXPECT_EQ(value, back.text());

        // Anything at all as section, key or value: no automation error on a writable file.
        const std::wstring s = in.text(in.length()), k = in.text(in.length()), v = in.text(in.length());
        EXPECT_EQ(S_OK, tf->WriteINIFile(Bstr(ini).get(), Bstr(s).get(), Bstr(k).get(), Bstr(v).get(), &ok));
        EXPECT_EQ(S_OK, tf->ReadIniFile(Bstr(ini).get(), Bstr(s).get(), Bstr(k).get(), back.out()));
        EXPECT_LE(back.text().size(), 254u);
    }
}

TEST_F(Fuzz, CounterFilesOfAnyContentGiveACountOrTheErrorText) {
    auto asp = create<_ASPFunctions>(L"ASPFunctions");
    const std::wstring file = scratchDir(L"fuzz_counter") + L"count.txt";
    const std::wstring prefix = L"There was an error in the GetCounter function: ";
    for (int i = 0; i < iterations; ++i) {
        const long stored = long(in.below(2000000000));
        std::string content;
        if (in.below(2)) content = std::to_string(stored) + (in.below(2) ? "\r\n" : "");
        const std::wstring_view alphabet = in.below(4) ? L"0123456789 -+.eEdD&HhOo\r\n\t,x"sv : L""sv; // or any bytes
        for (wchar_t c : in.text(in.below(3) ? in.below(20) : in.length(), alphabet)) content += char(c);
        writeFile(file, content);
        const bool increment = in.below(2);
        Call call;
        invoke(call, asp.get(), L"GetCounter", Args{vstr(file.c_str()), vbool(increment)});
        ASSERT_EQ(S_OK, call.hr);
        if (V_VT(&call.result.get()) == VT_BSTR) {
            const std::wstring t = call.text();
            ASSERT_EQ(prefix, t.substr(0, prefix.size())) << t;
            const long n = std::wcstol(t.c_str() + prefix.size(), nullptr, 10);
            EXPECT_TRUE(n == 6 || n == 62) << t; // overflow, empty file
            continue;
        }
        ASSERT_EQ(VT_I4, V_VT(&call.result.get()));
        const long count = V_I4(&call.result.get());
        // The stored count, then a line end: that count read; the file rewritten only by an increment.
        EXPECT_TRUE(content.rfind(std::to_string(stored) + "\r", 0) != 0 || count == stored + increment) << count << content;
        EXPECT_EQ(increment ? std::to_string(count) + "\r\n" : content, readFile(file));
    }
}

TEST_F(Fuzz, LogLinesAreStoredAsWrittenAndFoundAgain) {
    const std::wstring log = scratchDir(L"fuzz_log") + L"app.log";
    writeFile(log, "");
    std::string expected;
    for (int i = 0; i < iterations; ++i) {
        // A line of fields as a log holds them; '~' never occurs in one.
        std::wstring line;
        for (size_t f = 1 + in.below(4); f--;) line += (line.empty() ? L"" : L",") + in.text(in.below(30), L"ab Z09.:\\/\t\x00E9"sv);
        VARIANT_BOOL ok = 0;
        ASSERT_EQ(S_OK, tf->UpdateLogFile(Bstr(log).get(), Bstr(line).get(), &ok));
        ASSERT_EQ(VARIANT_TRUE, ok);
        for (wchar_t c : line) expected += char(c == L'\x00E9' ? '\xE9' : c);
        expected += "\r\n";
        ASSERT_EQ(expected, readFile(log));

        // A piece of one field of the line (the blanks before a field are not part of it) is found; a text with '~' or across a comma is not.
        const size_t at = in.below(line.size() + 1), comma = line.find(L',', at);
        const std::wstring piece = line.substr(at, in.below((comma == std::wstring::npos ? line.size() : comma) - at + 1));
        const size_t first = piece.find_first_not_of(L' ');
        if (first != std::wstring::npos) {
            const std::wstring trimmed = piece.substr(first, piece.find_last_not_of(L' ') + 1 - first);
            EXPECT_EQ(S_OK, tf->IsInLogFile(Bstr(log).get(), Bstr(trimmed).get(), &ok));
            EXPECT_EQ(VARIANT_TRUE, ok) << "'" << std::string(trimmed.begin(), trimmed.end()) << "'";
        }
        EXPECT_EQ(S_OK, tf->IsInLogFile(Bstr(log).get(), Bstr(in.text(in.below(5)) + L"~").get(), &ok));
        EXPECT_EQ(VARIANT_FALSE, ok);
        EXPECT_EQ(S_OK, tf->IsInLogFile(Bstr(log).get(), Bstr(in.text(in.length())).get(), &ok));
    }
}

TEST_F(Fuzz, FilesOfLinesReadBackLineForLine) {
    const std::wstring file = scratchDir(L"fuzz_lines") + L"lines.txt";
    for (int i = 0; i < iterations; ++i) {
        // Lines of any ANSI text but CR, ended by CR LF or a lone CR, the last one maybe by nothing.
        std::vector<std::wstring> lines(1 + in.below(in.below(10) ? 8 : 300));
        for (auto& line : lines)
            for (wchar_t c : in.ansi(in.below(2) ? in.below(10) : in.length())) line += c == L'\r' ? L'\n' : c;
        std::string content;
        bool ended = false;
        for (size_t k = 0; k < lines.size(); ++k) {
            for (wchar_t c : lines[k]) content += char(c);
            ended = k + 1 < lines.size() || in.below(2);
            const bool lfNext = k + 1 < lines.size() && !lines[k + 1].empty() && lines[k + 1][0] == L'\n';
            if (ended) content += in.below(4) || lfNext ? "\r\n" : "\r"; // a lone CR before an LF would be CR LF
        }
        if (lines.back().empty() && !ended) lines.pop_back(); // no line at all
        if (lines.empty()) continue; // an empty file reads as Null
        writeFile(file, content);
        Variant v;
        ASSERT_EQ(S_OK, tf->ReadTextFileVariant(Bstr(file).get(), &v));
        ASSERT_EQ(VT_ARRAY | VT_VARIANT, V_VT(&v.get()));
        SAFEARRAY* a = V_ARRAY(&v.get());
        LONG lo = 1, hi = 0;
        SafeArrayGetLBound(a, 1, &lo);
        SafeArrayGetUBound(a, 1, &hi);
        ASSERT_EQ(std::make_pair(0L, LONG(lines.size()) - 1), std::make_pair(lo, hi)) << "bounds";
        for (LONG k = 0; k <= hi; ++k) {
            Variant line;
            ASSERT_EQ(S_OK, SafeArrayGetElement(a, &k, &line));
            ASSERT_EQ(VT_BSTR, V_VT(&line.get()));
            ASSERT_EQ(lines[k], zor::str(V_BSTR(&line.get()))) << "line " << k;
        }
        // The same file as fields: never longer than the file; no line break left outside quotes.
        Bstr fields;
        ASSERT_EQ(S_OK, tf->ReadTextFileString(Bstr(file).get(), fields.out()));
        EXPECT_TRUE(content.find('"') != std::string::npos || fields.text().find_first_of(L"\r\n") == std::wstring::npos);
        EXPECT_LE(fields.text().size(), content.size());
    }
}
