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
        hr = tf->CreateLogFile(Bstr(f).get(), header, &r);
        return boolean(r);
    }
    bool createLogWithBackup(const std::wstring& f, const VARIANT& header, const VARIANT& days) {
        VARIANT_BOOL r = 7;
        hr = tf->CreateLogFileWithBackup(Bstr(f).get(), header, days, &r);
        return boolean(r);
    }
    bool updateLog(const std::wstring& f, const std::wstring& details) {
        VARIANT_BOOL r = 7;
        hr = tf->UpdateLogFile(Bstr(f).get(), Bstr(details).get(), &r);
        return boolean(r);
    }
    bool isInLog(const std::wstring& f, const std::wstring& search) {
        VARIANT_BOOL r = 7;
        hr = tf->IsInLogFile(Bstr(f).get(), Bstr(search).get(), &r);
        return boolean(r);
    }
    // A Boolean result must be exactly -1 or 0.
    static bool boolean(VARIANT_BOOL r) {
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
