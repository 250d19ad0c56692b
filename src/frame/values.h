// Automation value conventions: owners for BSTR, VARIANT, SAFEARRAY, handles and registry keys,
// conversions between BSTR, std::wstring and the system ANSI code page, and the optional-argument
// test. Everything here throws zor::Error or std::bad_alloc; the error modes catch them.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <cguid.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/text.h"

namespace zor {

// ---- strings ------------------------------------------------------------------------------

// A String argument copied on entry: a NULL BSTR is the empty string; embedded NULs are kept.
inline std::wstring str(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }
// The same read in place, for a method that only reads it before anything else can change it.
inline std::wstring_view strView(BSTR b) { return b ? std::wstring_view(b, SysStringLen(b)) : std::wstring_view(); }

// A new BSTR for a result; out of memory is an error, never a silent NULL.
BSTR newBstr(std::wstring_view s);
// The same from text in the system ANSI code page, converted straight into the BSTR.
BSTR newBstrFromAnsi(std::string_view s);

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view s) : b_(newBstr(s)) {}
    static Bstr fromAnsi(std::string_view s) {
        Bstr b;
        b.b_ = newBstrFromAnsi(s);
        return b;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept { std::swap(b_, o.b_); return *this; }
    ~Bstr() { SysFreeString(b_); }
    BSTR get() const { return b_; }
    BSTR* out() { SysFreeString(b_); b_ = nullptr; return &b_; }
    BSTR* inout() { return &b_; } // for an in-out parameter: the callee may replace the string
    BSTR release() { return std::exchange(b_, nullptr); }
    std::wstring text() const { return str(b_); }
private:
    BSTR b_ = nullptr;
};

// Replace the caller's String in an in-out parameter: the old BSTR is freed.
void replaceBstr(BSTR* inout, std::wstring_view s);

// Decimal text of a number: no padding, "-" before a negative value.
std::wstring decimal(long long n);

inline VARIANT_BOOL vbool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

// ---- variants -----------------------------------------------------------------------------

class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
    Variant& operator=(Variant&& o) noexcept { std::swap(v_, o.v_); return *this; }
    ~Variant() { VariantClear(&v_); }
    // For an out parameter: the value held so far is released first. Read through get().
    VARIANT* operator&() { VariantClear(&v_); return &v_; }
    VARIANT& get() { return v_; }
    const VARIANT& get() const { return v_; }
    // Hands the value to a caller's VARIANT* result; this owner is left Empty.
    void detachTo(VARIANT* out) { *out = v_; VariantInit(&v_); }
private:
    VARIANT v_;
};

// A script passes a variable to an [in] VARIANT as VT_BYREF|VT_VARIANT: look through it.
const VARIANT& deref(const VARIANT& v);

// An optional Variant is absent only as VT_ERROR with DISP_E_PARAMNOTFOUND; Empty and Null
// count as given.
bool isMissing(const VARIANT& v);

// The value that a call to another method passes for an omitted optional Variant.
VARIANT missingArg();

// Conversions of a given Variant, error 13 when the value cannot be converted.
std::wstring variantText(const VARIANT& v);
double variantNumber(const VARIANT& v);
long variantLong(const VARIANT& v); // rounded, halves to even; error 6 when out of range
bool variantBool(const VARIANT& v);

void setString(VARIANT* out, std::wstring_view s);
void setNull(VARIANT* out);
// Variant values: Null, an Integer, a Long, a String.
inline Variant nullVariant() {
    Variant v;
    setNull(&v);
    return v;
}
inline Variant variantOf(short n) {
    Variant v;
    V_VT(&v.get()) = VT_I2;
    V_I2(&v.get()) = n;
    return v;
}
inline Variant variantOf(long n) {
    Variant v;
    V_VT(&v.get()) = VT_I4;
    V_I4(&v.get()) = n;
    return v;
}
inline Variant variantOf(std::wstring_view s) {
    Variant v;
    setString(&v, s);
    return v;
}

// A list result: a one-dimensional array of Variant Strings, lower bound 0. The strings move
// into the array; items is left empty.
void setStringArray(VARIANT* out, std::vector<Bstr>& items);

// A table result: a two-dimensional array of Variant Strings with lower bounds 0, one row per
// entry of rows (the first index), one column per string of a row, every row as long as the
// first. The strings move into the array; rows is left empty. No rows give Empty.
Variant stringTable(std::vector<std::vector<Bstr>>& rows);

// ---- arrays and interfaces -----------------------------------------------------------------

class SafeArray {
public:
    explicit SafeArray(SAFEARRAY* sa = nullptr) : sa_(sa) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    ~SafeArray() { if (sa_) SafeArrayDestroy(sa_); }
    SAFEARRAY* get() const { return sa_; }
    SAFEARRAY* release() { return std::exchange(sa_, nullptr); }
private:
    SAFEARRAY* sa_;
};

// A reference-counted interface pointer.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { if (p_) p_->Release(); }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() { if (p_) p_->Release(); p_ = nullptr; return &p_; }
    void** outVoid() { return reinterpret_cast<void**>(out()); }
    T* release() { return std::exchange(p_, nullptr); }
    explicit operator bool() const { return p_ != nullptr; }
private:
    T* p_ = nullptr;
};

} // namespace zor
