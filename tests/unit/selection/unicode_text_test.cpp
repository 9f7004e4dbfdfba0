#include "selection/unicode_text.h"

#include <string>

#include <gtest/gtest.h>

namespace tonvera {
namespace {

using namespace std::string_literals;

// Composition, case and blanks as names meet them: the native selector's and the
// orchestrator's tests. Here what those never feed in.
TEST(UnicodeTextTest, MarksBadBytesAndEmbeddedNulsCount) {
    EXPECT_FALSE(unicode_text::canonicallyEqual("Kuche", "Küche"));  // marks are not dropped
    EXPECT_FALSE(unicode_text::canonicallyEqual("a\0b"s, "a\0c"s));
    EXPECT_TRUE(unicode_text::canonicallyEqual("\xff", "\xff"));
    EXPECT_FALSE(unicode_text::canonicallyEqual("\xff", "\xfe"));
    EXPECT_EQ(unicode_text::lowercased("KEINE BERECHTIGUNG für ÄÖÜ"), "keine berechtigung für äöü");
    EXPECT_EQ(unicode_text::lowercased("A\xffZ"), "a\xffz");
    EXPECT_FALSE(unicode_text::isBlank("\n"));  // a line break is content here
    EXPECT_FALSE(unicode_text::isBlank("\xff"));
}

}  // namespace
}  // namespace tonvera
