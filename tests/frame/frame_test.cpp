// The COM server as a client sees it: creation, interfaces, the type library and its DISPIDs,
// the resources, unloading and the per-thread start-up.
#include "client.h"
#include "scratch.h"
#include "frame/dispatch.h"
#include <regex>
#include "various/DateFunctions.h"
#include "runtime/text.h"

using namespace test;

namespace {
using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
const auto getClassObject = libraryExport<GetClassObject>("DllGetClassObject");
} // namespace

TEST(Frame, EveryClassIsCreatableByProgIdAndByClsidWithItsThreeInterfaces) {
    for (const LibClass& c : typeLibraryClasses()) {
        SCOPED_TRACE(testing::Message() << "class " << zor::toAnsi(c.name));
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID((L"ZorUtility." + c.name).c_str(), &clsid));
        EXPECT_TRUE(IsEqualCLSID(clsid, c.clsid));
        ComPtr<IUnknown> unk;
        ASSERT_EQ(S_OK, CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unk.outVoid()));
        ComPtr<IDispatch> disp, dual;
        ComPtr<ISupportErrorInfo> sei;
        ComPtr<IUnknown> unk2;
        EXPECT_EQ(S_OK, unk->QueryInterface(IID_IDispatch, disp.outVoid()));
        EXPECT_EQ(S_OK, unk->QueryInterface(c.iid, dual.outVoid()));
        EXPECT_EQ(S_OK, dual->QueryInterface(IID_IUnknown, unk2.outVoid()));
        EXPECT_EQ(unk.get(), unk2.get()) << "IUnknown identity";
        ASSERT_EQ(S_OK, unk->QueryInterface(IID_ISupportErrorInfo, sei.outVoid()));
        EXPECT_EQ(S_OK, sei->InterfaceSupportsErrorInfo(c.iid));
        EXPECT_EQ(S_FALSE, sei->InterfaceSupportsErrorInfo(IID_IPersist));
        ComPtr<IPersist> none;
        EXPECT_EQ(E_NOINTERFACE, unk->QueryInterface(IID_IPersist, none.outVoid()));
        EXPECT_EQ(nullptr, none.get());
    }
}

TEST(Frame, TypeLibraryHoldsEachInterfaceAheadOfItsCoclass) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_ZorUtility, 1, 0, 0, lib.out()));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
    // Version 1.0, the build's own platform, neutral, and only the "has a disk image" flag that
    // every compiled type library carries.
    EXPECT_EQ((std::vector<long>{1, 0, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, 0, LIBFLAG_FHASDISKIMAGE}),
              (std::vector<long>{attr->wMajorVerNum, attr->wMinorVerNum, attr->syskind, long(attr->lcid), attr->wLibFlags}));
    lib->ReleaseTLibAttr(attr);
    const auto& cat = typeLibraryClasses();
    ASSERT_EQ(2 * cat.size(), lib->GetTypeInfoCount());
    for (size_t i = 0; i < cat.size(); ++i) {
        ComPtr<ITypeInfo> itf, cls;
        ASSERT_EQ(S_OK, lib->GetTypeInfo(static_cast<UINT>(2 * i), itf.out()));
        ASSERT_EQ(S_OK, lib->GetTypeInfo(static_cast<UINT>(2 * i + 1), cls.out()));
        TYPEATTR* ta = nullptr;
        ASSERT_EQ(S_OK, itf->GetTypeAttr(&ta));
        EXPECT_TRUE(IsEqualGUID(ta->guid, cat[i].iid));
        EXPECT_EQ(TKIND_DISPATCH, ta->typekind);
        const WORD flags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
        EXPECT_EQ(flags, ta->wTypeFlags & flags);
        itf->ReleaseTypeAttr(ta);
        // The vtable half of the dual interface is the oleautomation-compatible one.
        HREFTYPE ref;
        ComPtr<ITypeInfo> vtbl;
        ASSERT_EQ(S_OK, itf->GetRefTypeOfImplType(-1, &ref));
        ASSERT_EQ(S_OK, itf->GetRefTypeInfo(ref, vtbl.out()));
        ASSERT_EQ(S_OK, vtbl->GetTypeAttr(&ta));
        EXPECT_EQ(TKIND_INTERFACE, ta->typekind);
        EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        EXPECT_EQ(static_cast<short>(cat[i].members.size()), ta->cFuncs) << "the methods after IDispatch's seven";
        vtbl->ReleaseTypeAttr(ta);
        // What object browsers show: a helpstring for the interface, the coclass and each method,
        // and each method's error mode as custom data (the reference page's source too).
        for (ITypeInfo* t : {itf.get(), cls.get()}) {
            Bstr doc;
            EXPECT_EQ(S_OK, t->GetDocumentation(MEMBERID_NIL, nullptr, doc.out(), nullptr, nullptr));
            EXPECT_NE(L"", doc.text()) << "class " << i;
        }
        ComPtr<ITypeInfo2> custom;
        ASSERT_EQ(S_OK, vtbl->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(custom.out())));
        for (UINT f = 0; f < cat[i].members.size(); ++f) {
            FUNCDESC* fd = nullptr;
            ASSERT_EQ(S_OK, vtbl->GetFuncDesc(f, &fd));
            Bstr name, doc;
            EXPECT_EQ(S_OK, itf->GetDocumentation(fd->memid, name.out(), doc.out(), nullptr, nullptr));
            vtbl->ReleaseFuncDesc(fd);
            const std::string method = zor::toAnsi(name.text());
            EXPECT_NE(L"", doc.text()) << "helpstring of " << method;
            static const GUID errors = {0xC0728626, 0xBA47, 0x4869, {0xB8, 0x9F, 0x1E, 0x27, 0x9D, 0xAC, 0xE6, 0x03}};
            Variant mode;
            EXPECT_EQ(S_OK, custom->GetFuncCustData(f, errors, &mode));
            const std::wstring text = V_VT(&mode.get()) == VT_BSTR ? V_BSTR(&mode.get()) : L"";
            EXPECT_TRUE(std::regex_match(text, std::wregex(L"untrapped|(trapped|error text|skipped): .+"))) << method;
        }
        ASSERT_EQ(S_OK, cls->GetTypeAttr(&ta));
        EXPECT_TRUE(IsEqualGUID(ta->guid, cat[i].clsid));
        EXPECT_EQ(TKIND_COCLASS, ta->typekind);
        EXPECT_EQ(TYPEFLAG_FCANCREATE, ta->wTypeFlags & (TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT));
        EXPECT_EQ(1, ta->cImplTypes) << "one default interface, no source interface";
        cls->ReleaseTypeAttr(ta);
    }
}

