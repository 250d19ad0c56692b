// GetIDsOfNames from the library's own name tables gives exactly what the type information's
// standard look-up gives: every name of every interface, case variants, parameter names and
// hostile names.
#include "client.h"
#include <cwctype>

using namespace test;

namespace {

struct Interface {
    ComPtr<IDispatch> object;
    ComPtr<ITypeInfo> info; // the vtable half of the dual interface, as the look-up used it
};

std::vector<Interface> everyInterface() {
    std::vector<Interface> all;
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_ZorUtility, 1, 0, 0, lib.out()));
    for (const LibClass& c : typeLibraryClasses()) {
        Interface itf;
        ComPtr<ITypeInfo> dispatch;
        HREFTYPE ref;
        EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(c.iid, dispatch.out()));
        EXPECT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &ref));
        EXPECT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, itf.info.out()));
        EXPECT_EQ(S_OK, CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, itf.object.outVoid()));
        all.push_back(std::move(itf));
    }
    return all;
}

// Every name of the interface and of those it derives from: members, then their parameters.
void collectNames(ITypeInfo* info, std::vector<std::vector<std::wstring>>& out) {
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&ta));
    const WORD funcs = ta->cFuncs, bases = ta->cImplTypes;
    info->ReleaseTypeAttr(ta);
    for (UINT f = 0; f < funcs; ++f) {
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(S_OK, info->GetFuncDesc(f, &fd));
        BSTR names[32] = {};
        UINT got = 0;
        info->GetNames(fd->memid, names, 32, &got);
        info->ReleaseFuncDesc(fd);
        out.emplace_back();
        for (UINT n = 0; n < got; ++n) {
            out.back().push_back(zor::str(names[n]));
            SysFreeString(names[n]);
        }
    }
    if (bases) {
        HREFTYPE ref;
        ComPtr<ITypeInfo> base;
        ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &ref));
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, base.out()));
        collectNames(base.get(), out);
    }
}

void same(const Interface& itf, const std::vector<const wchar_t*>& names, LCID lcid = LOCALE_USER_DEFAULT) {
    std::vector<LPOLESTR> n;
    for (const wchar_t* s : names) n.push_back(const_cast<LPOLESTR>(s));
    std::vector<DISPID> ours(n.size(), 12345), standard(n.size(), 12345);
    HRESULT hrOurs = itf.object->GetIDsOfNames(IID_NULL, n.data(), static_cast<UINT>(n.size()), lcid, ours.data());
    HRESULT hrStandard = itf.info->GetIDsOfNames(n.data(), static_cast<UINT>(n.size()), standard.data());
    std::wstring what = names[0] ? std::wstring(names[0]).substr(0, 40) : L"(null)";
    EXPECT_EQ(hrStandard, hrOurs) << std::string(what.begin(), what.end());
    EXPECT_EQ(standard, ours) << std::string(what.begin(), what.end());
}

std::wstring caseVariant(std::wstring s, int variant) {
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = variant == 0 ? towupper(s[i]) : variant == 1 ? towlower(s[i]) : (i % 2 ? towupper(s[i]) : towlower(s[i]));
    return s;
}

} // namespace

TEST(Names, EveryNameOfEveryInterfaceAsTheStandardLookUpAnswers) {
    int asked = 0;
    for (const Interface& itf : everyInterface()) {
        std::vector<std::vector<std::wstring>> members;
        collectNames(itf.info.get(), members);
        for (const auto& m : members) {
            for (int v = -1; v < 3; ++v) { // as declared, then upper, lower and mixed case
                std::vector<std::wstring> names;
                for (const auto& n : m) names.push_back(v < 0 ? n : caseVariant(n, v));
                std::vector<const wchar_t*> p;
                for (const auto& n : names) p.push_back(n.c_str());
                same(itf, p); // the member with all its parameter names
                for (const wchar_t* name : p) same(itf, {name}); // the member alone, a parameter name as one
                ++asked;
            }
        }
        same(itf, {L"nosuchmethod"}); // refused by every interface
    }
    EXPECT_GT(asked, 4 * 89);
}

TEST(Names, HostileNamesAsTheStandardLookUpAnswers) {
    const std::wstring huge(1000000, L'a');
    const std::wstring hugeName = L"ExtractExtension" + std::wstring(999984, L'x');
    const wchar_t withNul[] = L"ExtractExtension\0Junk";
    const std::vector<std::vector<const wchar_t*>> cases = {
        {L""}, {huge.c_str()}, {hugeName.c_str()}, {withNul}, {nullptr},
        {L"SeekACERecord"}, {L"EncryptString"}, {L"QueryInterface"}, {L"invoke"}, {L"GetIDsOfNames"},
        {L"ExtractExtension "}, {L" ExtractExtension"}, {L"Extract-Extension"}, {L"Extract'Extension"},
        {L"Extract\x01" L"Extension"}, {L"Extract\x00AD" L"Extension"}, {L"\xFF25xtractExtension"},
        {L"EXTRACTEXTENSİON"}, {L"extractextensıon"}, {L"ExtractExtension\x200B"},
        {L"strInputFile"}, {L"result"}, {L"ExtractExtension", L"STRINPUTFILE"}, {L"ExtractExtension", L"result"},
        {L"ExtractExtension", L"strFilename"}, {L"ExtractExtension", L""}, {L"ExtractExtension", nullptr},
        {L"ExtractExtension", huge.c_str()}, {L"NoSuchMember", L"strInputFile"},
        {L"CreateLogFileWithBackup", L"intdays", L"nosuch", L"STRHEADER"}, {L"Invoke", L"dispIdMember", L"pVarResult"},
        {L"OpenACETable"}, {L"SeekACERecord", L"strSeek", L"lngIndexHandle"},
    };
    std::vector<Interface> all = everyInterface();
    for (const Interface* itf : {&all[0], &all[9]}) // TextFileFunctions, AdvDataAccess
        for (const auto& c : cases) same(*itf, c);
    // The locale is accepted and changes nothing.
    for (LCID lcid : {LCID(0), LCID(0x409), LCID(0x41F), LCID(0x407)})
        same(all[0], {L"EXTRACTEXTENSION", L"strinputfile"}, lcid);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"ExtractExtension");
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, all[0].object->GetIDsOfNames(IID_IDispatch, &name, 1, 0, &id));
}
