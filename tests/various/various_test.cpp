// VariousFunctions and DateFunctions through the registered DLL, Sleep also on a fake clock.
#include "client.h"
#include "scratch.h"
#include "library.h"
#include <thread>
#include "runtime/clock.h"
#include "runtime/dates.h"
#include "various/VariousFunctions.h"

using namespace test;

namespace {

ComPtr<_VariousFunctions> various() { return create<_VariousFunctions>(L"VariousFunctions"); }
ComPtr<_DateFunctions> dates() { return create<_DateFunctions>(L"DateFunctions"); }

// A call by name that must succeed with a result of type vt: the result (Empty when it has not).
Variant answer(IDispatch* d, const wchar_t* method, const Args& args, VARTYPE vt) {
    Call call;
    invoke(call, d, method, args);
    EXPECT_EQ(S_OK, call.hr) << method;
    EXPECT_EQ(vt, V_VT(&call.result.get())) << method;
    return V_VT(&call.result.get()) == vt ? std::move(call.result) : Variant();
}

TEST(DataExists, IsTrueWhenAnythingButSpacesIsLeft) {
    const std::pair<const wchar_t*, bool> cases[] = {{L"   ", false}, {L"", false},    {nullptr, false},
                                                     {L" x ", true},  {L"\t", true},  {L"0", true},
                                                     {L"\u00a0", true}, {L" \r\n ", true}};
    auto vf = various();
    for (auto [in, want] : cases)
        EXPECT_EQ(want ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(&answer(vf.get(), L"DataExists", {vstr(in)}, VT_BOOL).get()))
            << (in ? in : L"NULL");
}

// The cases of tests/data/cases/decimals.tsv (the script tests run them too); a negative number of
// decimals is an invalid argument.
TEST(ExtractDecimal, ImpliedDecimalPlacesAndNegativeDecimalsAreAnInvalidArgument) {
    auto vf = various();
    const auto rows = caseRows(L"decimals");
    ASSERT_GT(rows.size(), 15u);
    for (const CaseRow& c : rows) {
        Args args{vstr(c.at(0).c_str()), vi2(static_cast<short>(std::stoi(c.at(1))))};
        EXPECT_EQ(c.at(2), zor::str(V_BSTR(&answer(vf.get(), L"ExtractDecimal", args, VT_BSTR).get())))
            << "[" << c[0] << "] " << c[1];
    }
    Bstr out;
    EXPECT_EQ(HRESULT(0x800A0005), vf->ExtractDecimal(Bstr(L"1.5").get(), -1, out.out()));
    EXPECT_EQ(L"Invalid procedure call or argument", errorInfoDescription());
    EXPECT_EQ(nullptr, out.get());

    Call call;
    invoke(call, vf.get(), L"ExtractDecimal", Args{vstr(L"1.5"), vi2(-2)});
    EXPECT_EQ(DISP_E_EXCEPTION, call.hr);
    EXPECT_EQ(0x800A0005, static_cast<unsigned long>(call.excep.scode));
}

TEST(ExtractRubbish, KeepsOnlyAsciiLettersAndDigits) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"AB-12 c!", L"AB12c"}, {L"Caf\u00e9", L"Caf"}, {L"", L""}, {nullptr, L""},
        {L"09AZaz", L"09AZaz"},  {L"/:@[`{", L""},       {L"\t\r\n\x01\x7f", L""}, {L"\u00c5ngstr\u00f6m 42", L"ngstrm42"},
        {L"\u4e00x", L"x"},
        // Letters and digits that only look like ASCII ones are removed too.
        {L"\u0100\u0131\uff21\uff11y", L"y"},
    };
    auto vf = various();
    for (auto [in, want] : cases) {
        Bstr out;
        ASSERT_EQ(S_OK, vf->ExtractRubbish(in ? Bstr(in).get() : nullptr, out.out()));
        EXPECT_EQ(want, out.text());
    }
}

TEST(Sleep, ReturnsFalseAndLeavesSecondsAndAQuitMessageAlone) {
    auto vf = various();
    for (double seconds : {0.2, 0.0, -1.0}) {
        PostQuitMessage(3);
        VARIANT s = vr8(seconds), byRef{};
        V_VT(&byRef) = VT_R8 | VT_BYREF;
        V_R8REF(&byRef) = &V_R8(&s);
        EXPECT_EQ(VARIANT_FALSE, V_BOOL(&answer(vf.get(), L"Sleep", {byRef}, VT_BOOL).get()));
        EXPECT_EQ(seconds, V_R8(&s));
        MSG msg;
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << seconds;
        EXPECT_EQ(3u, msg.wParam);
    }
}

// ---- Sleep on a fake clock ----------------------------------------------------------------

// The in-process copy with a recorder: its Sleep reads the recorder's fake clock. Each step
// blocks for the rest of the time, a second at most: no spinning; a tiny wait is one millisecond.
TEST_F(InProcessLibrary, SleepBlocksBetweenStepsUntilTheDeadlineAcrossMidnight) {
    const struct { double start, seconds; std::vector<DWORD> waits; double end; } cases[] = {
        {36000.0, 2.5, {1000, 1000, 500}, 36002.5}, {86399.0, 2.0, {1000, 1000}, 1.0},
        {86399.75, 0.5, {500}, 0.25},               {100.0, 0.0, {}, 100.0},
        {100.0, -5.0, {}, 100.0},                   {100.0, 0.0001, {1}, 100.001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " + " << c.seconds);
        recorder.now = c.start;
        recorder.waits.clear();
        auto vf = make<zor::VariousFunctions, _VariousFunctions>();
        double seconds = c.seconds;
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(S_OK, vf->Sleep(&seconds, &result));
        EXPECT_EQ(VARIANT_FALSE, result);
        EXPECT_EQ(c.waits, recorder.waits);
        EXPECT_NEAR(c.end, recorder.now, 1e-9);
    }
}

