// The trace switch: child processes (this program, filtered to TraceChild) make a few calls
// through IDispatch with ZORUTILITY_TRACE set; its lines are checked here. A trace file that
// cannot be made changes no result.
#include "client.h"
#include "scratch.h"
#include <regex>
#include <set>

using namespace test;

namespace {

const int threadCalls = 2000; // enough for lines to be queued while others are written

// Runs `count` children at once on one trace file (an empty name leaves the variable unset: the
// per-user switch decides); their exit codes or-ed (0: all passed).
DWORD runChildren(const std::wstring& traceFile, int count = 1, const wchar_t* child = L"TraceChild.Calls") {
    wchar_t self[MAX_PATH];
    const std::wstring command =
        L"\"" + std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)) + L"\" --gtest_filter=" + child;
    SetEnvironmentVariableW(L"ZORUTILITY_TRACE", traceFile.empty() ? nullptr : traceFile.c_str());
    SetEnvironmentVariableW(L"ZOR_TRACE_CHILD", L"1");
    std::vector<PROCESS_INFORMATION> children(count);
    DWORD result = 0;
    for (auto& pi : children) {
        STARTUPINFOW si{sizeof si};
        std::wstring cmd = command;
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) result = 99;
    }
    SetEnvironmentVariableW(L"ZORUTILITY_TRACE", nullptr);
    SetEnvironmentVariableW(L"ZOR_TRACE_CHILD", nullptr);
    for (auto& pi : children) {
        if (!pi.hProcess) continue;
        DWORD code = 99;
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &code);
        result |= code;
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    return result;
}

} // namespace

TEST(TraceChild, Calls) {
    if (!GetEnvironmentVariableW(L"ZOR_TRACE_CHILD", nullptr, 0)) GTEST_SKIP() << "run by Trace.LinesOfAFewCalls";
    // The child's calls; their results are the same whether tracing is on, off or failing.
    auto tf = create<IDispatch>(L"TextFileFunctions");
    auto es = create<IDispatch>(L"EncryptFunctions");
    Call ext, name, log, enc, dec;
    invoke(ext, tf.get(), L"ExtractExtension", Args{vstr(L"C:\\a\\b.txt")});
    EXPECT_EQ(L"txt", ext.text());
    std::wstring odd = L"\t\"quoted\"\x01" + std::wstring(100, L'y');
    invoke(name, tf.get(), L"ExtractFilename", Args{vstr(odd.c_str())});
    EXPECT_EQ(odd, name.text());
    invoke(log, tf.get(), L"CreateLogFile", Args{vstr(L"C:\\zor-no-such-folder\\x.log")});
    EXPECT_EQ(S_OK, log.hr);
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&log.result.get()));
    invoke(enc, es.get(), L"EncryptString", Args{vstr(L"plain secret"), vstr(L"pw1234")});
    invoke(dec, es.get(), L"DecryptString", Args{vstr(enc.text().c_str()), vstr(L"pw1234")});
    EXPECT_EQ(L"plain secret", dec.text());
    onThreads(2, [](int) { // each in its own apartment: the calls run on that thread
        auto d = create<IDispatch>(L"TextFileFunctions");
        for (int i = 0; i < threadCalls; ++i) {
            Call c;
            invoke(c, d.get(), L"ExtractExtension", Args{vstr(L"x.y")});
            EXPECT_EQ(L"y", c.text());
        }
    });
    // Every line is in the file while the process still runs, with no later call to bring it.
    wchar_t file[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ZORUTILITY_TRACE", file, MAX_PATH);
    if (readFile(file) == "<missing>") return; // a file that cannot be made: tracing is off
    const std::string mine = " pid " + std::to_string(GetCurrentProcessId()) + " ";
    size_t count = 0;
    for (DWORD start = GetTickCount(); count < 5 + 2 * threadCalls && GetTickCount() - start < 1000; Sleep(10)) {
        const std::string text = readFile(file);
        count = 0;
        for (size_t at = 0; (at = text.find(mine, at)) != std::string::npos; ++at) ++count;
    }
    EXPECT_EQ(5u + 2 * threadCalls, count);
}

// The per-user switch, read from a stand-in for HKEY_CURRENT_USER (the key below): tests running
// meanwhile keep the real switch off.
const wchar_t* const switchRoot = L"Software\\ZorUtilityTests\\TraceSwitch";

TEST(TraceChild, ThroughTheRegistry) {
    if (!GetEnvironmentVariableW(L"ZOR_TRACE_CHILD", nullptr, 0)) GTEST_SKIP() << "run by Trace.RegistrySwitch";
    HKEY root = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, switchRoot, 0, KEY_ALL_ACCESS, &root));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, root));
    RegCloseKey(root);
    Call ext;
    invoke(ext, create<IDispatch>(L"TextFileFunctions").get(), L"ExtractExtension", Args{vstr(L"r.eg")});
    EXPECT_EQ(L"eg", ext.text());
}

