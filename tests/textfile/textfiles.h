// What the text-file tests share: the object, short calls through the interface, and the
// Variant arguments they pass.
#pragma once
#include "client.h"
#include "scratch.h"

namespace test {

struct TextFiles : ::testing::Test {
    ComPtr<_TextFileFunctions> tf = create<_TextFileFunctions>(L"TextFileFunctions");

    // Each call gives its result and keeps the HRESULT in hr.
    HRESULT hr = E_FAIL;
    bool createLog(const std::wstring& f, const VARIANT& header = vmissing()) {
        VARIANT_BOOL r = 7;
        return result(tf->CreateLogFile(Bstr(f).get(), header, &r), r);
    }
    bool createLogWithBackup(const std::wstring& f, const VARIANT& header, const VARIANT& days) {
        VARIANT_BOOL r = 7;
        return result(tf->CreateLogFileWithBackup(Bstr(f).get(), header, days, &r), r);
    }
    bool updateLog(const std::wstring& f, const std::wstring& details) {
        VARIANT_BOOL r = 7;
        return result(tf->UpdateLogFile(Bstr(f).get(), Bstr(details).get(), &r), r);
    }
    bool isInLog(const std::wstring& f, const std::wstring& search) {
        VARIANT_BOOL r = 7;
        return result(tf->IsInLogFile(Bstr(f).get(), Bstr(search).get(), &r), r);
    }
    // The call's HRESULT kept in hr; its Boolean result, which must be exactly -1 or 0.
    bool result(HRESULT h, const VARIANT_BOOL& r) {
        hr = h;
        EXPECT_TRUE(r == VARIANT_TRUE || r == VARIANT_FALSE) << "not a Boolean: " << r;
        return r == VARIANT_TRUE;
    }
};

// A Variant argument that frees itself.
struct Arg {
    VARIANT v;
    explicit Arg(VARIANT x) : v(x) {}
    Arg(const Arg&) = delete;
    ~Arg() { VariantClear(&v); }
    operator const VARIANT&() const { return v; }
};

constexpr HRESULT ctlError(long n) { return static_cast<HRESULT>(0x800A0000 + n); }

} // namespace test
