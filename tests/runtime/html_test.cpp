#include <gtest/gtest.h>
#include "runtime/html.h"

TEST(Html, MarkupCharactersBecomeReferences) {
    std::wstring out = L"x";
    zor::appendHtmlEscaped(out, L"a&b<c>d\"e'f \x00E9");
    EXPECT_EQ(L"xa&amp;b&lt;c&gt;d&quot;e&#39;f \x00E9", out);
}
