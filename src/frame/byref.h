// Script engines pass a variable to a by-reference parameter as a reference to a Variant
// (VT_BYREF|VT_VARIANT). The standard dispatch accepts that only for a Variant parameter; for a
// typed one (BSTR*, short*, long*, double*, VARIANT_BOOL*) it answers "type mismatch". ByRefArgs
// converts such an argument into a temporary of the declared type before the call and writes
// the new value back into the caller's Variant, with the declared type, after it.
#pragma once
#include <vector>
#include "frame/names.h"
#include "frame/values.h"

namespace zor {

// The declared type behind a typed by-reference parameter that a Variant can be converted into,
// VT_EMPTY for any other parameter.
VARTYPE referencedType(const ELEMDESC& e);

class ByRefArgs {
public:
    ByRefArgs() = default;
    ByRefArgs(const ByRefArgs&) = delete;
    ByRefArgs& operator=(const ByRefArgs&) = delete;
    ~ByRefArgs();

    // Looks at the call's arguments; when none needs converting, params() gives the caller's
    // own. DISP_E_TYPEMISMATCH (with argErr set) when a value cannot take the declared type.
    HRESULT prepare(const NameTable& names, DISPID id, WORD flags, DISPPARAMS* params, UINT* argErr);
    DISPPARAMS* params(DISPPARAMS* original) { return converted_.empty() ? original : &copy_; }
    // Gives the caller's variables the values the method left in the temporaries.
    void writeBack();

private:
    struct Converted {
        VARIANT* target; // the caller's Variant
        VARIANT value;   // the temporary of the declared type
    };
    std::vector<Converted> converted_;
    std::vector<VARIANTARG> args_;
    DISPPARAMS copy_{};
};

} // namespace zor
