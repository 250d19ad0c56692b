// A caller's object for the tests, as a form or a script object passed to the library.
#pragma once
#include <dispex.h>
#include <cwchar>
#include "frame/values.h"

namespace test {

// A caller's object with one property "hwnd", one method "Twice" and one member "Fails" that
// raises error 53. Asked by name, it answers GetIDsOfNames like a C++ or JScript object, or
// only IDispatchEx::GetDispID like a VBScript class object under Wine.
class CallerObject : public IDispatchEx {
public:
    explicit CallerObject(bool scriptClass) : scriptClass_(scriptClass) {}
    long hwnd = 1234;
    bool hasHwnd = true;
    int hwndReads = 0;
    int invokeExCalls = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        const bool mine = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                          (scriptClass_ && IsEqualIID(riid, __uuidof(IDispatchEx)));
        *ppv = mine ? this : nullptr;
        return mine ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        return scriptClass_ ? E_NOTIMPL : lookup(names[0], false, id); // case-sensitive, as JScript
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* r, EXCEPINFO* e, UINT*) override {
        return scriptClass_ ? E_NOTIMPL : call(id, flags, p, r, e);
    }
    STDMETHODIMP GetDispID(BSTR name, DWORD flags, DISPID* id) override {
        return lookup(name, (flags & fdexNameCaseInsensitive) != 0, id);
    }
    STDMETHODIMP InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* p, VARIANT* r, EXCEPINFO* e, IServiceProvider*) override {
        ++invokeExCalls;
        return call(id, flags, p, r, e);
    }
    STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

private:
    HRESULT lookup(const wchar_t* name, bool anyCase, DISPID* id) {
        auto same = [&](const wchar_t* n) { return anyCase ? _wcsicmp(name, n) == 0 : wcscmp(name, n) == 0; };
        if (same(L"hwnd") && hasHwnd) *id = 1;
        else if (same(L"Twice")) *id = 2;
        else if (same(L"Fails")) *id = 3;
        else return DISP_E_UNKNOWNNAME;
        return S_OK;
    }
    HRESULT call(DISPID id, WORD flags, DISPPARAMS* p, VARIANT* r, EXCEPINFO* e) {
        if (id == 1 && (flags & DISPATCH_PROPERTYGET)) {
            ++hwndReads;
            zor::variantOf(hwnd).detachTo(r);
            return S_OK;
        }
        if (id == 1 && (flags & DISPATCH_PROPERTYPUT) && p->cArgs == 1 && p->cNamedArgs == 1 &&
            p->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT) {
            hwnd = zor::variantLong(p->rgvarg[0]);
            return S_OK;
        }
        if (id == 2 && (flags & DISPATCH_METHOD) && p->cArgs == 2) {
            zor::variantOf(zor::variantLong(p->rgvarg[1]) * 2 + zor::variantLong(p->rgvarg[0])).detachTo(r); // last first
            return S_OK;
        }
        if (id == 3) {
            e->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 53);
            return DISP_E_EXCEPTION;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    bool scriptClass_;
};

} // namespace test
