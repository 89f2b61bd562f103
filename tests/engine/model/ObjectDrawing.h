#pragma once
// Helpers of the report-object tests: the engine in run mode with a page canvas, and what a page's
// records show (texts with their font, colour and background mode; pictures; pens; fills).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/EngineSupport.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_TextRun.h"
#include "engine/expr/CV_Values.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Cp1252.h"
#include "platform/emf/EmfRecords.h"
#include "platform/emf/RecordingCanvas.h"

namespace objecttest {

using namespace tessaly;

struct DrawnText {
    int32_t x = 0, y = 0;
    std::string text;  // cp1252
    bool clipped = false;
    emf::RectL clip;
    emf::LogFontW font;
    emf::ColorRef color = 0;
    uint32_t bkMode = emf::OPAQUE;
    int32_t width = 0;  // the sum of the advances
};

struct DrawnBitmap {
    emf::RectL dest;  // left, top, right, bottom (excluded)
    int32_t sourceWidth = 0, sourceHeight = 0;
    uint32_t stretchMode = 0;
};

struct DrawnFill {
    emf::RectL rect;  // right, bottom excluded
    emf::ColorRef color = 0;
};

struct Drawn {
    std::vector<DrawnText> texts;
    std::vector<DrawnBitmap> bitmaps;
    std::vector<emf::EmrCreatePen> pens;
    std::vector<DrawnFill> fills;
    int records = 0;
};

inline Drawn Read(const emf::Metafile& page) {
    Drawn d;
    std::map<uint32_t, emf::LogFontW> fonts;
    std::map<uint32_t, emf::ColorRef> brushes;
    emf::ColorRef brush = 0;
    emf::LogFontW font;
    emf::ColorRef color = 0;
    uint32_t bkMode = emf::OPAQUE, stretchMode = 0;
    for (emf::RecordView r : page.Records()) {
        ++d.records;
        switch (r.Type()) {
        case emf::EMR_EXTCREATEFONTINDIRECTW:
            if (auto f = emf::ParseCreateFont(r)) fonts[f->handle] = f->font;
            break;
        case emf::EMR_CREATEBRUSHINDIRECT:
            if (auto b = emf::ParseCreateBrush(r)) brushes[b->handle] = b->color;
            break;
        case emf::EMR_SELECTOBJECT:
            if (auto h = emf::ParseValue(r); h && fonts.count(*h)) font = fonts[*h];
            if (auto h = emf::ParseValue(r); h && brushes.count(*h)) brush = brushes[*h];
            break;
        case emf::EMR_SETTEXTCOLOR: color = emf::ParseValue(r).value_or(0); break;
        case emf::EMR_SETBKMODE: bkMode = emf::ParseValue(r).value_or(0); break;
        case emf::EMR_SETSTRETCHBLTMODE: stretchMode = emf::ParseValue(r).value_or(0); break;
        case emf::EMR_CREATEPEN:
            if (auto p = emf::ParseCreatePen(r)) d.pens.push_back(*p);
            break;
        case emf::EMR_BITBLT:
            if (auto b = emf::ParseBitmap(r))
                d.fills.push_back({{b->xDest, b->yDest, b->xDest + b->cxDest, b->yDest + b->cyDest}, brush});
            break;
        case emf::EMR_EXTTEXTOUTW:
            if (auto t = emf::ParseExtTextOut(r)) {
                DrawnText text{t->text.reference.x, t->text.reference.y, Utf16ToCp1252(t->text.wide),
                               (t->text.options & emf::ETO_CLIPPED) != 0, t->text.clip, font, color, bkMode};
                for (int32_t dx : t->text.dx) text.width += dx;
                d.texts.push_back(text);
            }
            break;
        case emf::EMR_STRETCHDIBITS:
            if (auto b = emf::ParseBitmap(r))
                d.bitmaps.push_back({{b->xDest, b->yDest, b->xDest + b->cxDest, b->yDest + b->cyDest},
                                     b->cxSrc,
                                     b->cySrc,
                                     stretchMode});
            break;
        default: break;
        }
    }
    return d;
}

// Binds the named value `name` to a field, as a document start does.
inline void BindNamedValue(TcvReport& report, const char* name, const char* dataSet, const char* field) {
    const int i = report.Values().AddValue();
    report.Values().SetName(i, name);
    report.Values().Items(i).Kind = vkDataField;
    report.Values().Items(i).DataSetName = dataSet;
    report.Values().Items(i).FieldName = field;
    report.HasPictureFields = report.Values().BindDataFields(report.Owner());
}

// Tests that draw report objects: run mode (as while preparing), a report, an A4 page's canvas.
class ObjectDrawTest : public ::testing::Test {
protected:
    ObjectDrawTest() {
        tessaly::testing::EnsureApplication();
        EngineMode = emRun;
    }
    ~ObjectDrawTest() override {
        EngineMode = emDesign;
        ClearPreparationError();
    }

    emf::RecordingCanvas& Canvas() { return *canvas; }
    // Ends the page; a new page starts.
    emf::Metafile ClosePage() {
        emf::Metafile page = canvas->Close();
        canvas = std::make_unique<emf::RecordingCanvas>(794, 1123);
        return page;
    }
    Drawn Page() { return Read(ClosePage()); }
    int32_t Width(const AnsiString& text, int points = 10, uint8_t style = 0) {
        emf::RecordingCanvas measuring(10, 10);
        measuring.Font().name = "Arial";
        measuring.Font().SetSize(points);
        measuring.Font().style = style;
        return measuring.TextWidth(text);
    }

    EngineUnits units{nullptr};
    TcvReport report{nullptr};
    std::unique_ptr<emf::RecordingCanvas> canvas = std::make_unique<emf::RecordingCanvas>(794, 1123);
};

}  // namespace objecttest
