#include "frame/byref.h"
#include <cstring>
#include <utility>

namespace zor {

namespace {

// The by-reference parameter types that a Variant can be converted into.
bool convertible(VARTYPE vt) {
    switch (vt) {
    case VT_BSTR: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_BOOL: case VT_DATE: case VT_CY:
    case VT_UI1:
        return true;
    default:
        return false;
    }
}

bool isVariantRef(const VARIANTARG& a) { return V_VT(&a) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&a); }
bool byValue(const VARIANTARG& a) { return !V_ISBYREF(&a) && V_VT(&a) != VT_ERROR; }

// Stores a value into the storage that a typed reference points at, converted to its type.
void writeThrough(VARIANT* target, const VARIANT& value) {
    VARTYPE vt = V_VT(target) & ~VT_BYREF;
    if (!convertible(vt) || !V_BYREF(target)) return;
    Variant v;
    if (FAILED(VariantChangeType(&v, const_cast<VARIANT*>(&value), 0, vt))) return;
    if (vt == VT_BSTR) {
        SysFreeString(*V_BSTRREF(target));
        *V_BSTRREF(target) = std::exchange(V_BSTR(&v.get()), nullptr);
        V_VT(&v.get()) = VT_EMPTY;
        return;
    }
    size_t size = vt == VT_UI1 ? 1 : (vt == VT_I2 || vt == VT_BOOL) ? 2 : (vt == VT_I4 || vt == VT_R4) ? 4 : 8;
    memcpy(V_BYREF(target), &v.get().bVal, size);
}

} // namespace

VARTYPE referencedType(const ELEMDESC& e) {
    if (!(e.paramdesc.wParamFlags & PARAMFLAG_FOUT) || e.tdesc.vt != VT_PTR || !e.tdesc.lptdesc) return VT_EMPTY;
    VARTYPE vt = e.tdesc.lptdesc->vt;
    return convertible(vt) ? vt : VARTYPE(VT_EMPTY);
}

ByRefArgs::~ByRefArgs() {
    for (auto& c : converted_) VariantClear(&c.value);
}

HRESULT ByRefArgs::prepare(const NameTable& names, DISPID id, WORD flags, DISPPARAMS* params, UINT* argErr) {
    if (!params || !params->rgvarg) return S_OK;
    // A value given to a typed reference parameter is converted here too: the standard dispatch
    // makes its own copy and loses it when a later argument turns out not to convert.
    bool any = false;
    for (UINT i = 0; i < params->cArgs && !any; ++i)
        any = isVariantRef(params->rgvarg[i]) || (params->cArgs > 1 && byValue(params->rgvarg[i]));
    if (!any) return S_OK; // the common case costs one pass over the arguments

    const NameTable::Member* member = names.byId(id, flags);
    if (!member) return S_OK; // the standard dispatch reports an unknown member itself
    const std::vector<VARTYPE>* refs = &member->refs;
    // The declared type that argument i is converted into, VT_EMPTY when it is passed as given.
    auto declared = [&](UINT i) -> VARTYPE {
        const VARIANTARG& a = params->rgvarg[i];
        if (!isVariantRef(a) && !byValue(a)) return VT_EMPTY;
        // Named arguments come first and carry their parameter's position; the positional
        // ones follow in reverse order.
        long position = i < params->cNamedArgs ? params->rgdispidNamedArgs[i] : static_cast<long>(params->cArgs - 1 - i);
        if (position < 0 || position >= static_cast<long>(refs->size())) return VT_EMPTY;
        return (*refs)[position];
    };
    any = false;
    for (UINT i = 0; i < params->cArgs && !any; ++i) any = declared(i) != VT_EMPTY;
    if (!any) return S_OK; // no argument meets a typed reference parameter: nothing to convert

    args_.assign(params->rgvarg, params->rgvarg + params->cArgs);
    converted_.reserve(params->cArgs);
    for (UINT i = 0; i < params->cArgs; ++i) {
        const VARTYPE vt = declared(i);
        if (vt == VT_EMPTY) continue;
        const bool reference = isVariantRef(args_[i]);
        VARIANT* target = reference ? V_VARIANTREF(&args_[i]) : &args_[i];
        Converted c{reference ? target : nullptr, {}};
        VariantInit(&c.value);
        // VariantChangeType looks through a nested reference itself.
        if (HRESULT hr = VariantChangeType(&c.value, target, 0, vt); FAILED(hr)) {
            if (argErr) *argErr = i;
            return reference || hr != DISP_E_OVERFLOW ? DISP_E_TYPEMISMATCH : hr;
        }
        converted_.push_back(c);
        VARIANTARG& a = args_[i];
        V_VT(&a) = VT_BYREF | vt;
        V_BYREF(&a) = &converted_.back().value.bstrVal; // the value's storage, whatever its type
    }
    copy_ = *params;
    copy_.rgvarg = args_.data();
    return S_OK;
}

void ByRefArgs::writeBack() {
    for (auto& c : converted_) {
        VARIANT* target = c.target;
        if (!target) { // given by value: the method's change goes with the temporary
            VariantClear(&c.value);
            continue;
        }
        // A reference held inside the caller's Variant is written through.
        while (V_VT(target) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(target)) target = V_VARIANTREF(target);
        if (V_ISBYREF(target)) {
            writeThrough(target, c.value); // the caller's own typed storage keeps its type
            continue;
        }
        VariantClear(target);
        *target = c.value; // the temporary's value moves to the caller
        VariantInit(&c.value);
    }
    converted_.clear();
}

} // namespace zor
