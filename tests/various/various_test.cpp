#include "client.h"
#include "scratch.h"
#include "library.h"
#include <thread>
#include "runtime/clock.h"
#include "various/VariousFunctions.h"

using namespace test;

namespace {

ComPtr<_VariousFunctions> various() { return create<_VariousFunctions>(L"VariousFunctions"); }

TEST(DataExists, IsTrueWhenAnythingButSpacesIsLeft) {
    struct Case {
        const wchar_t* in;
        bool want;
    };
    const Case cases[] = {{L"   ", false}, {L"", false}, {nullptr, false}, {L" x ", true},
                          {L"\t", true},   {L"0", true}, {L"\u00a0", true}, {L" \r\n ", true}};
    auto vf = various();
    for (const auto& c : cases) {
        Call call;
        Args args{vstr(c.in)};
        invoke(call, vf.get(), L"DataExists", args);
        ASSERT_EQ(S_OK, call.hr);
        ASSERT_EQ(VT_BOOL, V_VT(&call.result.get()));
        EXPECT_EQ(c.want ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(&call.result.get())) << (c.in ? c.in : L"NULL");
    }
}

// The cases of tests/data/cases/decimals.tsv (the script tests run them too).
TEST(ExtractDecimal, ImpliedDecimalPlaces) {
    auto vf = various();
    const auto rows = caseRows(L"decimals");
    ASSERT_GT(rows.size(), 15u);
    for (const CaseRow& c : rows) {
        Call call;
        Args args{vstr(c.at(0).c_str()), vi2(static_cast<short>(std::stoi(c.at(1))))};
        invoke(call, vf.get(), L"ExtractDecimal", args);
        ASSERT_EQ(S_OK, call.hr);
        ASSERT_EQ(VT_BSTR, V_VT(&call.result.get()));
        EXPECT_EQ(c.at(2), call.text()) << "[" << c[0] << "] " << c[1];
    }
}

TEST(ExtractDecimal, NegativeDecimalsAreAnInvalidArgument) {
    auto vf = various();
    Bstr out;
    EXPECT_EQ(HRESULT(0x800A0005), vf->ExtractDecimal(Bstr(L"1.5").get(), -1, out.out()));
    EXPECT_EQ(L"Invalid procedure call or argument", errorInfoDescription());
    EXPECT_EQ(nullptr, out.get());

    Call call;
    Args args{vstr(L"1.5"), vi2(-2)};
    invoke(call, vf.get(), L"ExtractDecimal", args);
    EXPECT_EQ(DISP_E_EXCEPTION, call.hr);
    EXPECT_EQ(0x800A0005, static_cast<unsigned long>(call.excep.scode));
}

TEST(ExtractRubbish, KeepsOnlyAsciiLettersAndDigits) {
    struct Case {
        const wchar_t* in;
        const wchar_t* want;
    };
    const Case cases[] = {
        {L"AB-12 c!", L"AB12c"}, {L"Caf\u00e9", L"Caf"}, {L"", L""}, {nullptr, L""},
        {L"09AZaz", L"09AZaz"},  {L"/:@[`{", L""},       {L"\t\r\n\x01\x7f", L""}, {L"\u00c5ngstr\u00f6m 42", L"ngstrm42"},
        {L"\u4e00x", L"x"},
        // Letters and digits that only look like ASCII ones are removed too.
        {L"\u0100\u0131\uff21\uff11y", L"y"},
    };
    auto vf = various();
    for (const auto& c : cases) {
        Bstr out;
        ASSERT_EQ(S_OK, vf->ExtractRubbish(c.in ? Bstr(c.in).get() : nullptr, out.out()));
        EXPECT_EQ(c.want, out.text());
    }
}

TEST(Sleep, ReturnsFalseAndLeavesSecondsAlone) {
    auto vf = various();
    for (double seconds : {0.2, 0.0, -1.0}) {
        VARIANT s;
        VariantInit(&s);
        V_VT(&s) = VT_R8;
        V_R8(&s) = seconds;
        VARIANT byRef;
        VariantInit(&byRef);
        V_VT(&byRef) = VT_R8 | VT_BYREF;
        V_R8REF(&byRef) = &V_R8(&s);
        Call call;
        invoke(call, vf.get(), L"Sleep", {byRef});
        ASSERT_EQ(S_OK, call.hr);
        ASSERT_EQ(VT_BOOL, V_VT(&call.result.get()));
        EXPECT_EQ(VARIANT_FALSE, V_BOOL(&call.result.get()));
        EXPECT_EQ(seconds, V_R8(&s));
    }
}

TEST(Sleep, LeavesAQuitMessageForTheCaller) {
    PostQuitMessage(3);
    double seconds = 0.1;
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(S_OK, various()->Sleep(&seconds, &result));
    EXPECT_EQ(VARIANT_FALSE, result);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}

// ---- Sleep on a fake clock ----------------------------------------------------------------

// The in-process copy with a recorder: its Sleep reads the recorder's fake clock.
class SleepOnFakeClock : public InProcessLibrary {
protected:
    double sleep(double start, double seconds) {
        recorder.now = start;
        recorder.waits.clear();
        auto vf = make<zor::VariousFunctions, _VariousFunctions>();
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(S_OK, vf->Sleep(&seconds, &result));
        EXPECT_EQ(VARIANT_FALSE, result);
        double waited = 0;
        for (DWORD ms : recorder.waits) waited += ms / 1000.0;
        return waited;
    }
};

TEST_F(SleepOnFakeClock, BlocksBetweenStepsUntilTheDeadline) {
    // Each step blocks for the rest of the time, a second at most: no spinning.
    double waited = sleep(36000.0, 2.5);
    EXPECT_EQ((std::vector<DWORD>{1000, 1000, 500}), recorder.waits);
    EXPECT_DOUBLE_EQ(2.5, waited);
    EXPECT_DOUBLE_EQ(36002.5, recorder.now);
}

TEST_F(SleepOnFakeClock, WaitsTheRequestedTimeAcrossMidnight) {
    double waited = sleep(86399.0, 2.0);
    EXPECT_DOUBLE_EQ(2.0, waited);
    EXPECT_NEAR(1.0, recorder.now, 1e-9);

    waited = sleep(86399.75, 0.5);
    EXPECT_NEAR(0.5, waited, 1e-9);
    EXPECT_NEAR(0.25, recorder.now, 1e-9);
}

TEST_F(SleepOnFakeClock, ZeroOrLessDoesNotWait) {
    EXPECT_EQ(0.0, sleep(100.0, 0.0));
    EXPECT_TRUE(recorder.waits.empty());
    EXPECT_EQ(0.0, sleep(100.0, -5.0));
    EXPECT_TRUE(recorder.waits.empty());
    sleep(100.0, 0.0001); // a tiny wait is one millisecond
    EXPECT_EQ(std::vector<DWORD>{1}, recorder.waits);
}

// ---- Sleep keeps the caller's windows alive ---------------------------------------------

std::vector<UINT> g_seen;
bool g_sleeping = false;
std::vector<bool> g_seenWhileSleeping;

LRESULT CALLBACK recordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP) {
        g_seen.push_back(msg);
        g_seenWhileSleeping.push_back(g_sleeping);
        // A message posted once the wait is under way must be run before the wait ends too.
        if (msg == WM_APP + 1) PostMessageW(w, WM_APP + 2, 0, 0);
    }
    return DefWindowProcW(w, msg, wp, lp);
}

