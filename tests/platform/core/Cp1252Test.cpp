#include <gtest/gtest.h>

#include "platform/core/Cp1252.h"

using namespace tessaly;

TEST(Cp1252, EuroSignAndAccentsRoundTripThroughUtf8AndUtf16) {
    std::string cp = "\x80 5,00 - gioved\xEC \xC8 \x9C";  // € ... giovedì È œ
    std::string utf8 = Cp1252ToUtf8(cp);
    EXPECT_EQ(utf8, "\xE2\x82\xAC 5,00 - gioved\xC3\xAC \xC3\x88 \xC5\x93");
    EXPECT_EQ(Utf8ToCp1252(utf8), cp);
    std::u16string w = Cp1252ToUtf16(cp);
    EXPECT_EQ(w[0], u'\u20AC');
    EXPECT_EQ(Utf16ToCp1252(w), cp);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(utf8)), utf8);
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("\xD0\x96x"), "?x");          // Cyrillic Zhe
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80!"), "?!");  // emoji, one '?' for the whole character
    EXPECT_EQ(Utf16ToCp1252(u"\U0001F600!"), "?!");      // surrogate pair
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");                // truncated sequence
    EXPECT_EQ(Utf8ToCp1252("a\xFF" "b"), "a?b");
}

TEST(Cp1252, UnassignedBytesMapToC1Controls) {
    EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081');
    EXPECT_EQ(UnicodeToCp1252(U'\u0081'), '\x81');
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8("\x8D\x90")), "\x8D\x90");
}

TEST(Cp1252, CaseFoldingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(UpperCase("abz\xE0\xE8{"), "ABZ\xE0\xE8{");
    EXPECT_EQ(LowerCase("ABZ\xC0\xC8@"), "abz\xC0\xC8@");
    EXPECT_TRUE(SameText("Valore", "VALORE"));
    EXPECT_FALSE(SameText("\xE0", "\xC0"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
}

TEST(Cp1252, TheExactConversionRefusesWhatTheCodePageLacks) {
    std::string out;
    EXPECT_TRUE(TryUtf8ToCp1252("Caff\xC3\xA8 \xE2\x82\xAC \xC2\x81", out));
    EXPECT_EQ(out, "Caff\xE8 \x80 \x81");
    EXPECT_FALSE(TryUtf8ToCp1252("\xD0\x96", out));        // Cyrillic Zhe
    EXPECT_FALSE(TryUtf8ToCp1252("?\xEF\xBF\xBD", out));   // the replacement character
    EXPECT_FALSE(TryUtf8ToCp1252("a\xC3", out));           // truncated sequence
    EXPECT_TRUE(TryUtf8ToCp1252("?", out));
    EXPECT_EQ(out, "?");
}
