#include "selection/unicode_text.h"

#include <string>

#include <gtest/gtest.h>

namespace tonvera {
namespace {

using namespace std::string_literals;

TEST(UnicodeTextTest, CanonicalEqualityIgnoresCompositionOnly) {
    const std::string composed = "K\u00fcche";     // ü as one code point
    const std::string decomposed = "Ku\u0308che";  // u + combining diaeresis
    // No case folding and no trimming: see the native selector's test.
    EXPECT_TRUE(unicode_text::canonicallyEqual(composed, decomposed));
    EXPECT_FALSE(unicode_text::canonicallyEqual("Kuche", "Küche"));
    EXPECT_FALSE(unicode_text::canonicallyEqual("a\0b"s, "a\0c"s));  // embedded NULs count
    EXPECT_TRUE(unicode_text::canonicallyEqual("\xff", "\xff"));
    EXPECT_FALSE(unicode_text::canonicallyEqual("\xff", "\xfe"));
}

TEST(UnicodeTextTest, LowercasesEveryCodePointAndKeepsBadBytes) {
    EXPECT_EQ(unicode_text::lowercased("NOT ALLOWED"), "not allowed");
    EXPECT_EQ(unicode_text::lowercased("KEINE BERECHTIGUNG für ÄÖÜ"), "keine berechtigung für äöü");
    EXPECT_EQ(unicode_text::lowercased("A\xffZ"), "a\xffz");
}

TEST(UnicodeTextTest, LineBreaksTextAndBadBytesAreNotBlank) {
    // What counts as blank: see the orchestrator's refusals.
    EXPECT_FALSE(unicode_text::isBlank("\n"));  // a line break is content here
    EXPECT_FALSE(unicode_text::isBlank("  x  "));
    EXPECT_FALSE(unicode_text::isBlank("\xff"));
}

}  // namespace
}  // namespace tonvera
