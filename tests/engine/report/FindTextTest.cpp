// What the text search counts as a match: a record's text, case folding, the whole-word test with
// its separators, the first occurrence only, and the report-wide match list with record numbers.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "common/EngineSupport.h"
#include "engine/report/CV_FindText.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "platform/emf/MetafileWriter.h"

namespace tessaly {
namespace {

struct MatchCase {
    const char* text;    // the record's text
    const char* search;  // cp1252
    bool matchCase, partOfWord, match;
};

TEST(FindText, FirstOccurrenceFoldingAndWholeWords) {
    const MatchCase cases[] = {
        {"ciao, come stai", "ciao", false, false, false},  // the comma is no separator
        {"(ciao) a tutti", "ciao", false, false, true},    // brackets are
        {"ciao", "ciao", false, false, true},               // the whole text
        {"ciao", "CIAO", false, false, true},
        {"ciaone", "ciao", false, false, false},
        {"ciaone", "ciao", false, true, true},
        {"la ciao", "ciao", false, false, true},            // at the end
        {"laciao", "ciao", false, false, false},
        {"ciao-bello", "ciao", false, false, false},
        {"a/ciao", "ciao", false, false, false},
        {"xxabc abc", "abc", false, false, false},          // only the first occurrence is tested
        {"xxabc abc", "abc", false, true, true},
        {"abc", "ABC", false, true, true},
        {"abc", "ABC", true, true, false},
        {"Abc", "Abc", true, true, true},
        {"PERCH\xC9", "perch\xE9", false, true, false},     // accented letters keep their case
        {"Perch\xE9", "PERCH\xE9", false, true, true},
        {"\x80 100", "\x80", false, false, true},          // the euro sign and a space
        {"qualcosa", "", false, true, false},                // an empty search finds nothing
        {"", "", false, true, false},
        {"ab", "abc", false, true, false},
    };
    for (const MatchCase& c : cases) {
        TTextMatcher matcher(TTextQuery{c.search, c.matchCase, c.partOfWord});
        EXPECT_EQ(matcher.MatchesText(c.text), c.match)
            << "\"" << c.text << "\" / \"" << c.search << "\" case " << c.matchCase << " part " << c.partOfWord;
    }
}

TEST(FindText, TheTwelveSeparatorsAndNoOthers) {
    const std::string separators = " !\"'().:;?[]";
    for (int c = 1; c < 256; ++c) {
        const char ch = char(c);
        const bool separator = separators.find(ch) != std::string::npos;
        EXPECT_EQ(IsWordSeparator(ch), separator) << c;
        if (std::isalnum(c)) continue;  // a letter or digit beside the word would make another word
        const std::string text = std::string("x") + ch + "ciao" + ch + "y";
        EXPECT_EQ(TTextMatcher(TTextQuery{"ciao", false, false}).MatchesText(text), separator) << c;
    }
}

// ---- records --------------------------------------------------------------------------------

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// An EXTTEXTOUT record: the 76-byte fixed part, then the string (8- or 16-bit units).
std::vector<uint8_t> TextRecord(uint32_t type, const std::vector<uint16_t>& units, uint32_t options = 0) {
    const uint32_t unit = type == emf::EMR_EXTTEXTOUTW ? 2 : 1;
    std::vector<uint8_t> b(76 + (units.size() * unit + 3) / 4 * 4, 0);
    Put32(b, 0, type);
    Put32(b, 4, uint32_t(b.size()));
    Put32(b, 44, uint32_t(units.size()));
    Put32(b, 48, 76);
    Put32(b, 52, options);
    for (size_t i = 0; i < units.size(); ++i) {
        b[76 + unit * i] = uint8_t(units[i]);
        if (unit == 2) b[77 + 2 * i] = uint8_t(units[i] >> 8);
    }
    return b;
}

TEST(FindText, RecordTextIsReadInsideTheRecordOnly) {
    using W = std::vector<uint16_t>;
    struct Case {
        const char* name;
        std::vector<uint8_t> record;
        bool text;
        std::string expected;
    };
    auto patched = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
        Put32(b, at, v);
        return b;
    };
    const auto abc = TextRecord(emf::EMR_EXTTEXTOUTW, W{'a', 'b', 'c', 'd'});
    const Case cases[] = {
        {"wide", abc, true, "abcd"},
        {"8-bit", TextRecord(emf::EMR_EXTTEXTOUTA, W{'x', 0xE8, 0x80}), true, "x\xE8\x80"},
        {"controls removed", TextRecord(emf::EMR_EXTTEXTOUTW, W{9, 'a', 0, 'b', 13, 10, 31, ' '}), true, "ab "},
        {"8-bit controls removed", TextRecord(emf::EMR_EXTTEXTOUTA, W{'a', 1, 'b'}), true, "ab"},
        {"to cp1252", TextRecord(emf::EMR_EXTTEXTOUTW, W{0xE8, 0x20AC, 0x2019, 0x0411}), true, "\xE8\x80\x92?"},
        {"surrogate pair is one character", TextRecord(emf::EMR_EXTTEXTOUTW, W{'a', 0xD83D, 0xDE00, 'b'}), true,
         "a?b"},
        {"empty", TextRecord(emf::EMR_EXTTEXTOUTW, W{}), true, ""},
        {"count beyond the record", patched(abc, 44, 5), false, ""},
        {"huge count", patched(abc, 44, 0x80000000u), false, ""},
        {"string offset beyond", patched(abc, 48, 78), false, ""},
        {"string offset huge", patched(abc, 48, 0xFFFFFFFFu), false, ""},
        {"glyph indices", TextRecord(emf::EMR_EXTTEXTOUTW, W{'a'}, emf::ETO_GLYPH_INDEX), false, ""},
        {"shorter than its fixed part", std::vector<uint8_t>(abc.begin(), abc.begin() + 72), false, ""},
        {"another record type", patched(abc, 0, emf::EMR_POLYTEXTOUTW), false, ""},
    };
    for (const Case& c : cases) {
        AnsiString text = "left over";
        EXPECT_EQ(ReadRecordText(emf::RecordView(c.record), text), c.text) << c.name;
        EXPECT_EQ(text, c.expected) << c.name;
    }
    // A record that is not text is never a match, even when its bytes hold the text.
    TTextMatcher matcher(TTextQuery{"a"});
    EXPECT_TRUE(matcher.Matches(emf::RecordView(abc)));
    EXPECT_FALSE(matcher.Matches(emf::RecordView(patched(abc, 44, 5))));
}

// ---- the report's match list ----------------------------------------------------------------

struct RawText {
    std::u16string text;
    emf::RectL bounds;
};

// A report whose pages hold only the given text outputs (and a rectangle before each, so that
// record numbers are not simply text counts).
std::unique_ptr<TcvReport> RawReport(const std::vector<std::vector<RawText>>& pages) {
    testing::EnsureApplication();
    auto report = std::make_unique<TcvReport>(nullptr);
    for (const auto& texts : pages) {
        PreparedPage& page = report->EMFPages().AddPage(PageTemplate{});
        page.CloseSurface();
        emf::MetafileWriter writer(page.Drawing.Width(), page.Drawing.Height());
        for (const RawText& t : texts) {
            writer.Box(emf::EMR_RECTANGLE, t.bounds);
            writer.ExtTextOutW(t.bounds, {t.bounds.left, t.bounds.top}, 0, t.bounds, t.text, {});
        }
        page.Drawing = writer.Finish();
    }
    return report;
}

TEST(FindText, MatchListNumbersRecordsAsThePreviewDoes) {
    auto report = RawReport({
        {{u"ciao ciao", {1, 2, 3, 4}}, {u"altro", {5, 6, 7, 8}}},
        {},
        {{u"nulla", {0, 0, 1, 1}}, {u"(CIAO)", {-10, 20, 30, 40}}},
    });
    std::vector<TTextMatch> found;
    const int total = ForEachTextMatch(report->EMFPages(), TTextQuery{"ciao"}, [&](const TTextMatch& m) {
        found.push_back(m);
        return true;
    });
    ASSERT_EQ(total, 2);  // twice in one record counts once
    ASSERT_EQ(found.size(), 2u);
    // Header i x 10000, then rectangle +1, text +2, rectangle +3, text +4.
    EXPECT_EQ(found[0].Ordinal, 1);
    EXPECT_EQ(found[0].PageIndex, 0);
    EXPECT_EQ(found[0].RecordNo, 2);
    EXPECT_EQ(found[0].Bounds, (emf::RectL{1, 2, 3, 4}));
    EXPECT_EQ(found[1].Ordinal, 2);
    EXPECT_EQ(found[1].PageIndex, 2);
    EXPECT_EQ(found[1].RecordNo, 20004);
    EXPECT_EQ(found[1].Bounds, (emf::RectL{-10, 20, 30, 40}));

    // The caller may stop early; the count is then what was handed over.
    int seen = 0;
    EXPECT_EQ(ForEachTextMatch(report->EMFPages(), TTextQuery{"ciao"}, [&](const TTextMatch&) {
                  ++seen;
                  return false;
              }),
              1);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(ForEachTextMatch(report->EMFPages(), TTextQuery{"CIAO", true, false}, [](const TTextMatch&) { return true; }),
              1);
}

// Counted a few pages at a time, the matches are the match list's, whatever the step; a count
// stops at the report's end and an empty report is counted at once.
TEST(FindText, CountingInStepsAgreesWithTheMatchList) {
    auto report = RawReport({
        {{u"ciao ciao", {1, 2, 3, 4}}, {u"Ciao", {5, 6, 7, 8}}},
        {},
        {{u"nulla", {0, 0, 1, 1}}, {u"(CIAO)", {-10, 20, 30, 40}}},
        {{u"ciaociao", {0, 0, 1, 1}}},
        {{u"ciao, amici", {0, 0, 1, 1}}},
    });
    const struct {
        TTextQuery query;
        int step;
        std::vector<int> countAfterEachStep;
    } cases[] = {
        {TTextQuery{"ciao"}, 1, {2, 2, 3, 4, 5}},
        {TTextQuery{"ciao"}, 2, {2, 4, 5}},
        {TTextQuery{"ciao"}, 100, {5}},
        {TTextQuery{"ciao", true, true}, 2, {1, 2, 3}},
        {TTextQuery{"ciao", false, false}, 3, {3, 3}},
    };
    for (const auto& c : cases) {
        TTextMatchCounter counter(report->EMFPages(), c.query);
        std::vector<int> counts;
        bool done = false;
        while (!done) {
            done = counter.Step(c.step);
            counts.push_back(counter.Count());
            EXPECT_EQ(counter.PagesRead(), std::min(5, c.step * int(counts.size())));
        }
        EXPECT_EQ(counts, c.countAfterEachStep) << c.query.Text << " step " << c.step;
        EXPECT_EQ(counter.Count(), ForEachTextMatch(report->EMFPages(), c.query, [](const TTextMatch&) { return true; }));
        EXPECT_TRUE(counter.Step(1));
        EXPECT_EQ(counter.PagesRead(), 5);
    }
    auto empty = RawReport({});
    TTextMatchCounter none(empty->EMFPages(), TTextQuery{"ciao"});
    EXPECT_TRUE(none.Done());
    EXPECT_EQ(none.Count(), 0);
}

}  // namespace
}  // namespace tessaly