TEST(Sleep, RunsTheCallersMessagesWhileWaiting) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = recordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZorSleepTest";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(L"ZorSleepTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(hwnd);

    PostMessageW(hwnd, WM_APP + 1, 0, 0); // waiting before the call
    auto vf = various();
    double seconds = 1.0;
    VARIANT_BOOL result = VARIANT_TRUE;
    g_sleeping = true;
    HRESULT hr = vf->Sleep(&seconds, &result);
    g_sleeping = false;
    DestroyWindow(hwnd);
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ((std::vector<UINT>{WM_APP + 1, WM_APP + 2}), g_seen);
    EXPECT_EQ((std::vector<bool>{true, true}), g_seenWhileSleeping);
}

} // namespace

TEST(NullPointers, EveryMethodAnswersEPointer) {
    auto vf = various();
    auto df = create<_DateFunctions>(L"DateFunctions");
    auto ef = create<_EncryptFunctions>(L"EncryptFunctions");
    Bstr a(L"a"), b(L"b");
    double seconds = 0;
    VARIANT_BOOL flag;
    EXPECT_EQ(E_POINTER, vf->DataExists(a.get(), nullptr));
    EXPECT_EQ(E_POINTER, vf->ExtractDecimal(a.get(), 1, nullptr));
    EXPECT_EQ(E_POINTER, vf->Sleep(nullptr, &flag));
    EXPECT_EQ(E_POINTER, vf->Sleep(&seconds, nullptr));
    EXPECT_EQ(E_POINTER, vf->ExtractRubbish(a.get(), nullptr));
    EXPECT_EQ(E_POINTER, df->GetLastDayInMonth(36000.0, nullptr));
    EXPECT_EQ(E_POINTER, df->IsLeapYear(2000, nullptr));
    EXPECT_EQ(E_POINTER, ef->EncryptString(a.get(), b.get(), nullptr));
    EXPECT_EQ(E_POINTER, ef->DecryptString(a.get(), b.get(), nullptr));
    EXPECT_EQ(E_POINTER, ef->CryptFile(a.get(), b.get(), b.get(), zor::missingArg(), nullptr));
}
