// The names of an interface's members and their parameters, read once from the type information
// of the embedded type library, so that GetIDsOfNames costs a hash look-up instead of a walk
// through the type information. Answers are the type information's own: members in its order,
// then those of the interfaces it derives from, matched without regard to case.
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
        std::vector<std::wstring> params; // in declaration order: a parameter's DISPID is its position
    };

    // Reads every function of `info` and of the interfaces it derives from.
    HRESULT build(ITypeInfo* info);
    // IDispatch::GetIDsOfNames: the member, then the names of its parameters for named arguments.
    // Unknown names get DISPID_UNKNOWN and the call DISP_E_UNKNOWNNAME. Never allocates.
    HRESULT lookup(const LPOLESTR* names, UINT count, DISPID* ids) const noexcept;
    // The member with this DISPID (the first one, as for a property's get and put), or nullptr.
    const Member* byId(DISPID id) const noexcept;

private:
    int find(const wchar_t* name) const noexcept;
    std::vector<Member> members_;
    std::vector<int> slots_; // open addressing: index into members_ + 1, 0 for an empty slot
};

// The cached type information through which an interface of this module is invoked (the vtable
// half of a dual interface) and its name table. Read once per process and kept; nullptr when the
// type library cannot be read.
ITypeInfo* cachedTypeInfo(REFIID iid) noexcept;
const NameTable* interfaceNames(REFIID iid) noexcept;

} // namespace zor
