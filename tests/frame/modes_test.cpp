// The four error modes and the optional-argument convention, seen through IDispatch::Invoke and
// through the vtable. Two small test classes on the shared dispatch base raise chosen errors.
#include "client.h"
#include "scratch.h"
#include "frame/dispatch.h"
#include <optional>

using namespace test;
using zor::Error;

namespace {

// Each method fails with the error number given in its first argument (0: no failure).
class ModeProbe final : public zor::DispatchObject<_VariousFunctions> {
public:
    ModeProbe() : DispatchObject(L"ZorUtility.ModeProbe") {}
    // untrapped
    STDMETHODIMP DataExists(BSTR strData, VARIANT_BOOL* result) override {
        return untrapped(result, [&] {
            long n = std::stol(zor::str(strData));
            if (n) throw Error(n);
            return true;
        });
    }
    // trapped with an error text
    STDMETHODIMP ExtractDecimal(BSTR strIN, short intDecimals, BSTR* result) override {
        return trappedText(result, L"There was an error in the ExtractDecimal function: ", [&] {
            if (intDecimals) throw Error(intDecimals);
            return std::wstring(L"fine");
        });
    }
    // trapped with a fixed result
    STDMETHODIMP Sleep(double* Seconds, VARIANT_BOOL* result) override {
        return trapped(result, false, [&] {
            if (*Seconds != 0) throw Error(static_cast<long>(*Seconds));
            return true;
        });
    }
    // failures skipped: each step that fails is passed over
    STDMETHODIMP ExtractRubbish(BSTR strIN, BSTR* result) override {
        *result = nullptr;
        std::wstring out;
        for (wchar_t c : zor::str(strIN))
            zor::skip([&] {
                if (c == L'!') throw Error(5);
                out += c;
            });
        *result = zor::newBstr(out);
        return S_OK;
    }
};

// Reports how its optional argument arrived: "missing", or the variant type given.
class OptionalProbe final : public zor::DispatchObject<_EncryptFunctions> {
public:
    OptionalProbe() : DispatchObject(L"ZorUtility.OptionalProbe") {}
    STDMETHODIMP EncryptString(BSTR, BSTR, BSTR* result) override { return E_NOTIMPL; }
    STDMETHODIMP DecryptString(BSTR, BSTR, BSTR* result) override { return E_NOTIMPL; }
    STDMETHODIMP CryptFile(BSTR strFileIn, BSTR, BSTR, VARIANT blnReplace, VARIANT_BOOL* result) override {
        seen = zor::isMissing(blnReplace) ? -1 : V_VT(&zor::deref(blnReplace));
        *result = VARIANT_TRUE;
        return S_OK;
    }
    int seen = -2;
};

template <class T>
ComPtr<IDispatch> make(T*& raw) {
    raw = new T();
    ComPtr<IDispatch> d;
    raw->QueryInterface(IID_IDispatch, d.outVoid());
    raw->Release();
    return d;
}

} // namespace

TEST(ErrorModes, UntrappedFailureGivesControlHresultWithErrorInfo) {
    ModeProbe* probe;
    auto d = make(probe);
    for (auto [number, description] : {std::pair<long, std::wstring>{53, L"File not found"}, {76, L"Path not found"},
                                       {62, L"Input past end of file"}, {6, L"Overflow"}}) {
        // Through the vtable: the HRESULT itself and IErrorInfo.
        VARIANT_BOOL r = 1;
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(static_cast<HRESULT>(0x800A0000 + number), probe->DataExists(Bstr(std::to_wstring(number)).get(), &r));
        EXPECT_EQ(description, errorInfoDescription());
        // Through Invoke: DISP_E_EXCEPTION with EXCEPINFO carrying the same.
        Call call;
        invoke(call, d.get(), L"DataExists", Args{vstr(std::to_wstring(number))});
        EXPECT_EQ(DISP_E_EXCEPTION, call.hr);
        EXPECT_EQ(static_cast<HRESULT>(0x800A0000 + number), call.excep.scode);
        EXPECT_EQ(description, zor::str(call.excep.bstrDescription));
        EXPECT_EQ(L"ZorUtility.ModeProbe", zor::str(call.excep.bstrSource));
    }
    Call ok;
    invoke(ok, d.get(), L"DataExists", Args{vstr(L"0")});
    EXPECT_EQ(S_OK, ok.hr);
    EXPECT_EQ(VT_BOOL, V_VT(&ok.result.get()));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(&ok.result.get()));
}

