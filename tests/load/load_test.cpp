// Shared files under load from processes and apartment threads at once: no lost INI value, no
// lost increment. (Appends from processes and from threads: the text-file tests.)
#include "client.h"
#include "scratch.h"
#include <atomic>

using namespace test;

namespace {

// Runs body(t) on n apartment threads while the scripts run; the scripts' exit codes.
std::vector<DWORD> alongsideScripts(const wchar_t* script, const std::vector<std::wstring>& args, int n,
                                    const std::function<void(int)>& body) {
    std::vector<DWORD> codes;
    onThreads(n + 1, [&](int t) { // one more thread starts the scripts and waits for them
        if (t < n) body(t);
        else codes = runScripts(script, args);
    });
    return codes;
}

} // namespace

TEST(Load, IniValuesWrittenByProcessesAndThreadsAtOnceAreAllKept) {
    const std::wstring dir = scratchDir(L"load-ini"), ini = dir + L"shared.ini", go = dir + L"go";
    writeFile(ini, "[Load]\r\n");
    writeFile(go, "");
    const int each = 40;
    std::vector<std::wstring> args;
    for (int p = 0; p < 3; ++p) args.push_back(L"\"" + ini + L"\" " + std::to_wstring(each) + L" p" + std::to_wstring(p) + L" \"" + go + L"\"");
    std::atomic<int> refused{0};
    auto codes = alongsideScripts(L"write_ini.vbs", args, 3, [&](int t) {
        auto files = create<_TextFileFunctions>(L"TextFileFunctions");
        for (int i = 1; i <= each; ++i) {
            std::wstring tag = L"t" + std::to_wstring(t), key = tag + L"_" + std::to_wstring(i);
            VARIANT_BOOL ok = 0;
            refused += files->WriteINIFile(Bstr(ini).get(), Bstr(L"Load").get(), Bstr(key).get(),
                                           Bstr(L"value " + std::to_wstring(i) + L" of " + tag).get(), &ok) != S_OK || !ok;
        }
    });
    EXPECT_EQ(std::vector<DWORD>(3, 10), codes) << "a script was refused a write or died";
    EXPECT_EQ(0, refused.load());
    std::string text = readFile(ini);
    int lines = 0;
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(1 + 6 * each, lines) << "one line per value and the section's";
    for (const char* tag : {"p0", "p1", "p2", "t0", "t1", "t2"})
        for (int i = 1; i <= each; ++i) {
            std::string line = "\r\n" + std::string(tag) + "_" + std::to_string(i) + "=value " + std::to_string(i) + " of " + tag + "\r\n";
            EXPECT_NE(std::string::npos, text.find(line)) << "lost: " << tag << "_" << i;
        }
}

TEST(Load, CounterIncrementedByProcessesAndThreadsAtOnceLosesNothing) {
    const std::wstring f = scratchDir(L"load-counter") + L"hits.cnt";
    const int each = 40;
    std::atomic<int> refused{0};
    auto bump = [&](int) {
        auto asp = create<_ASPFunctions>(L"ASPFunctions");
        for (int i = 0; i < each; ++i) {
            Variant r;
            refused += asp->GetCounter(Bstr(f).get(), vbool(true), &r) != S_OK || V_VT(&r.get()) == VT_BSTR;
        }
    };
    const std::wstring args = L"\"" + f + L"\" " + std::to_wstring(each);
    auto codes = alongsideScripts(L"bump_counter.vbs", std::vector<std::wstring>(2, args), 3, bump);
    EXPECT_EQ(std::vector<DWORD>(2, 10), codes);
    EXPECT_EQ(0, refused.load());
    EXPECT_EQ(std::to_string(5 * each) + "\r\n", readFile(f));
}
