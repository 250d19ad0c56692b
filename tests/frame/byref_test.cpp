// Script variables (references to Variants) given to typed by-reference parameters, through
// the registered DLL's IDispatch.
#include "library.h"
#include <tuple>

using namespace test;

namespace {

// Calls a one-parameter method with a reference to `inner`, positionally or as a named argument.
HRESULT callWithRef(IDispatch* d, const wchar_t* method, const wchar_t* param, VARIANT* inner, bool named,
                    UINT* argErr = nullptr) {
    const wchar_t* names[] = {method, param};
    DISPID ids[2];
    EXPECT_EQ(S_OK, d->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 2, 0, ids));
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&arg) = inner;
    DISPPARAMS p{&arg, named ? &ids[1] : nullptr, 1, named ? 1u : 0u};
    Variant result;
    UINT err = 99;
    return d->Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &p, &result, nullptr, argErr ? argErr : &err);
}

TEST_F(RegisteredLibrary, VariantReferencesTakeTheDeclaredTypeBothWays) {
    auto tf = make<IDispatch>(L"TextFileFunctions");
    auto vf = make<IDispatch>(L"VariousFunctions");
    BSTR s = SysAllocString(L"C:\\z"); // a reference inside the Variant is written through with its own type
    VARIANT typed;
    V_VT(&typed) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&typed) = &s;
    struct Case {
        IDispatch* d;
        const wchar_t *method, *param;
        VARIANT in;
        bool named;
        VARTYPE outType;
        const wchar_t* outText;
    } cases[] = {
        {tf.get(), L"AddDirSep", L"strPathName", vstr(L"C:\\a"), false, VT_BSTR, L"C:\\a\\"},
        {tf.get(), L"AddDirSep", L"strPathName", vstr(L"C:\\b"), true, VT_BSTR, L"C:\\b\\"},
        {tf.get(), L"AddURLDirSep", L"strPathName", vi4(7), false, VT_BSTR, L"7/"},
        {vf.get(), L"Sleep", L"Seconds", vi2(0), false, VT_R8, L"0"},
        {vf.get(), L"Sleep", L"Seconds", vstr(L"0.01"), true, VT_R8, L"0.01"},
        {tf.get(), L"AddDirSep", L"strPathName", typed, false, VT_BYREF | VT_BSTR, L"C:\\z\\"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases << ": " << c.method << (c.named ? " named" : ""));
        EXPECT_EQ(S_OK, callWithRef(c.d, c.method, c.param, &c.in, c.named));
        EXPECT_EQ(c.outType, V_VT(&c.in));
        EXPECT_EQ(std::wstring(c.outText), zor::variantText(c.in));
        VariantClear(&c.in);
    }
    EXPECT_EQ(L"C:\\z\\", zor::str(s));
    SysFreeString(s);
}

TEST_F(RegisteredLibrary, AValueThatCannotBeConvertedIsATypeMismatchBeforeTheMethodRuns) {
    auto vf = make<IDispatch>(L"VariousFunctions");
    auto ada = make<IDispatch>(L"AdvDataAccess");
    std::tuple<IDispatch*, const wchar_t*, const wchar_t*, VARIANT> cases[] = { // object, method, parameter, value
        {vf.get(), L"Sleep", L"Seconds", vstr(L"abc")},
        {vf.get(), L"Sleep", L"Seconds", vstr(L"")},
        {vf.get(), L"Sleep", L"Seconds", vtype(VT_NULL)},
        // Out of the Long's range: the conversion's own answer is an overflow, but a script
        // variable that does not fit is a type mismatch (error 13) like any other.
        {ada.get(), L"CloseACETable", L"lngTableHandle", vr8(1e12)},
        {ada.get(), L"CloseACEIndex", L"lngIndexHandle", vstr(L"-3000000000")},
    };
    for (auto& [d, method, param, in] : cases) {
        SCOPED_TRACE(testing::Message() << method);
        const VARTYPE given = V_VT(&in);
        UINT argErr = 99;
        EXPECT_EQ(DISP_E_TYPEMISMATCH, callWithRef(d, method, param, &in, false, &argErr));
        EXPECT_EQ(0u, argErr);
        EXPECT_EQ(given, V_VT(&in)); // left as it was
        VariantClear(&in);
    }
}

} // namespace
