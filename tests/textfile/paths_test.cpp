// The seven path-string methods through the vtable and by name through IDispatch.
#include "client.h"

using namespace test;

namespace {

struct StringCase {
    const wchar_t* method;
    const wchar_t* in;
    const wchar_t* out;
};

const StringCase stringCases[] = {
    {L"ExtractDirectoryPath", L"C:\\logs\\app.log", L"C:\\logs\\"},
    {L"ExtractDirectoryPath", L"app.log", L""},
    {L"ExtractDirectoryPath", L"C:\\logs\\", L"C:\\logs\\"},
    {L"ExtractDirectoryPath", L"\\\\server\\share\\f.txt", L"\\\\server\\share\\"},
    {L"ExtractDirectoryPath", L"C:/logs/app.log", L""},
    {L"ExtractDirectoryPath", L"", L""},
    {L"ExtractDirectoryPath", L"\\", L"\\"},
    {L"ExtractFilename", L"C:\\logs\\app.log", L"app.log"},
    {L"ExtractFilename", L"C:\\logs\\", L""},
    {L"ExtractFilename", L"app.log", L"app.log"},
    {L"ExtractFilename", L"C:/logs/app.log", L"C:/logs/app.log"},
    {L"ExtractFilename", L"", L""},
    {L"ExtractFilenameNoExtension", L"C:\\logs\\app.log", L"app"},
    {L"ExtractFilenameNoExtension", L"C:\\x\\archive.tar.gz", L"archive"},
    {L"ExtractFilenameNoExtension", L"C:\\x\\.profile", L""},
    {L"ExtractFilenameNoExtension", L"C:\\my.dir\\readme", L"readme"},
    {L"ExtractFilenameNoExtension", L"readme", L"readme"},
    {L"ExtractFilenameNoExtension", L"C:\\x\\", L""},
    {L"ExtractExtension", L"report.txt", L"txt"},
    {L"ExtractExtension", L"archive.tar.gz", L"tar.gz"},
    {L"ExtractExtension", L"C:\\my.dir\\file.txt", L"dir\\file.txt"},
    {L"ExtractExtension", L"README", L"README"},
    {L"ExtractExtension", L"name.", L""},
    {L"ExtractExtension", L"", L""},
    {L"ExtractExtension", L".", L""},
};

// In-out cases: the argument as passed and as it comes back.
const StringCase inOutCases[] = {
    {L"AddDirSep", L"C:\\temp", L"C:\\temp\\"},
    {L"AddDirSep", L"C:\\temp\\", L"C:\\temp\\"},
    {L"AddDirSep", L"C:\\temp/", L"C:\\temp/"},
    {L"AddDirSep", L" C:\\temp  ", L" C:\\temp\\"},
    {L"AddDirSep", L"C:\\temp\\  ", L"C:\\temp\\  "},
    {L"AddDirSep", L"", L"\\"},
    {L"AddDirSep", L"   ", L"\\"},
    {L"AddDirSep", L"a\t", L"a\t\\"},
    {L"AddURLDirSep", L"pages/news", L"pages/news/"},
    {L"AddURLDirSep", L" dir ", L"dir/"},
    {L"AddURLDirSep", L"dir\\", L"dir\\"},
    {L"AddURLDirSep", L" dir/ ", L" dir/ "},
    {L"AddURLDirSep", L"", L"/"},
    {L"AddURLDirSep", L"  ", L"/"},
};

struct UncCase {
    const wchar_t* in;
    short out;
};
const UncCase uncCases[] = {{L"\\\\server\\share", -1}, {L"//server/share", -1}, {L"\\/x", -1}, {L"/\\", -1},
                            {L"\\", 0},  {L"C:\\", 0}, {L"", 0}, {L"a\\\\", 0}, {L" \\\\", 0}};

HRESULT callString(_TextFileFunctions* tf, const std::wstring& method, BSTR in, BSTR* out) {
    if (method == L"ExtractDirectoryPath") return tf->ExtractDirectoryPath(in, out);
    if (method == L"ExtractFilename") return tf->ExtractFilename(in, out);
    if (method == L"ExtractFilenameNoExtension") return tf->ExtractFilenameNoExtension(in, out);
    return tf->ExtractExtension(in, out);
}

std::string narrow(const std::wstring& s) { return zor::toAnsi(s); }

} // namespace

TEST(Paths, StringMethodsGiveTheSameByVtableAndByName) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    for (const StringCase& c : stringCases) {
        SCOPED_TRACE(narrow(std::wstring(c.method) + L"(" + c.in + L")"));
        Bstr in(c.in), out;
        ASSERT_EQ(S_OK, callString(tf.get(), c.method, in.get(), out.out()));
        EXPECT_EQ(c.out, out.text());
        ASSERT_NE(nullptr, out.get()) << "results are real BSTRs, even when empty";
        Call call;
        Args args{vstr(c.in)};
        invoke(call, tf.get(), c.method, args);
        ASSERT_EQ(S_OK, call.hr);
        ASSERT_EQ(VT_BSTR, V_VT(&call.result.get()));
        EXPECT_EQ(c.out, call.text());
    }
}

