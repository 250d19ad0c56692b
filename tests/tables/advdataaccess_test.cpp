// AdvDataAccess: the engine calls each method makes, exactly (through a recording engine in the
// in-process copy), and what a client of the registered DLL gets from the engine stand-in on the
// fixture tables, table-driven from the answers of the engine that wrote them.
#include "client.h"
#include "json.h"
#include "library.h"
#include "scratch.h"
#include "tables/AdvDataAccess.h"
#include "tables/engine.h"

using namespace test;

namespace {

std::wstring data(const std::wstring& name) { return testData(L"xbase\\" + name); }

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The calls through the interface, with the Boolean results checked to be True or False.
struct Tables {
    ComPtr<_AdvDataAccess> ada;

    long open(const std::wstring& table) {
        LONG h = -1;
        EXPECT_EQ(S_OK, ada->OpenACETable(Bstr(table).get(), &h));
        return h;
    }
    long index(long table, const std::wstring& index) {
        LONG h = -1;
        EXPECT_EQ(S_OK, ada->OpenACEIndex(table, Bstr(index).get(), &h));
        return h;
    }
    // A call with a Boolean result: S_OK, and the result True or False.
    template <class F>
    static bool answer(F call) {
        VARIANT_BOOL b = 7;
        EXPECT_EQ(S_OK, call(&b));
        EXPECT_TRUE(b == VARIANT_TRUE || b == VARIANT_FALSE) << b;
        return b == VARIANT_TRUE;
    }
    bool seek(long index, const std::wstring& key) {
        return answer([&](VARIANT_BOOL* b) { return ada->SeekACERecord(index, Bstr(key).get(), b); });
    }
    bool filter(long table, const std::wstring& expr) {
        return answer([&](VARIANT_BOOL* b) { return ada->ApplyACEFilter(table, Bstr(expr).get(), b); });
    }
    bool locate(long table, const std::wstring& expr, VARIANT_BOOL& flag) {
        return answer([&](VARIANT_BOOL* b) { return ada->LocateACERecord(table, Bstr(expr).get(), &flag, b); });
    }
    bool closeTable(LONG& h) { return answer([&](VARIANT_BOOL* b) { return ada->CloseACETable(&h, b); }); }
    bool closeIndex(LONG& h) { return answer([&](VARIANT_BOOL* b) { return ada->CloseACEIndex(&h, b); }); }
    bool closeAll() { return answer([&](VARIANT_BOOL* b) { return ada->CloseAllACEConnections(b); }); }
    // Locate, then continue while found: how many records matched.
    int matches(long table, const std::wstring& expr) {
        VARIANT_BOOL flag = VARIANT_FALSE;
        int n = 0;
        while (locate(table, expr, flag)) ++n;
        EXPECT_EQ(VARIANT_TRUE, flag);
        return n;
    }
};

// ---- the in-process copy with a recording engine ----------------------------------------------

struct Recorder {
    static inline Recorder* current = nullptr;
    std::vector<std::string> calls;
    uint32_t code = 0;            // what every call returns
    ENGINE_HANDLE handle = 0x51;  // what the open calls write
    uint16_t found = 1;           // what seek, locate and continue write

