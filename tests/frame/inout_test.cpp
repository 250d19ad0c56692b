// The in-out parameters of the error-mode wrappers: the body gets C++ values, and the changed
// ones go back into the caller's variables whether the body returns or fails.
#include "client.h"
#include "scratch.h"
#include "frame/results.h"

using namespace test;

TEST(InOut, ChangedValuesGoBackOnEveryWayOutAnUnchangedStringKeepsItsBstr) {
    for (long failure : {0L, 5L}) {
        zor::Bstr text(L"old"), same(L"same");
        const BSTR kept = same.get();
        short n = 1;
        long l = 2;
        double d = 3;
        VARIANT_BOOL flag = 1, off = VARIANT_FALSE; // any non-zero Boolean reads as True
        auto params = zor::inout(text.inout(), same.inout(), &n, &l, &d, zor::asBool(&flag), zor::asBool(&off));
        long result = 0;
        EXPECT_EQ(failure, errorOf([&] {
            result = zor::withInOut(params, [&](std::wstring& t, std::wstring& s, short& a, long& b, double& c, bool& f,
                                                bool& o) {
                EXPECT_EQ(std::make_tuple(std::wstring(L"old"), std::wstring(L"same"), 1, 2L, 3.0, true, false),
                          std::make_tuple(t, s, a, b, c, f, o));
                t = L"new", a = 4, b = 5, c = 6.5, o = true;
                if (failure) throw zor::Error(failure);
                return 7L;
            });
        }));
        EXPECT_EQ(failure ? 0 : 7, result);
        EXPECT_EQ(std::make_tuple(std::wstring(L"new"), kept, short(4), 5L, 6.5, VARIANT_BOOL(1), VARIANT_TRUE),
                  std::make_tuple(text.text(), same.get(), n, l, d, flag, off));
    }
    short n = 0;
    EXPECT_TRUE(zor::inout(&n).given());
    EXPECT_FALSE(zor::inout(&n, static_cast<BSTR*>(nullptr)).given()); // the wrappers answer E_POINTER
}
