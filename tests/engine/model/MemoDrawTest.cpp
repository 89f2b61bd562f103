// Text objects drawn on a page: expansion, wrapping, alignment, turned text, clipping, split
// objects, stretching and measuring, highlight, and the look of design mode.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "ObjectDrawing.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_BandFrame.h"
#include "engine/model/CV_BandType.h"
#include "platform/core/Rounding.h"
#include "platform/data/MemoryDataset.h"

using namespace tessaly;
using namespace objecttest;

namespace {

class MemoDraw : public ObjectDrawTest {
protected:
    std::unique_ptr<TcvMemoView> Memo(const AnsiString& text, uint32_t alignment = 0, uint16_t flags = 0) {
        auto m = std::make_unique<TcvMemoView>(&report);
        m->Left = 100, m->Top = 50, m->Width = 200, m->Height = 100;
        m->Alignment = alignment;
        m->Flags = flags;
        m->MemoLines.SetText(text);
        return m;
    }
    std::vector<std::string> Lines(const TcvMemoView& m) {
        std::vector<std::string> lines;
        for (int i = 0; i < m.WorkLines.Count(); ++i) lines.push_back(m.WorkLines[i]);
        return lines;
    }
    std::vector<std::string> Texts(const Drawn& d) {
        std::vector<std::string> texts;
        for (const DrawnText& t : d.texts) texts.push_back(t.text);
        return texts;
    }
    // The records of an empty page: what a draw that writes nothing leaves.
    int EmptyPageRecords() { return Read(emf::RecordingCanvas(794, 1123).Close()).records; }
};

// Courier New has one advance for every character, so that the room can be given in characters.
struct WrapCase {
    const char* name;
    const char* text;
    double roomInChars;  // the room: the width of this many characters, plus the fraction in pixels
    std::vector<std::string> lines;
};

}  // namespace

TEST_F(MemoDraw, WrapsEachLineWithinTheRoomAsTheRuleSays) {
    const WrapCase cases[] = {
        {"a word wider than the object breaks after the character that overflows", "abcdefghij", 4.1,
         {"abcde", "fghij"}},
        {"a line exactly as wide as the room stays whole", "abc def", 7, {"abc def"}},
        {"a segment exactly as wide as the room breaks", "abc def ghi", 7, {"abc ", "def ", "ghi"}},
        {"space, comma, full stop and hyphen stay at the end of their line", "uno,due.tre-quattro", 6.1,
         {"uno,", "due.", "tre-", "quattro"}},
        {"paragraphs wrap one by one, empty ones kept", "abc def\r\n\r\nghi", 4.1, {"abc ", "def", "", "ghi"}},
        {"a space that overflows goes with its line, and no empty line follows", "abcd efgh ij", 5,
         {"abcd ", "efgh ", "ij"}},
        {"a single character wider than the room stays", "W", 0.2, {"W"}},
    };
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = Memo(c.text, taLeft, mfWordWrap);
        m->Font.Name = "Courier New";
        Canvas().Font() = m->Font.ToCanvasFont();
        const double advance = Canvas().CharWidth('x');
        const double whole = std::floor(c.roomInChars);
        const int32_t room =
            int32_t(RoundHalfEven(advance * whole)) + int32_t(std::lround((c.roomInChars - whole) * 10));
        m->Width = room + 2 * 2;  // the gaps of a 1-pixel frame
        m->DrawAll(Canvas());
        EXPECT_EQ(Lines(*m), c.lines);
    }
}

TEST_F(MemoDraw, BracketedExpressionsAreReplacedByTheirValuesOnce) {
    const std::pair<const char*, const char*> cases[] = {
        {"Totale: [1 + 2] pezzi", "Totale: 3 pezzi"},
        {"[1][2]-[3]", "12-3"},
        {"nested: [ '[a]' ]", "nested: [a]"},        // one expression, inner brackets included
        {"a value with [ '[1 + 1]' ]", "a value with [1 + 1]"},  // never expanded again
        {"unclosed [1 + 1", "unclosed 2"},
        {"no brackets ] at all", "no brackets ] at all"},
    };
    for (auto [designed, expanded] : cases) {
        auto m = Memo(designed);
        m->DrawAll(Canvas());
        EXPECT_EQ(Lines(*m), std::vector<std::string>{expanded}) << designed;
    }
    EXPECT_FALSE(PreparationErrorRecorded());
}