TEST(Paths, SeparatorMethodsChangeTheirArgumentInPlace) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    for (const StringCase& c : inOutCases) {
        SCOPED_TRACE(narrow(std::wstring(c.method) + L"(" + c.in + L")"));
        const bool dir = std::wstring(c.method) == L"AddDirSep";
        BSTR s = SysAllocString(c.in);
        EXPECT_EQ(S_OK, dir ? tf->AddDirSep(&s) : tf->AddURLDirSep(&s));
        EXPECT_EQ(c.out, zor::str(s));
        SysFreeString(s);
        // By name, with the String passed by reference as a typed reference.
        BSTR t = SysAllocString(c.in);
        VARIANT ref;
        V_VT(&ref) = VT_BYREF | VT_BSTR;
        V_BSTRREF(&ref) = &t;
        Call call;
        invoke(call, tf.get(), c.method, {ref});
        EXPECT_EQ(S_OK, call.hr);
        EXPECT_EQ(c.out, zor::str(t));
        EXPECT_EQ(VT_EMPTY, V_VT(&call.result.get()));
        SysFreeString(t);
    }
    BSTR null = nullptr;
    EXPECT_EQ(S_OK, tf->AddDirSep(&null));
    EXPECT_EQ(L"\\", zor::str(null));
    SysFreeString(null);
    null = nullptr;
    EXPECT_EQ(S_OK, tf->AddURLDirSep(&null));
    EXPECT_EQ(L"/", zor::str(null));
    SysFreeString(null);
    EXPECT_EQ(E_POINTER, tf->AddDirSep(nullptr));
}

TEST(Paths, ScriptVariableByReferenceIsConvertedAndWrittenBack) {
    // A script passes its variable as VT_BYREF|VT_VARIANT: the method runs on a String copy and
    // the variable receives the result.
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    VARIANT inner = vstr(L"C:\\temp"), ref;
    V_VT(&ref) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&ref) = &inner;
    Call call;
    invoke(call, tf.get(), L"AddDirSep", {ref});
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(L"C:\\temp\\", zor::str(V_BSTR(&inner)));
    VariantClear(&inner);
}

TEST(Paths, IsUncNameGivesMinusOneOrZeroAsInteger) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    for (const UncCase& c : uncCases) {
        SCOPED_TRACE(narrow(c.in));
        Bstr in(c.in);
        short r = 7;
        EXPECT_EQ(S_OK, tf->IsUNCName(in.get(), &r));
        EXPECT_EQ(c.out, r);
        Call call;
        Args args{vstr(c.in)};
        invoke(call, tf.get(), L"IsUNCName", args);
        ASSERT_EQ(S_OK, call.hr);
        EXPECT_EQ(VT_I2, V_VT(&call.result.get()));
        EXPECT_EQ(c.out, V_I2(&call.result.get()));
    }
}

TEST(Paths, NullStringsAreEmptyStrings) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    for (const wchar_t* m : {L"ExtractDirectoryPath", L"ExtractFilename", L"ExtractFilenameNoExtension", L"ExtractExtension"}) {
        Bstr out;
        EXPECT_EQ(S_OK, callString(tf.get(), m, nullptr, out.out()));
        ASSERT_NE(nullptr, out.get());
        EXPECT_EQ(0u, SysStringLen(out.get()));
        EXPECT_EQ(E_POINTER, callString(tf.get(), m, nullptr, nullptr));
    }
    short r = 3;
    EXPECT_EQ(S_OK, tf->IsUNCName(nullptr, &r));
    EXPECT_EQ(0, r);
}

TEST(Paths, EmbeddedNulsAreOrdinaryCharacters) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    const std::wstring path(L"C:\\a\0b\\c.d\0e.f", 14);
    Bstr in(path), name, ext, dir, stem;
    ASSERT_EQ(S_OK, tf->ExtractFilename(in.get(), name.out()));
    EXPECT_EQ(std::wstring(L"c.d\0e.f", 7), name.text());
    ASSERT_EQ(S_OK, tf->ExtractExtension(in.get(), ext.out()));
    EXPECT_EQ(std::wstring(L"d\0e.f", 5), ext.text());
    ASSERT_EQ(S_OK, tf->ExtractDirectoryPath(in.get(), dir.out()));
    EXPECT_EQ(std::wstring(L"C:\\a\0b\\", 7), dir.text());
    ASSERT_EQ(S_OK, tf->ExtractFilenameNoExtension(in.get(), stem.out()));
    EXPECT_EQ(L"c", stem.text());
}

TEST(Paths, MillionCharacterPathsComeBackExact) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    std::wstring path;
    for (int i = 0; i < 100000; ++i) path += L"abcdefghi\\";
    path += L"name.ext";
    Bstr in(path), dir, name, ext, stem;
    ASSERT_EQ(S_OK, tf->ExtractDirectoryPath(in.get(), dir.out()));
    EXPECT_EQ(1000000u, SysStringLen(dir.get()));
    ASSERT_EQ(S_OK, tf->ExtractFilename(in.get(), name.out()));
    EXPECT_EQ(L"name.ext", name.text());
    ASSERT_EQ(S_OK, tf->ExtractFilenameNoExtension(in.get(), stem.out()));
    EXPECT_EQ(L"name", stem.text());
    ASSERT_EQ(S_OK, tf->ExtractExtension(in.get(), ext.out()));
    EXPECT_EQ(L"ext", ext.text());
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
