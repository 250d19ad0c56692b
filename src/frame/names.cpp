#include "frame/names.h"
#include <atomic>
#include <mutex>
#include <new>
#include <utility>
#include "frame/byref.h"
#include "frame/values.h"
#include "runtime/guards.h"
#include "runtime/module.h"

namespace zor {

namespace {

// Names made only of ASCII letters, digits and underscores are compared by folding ASCII case,
// which is what the type information's comparison does for them. Any other character may be
// folded or ignored by the locale's comparison: such a name is compared the type information's
// way, with lstrcmpiW, against every member.
inline bool plainChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_';
}
inline wchar_t fold(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }

// FNV-1a over the folded characters; `plain` is false when a character is not a plain one.
uint32_t hashName(const wchar_t* s, bool& plain) {
    uint32_t h = 2166136261u;
    plain = true;
    for (; *s; ++s) {
        if (!plainChar(*s)) plain = false;
        h = (h ^ fold(*s)) * 16777619u;
    }
    return h;
}

bool equalName(const wchar_t* query, bool plain, const std::wstring& name) {
    if (!plain) return lstrcmpiW(query, name.c_str()) == 0;
    const wchar_t* n = name.c_str();
    for (; *query && *n; ++query, ++n)
        if (fold(*query) != fold(*n)) return false;
    return *query == *n;
}

// Collects the functions of `info` and then of its base interfaces, as the type information's
// own look-up visits them.
HRESULT collect(ITypeInfo* info, std::vector<NameTable::Member>& out, int depth) {
    if (depth > 8) return S_OK; // a base chain is short; stop on anything circular
    TYPEATTR* attr = nullptr;
    HRESULT hr = info->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    const WORD funcs = attr->cFuncs, bases = attr->cImplTypes;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < funcs; ++i) {
        FUNCDESC* fd = nullptr;
        if (FAILED(hr = info->GetFuncDesc(i, &fd))) return hr;
        std::vector<BSTR> names(fd->cParams + 1u, nullptr);
        UINT got = 0;
        hr = info->GetNames(fd->memid, names.data(), static_cast<UINT>(names.size()), &got);
        if (SUCCEEDED(hr) && got > 0) {
            NameTable::Member m{str(names[0]), fd->memid, static_cast<WORD>(fd->invkind), {}, {}};
            for (UINT p = 1; p < got; ++p) m.params.push_back(str(names[p]));
            for (SHORT p = 0; p < fd->cParams; ++p)
                m.refs.push_back(depth == 0 ? referencedType(fd->lprgelemdescParam[p]) : VARTYPE(VT_EMPTY));
            out.push_back(std::move(m));
        }
        for (BSTR b : names) SysFreeString(b);
        info->ReleaseFuncDesc(fd);
    }
    if (bases > 0) {
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> base;
        if (SUCCEEDED(info->GetRefTypeOfImplType(0, &ref)) && SUCCEEDED(info->GetRefTypeInfo(ref, base.out())))
            return collect(base.get(), out, depth + 1);
    }
    return S_OK;
}

} // namespace

