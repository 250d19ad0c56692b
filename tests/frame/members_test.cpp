#include <dispex.h>
#include <functional>
#include "client.h"
#include "scratch.h"
#include "callerobject.h"
#include "frame/members.h"

using namespace test;

namespace {



} // namespace

TEST(Members, FoundByGetIDsOfNamesOrThroughIDispatchEx) {
    for (bool scriptClass : {false, true}) {
        CallerObject object(scriptClass);
        zor::Variant v;
        zor::getMember(&object, L"hwnd", v);
        EXPECT_EQ(VT_I4, V_VT(&v.get()));
        EXPECT_EQ(1234, V_I4(&v.get()));
        EXPECT_EQ(reinterpret_cast<HWND>(1234), zor::windowMember(&object));

        VARIANT five;
        V_VT(&five) = VT_I2;
        V_I2(&five) = 5;
        zor::putMember(&object, L"hwnd", five);
        EXPECT_EQ(5, object.hwnd);

        zor::Variant r;
        VARIANT empty;
        VariantInit(&empty);
        zor::callMember(&object, L"Twice", {empty, five}, std::addressof(r));
        EXPECT_EQ(5, V_I4(&r.get())); // 0 * 2 + 5: the first argument is Empty

        EXPECT_EQ(scriptClass ? 4 : 0, object.invokeExCalls);
    }
}

TEST(Members, CaseMattersOnlyWhereTheObjectSaysSo) {
    CallerObject cpp(false), script(true);
    // GetIDsOfNames is case-sensitive here, and there is no IDispatchEx to fall back on.
    EXPECT_EQ(438, errorOf([&] { zor::windowMember(&cpp, L"hWnd"); }));
    EXPECT_EQ(reinterpret_cast<HWND>(1234), zor::windowMember(&script, L"hWnd"));
}

TEST(Members, FailuresBecomeCatalogueErrors) {
    CallerObject object(true);
    zor::Variant v;
    EXPECT_EQ(424, errorOf([&] { zor::getMember(nullptr, L"hwnd", v); }));
    EXPECT_EQ(438, errorOf([&] { zor::getMember(&object, L"Left", v); }));
    EXPECT_EQ(53, errorOf([&] { zor::callMember(&object, L"Fails", {}); }));
}
