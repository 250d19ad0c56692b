// The seven path-string methods through the vtable and by name through IDispatch.
#include "client.h"
#include "scratch.h"

using namespace test;

namespace {

HRESULT callString(_TextFileFunctions* tf, const std::wstring& method, BSTR in, BSTR* out) {
    if (method == L"ExtractDirectoryPath") return tf->ExtractDirectoryPath(in, out);
    if (method == L"ExtractFilename") return tf->ExtractFilename(in, out);
    if (method == L"ExtractFilenameNoExtension") return tf->ExtractFilenameNoExtension(in, out);
    return tf->ExtractExtension(in, out);
}

std::string narrow(const std::wstring& s) { return zor::toAnsi(s); }

const wchar_t* const extractions[] = {L"ExtractDirectoryPath", L"ExtractFilename", L"ExtractFilenameNoExtension",
                                      L"ExtractExtension"};

} // namespace

// The cases of tests/data/cases/paths.tsv (the script tests run them too).
TEST(Paths, EveryMethodGivesTheSameByVtableAndByName) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    const auto rows = caseRows(L"paths");
    ASSERT_GT(rows.size(), 40u);
    for (const CaseRow& c : rows) {
        const std::wstring& method = c.at(0);
        SCOPED_TRACE(narrow(method + L"(" + c.at(1) + L")"));
        Bstr in(c.at(1));
        if (method == L"AddDirSep" || method == L"AddURLDirSep") {
            BSTR s = SysAllocString(c[1].c_str());
            EXPECT_EQ(S_OK, method == L"AddDirSep" ? tf->AddDirSep(&s) : tf->AddURLDirSep(&s));
            EXPECT_EQ(c.at(2), zor::str(s));
            SysFreeString(s); // by name, references are the by-reference tests' (tests/frame/byref_test.cpp)
            continue;
        }
        Args args{vstr(c[1].c_str())};
        Call call;
        invoke(call, tf.get(), method.c_str(), args);
        ASSERT_EQ(S_OK, call.hr);
        if (method == L"IsUNCName") {
            short r = 7;
            EXPECT_EQ(S_OK, tf->IsUNCName(in.get(), &r));
            EXPECT_EQ(std::stoi(c.at(2)), r);
            ASSERT_EQ(VT_I2, V_VT(&call.result.get()));
            EXPECT_EQ(r, V_I2(&call.result.get()));
            continue;
        }
        Bstr out;
        ASSERT_EQ(S_OK, callString(tf.get(), method, in.get(), out.out()));
        EXPECT_EQ(c.at(2), out.text());
        ASSERT_NE(nullptr, out.get()) << "results are real BSTRs, even when empty";
        ASSERT_EQ(VT_BSTR, V_VT(&call.result.get()));
        EXPECT_EQ(c[2], call.text());
    }
}

TEST(Paths, NullStringsAreEmptyStrings) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    for (const wchar_t* m : extractions) {
        Bstr out;
        EXPECT_EQ(S_OK, callString(tf.get(), m, nullptr, out.out()));
        ASSERT_NE(nullptr, out.get());
        EXPECT_EQ(0u, SysStringLen(out.get()));
        EXPECT_EQ(E_POINTER, callString(tf.get(), m, nullptr, nullptr));
    }
    short r = 3;
    EXPECT_EQ(S_OK, tf->IsUNCName(nullptr, &r));
    EXPECT_EQ(0, r);
    for (bool url : {false, true}) {
        BSTR null = nullptr;
        EXPECT_EQ(S_OK, url ? tf->AddURLDirSep(&null) : tf->AddDirSep(&null));
        EXPECT_EQ(url ? L"/" : L"\\", zor::str(null));
        SysFreeString(null);
    }
    EXPECT_EQ(E_POINTER, tf->AddDirSep(nullptr));
}

// Embedded NULs are ordinary characters; paths of a million characters come back exact.
TEST(Paths, EmbeddedNulsAndMillionCharacterPathsComeBackExact) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    std::wstring million;
    for (int i = 0; i < 100000; ++i) million += L"abcdefghi\\";
    const std::wstring nul(L"C:\\a\0b\\c.d\0e.f", 14);
    const struct {
        std::wstring path, dir, name, stem, ext;
    } cases[] = {
        {nul, nul.substr(0, 7), nul.substr(7), L"c", nul.substr(9)},
        {million + L"name.ext", million, L"name.ext", L"name", L"ext"},
    };
    for (const auto& c : cases) {
        const std::wstring* expected[] = {&c.dir, &c.name, &c.stem, &c.ext};
        for (int m = 0; m < 4; ++m) {
            Bstr out;
            ASSERT_EQ(S_OK, callString(tf.get(), extractions[m], Bstr(c.path).get(), out.out()));
            EXPECT_TRUE(*expected[m] == out.text()) << narrow(extractions[m]) << ", length " << c.path.size();
        }
    }
    std::wstring spaces(1000000, L' ');
    BSTR s = SysAllocStringLen(spaces.data(), static_cast<UINT>(spaces.size()));
    EXPECT_EQ(S_OK, tf->AddDirSep(&s));
    EXPECT_EQ(L"\\", zor::str(s));
    SysFreeString(s);
    s = SysAllocString((L"x" + spaces + L"y").c_str());
    EXPECT_EQ(S_OK, tf->AddURLDirSep(&s));
    EXPECT_EQ(1000003u, SysStringLen(s));
    SysFreeString(s);
}

TEST(Paths, ArgumentsOfTheWrongTypeAreATypeMismatch) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    SAFEARRAY* sa = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    VARIANT arr;
    V_VT(&arr) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&arr) = sa;
    Call call;
    invoke(call, tf.get(), L"ExtractFilename", {arr});
    EXPECT_EQ(DISP_E_TYPEMISMATCH, call.hr);
    EXPECT_EQ(0u, call.argErr);
    VariantClear(&arr);

    Call number;
    Args args{vi4(-42)};
    invoke(number, tf.get(), L"ExtractFilename", args);
    EXPECT_EQ(S_OK, number.hr);
    EXPECT_EQ(L"-42", number.text());

    Call tooMany;
    Args two{vstr(L"a"), vstr(L"b")};
    invoke(tooMany, tf.get(), L"ExtractFilename", two);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, tooMany.hr);
    Call none;
    invoke(none, tf.get(), L"ExtractFilename", {});
    EXPECT_TRUE(none.hr == DISP_E_BADPARAMCOUNT || none.hr == DISP_E_PARAMNOTOPTIONAL) << std::hex << none.hr;
}
