// The per-user settings store through the registered DLL, checked against the registry itself.
#include <cstdio>
#include <map>
#include "library.h"

using namespace test;

namespace {

const std::string mainSection = "HKCU\\Software\\VB and VBA Program Settings\\ZorTest\\Main";

// The line that `reg query` prints for a value of the section "Main".
std::string regQuery(const std::string& key) {
    std::string out;
    FILE* p = _popen(("reg query \"" + mainSection + "\" /v \"" + key + "\"").c_str(), "r");
    static char line[12000];
    while (p && fgets(line, sizeof line, p)) if (strstr(line, "REG_SZ")) out = line;
    if (p) _pclose(p);
    return out;
}

class SettingsStore : public RegisteredLibrary {
protected:
    ComPtr<_RegistryFunctions> rf = make<_RegistryFunctions>(L"RegistryFunctions");
    void SetUp() override {
        for (std::wstring app : {L"ZorTest", L"ZorTestOther"})
            RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + app).c_str());
    }
    void TearDown() override { SetUp(); }

    void save(const std::wstring& app, const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        VARIANT_BOOL r = 0;
        EXPECT_EQ(S_OK, rf->SaveRegSetting(Bstr(app).get(), Bstr(section).get(), Bstr(key).get(), Bstr(value).get(), &r));
        EXPECT_EQ(VARIANT_TRUE, r);
    }
    // The value read: a String, or "<Empty>" for Empty.
    std::wstring get(const std::wstring& app, const std::wstring& section, const std::wstring& key) {
        Variant v;
        EXPECT_EQ(S_OK, rf->GetRegSetting(Bstr(app).get(), Bstr(section).get(), Bstr(key).get(), &v));
        EXPECT_TRUE(V_VT(&v.get()) == VT_BSTR || V_VT(&v.get()) == VT_EMPTY);
        return V_VT(&v.get()) == VT_BSTR ? zor::str(V_BSTR(&v.get())) : L"<Empty>";
    }
    void remove(const wchar_t* section, const wchar_t* key) {
        VARIANT_BOOL r = 0;
        Bstr k = key ? Bstr(key) : Bstr();
        EXPECT_EQ(S_OK, rf->DeleteRegSetting(Bstr(L"ZorTest").get(), Bstr(section).get(), k.get(), &r));
        EXPECT_EQ(VARIANT_TRUE, r);
    }
};

TEST_F(SettingsStore, ValuesRoundTripAsRegistryStrings) {
    const struct {
        std::wstring key, value;
        std::string listed; // as `reg query` shows it
    } values[] = {
        {L"Plain", L"value", "    Plain    REG_SZ    value\n"},
        {L"Spaces", L"  two words ", "    Spaces    REG_SZ      two words \n"},
        {L"Empty", L"", "    Empty    REG_SZ    \n"},
        {L"Long", std::wstring(10000, L'x'), "    Long    REG_SZ    " + std::string(10000, 'x') + "\n"},
        {L"Other", L"caf\u00e9 \u20ac"},
        {L"NUL", std::wstring(L"a\0b", 3)},
        {std::wstring(16383, L'k'), L"longest key name"},
    };
    for (const auto& v : values) {
        save(L"ZorTest", L"Main", v.key, L"first");
        save(L"ZorTest", L"Main", v.key, v.value); // replaces
        EXPECT_EQ(v.value, get(L"ZorTest", L"Main", v.key)) << v.listed;
        if (!v.listed.empty()) EXPECT_EQ(v.listed, regQuery(zor::toAnsi(v.key)));
    }
    system(("reg add \"" + mainSection + "\" /v Outside /d \"from reg\" /f >NUL").c_str());
    EXPECT_EQ(L"from reg", get(L"ZorTest", L"Main", L"Outside"));
}

TEST_F(SettingsStore, MissingAndInvalidNames) {
    save(L"ZorTest", L"Main", L"Key", L"v");
    const std::wstring longSection(256, L's'), withNul(L"Ma\0in", 5);
    const struct {
        std::wstring app, section, key, read;
    } cases[] = {
        {L"ZorTest", L"Main", L"Missing", L""}, {L"ZorTest", L"Missing", L"Key", L""}, {L"ZorTestOther", L"Main", L"Key", L""},
        {L"ZorTest", L"MAIN", L"KEY", L"v"}, // the registry ignores case
        // names that the registry cannot hold: the read fails, and nothing is written
        {L"", L"Main", L"Key", L"<Empty>"}, {L"ZorTest", L"", L"Key", L"<Empty>"}, {L"ZorTest", L"Main", L"", L"<Empty>"},
        {L"ZorTest", longSection, L"Key", L"<Empty>"}, {L"ZorTest", L"Main", std::wstring(16384, L'k'), L"<Empty>"},
        {L"ZorTest", withNul, L"Key", L"<Empty>"}, {std::wstring(1000000, L'a'), L"Main", L"Key", L"<Empty>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.read, get(c.app, c.section, c.key)) << c.section.substr(0, 9) << "/" << c.key.substr(0, 9);
        save(c.app, c.section, c.key, L"written");
        EXPECT_EQ(c.read == L"<Empty>" ? c.read : L"written", get(c.app, c.section, c.key));
    }
    EXPECT_EQ(L"", get(L"ZorTest", L"Ma", L"Key"));                // not the name cut at its NUL
    EXPECT_EQ(L"", get(L"ZorTest", L"Main", std::wstring(16383, L'k'))); // nor cut to the limit
}

TEST_F(SettingsStore, ListingAndDeletion) {
    const std::map<std::wstring, std::wstring> keys = {{L"One", L"1"}, {L"Two", L"two words"}, {L"Three", L""}};
    for (const auto& [k, v] : keys) save(L"ZorTest", L"List", k, v);
    Variant list;
    EXPECT_EQ(S_OK, rf->GetAllRegSettings(Bstr(L"ZorTest").get(), Bstr(L"List").get(), &list));
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, V_VT(&list.get()));
    SAFEARRAY* a = V_ARRAY(&list.get());
    LONG b[4] = {};
    SafeArrayGetLBound(a, 1, &b[0]), SafeArrayGetUBound(a, 1, &b[1]), SafeArrayGetLBound(a, 2, &b[2]), SafeArrayGetUBound(a, 2, &b[3]);
    EXPECT_EQ(2u, SafeArrayGetDim(a));
    EXPECT_EQ((std::vector<LONG>{0, 2, 0, 1}), std::vector<LONG>(b, b + 4));
    std::map<std::wstring, std::wstring> listed;
    for (LONG row = 0; row <= b[1]; ++row) {
        Variant cell[2];
        for (LONG col = 0; col < 2; ++col) {
            LONG at[2] = {row, col};
            SafeArrayGetElement(a, at, &cell[col].get());
            EXPECT_EQ(VT_BSTR, V_VT(&cell[col].get()));
        }
        listed[zor::str(V_BSTR(&cell[0].get()))] = zor::str(V_BSTR(&cell[1].get()));
    }
    EXPECT_EQ(keys, listed);

    remove(L"List", L"Two");
    remove(L"List", L"Never saved");
    EXPECT_EQ(L"", get(L"ZorTest", L"List", L"Two"));
    EXPECT_EQ(L"1", get(L"ZorTest", L"List", L"One"));
    remove(L"List", nullptr); // no key: the whole section
    remove(L"List", nullptr); // and again, when it is gone
    Variant gone;
    EXPECT_EQ(S_OK, rf->GetAllRegSettings(Bstr(L"ZorTest").get(), Bstr(L"List").get(), &gone));
    EXPECT_EQ(VT_EMPTY, V_VT(&gone.get()));
}

} // namespace