TEST(Trace, RegistrySwitchTakesAStringOrAnExpandableString) {
    const std::wstring dir = scratchDir(L"trace-registry");
    SetEnvironmentVariableW(L"ZOR_TRACE_DIR", dir.c_str()); // the children inherit it
    const std::wstring key = std::wstring(switchRoot) + L"\\Software\\ZorUtility";
    for (auto [type, value] : {std::pair{REG_SZ, dir}, {REG_EXPAND_SZ, std::wstring(L"%ZOR_TRACE_DIR%")}}) {
        value += std::to_wstring(type) + L".log";
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Trace", type, value.c_str(),
                                                 DWORD((value.size() + 1) * sizeof(wchar_t))));
        EXPECT_EQ(0u, runChildren(L"", 1, L"TraceChild.ThroughTheRegistry")) << type;
        EXPECT_NE(std::string::npos, readFile(dir + std::to_wstring(type) + L".log")
                                         .find(R"( TextFileFunctions.ExtractExtension(strInputFile=String "r.eg") -> String "eg" | )"))
            << type;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, switchRoot);
}

// A host may end the process without the process-end notice once its objects are released (a
// server recycling its worker): the lines are in the file by then.
TEST(TraceChild, EndsWithoutNotice) {
    if (!GetEnvironmentVariableW(L"ZOR_TRACE_CHILD", nullptr, 0)) GTEST_SKIP() << "run by Trace.AnEndWithoutNotice...";
    Call ext;
    invoke(ext, create<IDispatch>(L"TextFileFunctions").get(), L"ExtractExtension", Args{vstr(L"end.ed")});
    TerminateProcess(GetCurrentProcess(), ext.text() == L"ed" ? 0 : 1);
}

TEST(Trace, LinesOfAFewCalls) {
    const std::wstring dir = scratchDir(L"trace");
    const int children = 2; // two processes at once on one file
    ASSERT_EQ(0u, runChildren(dir + L"calls.log", children));
    const std::string text = readFile(dir + L"calls.log");
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(text.size(), text.rfind("\r\n") + 2) << "the file ends with a whole line";
    ASSERT_EQ(children * (5u + 2 * threadCalls), lines.size()) << text;
    // Every line whole: time, process, thread, class.method(arguments) -> result, microseconds.
    const std::regex whole(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} pid \d+ tid \d+ \w+\.\w+\(.*\) -> .* \| \d+ us)");
    for (const auto& l : lines) EXPECT_TRUE(std::regex_match(l, whole)) << l;
    const std::string parts[] = {
        R"( TextFileFunctions.ExtractExtension(strInputFile=String "C:\\a\\b.txt") -> String "txt" | )",
        R"( TextFileFunctions.ExtractFilename(strInputFile=String "\x09\"quoted\"\x01)" + std::string(70, 'y') +
            R"("... (110 characters)) -> String "\x09\"quoted\"\x01)",
        // A trapped failure: the result, and the cause that the method swallowed.
        R"( TextFileFunctions.CreateLogFile(strFilename=String "C:\\zor-no-such-folder\\x.log") )"
        R"(-> Boolean False | swallowed: 76 Path not found | )",
        // Passwords and scrambled text never appear.
        R"( EncryptFunctions.EncryptString(strStringIn=String ***, strPassword=String ***) -> String *** | )",
        R"( EncryptFunctions.DecryptString(strStringIn=String ***, strPassword=String ***) -> String *** | )"};
    for (const std::string& part : parts) EXPECT_NE(std::string::npos, text.find(part)) << part; // no part spans a line
    for (const char* secret : {"plain", "pw1234"}) EXPECT_EQ(std::string::npos, text.find(secret)) << text;
    // Each child's two threads' lines, each whole.
    std::set<std::string> threads;
    const std::regex threadCall(R"(.* tid (\d+) TextFileFunctions\.ExtractExtension\(strInputFile=String "x\.y"\) -> String "y" \| \d+ us)");
    std::smatch m;
    for (const auto& l : lines)
        if (std::regex_match(l, m, threadCall)) threads.insert(m[1]);
    EXPECT_EQ(2u * children, threads.size());
}

TEST(Trace, AnEndWithoutNoticeLosesNoLineAndAMissingFolderForTheFileChangesNoResult) {
    const std::wstring dir = scratchDir(L"trace-end");
    EXPECT_EQ(0u, runChildren(dir + L"end.log", 1, L"TraceChild.EndsWithoutNotice"));
    EXPECT_NE(std::string::npos, readFile(dir + L"end.log").find(R"( TextFileFunctions.ExtractExtension(strInputFile=String "end.ed") -> String "ed" | )"));
    EXPECT_EQ(0u, runChildren(dir + L"no-such-folder\\calls.log"));
    EXPECT_FALSE(exists(dir + L"no-such-folder"));
}