TEST(GetLastDayInMonth, MonthLengthsAcrossTheCenturyRules) {
    const struct { int y, m, d; double time; short want; } cases[] = {
        {2023, 1, 1, 0, 31},      {2023, 1, 31, 0.5, 31},  {2023, 4, 15, 0, 30},    {2023, 6, 30, 0, 30},
        {2023, 9, 1, 0, 30},      {2023, 11, 11, 0, 30},   {2023, 3, 3, 0, 31},     {2023, 5, 5, 0, 31},
        {2023, 7, 7, 0, 31},      {2023, 8, 8, 0, 31},     {2023, 10, 10, 0, 31},   {1999, 12, 31, 0, 31},
        {1998, 2, 15, 0, 28},     {2000, 2, 1, 0, 29},     {1996, 2, 29, 0.9993, 29}, {1900, 2, 10, 0, 28},
        {2100, 2, 1, 0, 28},      {1600, 2, 1, 0, 29},     {2400, 2, 28, 0, 29},    {1700, 2, 1, 0, 28},
        {2024, 2, 1, 0, 29},      {1899, 12, 1, 0.25, 31}, {1899, 2, 1, 0.75, 28},  {100, 2, 1, 0, 28},
        {104, 2, 1, 0, 29},       {9999, 12, 1, 0, 31},    {9996, 2, 1, 0, 29},
    };
    auto df = dates();
    for (const auto& c : cases) {
        double day = zor::makeDate(c.y, c.m, c.d);
        double date = day >= 0 ? day + c.time : day - c.time; // before 1899-12-30 the fraction counts too
        EXPECT_EQ(c.want, V_I2(&answer(df.get(), L"GetLastDayInMonth", {vdate(date)}, VT_I2).get()))
            << c.y << "-" << c.m << "-" << c.d;
    }
    for (double bad : {1e10, -1e10, 2958466.0}) // outside the Date type: 0, without error
        EXPECT_EQ(0, V_I2(&answer(df.get(), L"GetLastDayInMonth", {vdate(bad)}, VT_I2).get())) << bad;
}

// The same answers with a comma as decimal separator; the last pass restores the user's own.
TEST(IsLeapYear, EveryFourthYearWithoutTheCenturyRuleWhateverTheDecimalSeparator) {
    const std::pair<short, bool> cases[] = {{1996, true}, {2000, true},  {1997, false},  {1900, true},
                                            {2100, true}, {0, true},     {-4, true},     {-1, false},
                                            {32767, false}, {-32768, true}, {1998, false}, {-2, false}};
    wchar_t saved[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved, 8);
    for (const wchar_t* separator : {L",", static_cast<const wchar_t*>(saved)}) {
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator));
        auto df = dates();
        for (auto [year, want] : cases)
            EXPECT_EQ(want ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(&answer(df.get(), L"IsLeapYear", {vi2(year)}, VT_BOOL).get()))
                << year << " " << separator;
    }
}

// ---- Sleep keeps the caller's windows alive ---------------------------------------------

bool g_sleeping = false;
std::vector<std::pair<UINT, bool>> g_seen; // each message, and whether Sleep was running

LRESULT CALLBACK recordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP) {
        g_seen.push_back({msg, g_sleeping});
        // A message posted once the wait is under way must be run before the wait ends too.
        if (msg == WM_APP + 1) PostMessageW(w, WM_APP + 2, 0, 0);
    }
    return DefWindowProcW(w, msg, wp, lp);
}

TEST(Sleep, RunsTheCallersMessagesWhileWaiting) {
    zor::Window window(CreateWindowW(L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordingProc));

    PostMessageW(window.get(), WM_APP + 1, 0, 0); // waiting before the call
    auto vf = various();
    double seconds = 1.0;
    VARIANT_BOOL result = VARIANT_TRUE;
    g_sleeping = true;
    HRESULT hr = vf->Sleep(&seconds, &result);
    g_sleeping = false;
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ((std::vector<std::pair<UINT, bool>>{{WM_APP + 1, true}, {WM_APP + 2, true}}), g_seen);
}

} // namespace

TEST(NullPointers, EveryMethodAnswersEPointer) {
    auto vf = various();
    auto df = dates();
    auto ef = create<_EncryptFunctions>(L"EncryptFunctions");
    auto ff = create<_FormFunctions>(L"FormFunctions");
    Bstr a(L"a"), b(L"b");
    double seconds = 0;
    VARIANT_BOOL flag;
    // The Strings of GetUserDetails are by reference.
    EXPECT_EQ(std::vector<HRESULT>(12, E_POINTER),
              (std::vector<HRESULT>{vf->DataExists(a.get(), nullptr), vf->ExtractDecimal(a.get(), 1, nullptr),
                                    vf->Sleep(nullptr, &flag), vf->Sleep(&seconds, nullptr), vf->ExtractRubbish(a.get(), nullptr),
                                    df->GetLastDayInMonth(36000.0, nullptr), df->IsLeapYear(2000, nullptr),
                                    ef->EncryptString(a.get(), b.get(), nullptr), ef->DecryptString(a.get(), b.get(), nullptr),
                                    ef->CryptFile(a.get(), b.get(), b.get(), zor::missingArg(), nullptr),
                                    ff->GetUserDetails(nullptr, a.inout(), &flag),
                                    ff->GetUserDetails(a.inout(), nullptr, &flag)}));
}
