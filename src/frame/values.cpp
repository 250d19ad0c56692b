#include "frame/values.h"
#include <new>

namespace zor {

BSTR newBstr(std::wstring_view s) {
    BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!b) throw std::bad_alloc();
    return b;
}

BSTR newBstrFromAnsi(std::string_view s) {
    // No ANSI code page makes more UTF-16 units than bytes; a double-byte text comes out shorter.
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(s.size()));
    if (!b) throw std::bad_alloc();
    int n = s.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), b, static_cast<int>(s.size()));
    if (static_cast<size_t>(n) < s.size() && !SysReAllocStringLen(&b, b, static_cast<UINT>(n))) {
        SysFreeString(b);
        throw std::bad_alloc();
    }
    return b;
}

void replaceBstr(BSTR* inout, std::wstring_view s) {
    BSTR b = newBstr(s);
    SysFreeString(*inout);
    *inout = b;
}

std::wstring decimal(long long n) { return std::to_wstring(n); }

const VARIANT& deref(const VARIANT& v) {
    const VARIANT* p = &v;
    while (V_VT(p) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(p)) p = V_VARIANTREF(p);
    return *p;
}

bool isMissing(const VARIANT& v) {
    const VARIANT& d = deref(v);
    return V_VT(&d) == VT_ERROR && V_ERROR(&d) == DISP_E_PARAMNOTFOUND;
}

VARIANT missingArg() {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

namespace {
void convert(Variant& out, const VARIANT& in, VARTYPE vt, USHORT flags = 0) {
    HRESULT hr = VariantChangeTypeEx(&out.get(), const_cast<VARIANT*>(&deref(in)), LOCALE_USER_DEFAULT, flags, vt);
    if (FAILED(hr)) throw Error::fromHresult(hr == E_INVALIDARG ? DISP_E_TYPEMISMATCH : hr);
}
} // namespace

std::wstring variantText(const VARIANT& v) {
    Variant t;
    convert(t, v, VT_BSTR, VARIANT_ALPHABOOL);
    return str(V_BSTR(&t.get()));
}

double variantNumber(const VARIANT& v) {
    Variant t;
    convert(t, v, VT_R8);
    return V_R8(&t.get());
}

long variantLong(const VARIANT& v) {
    Variant t;
    convert(t, v, VT_I4);
    return V_I4(&t.get());
}

bool variantBool(const VARIANT& v) {
    Variant t;
    convert(t, v, VT_BOOL);
    return V_BOOL(&t.get()) != VARIANT_FALSE;
}

void setString(VARIANT* out, std::wstring_view s) {
    BSTR b = newBstr(s);
    VariantClear(out);
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = b;
}

void setNull(VARIANT* out) {
    VariantClear(out);
    V_VT(out) = VT_NULL;
}

void setStringArray(VARIANT* out, std::vector<Bstr>& items) {
    SafeArray array(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size())));
    if (!array.get()) throw std::bad_alloc();
    VARIANT* slots = nullptr;
    check(SafeArrayAccessData(array.get(), reinterpret_cast<void**>(&slots)));
    for (size_t i = 0; i < items.size(); ++i) {
        V_VT(&slots[i]) = VT_BSTR;
        V_BSTR(&slots[i]) = items[i].release();
    }
    SafeArrayUnaccessData(array.get());
    items.clear();
    VariantClear(out);
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = array.release();
}

Variant stringTable(std::vector<std::vector<Bstr>>& rows) {
    Variant table;
    if (rows.empty()) return table;
    const size_t columns = rows[0].size();
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows.size()), 0}, {static_cast<ULONG>(columns), 0}};
    SafeArray array(SafeArrayCreate(VT_VARIANT, 2, bounds));
    if (!array.get()) throw std::bad_alloc();
    VARIANT* cells = nullptr;
    check(SafeArrayAccessData(array.get(), reinterpret_cast<void**>(&cells)));
    for (size_t r = 0; r < rows.size(); ++r) // the first index runs fastest
        for (size_t c = 0; c < columns; ++c) {
            V_VT(&cells[c * rows.size() + r]) = VT_BSTR;
            V_BSTR(&cells[c * rows.size() + r]) = rows[r][c].release();
        }
    SafeArrayUnaccessData(array.get());
    rows.clear();
    V_VT(&table.get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&table.get()) = array.release();
    return table;
}

} // namespace zor