    // One line per call: the name, then the arguments (strings quoted, out values as they came in).
    static std::string text(const char* s) { return s ? "\"" + std::string(s) + "\"" : "NULL"; }
    static std::string text(unsigned long n) { return std::to_string(n); }
    template <class... A>
    static uint32_t log(const char* name, A... args) {
        std::string line = name + std::string("(");
        ((line += text(args) + ", "), ...);
        if (sizeof...(args)) line.resize(line.size() - 2);
        current->calls.push_back(line + ")");
        return current->code;
    }
    template <class... A>
    static uint32_t answer(uint16_t* f, const char* name, A... args) {
        uint32_t code = log(name, args..., (unsigned long)*f);
        *f = current->found;
        return code;
    }
    static uint32_t __stdcall openTable(ENGINE_HANDLE c, const char* name, const char* alias, uint16_t type, uint16_t chars,
                                        uint16_t lock, uint16_t rights, uint32_t options, ENGINE_HANDLE* t) {
        *t = current->handle;
        return log("AdsOpenTable", c, name, alias, type, chars, lock, rights, options);
    }
    static uint32_t __stdcall closeTable(ENGINE_HANDLE t) { return log("AdsCloseTable", t); }
    static uint32_t __stdcall openIndex(ENGINE_HANDLE t, const char* name, ENGINE_HANDLE* handles, uint16_t* n) {
        uint32_t code = log("AdsOpenIndex", t, name, handles[0], *n);
        handles[0] = current->handle;
        return code;
    }
    static uint32_t __stdcall closeIndex(ENGINE_HANDLE i) { return log("AdsCloseIndex", i); }
    static uint32_t __stdcall seek(ENGINE_HANDLE i, const char* key, uint16_t length, uint16_t type, uint16_t how, uint16_t* f) {
        return answer(f, "AdsSeek", i, key, length, type, how);
    }
    static uint32_t __stdcall setFilter(ENGINE_HANDLE t, const char* e) { return log("AdsSetFilter", t, e); }
    static uint32_t __stdcall exit() { return log("AdsApplicationExit"); }
    static uint32_t __stdcall locate(ENGINE_HANDLE t, const char* e, uint16_t forward, uint16_t* f) {
        return answer(f, "AdsLocate", t, e, forward);
    }
    static uint32_t __stdcall next(ENGINE_HANDLE t, uint16_t* f) { return answer(f, "AdsContinue", t); }
    const zor::EngineCalls calls_{openTable, closeTable, openIndex, closeIndex, seek, setFilter, exit, locate, next};

