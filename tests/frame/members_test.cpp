// Members of a caller's object, found and called as the library finds and calls them.
#include "client.h"
#include "scratch.h"
#include "callerobject.h"
#include "frame/members.h"

using namespace test;

TEST(Members, FoundByGetIDsOfNamesOrThroughIDispatchEx) {
    for (bool scriptClass : {false, true}) {
        CallerObject object(scriptClass);
        zor::Variant v;
        zor::getMember(&object, L"hwnd", v);
        EXPECT_EQ(VT_I4, V_VT(&v.get()));
        EXPECT_EQ(1234, V_I4(&v.get()));
        EXPECT_EQ(reinterpret_cast<HWND>(1234), zor::windowMember(&object));

        zor::putMember(&object, L"hwnd", vi2(5));
        EXPECT_EQ(5, object.hwnd);

        zor::Variant r;
        zor::callMember(&object, L"Twice", {vtype(VT_EMPTY), vi2(5)}, std::addressof(r));
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