// CR LF breaks a line, and so do LF and CR alone (text from Linux files and PostgreSQL), in a
// value and in the designed text; each break is one, empty lines between them stay.
TEST_F(MemoDraw, AValueWithLineBreaksGivesSeveralLines) {
    TcvReport::NameScope names(report);
    const std::map<std::string, std::string> values = {
        {"CRLF", "uno\r\ndue"}, {"LF", "prima\nseconda"}, {"CR", "a\rb"}, {"MISTO", "a\n\nb\n\rc"}, {"FINALE", "fine\n"}};
    report.OnUserFunction = [&](const AnsiString& name, const Variant&, const Variant&, const Variant&, Variant& value) {
        if (values.count(name)) value = Variant(values.at(name));
    };
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"[CRLF] e basta", {"uno", "due e basta"}},
        {"[LF]", {"prima", "seconda"}},
        {"[CR]", {"a", "b"}},
        {"[MISTO]", {"a", "", "b", "", "c"}},
        {"[FINALE]", {"fine", ""}},
        {"prima\nseconda [1 + 1]", {"prima", "seconda 2"}},  // a designed line holding a line feed
    };
    for (const auto& [designed, lines] : cases) {
        auto m = Memo("");
        m->MemoLines.Clear();
        m->MemoLines.Add(designed);
        m->DrawAll(Canvas());
        EXPECT_EQ(Lines(*m), lines) << designed;
    }
}

TEST_F(MemoDraw, AFailingExpressionBecomesThePreparationErrorAndLaterOnesGiveNothing) {
    auto m = Memo("a[1 / 0]b[1 + 1]c");
    m->DrawAll(Canvas());
    EXPECT_EQ(Lines(*m), std::vector<std::string>{"abc"});
    EXPECT_EQ(TextRun().Error().Message, "Errore. Tipo di dati incompatibili nell'espressione: 1 / 0");
}

TEST_F(MemoDraw, DesignModeShowsTheTextAsDesigned) {
    EngineMode = emDesign;
    auto m = Memo("Totale: [1 + 2]");
    m->DrawAll(Canvas());
    EXPECT_EQ(Texts(Page()), std::vector<std::string>{"Totale: [1 + 2]"});
}

TEST_F(MemoDraw, EveryAlignmentPlacesTheLinesInsideTheGaps) {
    const int32_t left = 100, top = 50, width = 200, height = 100, gapX = 2, gapY = 1, line = 15;
    for (uint32_t across : {taLeft, taRight, taCenter})
        for (uint32_t down : {0u, uint32_t(taMiddle), uint32_t(taBottom)}) {
            SCOPED_TRACE(::testing::Message() << "alignment " << (across | down));
            Memo("Ab\r\ncdefgh", across | down)->DrawAll(Canvas());
            const Drawn d = Page();
            ASSERT_EQ(d.texts.size(), 2u);
            for (const DrawnText& t : d.texts) {
                EXPECT_FALSE(t.clipped) << "a line inside the object is drawn whole";
                const int32_t before = t.x - (left + gapX), after = (left + width - gapX - 1) - (t.x + t.width);
                if (across == taLeft) EXPECT_EQ(before, 0);
                if (across == taRight) EXPECT_EQ(after, 0);
                if (across == taCenter) EXPECT_LE(std::abs(before - after), 1);
            }
            EXPECT_EQ(d.texts[1].y - d.texts[0].y, line);
            const int32_t above = d.texts[0].y - (top + gapY), below = (top + height - gapY) - (d.texts[1].y + line);
            if (down == 0) EXPECT_EQ(above, 0);
            if (down == taBottom) EXPECT_EQ(below, 0);
            if (down == taMiddle) EXPECT_LE(std::abs(above - below), 1);
        }
}