    Recorder() {
        current = this;
        zor::replaceEngine(&calls_);
    }
    ~Recorder() {
        zor::replaceEngine(nullptr);
        current = nullptr;
    }
};

class Recorded : public InProcessLibrary {
protected:
    Recorder engine;
    Tables t{make<zor::AdvDataAccess, _AdvDataAccess>()};
    std::vector<std::string> calls() { return std::exchange(engine.calls, {}); }
};

// Runs first, before anything in this process has loaded the engine: the in-process copy finds
// none beside the test program, nor in the (empty) current folder, and says so with error 53.
TEST(MissingEngine, IsFileNotFound) {
    ASSERT_EQ(nullptr, GetModuleHandleW(L"ace32.dll"));
    ASSERT_TRUE(SetCurrentDirectoryW(scratchDir(L"tables-noengine").c_str()));
    ComPtr<_AdvDataAccess> ada;
    ASSERT_EQ(S_OK, zor::createObject<zor::AdvDataAccess>(__uuidof(_AdvDataAccess), ada.outVoid()));
    LONG h = 5;
    EXPECT_EQ(HRESULT(0x800A0035), ada->OpenACETable(Bstr(L"x.dbf").get(), &h));
    EXPECT_EQ(0, h);
    EXPECT_EQ(L"File not found", errorInfoDescription());
    VARIANT_BOOL flag = VARIANT_FALSE, found = 7;
    EXPECT_EQ(S_OK, ada->LocateACERecord(1, Bstr(L".T.").get(), &flag, &found)); // trapped
    EXPECT_EQ(std::make_pair(VARIANT_FALSE, VARIANT_FALSE), std::make_pair(found, flag));
}

// Creation and destruction close everything; each method makes its one call, locate the first
// time (a False flag) and continue after.
TEST_F(Recorded, EachMethodMakesItsOneCall) {
    EXPECT_EQ(std::vector<std::string>{"AdsApplicationExit()"}, calls());
    LONG table = 7, index = 9;
    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_EQ((std::vector<long>{0x51, 0x51, true, true, true, true, true, true, true, VARIANT_TRUE, true}),
              (std::vector<long>{t.open(L"C:\\data\\CUSTOMER.DBF"), t.index(7, L"CUSTNAME.NTX"), t.seek(9, L"SMI"),
                                 t.seek(9, L"ABCDEFGHIJKL"), t.filter(7, L"CITY = \"Lon\""), t.closeIndex(index),
                                 t.closeTable(table), t.closeAll(), t.locate(7, L"ACTIVE", flag), flag,
                                 t.locate(7, L"ignored", flag)}));
    EXPECT_EQ(std::make_pair(7L, 9L), std::make_pair(table, index)); // the caller's handles are left as they were
    flag = 5; // any non-zero value continues
    EXPECT_TRUE(t.locate(8, L"", flag));
    EXPECT_EQ(5, flag);
    EXPECT_EQ((std::vector<std::string>{
                  "AdsOpenTable(0, \"C:\\data\\CUSTOMER.DBF\", \"\", 1, 2, 0, 2, 0)",
                  "AdsOpenIndex(7, \"CUSTNAME.NTX\", 0, 1)", "AdsSeek(9, \"SMI\", 8, 2, 2, 0)",
                  "AdsSeek(9, \"ABCDEFGHIJKL\", 8, 2, 2, 0)", "AdsSetFilter(7, \"CITY = \"Lon\"\")", "AdsCloseIndex(9)",
                  "AdsCloseTable(7)", "AdsApplicationExit()", "AdsLocate(7, \"ACTIVE\", 1, 0)", "AdsContinue(7, 0)",
                  "AdsContinue(8, 0)"}),
              calls());
    t.ada.out(); // released
    EXPECT_EQ(std::vector<std::string>{"AdsApplicationExit()"}, calls());
}

// The result readings: a handle or True only for code 0 (and found exactly 1).
TEST_F(Recorded, ResultCodesAndFoundValues) {
    const struct { uint32_t code; uint16_t found; bool ok; } cases[] = {{0, 1, true}, {0, 0, false}, {0, 2, false}, {0xFFFF, 1, false}, {1008, 1, false},
                 {0xFFFFFFFF, 1, false}, {70000, 1, false}, {0x10000, 1, false}};
    for (const auto& c : cases) {
        engine.code = c.code;
        engine.found = c.found;
        SCOPED_TRACE(c.code);
        // A code that does not fit 16 bits is an overflow inside the trap: False, the flag set all the same.
        LONG h = 3;
        VARIANT_BOOL flag = VARIANT_FALSE;
        const long handle = c.code == 0 ? 0x51 : 0, done = c.code == 0;
        EXPECT_EQ((std::vector<long>{handle, handle, c.ok, done, done, done, done, c.ok, VARIANT_TRUE, c.ok}),
                  (std::vector<long>{t.open(L"t"), t.index(1, L"i"), t.seek(1, L"k"), t.filter(1, L"f"), t.closeAll(),
                                     t.closeTable(h), t.closeIndex(h), t.locate(1, L"x", flag), flag, t.locate(1, L"x", flag)}));
    }
}

// ---- the registered DLL with the engine stand-in ----------------------------------------------

class Fixtures : public RegisteredLibrary {
protected:
    Tables t{make<_AdvDataAccess>(L"AdvDataAccess")};
    static const Json& answers() {
        static const Json j = Json::parse(readFile(data(L"expected.json")));
        return j;
    }
};

TEST_F(Fixtures, SeeksFiltersAndLocatesMatchTheFixtureAnswers) {
    int checked = 0;
    for (const Json& s : answers()["seeks"].items) {
        long table = t.open(data(wide(s["table"].text)));
        long index = t.index(table, data(wide(s["index"].text)));
        ASSERT_NE(0, index);
        for (const Json& c : s["cases"].items) {
            // Only keys of up to 8 characters ask the same question here: the library passes 8.
            if (c["key"].kind != Json::String || c["key"].text.size() > 8) continue;
            EXPECT_EQ(c["hard_deleted_off"]["found"].boolean, t.seek(index, wide(c["key"].text)))
                << s["index"].text << " " << c["key"].text;
            ++checked;
        }
    }
    EXPECT_GT(checked, 80);
    // A longer key is read as its first 8 characters: "Paris   " is there, "Paris    X" is not.
    long table = t.open(data(L"CUSTOMER.DBF")), city = t.index(table, data(L"CITYNAME.NTX"));
    EXPECT_EQ((std::vector<bool>{true, true, false}),
              (std::vector<bool>{t.seek(city, L"Paris    X"), t.seek(city, L"Paris          ANNA"), t.seek(city, L"Lisbon S")}));
    for (const Json& f : answers()["filters"].items) {
        EXPECT_TRUE(t.filter(table, wide(f["expr"].text)));
        EXPECT_EQ(f["natural_deleted_off"].items.size(), size_t(t.matches(table, L".T."))) << f["expr"].text;
    }
    EXPECT_TRUE(t.filter(table, L""));
    for (const Json& l : answers()["locates"].items)
        EXPECT_EQ(l["natural_deleted_off"]["found"].items.size(), size_t(t.matches(table, wide(l["expr"].text))))
            << l["expr"].text;
    VARIANT_BOOL flag = VARIANT_FALSE; // no match: False, and the flag is set all the same
    EXPECT_FALSE(t.locate(table, L"CITY = \"Atlantis\"", flag));
    EXPECT_EQ(VARIANT_TRUE, flag);
    EXPECT_FALSE(t.locate(table, L"", flag));
}

TEST_F(Fixtures, HandlesLiveUntilClosedOrAnotherObjectIsMade) {
    LONG table = t.open(data(L"CUSTOMER.DBF"));
    LONG index = t.index(table, data(L"CUSTNAME.NTX"));
    // A closed handle keeps its value and is stale.
    EXPECT_EQ((std::vector<long>{0, true, false, false, true, false}),
              (std::vector<long>{t.open(data(L"NOSUCH.DBF")), t.closeIndex(index), t.closeIndex(index), t.seek(index, L"SMITH"),
                                 t.closeTable(table), t.closeTable(table)}));

    table = t.open(data(L"CUSTOMER.DBF"));
    index = t.index(table, data(L"CUSTNAME.NTX"));
    EXPECT_TRUE(t.seek(index, L"SMITH"));
    Tables second{make<_AdvDataAccess>(L"AdvDataAccess")}; // ends every handle of the process
    EXPECT_FALSE(t.seek(index, L"SMITH"));
    EXPECT_FALSE(second.closeTable(table));
    table = second.open(data(L"CUSTOMER.DBF"));
    EXPECT_TRUE(second.filter(table, L"ACTIVE"));
    second.ada.out(); // and so does releasing one
    EXPECT_FALSE(t.filter(table, L"ACTIVE"));
}

TEST_F(Fixtures, BadInputFailsCleanly) {
    std::wstring scratch = scratchDir(L"tables");
    writeFile(scratch + L"SHORT.DBF", readFile(data(L"CUSTOMER.DBF")).substr(0, 5000));
    writeFile(scratch + L"EMPTY.DBF", "");
    std::wstring huge(1000000, L'A');
    for (const std::wstring& name : {scratch + L"SHORT.DBF", scratch + L"EMPTY.DBF", std::wstring(), huge,
                                     std::wstring(L"CON"), scratch})
        EXPECT_EQ(0, t.open(name));
    long table = t.open(data(L"CUSTOMER.DBF"));
    long empty = t.open(data(L"EMPTY.DBF"));
    long foreign = t.index(empty, data(L"CUSTNAME.NTX")); // the keys name records EMPTY.DBF lacks
    EXPECT_FALSE(t.seek(foreign, L"SMITH"));
    EXPECT_EQ(0, t.index(table, huge));
    for (const wchar_t* e : {L"CITY = ", L"NAME + 1", L"NOSUCH", L"UPPER(NAME", L"\"open", L"CITY"}) {
        EXPECT_FALSE(t.filter(table, e)) << e;
        VARIANT_BOOL flag = VARIANT_FALSE;
        EXPECT_FALSE(t.locate(table, e, flag)) << e;
    }
    EXPECT_FALSE(t.filter(table, huge));
    for (long h : {0L, 1L, -1L, 0x7FFFFFFFL, table + 999}) {
        LONG copy = h;
        VARIANT_BOOL flag = VARIANT_TRUE;
        EXPECT_EQ(std::vector<long>(6, 0), (std::vector<long>{t.seek(h, L"A"), t.filter(h, L".T."), t.locate(h, L".T.", flag),
                                                            t.index(h, data(L"CUSTNAME.NTX")), t.closeIndex(copy),
                                                            t.closeTable(copy)}))
            << h;
    }
    EXPECT_TRUE(t.seek(t.index(table, data(L"CUSTNAME.NTX")), L"SMITH")); // the engine carries on
}

} // namespace
