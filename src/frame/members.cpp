#include "frame/members.h"
#include <dispex.h>
#include <string>

namespace zor {

namespace {

// A member found by name, with the way to call it.
struct Member {
    DISPID id = DISPID_UNKNOWN;
    ComPtr<IDispatchEx> ex; // set when only IDispatchEx knew the name
};

Member findMember(IDispatch* object, std::wstring_view name) {
    if (!object) throw Error(errObjectRequired);
    std::wstring n(name);
    Member m;
    LPOLESTR names[] = {n.data()};
    if (SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &m.id))) return m;
    if (SUCCEEDED(object->QueryInterface(__uuidof(IDispatchEx), m.ex.outVoid())) && m.ex) {
        Bstr b(n);
        if (SUCCEEDED(m.ex->GetDispID(b.get(), fdexNameCaseInsensitive, &m.id))) return m;
    }
    throw Error(errNoSuchMember);
}

// A member's failure: its own error number when it reports one, else its HRESULT.
Error memberError(HRESULT hr, EXCEPINFO& excep) {
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        HRESULT inner = excep.scode ? excep.scode : (excep.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, excep.wCode) : E_FAIL);
        hr = inner;
    }
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return Error::fromHresult(hr);
}

void invokeMember(IDispatch* object, std::wstring_view name, WORD flags, DISPPARAMS& params, VARIANT* out) {
    Member m = findMember(object, name);
    EXCEPINFO excep{};
    HRESULT hr;
    if (m.ex) {
        hr = m.ex->InvokeEx(m.id, LOCALE_USER_DEFAULT, flags, &params, out, &excep, nullptr);
    } else {
        UINT argErr = 0;
        hr = object->Invoke(m.id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, out, &excep, &argErr);
    }
    if (FAILED(hr)) throw memberError(hr, excep);
}

} // namespace

void getMember(IDispatch* object, std::wstring_view name, Variant& value) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    invokeMember(object, name, DISPATCH_PROPERTYGET, none, &value);
}

void putMember(IDispatch* object, std::wstring_view name, const VARIANT& value) {
    VARIANT arg = value; // shallow: Invoke does not take ownership
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    invokeMember(object, name, DISPATCH_PROPERTYPUT, params, nullptr);
}

void callMember(IDispatch* object, std::wstring_view name, const std::vector<VARIANT>& args, Variant* result) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend()); // Invoke takes the last argument first
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Variant ignored;
    invokeMember(object, name, DISPATCH_METHOD, params, result ? &result->get() : &ignored.get());
}

HWND windowMember(IDispatch* object, std::wstring_view name) {
    Variant v;
    getMember(object, name, v);
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(variantLong(v.get())));
}

} // namespace zor