HRESULT NameTable::build(ITypeInfo* info) {
    try {
        std::vector<Member> members;
        HRESULT hr = collect(info, members, 0);
        if (FAILED(hr)) return hr;
        size_t size = 16;
        while (size < members.size() * 3) size *= 2;
        std::vector<int> slots(size, 0);
        for (size_t i = 0; i < members.size(); ++i) {
            bool plain;
            const wchar_t* name = members[i].name.c_str();
            uint32_t h = hashName(name, plain);
            // The first member of a name wins, as in the type information's own look-up.
            for (size_t s = h & (size - 1);; s = (s + 1) & (size - 1)) {
                if (slots[s] == 0) {
                    slots[s] = static_cast<int>(i) + 1;
                    break;
                }
                if (equalName(name, plain, members[slots[s] - 1].name)) break;
            }
        }
        members_ = std::move(members);
        slots_ = std::move(slots);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

int NameTable::find(const wchar_t* name) const noexcept {
    if (!name || slots_.empty()) return -1;
    bool plain;
    uint32_t h = hashName(name, plain);
    if (!plain) { // the locale's comparison, in the type information's order
        for (size_t i = 0; i < members_.size(); ++i)
            if (equalName(name, false, members_[i].name)) return static_cast<int>(i);
        return -1;
    }
    const size_t mask = slots_.size() - 1;
    for (size_t s = h & mask; slots_[s] != 0; s = (s + 1) & mask)
        if (equalName(name, true, members_[slots_[s] - 1].name)) return slots_[s] - 1;
    return -1;
}

HRESULT NameTable::lookup(const LPOLESTR* names, UINT count, DISPID* ids) const noexcept {
    if (!names || (count > 0 && !ids)) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    int m = find(names[0]);
    if (m < 0) return DISP_E_UNKNOWNNAME;
    if (count == 0) return S_OK;
    const Member& member = members_[m];
    ids[0] = member.id;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        const wchar_t* name = names[i];
        bool plain = true;
        for (const wchar_t* c = name; c && *c && plain; ++c) plain = plainChar(*c);
        for (size_t p = 0; name && p < member.params.size() && ids[i] == DISPID_UNKNOWN; ++p)
            if (equalName(name, plain, member.params[p])) ids[i] = static_cast<DISPID>(p);
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

const NameTable::Member* NameTable::byId(DISPID id, WORD invkind) const noexcept {
    for (const Member& m : members_)
        if (m.id == id && (m.invkind & invkind)) return &m;
    return nullptr;
}

namespace {

// Records are published once made and never removed, so that a call finds its interface's
// without a lock; a failed load publishes nothing and is tried again by the next call.
constexpr size_t maxRecords = 16;
struct Published {
    IID iid;
    InterfaceRecord record;
};
std::atomic<const Published*> records[maxRecords];
std::atomic<size_t> recordCount{0};
Lock recordsLock;
ITypeLib* typeLib = nullptr; // under recordsLock; kept for the life of the process

const InterfaceRecord* published(REFIID iid) noexcept {
    const size_t n = recordCount.load(std::memory_order_acquire);
    for (size_t i = 0; i < n; ++i) {
        const Published* p = records[i].load(std::memory_order_relaxed);
        if (IsEqualIID(p->iid, iid)) return &p->record;
    }
    return nullptr;
}

// The type information of `iid` from this module's own resources (ITypeLib and ITypeInfo are
// safe to share between apartments).
HRESULT loadTypeInfo(REFIID iid, ITypeInfo** out) {
    if (!typeLib) {
        wchar_t path[MAX_PATH * 2];
        DWORD n = GetModuleFileNameW(thisModule(), path, static_cast<DWORD>(std::size(path)));
        if (n == 0 || n >= std::size(path)) return HRESULT_FROM_WIN32(GetLastError());
        HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &typeLib);
        if (FAILED(hr)) return hr;
    }
    ComPtr<ITypeInfo> dispatchInfo;
    HRESULT hr = typeLib->GetTypeInfoOfGuid(iid, dispatchInfo.out());
    if (FAILED(hr)) return hr;
    // For a dual interface the dispatch description refers to the vtable one.
    HREFTYPE ref = 0;
    if (FAILED(dispatchInfo->GetRefTypeOfImplType(-1, &ref))) {
        *out = dispatchInfo.release();
        return S_OK;
    }
    return dispatchInfo->GetRefTypeInfo(ref, out);
}

} // namespace

const InterfaceRecord* interfaceRecord(REFIID iid, HRESULT* hr) noexcept {
    if (const InterfaceRecord* r = published(iid)) return r;
    std::lock_guard<Lock> guard(recordsLock);
    if (const InterfaceRecord* r = published(iid)) return r;
    HRESULT result = E_OUTOFMEMORY;
    ComPtr<ITypeInfo> info;
    auto* p = new (std::nothrow) Published{iid, {nullptr, {}}};
    const size_t n = recordCount.load(std::memory_order_relaxed);
    if (n == maxRecords) result = E_UNEXPECTED;
    else if (p && SUCCEEDED(result = loadTypeInfo(iid, info.out())) && SUCCEEDED(result = p->record.names.build(info.get()))) {
        p->record.info = info.release();
        records[n].store(p, std::memory_order_relaxed);
        recordCount.store(n + 1, std::memory_order_release);
        return &p->record;
    }
    delete p;
    if (hr) *hr = result;
    return nullptr;
}

} // namespace zor
