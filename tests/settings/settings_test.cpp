// The per-user settings store through the registered DLL, checked against the registry itself.
#include <map>
#include "client.h"
#include "library.h"

using namespace test;

namespace {

const std::wstring storeKey = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\";

// What a command line program writes to its standard output.
std::string output(std::wstring commandLine) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    CreatePipe(&read, &write, &inherit, 0);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write;
    PROCESS_INFORMATION pi{};
    bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(write);
    std::string out;
    char buffer[4096];
    DWORD n = 0;
    while (started && ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n) out.append(buffer, n);
    CloseHandle(read);
    if (started) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    return out;
}

// The line that `reg query` prints for one value, or what it printed instead.
std::string regQuery(const std::wstring& section, const std::wstring& name) {
    std::string out = output(L"reg query \"" + storeKey + section + L"\" /v \"" + name + L"\"");
    size_t at = out.find("    " + zor::toAnsi(name) + "    ");
    return at == std::string::npos ? out : out.substr(at, out.find("\r\n", at) - at);
}

class SettingsStore : public RegisteredLibrary {
protected:
    ComPtr<_RegistryFunctions> store = make<_RegistryFunctions>(L"RegistryFunctions");
    void SetUp() override {
        for (const wchar_t* app : {L"ZorTest", L"ZorTestOther"})
            RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + std::wstring(app)).c_str());
    }
    void TearDown() override { SetUp(); }

    void save(const std::wstring& app, const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        VARIANT_BOOL r = 0;
        EXPECT_EQ(S_OK, store->SaveRegSetting(Bstr(app).get(), Bstr(section).get(), Bstr(key).get(), Bstr(value).get(), &r));
        EXPECT_EQ(VARIANT_TRUE, r);
    }
    // The value as a String Variant, "<Empty>" for Empty, "<type n>" for anything else.
    std::wstring get(const std::wstring& app, const std::wstring& section, const std::wstring& key) {
        Variant v;
        EXPECT_EQ(S_OK, store->GetRegSetting(Bstr(app).get(), Bstr(section).get(), Bstr(key).get(), &v));
        VARTYPE t = V_VT(&v.get());
        return t == VT_BSTR ? zor::str(V_BSTR(&v.get())) : t == VT_EMPTY ? L"<Empty>" : L"<type " + std::to_wstring(t) + L">";
    }
    void remove(const std::wstring& section, BSTR key) {
        VARIANT_BOOL r = 0;
        EXPECT_EQ(S_OK, store->DeleteRegSetting(Bstr(L"ZorTest").get(), Bstr(section).get(), key, &r));
        EXPECT_EQ(VARIANT_TRUE, r);
    }
};

TEST_F(SettingsStore, ValuesRoundTripAndShowInTheRegistry) {
    const std::pair<std::wstring, std::wstring> values[] = {
        {L"Plain", L"value"},
        {L"With spaces", L"  two words  "},
        {L"Empty", L""},
        {L"Long", std::wstring(10000, L'x') + L"end"},
        {L"Other characters", L"caf\u00e9 \u20ac 100%"},
        {L"Embedded NUL", std::wstring(L"a\0b", 3)},
        {std::wstring(16383, L'k'), L"longest key name"},
    };
    for (const auto& [key, value] : values) {
        save(L"ZorTest", L"Main", key, value);
        EXPECT_EQ(value, get(L"ZorTest", L"Main", key)) << key.substr(0, 20);
    }
    save(L"ZorTest", L"Main", L"Plain", L"replaced");
    EXPECT_EQ(L"replaced", get(L"ZorTest", L"Main", L"Plain"));
    EXPECT_EQ("    Plain    REG_SZ    replaced", regQuery(L"ZorTest\\Main", L"Plain"));
    EXPECT_EQ("    With spaces    REG_SZ      two words  ", regQuery(L"ZorTest\\Main", L"With spaces"));
    EXPECT_EQ("    Empty    REG_SZ    ", regQuery(L"ZorTest\\Main", L"Empty"));
    EXPECT_EQ("    Long    REG_SZ    " + std::string(10000, 'x') + "end", regQuery(L"ZorTest\\Main", L"Long"));

    // A value written by another program is read the same way.
    output(L"reg add \"" + storeKey + L"ZorTest\\Main\" /v Outside /d \"from reg\" /f");
    EXPECT_EQ(L"from reg", get(L"ZorTest", L"Main", L"Outside"));
}

