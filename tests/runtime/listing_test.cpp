// Directory listing: which entries a mask chooses (the existence tests through FileExists and
// DirExists read tests/data/cases/exists.tsv in tests/textfile/wholefile_test.cpp).
#include <gtest/gtest.h>
#include <set>
#include "runtime/listing.h"
#include "scratch.h"

using namespace test;
using Names = std::set<std::wstring>;

namespace {

Names names(const std::wstring& pattern, unsigned mask) {
    zor::DirListing listing(pattern, mask);
    zor::DirEntry e;
    Names out;
    while (listing.next(e)) out.insert(e.name);
    return out;
}

} // namespace

TEST(DirListing, TheMaskChoosesTheEntriesWithTheirAttributesSizeAndTime) {
    std::wstring dir = existenceTree(L"listing");
    EXPECT_EQ((Names{L"a.txt", L"b.log", L"r.txt"}), names(dir + L"*", zor::listNormal));
    EXPECT_EQ((Names{L"a.txt", L"b.log", L"r.txt", L"h.txt", L".dotfile"}), names(dir + L"*", zor::listHidden));
    EXPECT_EQ((Names{L"a.txt", L"b.log", L"r.txt", L"s.txt"}), names(dir + L"*", zor::listSystem));
    EXPECT_EQ((Names{L".", L"..", L"a.txt", L"b.log", L"r.txt", L"sub", L"empty"}), names(dir, zor::listDirectory));
    EXPECT_EQ((Names{L"a.txt", L"r.txt"}), names(dir + L"*.txt", zor::listNormal));
    EXPECT_EQ((Names{L"a.txt", L"r.txt"}), names(dir + L"?.tx?", zor::listNormal));
    EXPECT_EQ((Names{L"inner.txt"}), names(dir + L"sub\\", zor::listNormal));
    // An entry carries its attributes, size and time.
    zor::DirListing listing(dir + L"r.txt", zor::listNormal);
    zor::DirEntry e;
    ASSERT_TRUE(listing.next(e));
    EXPECT_EQ(L"r.txt", e.name);
    EXPECT_TRUE(e.attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(1u, e.size);
    EXPECT_NE(0u, e.lastWrite.dwHighDateTime);
    EXPECT_FALSE(listing.next(e));
}
