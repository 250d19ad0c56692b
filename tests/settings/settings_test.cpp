// The per-user settings store through the registered DLL, checked against the registry itself.
#include <cstdio>
#include <map>
#include <tuple>
#include "library.h"

using namespace test;

namespace {

const std::wstring root = L"Software\\VB and VBA Program Settings\\";

// The line that `reg query` prints for a value of the section ZorTest\Main.
std::string regQuery(const std::wstring& key) {
    std::string out;
    FILE* p = _popen(zor::toAnsi(L"reg query \"HKCU\\" + root + L"ZorTest\\Main\" /v \"" + key + L"\"").c_str(), "r");
    static char line[12000];
    while (p && fgets(line, sizeof line, p)) if (strstr(line, "REG_SZ")) out = line;
    if (p) _pclose(p);
    return out;
}

class SettingsStore : public RegisteredLibrary {
protected:
    ComPtr<_RegistryFunctions> rf = make<_RegistryFunctions>(L"RegistryFunctions");
    void SetUp() override {
        for (std::wstring app : {L"ZorTest", L"ZorTestOther"}) RegDeleteTreeW(HKEY_CURRENT_USER, (root + app).c_str());
    }
    void TearDown() override { SetUp(); }
};

// One step on the store: 's' saves, 'g' reads and expects `value` ("<Empty>" for Empty), 'd'
// deletes (the whole section when there is no key), 'q' expects `value` from `reg query`.
struct Step {
    char op;
    std::wstring app, section, key, value;
};
const std::wstring tenThousand(10000, L'x'), nul(L"a\0b", 3), longestKey(16383, L'k'), sectionNul(L"Ma\0in", 5);
const Step steps[] = {
    {'s', L"ZorTest", L"Main", L"Plain", L"first"},          {'s', L"ZorTest", L"Main", L"Plain", L"value"},
    {'g', L"ZorTest", L"Main", L"Plain", L"value"},          {'q', L"", L"", L"Plain", L"value"},
    {'s', L"ZorTest", L"Main", L"Spaces", L" two words "},   {'q', L"", L"", L"Spaces", L" two words "},
    {'s', L"ZorTest", L"Main", L"Empty", L""},               {'q', L"", L"", L"Empty", L""},
    {'g', L"ZorTest", L"Main", L"Empty", L""},               {'s', L"ZorTest", L"Main", L"Long", tenThousand},
    {'g', L"ZorTest", L"Main", L"Long", tenThousand},        {'q', L"", L"", L"Long", tenThousand},
    {'s', L"ZorTest", L"Main", L"Other", L"caf\u00e9 \u20ac"}, {'g', L"ZorTest", L"Main", L"Other", L"caf\u00e9 \u20ac"},
    {'s', L"ZorTest", L"Main", L"NUL", nul},                 {'g', L"ZorTest", L"Main", L"NUL", nul},
    {'s', L"ZorTest", L"Main", longestKey, L"v"},            {'g', L"ZorTest", L"Main", longestKey, L"v"},
    {'g', L"ZorTest", L"MAIN", L"PLAIN", L"value"}, // the registry ignores case
    // Missing keys, sections and applications read as empty Strings.
    {'g', L"ZorTest", L"Main", L"Missing", L""}, {'g', L"ZorTest", L"Missing", L"Plain", L""},
    {'g', L"ZorTestOther", L"Main", L"Plain", L""},
    // Names that the registry cannot hold: the read fails, and nothing is written anywhere.
    {'s', L"", L"Main", L"Plain", L"w"},                     {'g', L"", L"Main", L"Plain", L"<Empty>"},
    {'s', L"ZorTest", L"", L"Plain", L"w"},                  {'g', L"ZorTest", L"Main", L"", L"<Empty>"},
    {'s', L"ZorTest", std::wstring(256, L's'), L"k", L"w"},  {'g', L"ZorTest", std::wstring(256, L's'), L"k", L"<Empty>"},
    {'s', L"ZorTest", L"Main", longestKey + L"k", L"w"},     {'g', L"ZorTest", L"Main", longestKey + L"k", L"<Empty>"},
    {'s', L"ZorTest", sectionNul, L"Plain", L"w"},           {'g', L"ZorTest", L"Ma", L"Plain", L""},
    {'s', std::wstring(1000000, L'a'), L"M", L"k", L"w"},    {'g', std::wstring(1000000, L'a'), L"M", L"k", L"<Empty>"},
    {'s', L"\\", L"ZorTest\\Main", L"Plain", L"w"},          {'s', L"ZorTest\\", L"\\Main", L"Plain", L"w"},
    {'d', L"ZorTest", L"Main\\", L""},                       {'g', L"ZorTest", L"Main", L"Plain", L"value"},
    {'g', L"ZorTest", L"Main", longestKey, L"v"},
    // Deletion of one key, of a key that was never there, and of the section.
    {'d', L"ZorTest", L"Main", L"Plain"},                    {'g', L"ZorTest", L"Main", L"Plain", L""},
    {'d', L"ZorTest", L"Main", L"Never saved"},              {'g', L"ZorTest", L"Main", L"Empty", L""},
    {'g', L"ZorTest", L"Main", L"Long", tenThousand},        {'d', L"ZorTest", L"Main", L""},
    {'g', L"ZorTest", L"Main", L"Long", L""},                {'d', L"ZorTest", L"Main", L""},
};

TEST_F(SettingsStore, StepsOnTheStore) {
    for (const auto& s : steps) {
        Bstr app(s.app), section(s.section), key(s.key), value(s.value);
        VARIANT_BOOL done = 0;
        Variant read;
        const std::string what = std::string(1, s.op) + " " + zor::toAnsi(s.key.substr(0, 12));
        if (s.op == 's') { EXPECT_EQ(S_OK, rf->SaveRegSetting(app.get(), section.get(), key.get(), value.get(), &done)) << what; }
        if (s.op == 'd') { EXPECT_EQ(S_OK, rf->DeleteRegSetting(app.get(), section.get(), s.key.empty() ? nullptr : key.get(), &done)); }
        if (s.op == 's' || s.op == 'd') { EXPECT_EQ(VARIANT_TRUE, done) << what; }
        if (s.op == 'q') { EXPECT_EQ("    " + zor::toAnsi(s.key) + "    REG_SZ    " + zor::toAnsi(s.value) + "\n", regQuery(s.key)); }
        if (s.op != 'g') continue;
        EXPECT_EQ(S_OK, rf->GetRegSetting(app.get(), section.get(), key.get(), &read));
        EXPECT_EQ(s.value == L"<Empty>" ? VT_EMPTY : VT_BSTR, V_VT(&read.get())) << what;
        if (V_VT(&read.get()) == VT_BSTR) { EXPECT_EQ(s.value, zor::str(V_BSTR(&read.get()))) << what; }
    }
}

// The 255-character limit holds for each level of a "\"-separated name, in all four methods.
TEST_F(SettingsStore, EachLevelOfANameHoldsUpTo255Characters) {
    const std::wstring a255(255, L'a'), s255(255, L's');
    const std::tuple<std::wstring, std::wstring, bool> cases[] = {{L"ZorTest\\" + a255, s255 + L"\\" + s255, true},
                                                                  {L"ZorTest\\" + a255 + L"a", L"Main", false},
                                                                  {L"ZorTest", L"Main\\" + s255 + L"s", false}};
    for (const auto& [appName, sectionName, works] : cases) {
        Bstr app(appName), section(sectionName), key(L"k"), value(L"v");
        VARIANT_BOOL done = 0;
        Variant read, listed, deleted, gone;
        rf->SaveRegSetting(app.get(), section.get(), key.get(), value.get(), &done);
        HKEY stored = nullptr; // the registry itself holds the value under the whole path
        const std::wstring path = root + appName + L"\\" + sectionName;
        EXPECT_EQ(works, RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &stored) == ERROR_SUCCESS);
        if (stored) RegCloseKey(stored);
        rf->GetRegSetting(app.get(), section.get(), key.get(), &read);
        rf->GetAllRegSettings(app.get(), section.get(), &listed);
        rf->DeleteRegSetting(app.get(), section.get(), key.get(), &done);
        rf->GetRegSetting(app.get(), section.get(), key.get(), &deleted);
        rf->DeleteRegSetting(app.get(), section.get(), nullptr, &done);
        rf->GetAllRegSettings(app.get(), section.get(), &gone);
        EXPECT_EQ(works ? L"v" : L"<Empty>", V_VT(&read.get()) == VT_BSTR ? zor::str(V_BSTR(&read.get())) : L"<Empty>");
        EXPECT_EQ(works ? VT_ARRAY | VT_VARIANT : VT_EMPTY, V_VT(&listed.get()));
        EXPECT_EQ(works ? VT_BSTR : VT_EMPTY, V_VT(&deleted.get()));
        EXPECT_EQ(VT_EMPTY, V_VT(&gone.get()));
    }
}

