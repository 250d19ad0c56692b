#include "client.h"

using namespace test;

TEST(Frame, CreatesByProgIdAndCallsByName) {
    auto tf = create<_TextFileFunctions>(L"TextFileFunctions");
    ASSERT_TRUE(tf);
    Call call;
    Args args{vstr(L"C:\\logs\\app.log")};
    invoke(call, tf.get(), L"ExtractFilename", args);
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(L"app.log", call.text());
}