TEST_F(MemoDraw, LinesThatLeaveTheObjectOrWrapAreClippedToTheTextBox) {
    auto wide = Memo("a line far wider than its object");
    wide->Width = 50, wide->Height = 20;
    wide->DrawAll(Canvas());
    auto wrapped = Memo("short", taLeft, mfWordWrap);
    wrapped->DrawAll(Canvas());
    const Drawn d = Page();
    ASSERT_EQ(d.texts.size(), 2u);
    EXPECT_TRUE(d.texts[0].clipped);
    EXPECT_EQ(d.texts[0].clip, (emf::RectL{101, 50, 149, 70}));
    EXPECT_TRUE(d.texts[1].clipped);
    EXPECT_EQ(d.texts[1].clip, (emf::RectL{101, 50, 299, 150}));
}

TEST_F(MemoDraw, JustifiedLinesEndWhereRightAlignedOnesDo) {
    const int32_t end = 100 + 200 - 2 - 1;  // Left + Width - GapX - 1
    Memo("uno due  tre   ", taJustify)->DrawAll(Canvas());
    Drawn d = Page();
    ASSERT_EQ(Texts(d), (std::vector<std::string>{"uno", "due", "tre"}));
    EXPECT_EQ(d.texts[0].x, 102);
    EXPECT_EQ(d.texts[2].x + d.texts[2].width, end) << "trailing spaces are not widened";
    const int32_t single = d.texts[1].x - (d.texts[0].x + d.texts[0].width);
    EXPECT_NEAR(d.texts[2].x - (d.texts[1].x + d.texts[1].width), 2 * single, 1)
        << "a double space is two widened spaces";
    for (const DrawnText& t : d.texts) EXPECT_TRUE(t.clipped);

    for (const char* plain : {"senzaspazi", " spazio iniziale"}) {
        Memo(plain, taJustify)->DrawAll(Canvas());
        d = Page();
        ASSERT_EQ(Texts(d), std::vector<std::string>{plain}) << "drawn as a left-aligned line";
        EXPECT_EQ(d.texts[0].x, 102);
    }
}

TEST_F(MemoDraw, TheLastLineOfAJustifiedParagraphIsJustifiedToo) {
    auto m = Memo("alfa beta gamma delta epsilon zeta eta theta", taJustify, mfWordWrap);
    m->Width = 120;
    m->DrawAll(Canvas());
    const Drawn d = Page();
    ASSERT_GE(m->WorkLines.Count(), 3);
    const DrawnText& last = d.texts.back();
    EXPECT_EQ(last.x + last.width, 100 + 120 - 2 - 1) << last.text;
}

TEST_F(MemoDraw, TurnedTextReadsUpwardsAlongTheHeight) {
    const int32_t left = 100, top = 50, height = 100, gapX = 2, gapY = 1, line = 15;
    for (uint32_t across : {taLeft, taRight, taCenter, taJustify}) {
        SCOPED_TRACE(::testing::Message() << "alignment " << across);
        Memo("uno due\r\nx", taTurned | across)->DrawAll(Canvas());
        const Drawn d = Page();
        ASSERT_GE(d.texts.size(), 2u);
        const DrawnText& first = d.texts.front();
        const DrawnText& last = d.texts.back();
        EXPECT_EQ(first.font.escapement, 900);
        EXPECT_EQ(first.font.orientation, 900);
        EXPECT_EQ(first.x, left + gapX);
        EXPECT_EQ(last.x, left + gapX + line) << "the next line lies to the right";
        const int32_t below = (top + height - gapY) - first.y;
        const int32_t above = (first.y - first.width) - (top + gapY);
        if (across == taLeft) EXPECT_EQ(below, 0);
        if (across == taRight) EXPECT_EQ(above, 0);
        if (across == taCenter) EXPECT_LE(std::abs(above - below), 1);
        if (across == taJustify) {
            ASSERT_EQ(Texts(d), (std::vector<std::string>{"uno", "due", "x"}));
            EXPECT_EQ(below, 0);
            EXPECT_EQ(d.texts[1].y - d.texts[1].width, top + gapY) << "the last word ends at the top";
        }
    }
}