TEST_F(SettingsStore, SectionListing) {
    Variant list; // each GetAllRegSettings releases what it held
    EXPECT_EQ(S_OK, rf->GetAllRegSettings(Bstr(L"ZorTest").get(), Bstr(L"List").get(), &list));
    EXPECT_EQ(VT_EMPTY, V_VT(&list.get()));
    const std::map<std::wstring, std::wstring> keys = {{L"One", L"1"}, {L"Two", L"two words"}, {L"Three", L""}};
    for (const auto& [k, v] : keys) {
        VARIANT_BOOL done;
        rf->SaveRegSetting(Bstr(L"ZorTest").get(), Bstr(L"List").get(), Bstr(k).get(), Bstr(v).get(), &done);
    }
    EXPECT_EQ(S_OK, rf->GetAllRegSettings(Bstr(L"ZorTest").get(), Bstr(L"List").get(), &list));
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, V_VT(&list.get()));
    SAFEARRAY* a = V_ARRAY(&list.get());
    LONG b[4] = {};
    SafeArrayGetLBound(a, 1, &b[0]), SafeArrayGetUBound(a, 1, &b[1]), SafeArrayGetLBound(a, 2, &b[2]), SafeArrayGetUBound(a, 2, &b[3]);
    EXPECT_EQ(2u, SafeArrayGetDim(a));
    ASSERT_EQ((std::vector<LONG>{0, 2, 0, 1}), std::vector<LONG>(b, b + 4)); // rows: keys; columns: name, value
    std::map<std::wstring, std::wstring> listed;
    for (LONG row = 0; row < 3; ++row) {
        Variant cell[2];
        for (LONG col = 0; col < 2; ++col) {
            LONG at[2] = {row, col};
            SafeArrayGetElement(a, at, &cell[col].get());
            EXPECT_EQ(VT_BSTR, V_VT(&cell[col].get()));
        }
        listed[zor::str(V_BSTR(&cell[0].get()))] = zor::str(V_BSTR(&cell[1].get()));
    }
    EXPECT_EQ(keys, listed);
}

} // namespace
