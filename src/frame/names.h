// One record per interface of this module, read once from the embedded type library: the type
// information through which it is invoked, the names of its members and their parameters (so
// that GetIDsOfNames costs a hash look-up instead of a walk through the type information) and
// the declared types of its by-reference parameters. Answers are the type information's own:
// members in its order, then those of the interfaces it derives from, matched without regard
// to case.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <vector>

namespace zor {

class NameTable {
public:
    struct Member {
        std::wstring name;
        DISPID id;
        WORD invkind;
        std::vector<std::wstring> params; // in declaration order: a parameter's DISPID is its position
        // Per parameter, the type behind a typed by-reference parameter, VT_EMPTY for any other
        // (and for every parameter of the interfaces it derives from).
        std::vector<VARTYPE> refs;
    };

    // Reads every function of `info` and of the interfaces it derives from.
    HRESULT build(ITypeInfo* info);
    // IDispatch::GetIDsOfNames: the member, then the names of its parameters for named arguments.
    // Unknown names get DISPID_UNKNOWN and the call DISP_E_UNKNOWNNAME. Never allocates.
    HRESULT lookup(const LPOLESTR* names, UINT count, DISPID* ids) const noexcept;
    // The first member with this DISPID that answers one of the `invkind` flags, or nullptr.
    const Member* byId(DISPID id, WORD invkind = 0xFFFF) const noexcept;

private:
    int find(const wchar_t* name) const noexcept;
    std::vector<Member> members_;
    std::vector<int> slots_; // open addressing: index into members_ + 1, 0 for an empty slot
};

struct InterfaceRecord {
    ITypeInfo* info; // the vtable half of the dual interface, which ITypeInfo::Invoke calls through
    NameTable names;
};

// The record of an interface of this module, made on first use and kept for the life of the
// process; nullptr (with the reason in `hr`) when the type library cannot be read, and then
// tried again on the next call.
const InterfaceRecord* interfaceRecord(REFIID iid, HRESULT* hr = nullptr) noexcept;

} // namespace zor