TEST(ErrorModes, TrappedTextReturnsTheMessageWithSOkAndFixedResultAndSkippedSteps) {
    ModeProbe* probe;
    auto d = make(probe);
    const std::wstring prefix = L"There was an error in the ExtractDecimal function: ";
    for (auto [n, want] : {std::pair<short, std::wstring>{53, prefix + L"53 ...File not found"},
                           {70, prefix + L"70 ...Permission denied"}, {0, L"fine"}}) {
        SCOPED_TRACE(n);
        Call call; // through Invoke and through the vtable
        invoke(call, d.get(), L"ExtractDecimal", Args{vstr(L"x"), vi2(n)});
        EXPECT_EQ(S_OK, call.hr);
        EXPECT_EQ(want, call.text());
        Bstr r;
        EXPECT_EQ(S_OK, probe->ExtractDecimal(Bstr(L"x").get(), n, r.out()));
        EXPECT_EQ(want, r.text());
    }
    for (auto [seconds, want] : {std::pair{53.0, VARIANT_FALSE}, {0.0, VARIANT_TRUE}}) {
        VARIANT_BOOL r = want ? VARIANT_FALSE : VARIANT_TRUE;
        EXPECT_EQ(S_OK, probe->Sleep(&seconds, &r));
        EXPECT_EQ(want, r) << seconds;
    }
    Call call;
    invoke(call, d.get(), L"ExtractRubbish", Args{vstr(L"a!b!!c")});
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(L"abc", call.text());
}

TEST(ErrorModes, ErrorTextForEveryCatalogueNumberHasADescription) {
    for (long n : {5, 6, 9, 13, 52, 53, 55, 58, 62, 70, 75, 76}) {
        std::wstring d = zor::errorDescription(n);
        EXPECT_FALSE(d.empty());
        EXPECT_NE(L"Application-defined or object-defined error", d) << n;
    }
    EXPECT_EQ(L"p: 76 Path not found", zor::errorText(L"p: ", Error(76), L" "));
}

TEST(OptionalArguments, OmittedAndParamNotFoundAreTheSameEmptyAndNullAreGiven) {
    OptionalProbe* probe;
    auto d = make(probe);
    VARIANT otherError = vtype(VT_ERROR);
    V_ERROR(&otherError) = E_FAIL;
    // {the fourth argument, none when omitted} -> what the method saw
    const std::pair<std::optional<VARIANT>, int> cases[] = {{std::nullopt, -1},        {vmissing(), -1},
                                                            {vtype(VT_EMPTY), VT_EMPTY}, {vtype(VT_NULL), VT_NULL},
                                                            {otherError, VT_ERROR},      {vbool(false), VT_BOOL}};
    for (const auto& [given, seen] : cases) {
        Args args{vstr(L"a"), vstr(L"b"), vstr(L"c")};
        if (given) args.v.push_back(*given);
        Call call;
        invoke(call, d.get(), L"CryptFile", args);
        EXPECT_EQ(S_OK, call.hr);
        EXPECT_EQ(seen, probe->seen);
    }
    // A script variable arrives as a reference to a Variant: it is looked through.
    Args inner{vmissing(), vstr(L"x")};
    VARIANT ref;
    V_VT(&ref) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&ref) = &inner.v[0];
    EXPECT_TRUE(zor::isMissing(ref));
    V_VARIANTREF(&ref) = &inner.v[1];
    EXPECT_FALSE(zor::isMissing(ref));
    EXPECT_EQ(L"x", zor::variantText(ref));
}

TEST(OptionalArguments, VariantConversionsFailWithTypeMismatch) {
    Args v{vstr(L"abc"), vbool(true), vi4(42)};
    EXPECT_EQ(13, errorOf([&] { zor::variantNumber(v.v[0]); }));
    EXPECT_EQ(L"True", zor::variantText(v.v[1]));
    EXPECT_EQ(-1.0, zor::variantNumber(v.v[1]));
    EXPECT_EQ(L"42", zor::variantText(v.v[2]));
    EXPECT_TRUE(zor::variantBool(v.v[2]));
}
