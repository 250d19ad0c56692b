#include <initguid.h>
#include "client.h"

namespace test {

HMODULE libraryModule() {
    static HMODULE h = [] {
        char path[MAX_PATH] = "";
        GetEnvironmentVariableA("ZOR_DLL", path, MAX_PATH);
        return LoadLibraryA(path);
    }();
    return h;
}

DISPID dispid(IDispatch* d, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    EXPECT_EQ(S_OK, d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id)) << "GetIDsOfNames failed";
    return id;
}

void invoke(Call& call, IDispatch* d, const wchar_t* name, std::vector<VARIANT> args) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    call.hr = d->Invoke(dispid(d, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &call.result,
                        &call.excep, &call.argErr);
}

std::wstring errorInfoDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info) return L"<none>";
    Bstr d;
    info->GetDescription(d.out());
    return d.text();
}

std::wstring checkerRecords(DWORD kind) {
    using Take = DWORD(WINAPI*)(DWORD, LPWSTR, DWORD);
    HMODULE checker = GetModuleHandleW(L"zorcheck.dll");
    auto take = checker ? reinterpret_cast<Take>(reinterpret_cast<void*>(GetProcAddress(checker, "zorcheck_take"))) : nullptr;
    if (!take) return {};
    std::wstring text;
    for (DWORD size = take(kind, nullptr, 0);;) {
        text.assign(size, L'\0');
        DWORD needed = take(kind, text.data(), size);
        if (needed <= size) break;
        size = needed;
    }
    text.resize(wcslen(text.c_str()));
    return text;
}

namespace {
std::string narrow(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// After every test: what the Windows-rules checker refused as a fault fails the test that made
// the call, naming the rule and the call; its notes (Windows' answers) are dropped here.
class CheckerListener : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        std::wstring faults = checkerRecords(0);
        checkerRecords(1);
        if (!faults.empty()) ADD_FAILURE() << "Windows rule broken:\n" << narrow(faults);
    }
};
} // namespace

} // namespace test

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new test::CheckerListener);
    int rc = RUN_ALL_TESTS();
    CoUninitialize();
    return rc;
}

namespace test {

const std::vector<LibClass>& typeLibraryClasses() {
    static const std::vector<LibClass> classes = [] {
        std::vector<LibClass> out;
        ComPtr<ITypeLib> lib;
        EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_ZorUtility, 1, 0, 0, lib.out()));
        for (UINT i = 0; lib && i < lib->GetTypeInfoCount(); ++i) {
            TYPEKIND kind;
            ComPtr<ITypeInfo> cls, itf;
            HREFTYPE ref;
            TYPEATTR* ta = nullptr;
            if (FAILED(lib->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
            LibClass c;
            Bstr name;
            EXPECT_EQ(S_OK, lib->GetDocumentation(i, name.out(), nullptr, nullptr, nullptr));
            c.name = name.text();
            if (FAILED(lib->GetTypeInfo(i, cls.out())) || FAILED(cls->GetTypeAttr(&ta))) continue;
            c.clsid = ta->guid;
            cls->ReleaseTypeAttr(ta);
            if (FAILED(cls->GetRefTypeOfImplType(0, &ref)) || FAILED(cls->GetRefTypeInfo(ref, itf.out())) ||
                FAILED(itf->GetTypeAttr(&ta)))
                continue;
            c.iid = ta->guid;
            for (UINT f = 0; f < ta->cFuncs; ++f) {
                FUNCDESC* fd = nullptr;
                if (FAILED(itf->GetFuncDesc(f, &fd))) continue;
                Bstr method;
                itf->GetDocumentation(fd->memid, method.out(), nullptr, nullptr, nullptr);
                if (fd->memid >= 0x60030000) { // not IDispatch's
                    c.members.emplace_back(method.text(), fd->memid);
                    c.params.emplace_back();
                    for (SHORT p = 0; p < fd->cParams; ++p) {
                        const ELEMDESC& e = fd->lprgelemdescParam[p];
                        if (!(e.paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
                            c.params.back().push_back(e.tdesc.vt == VT_PTR ? e.tdesc.lptdesc->vt : e.tdesc.vt);
                    }
                }
                itf->ReleaseFuncDesc(fd);
            }
            itf->ReleaseTypeAttr(ta);
            out.push_back(std::move(c));
        }
        return out;
    }();
    return classes;
}

} // namespace test