TEST_F(MemoDraw, ASplitObjectGoesOnWithTheLineAfterTheLastOneDrawn) {
    auto m = Memo("1\r\n2\r\n3\r\n4\r\n5");
    m->Height = m->SplitHeight(40);  // room for two lines
    m->DrawAll(Canvas());
    EXPECT_EQ(Texts(Page()), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(m->FirstLine, 2);
    m->Top = 10, m->Height = 100;  // the next page
    m->DrawRest(Canvas());
    const Drawn d = Page();
    EXPECT_EQ(Texts(d), (std::vector<std::string>{"3", "4", "5"}));
    EXPECT_EQ(d.texts[0].y, 10 + 1);
    EXPECT_EQ(m->FirstLine, 5) << "all lines drawn";
}

TEST_F(MemoDraw, MeasuringLaysOutAndStretchesButDrawsNothing) {
    TcvBandFrame band(btMasterData);
    band.Stretched = true;
    auto m = Memo("uno due tre quattro cinque sei", taLeft, mfStretch | mfWordWrap);
    m->Width = 60, m->Height = 20;
    m->ParentBand = &band;
    const int32_t bottom = m->Measure(Canvas());
    const int32_t textHeight = m->TextHeight;
    const int lines = m->WorkLines.Count();
    EXPECT_GE(lines, 3);
    EXPECT_EQ(textHeight, lines * 15 + 2);
    EXPECT_EQ(m->Height, textHeight);
    EXPECT_EQ(bottom, 50 + textHeight + 2) << "the bottom the band needs for it";
    EXPECT_EQ(Page().records, EmptyPageRecords());

    m->MemoLines.SetText("changed");  // drawing what was measured expands nothing again
    m->DrawMeasured(Canvas());
    EXPECT_EQ(int(Page().texts.size()), lines);

    band.Stretched = false;
    m->Height = 20;
    m->Measure(Canvas());
    EXPECT_EQ(m->Height, 20) << "only a stretching band lets its text objects grow";
}

TEST_F(MemoDraw, AutomaticWidthFitsTheWidestLine) {
    auto m = Memo("abc\r\nabcdef", taLeft, mfAutoWidth);
    m->DrawAll(Canvas());
    EXPECT_EQ(m->Width, 2 * 2 + Width("abcdef"));
}

TEST_F(MemoDraw, HighlightChangesTheLookOfOneDrawOnly) {
    struct Case {
        uint16_t active;
        const char* condition;
        bool highlighted;
        const char* error;
    } cases[] = {{1, "1 = 1", true, ""},
                 {1, "1 = 2", false, ""},
                 {1, "1 / 0", false, "Espressione per il calcolo dell'evidenziatura errata"},
                 {0, "1 / 0", false, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        ClearPreparationError();
        auto m = Memo("testo");
        m->FillColor = 0xEEEEEE;
        m->HighlightActive = c.active, m->HighlightCondition = c.condition;
        m->HighlightStyle = emf::fsBold | emf::fsItalic, m->HighlightFontColor = 0x0000FF;
        m->HighlightFillColor = 0x00FFFF;
        m->DrawAll(Canvas());
        const Drawn d = Page();
        ASSERT_EQ(d.texts.size(), 1u);
        EXPECT_EQ(d.texts[0].font.weight, c.highlighted ? 700 : 400);
        EXPECT_EQ(d.texts[0].font.italic, c.highlighted ? 1 : 0);
        EXPECT_EQ(d.texts[0].color, c.highlighted ? 0x0000FFu : 0u);
        ASSERT_FALSE(d.fills.empty());
        EXPECT_EQ(d.fills.back().color, c.highlighted ? 0x00FFFFu : 0xEEEEEEu);
        EXPECT_EQ(TextRun().Error().Message, c.error);
        EXPECT_EQ(m->Font.Style, 0) << "the object keeps its own look";
        EXPECT_EQ(m->FillColor, 0xEEEEEEu);
    }
}

TEST_F(MemoDraw, TextLeavesWhatLiesUnderItEvenAfterAFill) {
    auto m = Memo("testo");
    m->FillColor = 0x00FFFF;  // the fill leaves a solid brush selected
    m->DrawAll(Canvas());
    EXPECT_FALSE(Canvas().TransparentText()) << "the canvas gets its text mode back";
    const Drawn d = Page();
    ASSERT_EQ(d.texts.size(), 1u);
    EXPECT_EQ(d.texts[0].bkMode, emf::TRANSPARENT);
}

TEST_F(MemoDraw, AnEmptyStretchingObjectGrowsWithItsBandEvenFromHeightZero) {
    struct Case {
        int32_t objectHeight, designHeight, actualHeight, expectedHeight;
    } cases[] = {{20, 40, 60, 30},  // 20 x 60 / 40
                 {20, 0, 60, 20},   // a band of height 0 keeps the object as it is
                 // a band of one pixel stretched far: the object stops at the farthest coordinate
                 {kFarthestCoordinate, 1, kFarthestCoordinate, kFarthestCoordinate}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actualHeight);
        TcvBandFrame band(btMasterData);
        band.Stretched = true;
        band.Height = c.designHeight, band.ActualHeight = c.actualHeight;
        auto m = Memo("", taLeft, mfStretch);
        m->Height = m->SavedHeight = c.objectHeight;
        m->FillColor = 0xCCCCCC;
        m->ParentBand = &band;
        m->DrawAll(Canvas());
        const Drawn d = Page();
        ASSERT_EQ(d.fills.size(), 1u);
        EXPECT_EQ(d.fills[0].rect.bottom - d.fills[0].rect.top, c.expectedHeight);
        EXPECT_EQ(m->Height, c.objectHeight);
    }
}

TEST_F(MemoDraw, AReportOfAnotherResolutionScalesTheCanvasFontNotTheObjects) {
    const int screen = ScreenPixelsPerInch;
    ScreenPixelsPerInch = 96;
    report.SetPixelsPerInch(120);
    auto m = Memo("testo");
    for (int draw = 0; draw < 3; ++draw) m->DrawAll(Canvas());
    const Drawn d = Page();
    ASSERT_EQ(d.texts.size(), 3u);
    for (const DrawnText& t : d.texts) EXPECT_EQ(t.font.height, -16);  // -13 x 120 / 96
    EXPECT_EQ(m->Font.Size, 10);
    EXPECT_EQ(m->LineHeight, 18);
    report.SetScaled(false);
    m->DrawAll(Canvas());
    EXPECT_EQ(Page().texts[0].font.height, -13);
    ScreenPixelsPerInch = screen;
}

TEST_F(MemoDraw, HiddenObjectsAreCrossedOutInDesignModeAndLeftOutWhilePreparing) {
    auto m = Memo("nascosto");
    m->Visible = 0;
    m->DrawAll(Canvas());
    EXPECT_EQ(Page().records, EmptyPageRecords());
    EngineMode = emDesign;
    m->DrawAll(Canvas());
    const Drawn d = Page();
    EXPECT_EQ(Texts(d), std::vector<std::string>{"nascosto"});
    ASSERT_FALSE(d.pens.empty());
    EXPECT_EQ(d.pens.back().width.x, 2);
    EXPECT_EQ(d.pens.back().color, 0x0000FFu);
}

TEST_F(MemoDraw, AFirstLineNamingALargeObjectFieldTakesTheFieldsLines) {
    TComponent owner(nullptr);
    auto* data = new data::MemoryDataset(&owner, {{"note", data::FieldKind::Memo}, {"nome", data::FieldKind::String}});
    data->SetName("Dati");
    data->AppendRow({Variant("riga uno\r\nriga [due]"), Variant("Rossi")});
    data->Open();
    TcvReport withData(&owner);
    BindNamedValue(withData, "Nota", "Dati", "note");
    ASSERT_TRUE(withData.HasPictureFields);
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"[Nota]", {"riga uno", "riga [due]"}},
        {"[Dati.note]", {"riga uno", "riga [due]"}},
        {"[1 + 1]", {"2"}},
    };
    for (const auto& [designed, lines] : cases) {
        TcvMemoView m(&withData);
        m.Width = 200, m.Height = 100;
        m.MemoLines.SetText(designed);
        m.DrawAll(Canvas());
        EXPECT_EQ(Lines(m), lines) << designed;
    }
}