// Every member's DISPID, in any case, against the type information's: Names.EveryNameOfEveryInterface...
TEST(Frame, DispidsAndParameterNamesAreTheIdlsAndNamedArgumentsReachTheMethod) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    // The numbering leaves gaps where private procedures were; names are matched without regard
    // to case, as automation clients expect.
    EXPECT_EQ(0x60030002, dispid(tf.get(), L"ExtractDirectoryPath"));
    EXPECT_EQ(0x6003000A, dispid(tf.get(), L"CreateINIFile"));
    EXPECT_EQ(0x60030004, dispid(tf.get(), L"extractfilename"));
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"CreateLogFileWithBackup"), const_cast<LPOLESTR>(L"strFilename"),
                        const_cast<LPOLESTR>(L"strHeader"), const_cast<LPOLESTR>(L"intDays")};
    DISPID ids[4];
    ASSERT_EQ(S_OK, tf->GetIDsOfNames(IID_NULL, names, 4, 0, ids));
    EXPECT_EQ(std::vector<DISPID>({0x60030001, 0, 1, 2}), std::vector<DISPID>(ids, ids + 4));
    names[0] = const_cast<LPOLESTR>(L"ExtractExtension");
    names[1] = const_cast<LPOLESTR>(L"strInputFile");
    ASSERT_EQ(S_OK, tf->GetIDsOfNames(IID_NULL, names, 2, 0, ids));
    Args args{vstr(L"a.b.c")};
    DISPPARAMS p{args.v.data(), &ids[1], 1, 1};
    Variant r;
    ASSERT_EQ(S_OK, tf->Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &p, &r, nullptr, nullptr));
    EXPECT_EQ(L"b.c", zor::str(V_BSTR(&r.get())));
}

TEST(Frame, ResourcesHoldTheVersionAndOneInterfaceIdPerClass) {
    HMODULE dll = libraryModule();
    ASSERT_NE(nullptr, dll);
    for (const LibClass& c : typeLibraryClasses()) {
        std::wstring type = L"_IID_";
        for (wchar_t ch : c.name) type += static_cast<wchar_t>(towupper(ch));
        HRSRC res = FindResourceW(dll, MAKEINTRESOURCEW(1), type.c_str());
        ASSERT_NE(nullptr, res) << "missing resource";
        ASSERT_EQ(20u, SizeofResource(dll, res));
        // The length 16, then the IID.
        const std::string want = std::string("\x10\0\0\0", 4) + std::string(reinterpret_cast<const char*>(&c.iid), 16);
        EXPECT_EQ(want, std::string(static_cast<const char*>(LockResource(LoadResource(dll, res))), 20));
    }
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(dll, path, MAX_PATH);
    DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ((std::vector<DWORD>{0x00010000, 0x00000004, 0x00010000, 0x00000004, VOS__WINDOWS32, VFT_DLL}),
              (std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS, fixed->dwFileOS, fixed->dwFileType}));
    wchar_t* text = nullptr;
    for (auto [name, want] : {std::pair{L"FileVersion", L"1.00.0004"}, {L"ProductVersion", L"1.00.0004"},
                              {L"OLESelfRegister", L""}}) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &len)) << zor::toAnsi(name);
        EXPECT_STREQ(want, text);
    }
}

