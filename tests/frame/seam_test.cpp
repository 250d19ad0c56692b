// The platform seam: a recorder sees the calls of the in-process copy only, so a test always
// knows which copy of the library it exercises.
#include "library.h"
#include "runtime/clock.h"
#include "various/VariousFunctions.h"

using namespace test;

namespace {

double sleepFor(_VariousFunctions* vf, double seconds) {
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(S_OK, vf->Sleep(&seconds, &result));
    return seconds;
}

TEST_F(InProcessLibrary, SeamCallsReachTheRecorder) {
    ASSERT_EQ(&recorder, PlatformRecorder::current());
    EXPECT_NE(zor::realPlatform().secondsSinceMidnight, zor::platform().secondsSinceMidnight);
    recorder.now = 100.0;
    sleepFor(make<zor::VariousFunctions, _VariousFunctions>().get(), 3.0);
    // Three seconds pass on the fake clock, at once.
    EXPECT_EQ((std::vector<DWORD>{1000, 1000, 1000}), recorder.waits);
    EXPECT_DOUBLE_EQ(103.0, recorder.now);
}

TEST_F(RegisteredLibrary, SeamCallsNeverReachARecorderInTheTestProgram) {
    PlatformRecorder recorder;
    auto vf = make<_VariousFunctions>(L"VariousFunctions");
    ASSERT_TRUE(vf);
    DWORD start = GetTickCount();
    sleepFor(vf.get(), 0.05); // the DLL's own clock: a real wait
    EXPECT_GE(GetTickCount() - start, 40u);
    EXPECT_TRUE(recorder.waits.empty());
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(PlatformSeam, IsRealWhenNoRecorderIsInstalled) {
    EXPECT_EQ(nullptr, PlatformRecorder::current());
    EXPECT_EQ(0, memcmp(&zor::realPlatform(), &zor::platform(), sizeof(zor::PlatformApi)));
    EXPECT_EQ(&zor::secondsSinceMidnight, zor::platform().secondsSinceMidnight);
}

} // namespace