TEST_F(SettingsStore, MissingAndInvalidNames) {
    save(L"ZorTest", L"Main", L"Key", L"v");
    const std::wstring longKey(16384, L'k'), longSection(256, L's'), withNul(L"Ma\0in", 5);
    struct Case {
        std::wstring app, section, key, expected;
    };
    const Case cases[] = {
        {L"ZorTest", L"Main", L"Missing", L""},      // a missing key is an empty String
        {L"ZorTest", L"Missing", L"Key", L""},       // as is a missing section
        {L"ZorTestOther", L"Main", L"Key", L""},     // and a missing application
        {L"ZorTest", L"MAIN", L"KEY", L"v"},         // the registry ignores case
        {L"", L"Main", L"Key", L"<Empty>"},          // names the store cannot hold: the read fails
        {L"ZorTest", L"", L"Key", L"<Empty>"},
        {L"ZorTest", L"Main", L"", L"<Empty>"},
        {L"ZorTest", longSection, L"Key", L"<Empty>"},
        {L"ZorTest", L"Main", longKey, L"<Empty>"},
        {L"ZorTest", withNul, L"Key", L"<Empty>"},
        {std::wstring(1000000, L'a'), L"Main", L"Key", L"<Empty>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, get(c.app, c.section, c.key)) << c.section.substr(0, 10) << "/" << c.key.substr(0, 10);
        save(c.app, c.section, c.key, L"written"); // answers True either way
    }
    // Only the valid names were written; the invalid ones left the store alone.
    EXPECT_EQ(L"written", get(L"ZorTest", L"Main", L"Key"));
    EXPECT_EQ(L"written", get(L"ZorTest", L"Main", L"Missing"));
    EXPECT_EQ(L"", get(L"ZorTest", L"Ma", L"Key"));
    HKEY tooLong = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\ZorTest\\" +
                                                               longSection).c_str(), 0, KEY_READ, &tooLong));
    EXPECT_EQ(L"", get(L"ZorTest", L"Main", L"k")); // not the long key cut short
}

TEST_F(SettingsStore, ListingAndDeletion) {
    Variant none;
    EXPECT_EQ(S_OK, store->GetAllRegSettings(Bstr(L"ZorTest").get(), Bstr(L"List").get(), &none));
    EXPECT_EQ(VT_EMPTY, V_VT(&none.get()));

    const std::map<std::wstring, std::wstring> keys = {{L"One", L"1"}, {L"Two", L"two words"}, {L"Three", L""}};
    for (const auto& [k, v] : keys) save(L"ZorTest", L"List", k, v);
    Variant list;
    EXPECT_EQ(S_OK, store->GetAllRegSettings(Bstr(L"ZorTest").get(), Bstr(L"List").get(), &list));
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, V_VT(&list.get()));
    SAFEARRAY* a = V_ARRAY(&list.get());
    ASSERT_EQ(2u, SafeArrayGetDim(a));
    LONG bounds[4];
    SafeArrayGetLBound(a, 1, &bounds[0]), SafeArrayGetUBound(a, 1, &bounds[1]);
    SafeArrayGetLBound(a, 2, &bounds[2]), SafeArrayGetUBound(a, 2, &bounds[3]);
    EXPECT_EQ((std::vector<LONG>{0, 2, 0, 1}), std::vector<LONG>(bounds, bounds + 4));
    std::map<std::wstring, std::wstring> listed;
    for (LONG row = 0; row <= bounds[1]; ++row) {
        Variant name, value;
        LONG at[2] = {row, 0};
        SafeArrayGetElement(a, at, &name.get());
        at[1] = 1;
        SafeArrayGetElement(a, at, &value.get());
        ASSERT_EQ(VT_BSTR, V_VT(&name.get()));
        ASSERT_EQ(VT_BSTR, V_VT(&value.get()));
        listed[zor::str(V_BSTR(&name.get()))] = zor::str(V_BSTR(&value.get()));
    }
    EXPECT_EQ(keys, listed);

    remove(L"List", Bstr(L"Two").get());
    remove(L"List", Bstr(L"Never saved").get());
    EXPECT_EQ(L"", get(L"ZorTest", L"List", L"Two"));
    EXPECT_EQ(L"1", get(L"ZorTest", L"List", L"One"));
    remove(L"List", nullptr); // no key: the whole section
    EXPECT_EQ(L"", get(L"ZorTest", L"List", L"One"));
    Variant gone;
    EXPECT_EQ(S_OK, store->GetAllRegSettings(Bstr(L"ZorTest").get(), Bstr(L"List").get(), &gone));
    EXPECT_EQ(VT_EMPTY, V_VT(&gone.get()));
    remove(L"List", nullptr); // a missing section: still True
}

} // namespace