TEST(Frame, RegistrationNamesTheDllAsApartmentThreadedInprocServer) {
    wchar_t key[128], clsid[40], value[MAX_PATH], expected[MAX_PATH];
    StringFromGUID2(__uuidof(TextFileFunctions), clsid, 40);
    swprintf(key, 128, L"CLSID\\%ls\\InprocServer32", clsid);
    DWORD size = sizeof(value);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CLASSES_ROOT, key, L"ThreadingModel", RRF_RT_REG_SZ, nullptr, value, &size));
    EXPECT_STREQ(L"Apartment", value);
    size = sizeof(value);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size));
    GetEnvironmentVariableW(L"ZOR_DLL", expected, MAX_PATH);
    EXPECT_EQ(0, _wcsicmp(expected, value));
}

TEST(Frame, UnknownClassIsNotAvailableAndTheFactoryRefusesAggregation) {
    ASSERT_NE(nullptr, getClassObject);
    ComPtr<IClassFactory> f;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IPersist, IID_IClassFactory, f.outVoid()));
    EXPECT_EQ(nullptr, f.get());
    ComPtr<IUnknown> obj;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(IID_IPersist, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, obj.outVoid()));
    ASSERT_EQ(S_OK, getClassObject(__uuidof(DateFunctions), IID_IClassFactory, f.outVoid()));
    IUnknown* outer = reinterpret_cast<IUnknown*>(f.get());
    EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(outer, IID_IUnknown, obj.outVoid()));
    EXPECT_EQ(E_NOINTERFACE, f->CreateInstance(nullptr, IID_IPersist, obj.outVoid()));
}

TEST(Frame, CanUnloadOnlyWhenNoObjectLivesAndNoLockIsHeld) {
    auto canUnload = libraryExport<HRESULT(WINAPI*)()>("DllCanUnloadNow");
    ASSERT_NE(nullptr, canUnload);
    CoFreeUnusedLibraries();
    EXPECT_EQ(S_OK, canUnload());
    {
        ComPtr<IClassFactory> f;
        ASSERT_EQ(S_OK, getClassObject(__uuidof(BitmapFunctions), IID_IClassFactory, f.outVoid()));
        ComPtr<IUnknown> obj;
        ASSERT_EQ(S_OK, f->CreateInstance(nullptr, IID_IUnknown, obj.outVoid()));
        EXPECT_EQ(S_FALSE, canUnload());
        ASSERT_EQ(S_OK, f->LockServer(TRUE));
        f.out(); // release the factory, keep the lock
        obj.out();
        EXPECT_EQ(S_FALSE, canUnload()) << "server lock held";
        ComPtr<IClassFactory> g;
        ASSERT_EQ(S_OK, getClassObject(__uuidof(BitmapFunctions), IID_IClassFactory, g.outVoid()));
        g->LockServer(FALSE);
    }
    EXPECT_EQ(S_OK, canUnload());
}

TEST(Frame, EveryThreadThatCreatesAnObjectRunsTheStartUp) {
    // Wine reports the NT family, so the flag is 1 (not the automation true) in each thread.
    std::vector<long> flags(3, -7);
    onThreads(3, [&](int i) {
        ComPtr<IUnknown> obj;
        if (SUCCEEDED(zor::createObject<zor::DateFunctions>(__uuidof(_DateFunctions), obj.outVoid()))) flags[i] = zor::isWindowsNT();
    });
    EXPECT_EQ(std::vector<long>({1, 1, 1}), flags);
    EXPECT_EQ(0u, GetVersion() & 0x80000000u);
}

TEST(Frame, VariantReleasesTheValueItHeldWhenGivenAnother) {
    auto obj = create<IDispatch>(L"DateFunctions");
    auto refs = [&] { return obj->AddRef(), obj->Release(); };
    auto holding = [&] { Variant v; V_VT(&v.get()) = VT_DISPATCH, V_DISPATCH(&v.get()) = obj.get(), obj->AddRef(); return v; };
    const ULONG alone = refs();
    Variant v = holding();
    v = holding(); // the value held before goes with the temporary
    EXPECT_EQ(alone + 1, refs());
    EXPECT_EQ(VT_EMPTY, V_VT(&v)); // as an out parameter: the old value is released first
    EXPECT_EQ(alone, refs());
}
