// The class catalogue: CLSID, default interface, name and constructor of each creatable class,
// in type-library order.
#pragma once
#include <windows.h>

namespace zor {

struct ClassEntry {
    const CLSID* clsid;
    const IID* iid;
    const wchar_t* name; // the ProgID is "ZorUtility." + name
    HRESULT (*create)(REFIID riid, void** ppv);
};

extern const ClassEntry classCatalogue[];
extern const int classCount;

const ClassEntry* findClass(REFCLSID clsid);

} // namespace zor
