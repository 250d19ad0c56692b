#include "textfiles.h"

using namespace test;

// The loops over lines and fields let the caller's windows run.
TEST_F(TextFiles, FileLoopsProcessTheCallersMessages) {
    std::wstring dir = scratchDir(L"pumping");
    std::wstring f = dir + L"f.txt";
    writeFile(f, "one\r\ntwo\r\n");
    CountingWindow w;
    w.post();
    EXPECT_FALSE(isInLog(f, L"zzz"));
    EXPECT_EQ(1, w.count()) << "IsInLogFile";

    w.post();
    Bstr text;
    tf->ReadTextFileString(Bstr(f).get(), text.out());
    EXPECT_EQ(L"onetwo", text.text());
    EXPECT_EQ(2, w.count()) << "ReadTextFileString";

    w.post();
    Variant lines;
    tf->ReadTextFileVariant(Bstr(f).get(), &lines.get());
    EXPECT_EQ(VT_ARRAY | VT_VARIANT, V_VT(&lines.get()));
    EXPECT_EQ(3, w.count()) << "ReadTextFileVariant";
}
