// What the C++ tests share: creation by ProgID as a client does, late-bound calls by name with
// the HRESULT, EXCEPINFO and result kept, and scratch folders.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "ZorUtility.h"
#include "frame/values.h"

namespace test {

using zor::Bstr;
using zor::ComPtr;
using zor::Variant;

// The Windows-rules checker's records of one kind (0 faults, 1 notes of Windows' answers), one
// a line, taken out of its list; empty when the program runs without the checker.
std::wstring checkerRecords(DWORD kind);

// The registered DLL (ZOR_DLL), loaded once, and one of its exports.
HMODULE libraryModule();
template <class F>
F libraryExport(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(libraryModule(), name)));
}

// Creates a class of the library by its ProgID ("ZorUtility." + name) and asks for Itf.
template <class Itf>
ComPtr<Itf> create(const wchar_t* name) {
    CLSID clsid;
    EXPECT_EQ(S_OK, CLSIDFromProgID((std::wstring(L"ZorUtility.") + name).c_str(), &clsid)) << "ProgID not registered";
    ComPtr<Itf> p;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Itf), p.outVoid()));
    return p;
}

// The outcome of one IDispatch::Invoke.
struct Call {
    HRESULT hr = E_FAIL;
    Variant result;
    EXCEPINFO excep{};
    UINT argErr = 0;
    Call() = default;
    Call(const Call&) = delete;
    ~Call() { SysFreeString(excep.bstrSource); SysFreeString(excep.bstrDescription); SysFreeString(excep.bstrHelpFile); }
    std::wstring text() const { return V_VT(&result.get()) == VT_BSTR ? zor::str(V_BSTR(&result.get())) : L"<not a string>"; }
};

DISPID dispid(IDispatch* d, const wchar_t* name);

// Calls a method by name; args are given in the natural order (they are reversed for Invoke).
// An argument may be a VT_BYREF variant for an in-out parameter.
void invoke(Call& call, IDispatch* d, const wchar_t* name, std::vector<VARIANT> args = {});

// Argument variants; the caller frees them through VariantClear (tests use Args below).
inline VARIANT vtype(VARTYPE t) { // a bare type, its value zero: VT_NULL, VT_EMPTY, ...
    VARIANT v{};
    V_VT(&v) = t;
    return v;
}
template <class Set>
VARIANT filled(VARTYPE t, Set set) { // a variant of type t whose value `set` writes
    VARIANT v = vtype(t);
    set(v);
    return v;
}
inline VARIANT vstr(const std::wstring& s) { // all of it, embedded NULs too
    return filled(VT_BSTR, [&](VARIANT& v) { V_BSTR(&v) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); });
}
inline VARIANT vstr(const wchar_t* s) { return s ? vstr(std::wstring(s)) : vtype(VT_BSTR); } // a null BSTR for a null
inline VARIANT vi4(long n) { return filled(VT_I4, [&](VARIANT& v) { V_I4(&v) = n; }); }
inline VARIANT vi2(short n) { return filled(VT_I2, [&](VARIANT& v) { V_I2(&v) = n; }); }
inline VARIANT vr8(double d) { return filled(VT_R8, [&](VARIANT& v) { V_R8(&v) = d; }); }
inline VARIANT vbool(bool b) { return filled(VT_BOOL, [&](VARIANT& v) { V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE; }); }
inline VARIANT vdate(DATE d) { return filled(VT_DATE, [&](VARIANT& v) { V_DATE(&v) = d; }); }
inline VARIANT vmissing() { return zor::missingArg(); }

// Keeps argument variants alive and frees them at the end of a test.
struct Args {
    std::vector<VARIANT> v;
    Args(std::initializer_list<VARIANT> list) : v(list) {}
    ~Args() { for (auto& x : v) VariantClear(&x); }
    operator std::vector<VARIANT>() const { return v; }
};

std::wstring errorInfoDescription(); // the thread's IErrorInfo description, consumed

// A class as the registered type library lists it, in its order: name, CLSID, default interface
// and that interface's methods (name and DISPID, after IDispatch's) with, per method, the types
// of its parameters but the result (a pointer's: the type pointed to).
struct LibClass {
    std::wstring name;
    CLSID clsid{};
    IID iid{};
    std::vector<std::pair<std::wstring, DISPID>> members;
    std::vector<std::vector<VARTYPE>> params;
};
const std::vector<LibClass>& typeLibraryClasses();

} // namespace test
