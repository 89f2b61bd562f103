#include "engine/report/CV_JsonFields.h"

#include <map>
#include <string>

#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/model/CV_BandType.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Colors.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Picture.h"
#include "engine/model/CV_StreamForms.h"
#include "engine/report/CV_Prntr.h"

namespace tessaly::jsonform {

namespace {

constexpr Name kObjectTypes[] = {
    {otMemo, "memo"}, {otPicture, "picture"}, {otBand, "band"}, {otSubReport, "subReport"}, {otAddIn, "addIn"}};

constexpr Name kBandTypes[] = {
    {btReportTitle, "reportTitle"},     {btReportSummary, "reportSummary"},   {btPageHeader, "pageHeader"},
    {btPageFooter, "pageFooter"},       {btMasterHeader, "masterHeader"},     {btMasterData, "masterData"},
    {btMasterFooter, "masterFooter"},   {btDetailHeader, "detailHeader"},     {btDetailData, "detailData"},
    {btDetailFooter, "detailFooter"},   {btSubDetailHeader, "subDetailHeader"}, {btSubDetailData, "subDetailData"},
    {btSubDetailFooter, "subDetailFooter"}, {btOverlay, "overlay"},         {btColumnHeader, "columnHeader"},
    {btColumnFooter, "columnFooter"},   {btGroupHeader, "groupHeader"},       {btGroupFooter, "groupFooter"},
    {btCrossHeader, "crossHeader"},     {btCrossData, "crossData"},           {btCrossFooter, "crossFooter"},
    {btNone, "none"}};

constexpr Name Bit(int64_t bit, const char* name) { return {bit, name, bit}; }

constexpr Name kFrameSides[] = {Bit(fsLeft, "left"), Bit(fsTop, "top"), Bit(fsRight, "right"), Bit(fsBottom, "bottom")};
constexpr Name kMemoFlags[] = {Bit(mfStretch, "stretch"), Bit(mfWordWrap, "wordWrap"), Bit(mfAutoWidth, "autoWidth")};
constexpr Name kPictureFlags[] = {Bit(pfStretch, "stretch"), Bit(pfCenter, "center"), Bit(pfKeepAspect, "keepAspect")};
constexpr Name kBandFlags[] = {Bit(boStretched, "stretched"), Bit(boForceNewPage, "forceNewPage"),
                               Bit(boPrintIfDetailEmpty, "printIfDetailEmpty"), Bit(boCanSplit, "canSplit"),
                               Bit(boFillList, "fillList")};
// The font styles as the stream has them (1 italic, 2 bold: StyleToStream).
const Name kFontStyles[] = {Bit(StyleToStream(emf::fsBold), "bold"), Bit(StyleToStream(emf::fsItalic), "italic"),
                                Bit(StyleToStream(emf::fsUnderline), "underline"),
                                Bit(StyleToStream(emf::fsStrikeOut), "strikeOut")};
constexpr Name kAlignment[] = {
    {taLeft, "left", taHorizontalMask},   {taRight, "right", taHorizontalMask}, {taCenter, "center", taHorizontalMask},
    {taJustify, "justify", taHorizontalMask}, {0, "top", taVerticalMask},   {taMiddle, "middle", taVerticalMask},
    {taBottom, "bottom", taVerticalMask}, Bit(taTurned, "turned")};

constexpr Name kOrientations[] = {{0, "portrait"}, {1, "landscape"}};
// The papers most used, by name; every other code of the paper table as its number.
constexpr Name kPapers[] = {{1, "letter"}, {3, "tabloid"}, {4, "ledger"}, {5, "legal"}, {6, "statement"},
                            {7, "executive"}, {8, "A3"}, {9, "A4"}, {11, "A5"}, {12, "B4"}, {13, "B5"},
                            {PaperCustom, "custom"}};
constexpr Name kRangeBegin[] = {{rbFirst, "first"}, {rbCurrent, "current"}};
constexpr Name kRangeEnd[] = {{reLast, "last"}, {reCurrent, "current"}, {reCount, "count"}};

// "#RRGGBB" for plain colours; these by name; the classic system colours by their elements' names.
constexpr Name kColors[] = {
    {clNoFill, "none"},
    {0x80000000, "scrollBar"}, {0x80000001, "background"}, {0x80000002, "activeCaption"},
    {0x80000003, "inactiveCaption"}, {0x80000004, "menu"}, {0x80000005, "window"}, {0x80000006, "windowFrame"},
    {0x80000007, "menuText"}, {0x80000008, "windowText"}, {0x80000009, "captionText"},
    {0x8000000A, "activeBorder"}, {0x8000000B, "inactiveBorder"}, {0x8000000C, "appWorkspace"},
    {0x8000000D, "highlight"}, {0x8000000E, "highlightText"}, {clBtnFace, "btnFace"}, {clBtnShadow, "btnShadow"},
    {0x80000011, "grayText"}, {0x80000012, "btnText"}, {0x80000013, "inactiveCaptionText"},
    {0x80000014, "btnHighlight"}, {0x80000015, "3dDkShadow"}, {0x80000016, "3dLight"}, {0x80000017, "infoText"},
    {0x80000018, "infoBk"}, {0x8000001A, "hotLight"}, {0x8000001B, "gradientActiveCaption"},
    {0x8000001C, "gradientInactiveCaption"}, {0x8000001D, "menuHilight"}, {0x8000001E, "menuBar"}};

// The format code of a new object where the decimal separator is a comma.
constexpr int64_t kDefaultFormat = 0x200 | ',';

constexpr int64_t ValueKindCode(int64_t kind, int64_t other) { return kind << 32 | other; }

// "none", "field", "expression" and the built-in variables, by (kind, other kind).
Names ValueKinds() {
    static const std::vector<Name> names = [] {
        std::vector<Name> n = {{ValueKindCode(0, 0), "none"}, {ValueKindCode(1, 0), "field"},
                               {ValueKindCode(2, ExpressionValueKind), "expression"}};
        for (int k = 0; k < ValueKindCount; ++k)
            if (k != ExpressionValueKind) n.push_back({ValueKindCode(2, k), VariableNames[k]});
        return n;
    }();
    return names;
}

// --- Hooks ------------------------------------------------------------------------------------

enum PageField { pfPaper, pfWidth, pfHeight, pfOrientation = 7 };

// A paper of the table brings its size, turned for landscape; the custom paper has none.
int64_t TablePaperSize(const Values& v, bool width) {
    for (int i = 0; i < PaperTableCount; ++i) {
        const PaperRow& row = PaperTableRow(i);
        if (row.code != v[pfPaper].number || row.code == PaperCustom) continue;
        return (v[pfOrientation].number == 1) != width ? row.width : row.height;
    }
    return 0;
}
int64_t TablePaperWidth(const Values& v) { return TablePaperSize(v, true); }
int64_t TablePaperHeight(const Values& v) { return TablePaperSize(v, false); }

enum DatasetField { dfKind };
bool IsDatabaseEntry(const Values& v) { return v[dfKind].number != 0; }
int64_t DatasetKind(const json::Node& object) { return object.Find("dataset") ? 1 : 0; }

enum ValueField { vfKind };
const char* ValueTextKey(const Values& v) {
    return v[vfKind].number == ValueKindCode(2, ExpressionValueKind) ? "expression" : "field";
}

enum ViewField { vfFrameSides = 5, vfFormatText = 11 };
// A data band names its dataset in FormatText, a group header its condition.
const char* BandTextKey(const Values& v) {
    const int type = static_cast<int>(v[vfFrameSides].number & 0xFF);
    if (IsDataBandType(type)) return "dataset";
    return type == btGroupHeader ? "condition" : "formatText";
}

// --- Records ----------------------------------------------------------------------------------

Field Number(const char* key, Stored stored, int64_t byDefault = 0) {
    return {.key = key, .stored = stored, .shape = Shape::Integer, .byDefault = byDefault};
}
Field Flag(const char* key, int64_t byDefault, int64_t trueValue = 1) {
    return {.key = key, .stored = Stored::I16, .shape = Shape::Boolean, .byDefault = byDefault, .trueValue = trueValue};
}
Field Text(const char* key, Stored stored, const char* byDefault = "") {
    return {.key = key, .stored = stored, .shape = Shape::Text, .textByDefault = byDefault};
}
Field Colour(const char* key, int64_t byDefault, const char* group = nullptr) {
    return {.key = key, .stored = Stored::U32, .shape = Shape::Color, .byDefault = byDefault, .names = kColors,
            .group = group};
}
Field Required(Field f) {
    f.required = true;
    return f;
}
Field Grouped(Field f, const char* group) {
    f.group = group;
    return f;
}

std::vector<Field> CommonPart(int type) {
    const bool band = type == otBand;
    Names flags = type == otMemo ? Names(kMemoFlags) : type == otPicture ? Names(kPictureFlags)
                : band ? Names(kBandFlags) : Names();
    Field frameSides = band ? Required({.key = "band", .stored = Stored::U16, .shape = Shape::Names, .names = kBandTypes})
                            : Field{.key = "frame", .stored = Stored::U16, .shape = Shape::Bits, .names = kFrameSides};
    Field formatText = Text("formatText", Stored::Line);
    if (band) formatText.keyOf = &BandTextKey;
    return {Number("left", Stored::I32), Number("top", Stored::I32), Number("width", Stored::I32),
            Number("height", Stored::I32),
            {.key = "flags", .stored = Stored::U16, .shape = Shape::Bits, .byDefault = type == otPicture ? 5 : 0,
             .names = flags},
            frameSides, Number("frameWidth", Stored::I32, 1), Colour("frameColor", clBlack),
            Number("frameStyle", Stored::U16), Colour("fill", clNoFill),
            {.key = "format", .stored = Stored::U32, .shape = Shape::Format, .byDefault = kDefaultFormat},
            formatText, {.key = "lines", .stored = Stored::Lines, .shape = Shape::Lines},
            {.key = "visible", .stored = Stored::U8, .shape = Shape::Boolean, .byDefault = 1},
            Required(Text("name", Stored::Short))};
}

std::vector<Field> MemoPart() {
    return {Grouped(Text("name", Stored::Line, "Arial"), "font"),
            Grouped(Number("size", Stored::I32, 10), "font"),
            {.key = "style", .stored = Stored::U16, .shape = Shape::Bits, .names = kFontStyles, .group = "font"},
            Colour("color", clBlack, "font"),
            {.key = "align", .stored = Stored::U32, .shape = Shape::Bits, .names = kAlignment},
            {.key = "style", .stored = Stored::U16, .shape = Shape::Bits, .byDefault = StyleToStream(emf::fsBold),
             .names = kFontStyles, .group = "highlight"},
            Colour("color", clBlack, "highlight"), Colour("fill", clWhite, "highlight"),
            Grouped(Number("active", Stored::U16), "highlight"), Grouped(Text("condition", Stored::Line), "highlight")};
}

Record MakeObjectRecord(int type) {
    Record r{"", CommonPart(type), {"name", "band"}};
    for (const Name& n : kObjectTypes)
        if (n.value == type) r.what = std::string("in un oggetto ") + n.name;
    std::vector<Field> own;
    if (type == otMemo) own = MemoPart();
    if (type == otPicture) own = {{.key = "picture", .stored = Stored::Picture, .shape = Shape::Picture}};
    if (type == otSubReport)
        own = {Required({.key = "subPage", .stored = Stored::I32, .shape = Shape::PageNumber})};
    if (type == otAddIn) own = {{.key = "data", .stored = Stored::Rest, .shape = Shape::Bytes}};
    r.fields.insert(r.fields.end(), own.begin(), own.end());
    return r;
}

}  // namespace

const Record& ReportRecord() {
    static const Record r{"nel modello", {Flag("twoPass", 0), Flag("interleave", 0), Flag("interleavedNumbering", 0)}};
    return r;
}

const Record& DatasetRecord() {
    static const Record r{
        "in un dataset",
        {{.stored = Stored::U8, .derive = &DatasetKind},
         {.key = "dataset", .stored = Stored::Short, .shape = Shape::Text, .storedIf = &IsDatabaseEntry},
         {.key = "filtered", .stored = Stored::U8, .shape = Shape::Boolean, .storedIf = &IsDatabaseEntry},
         {.key = "filter", .stored = Stored::Short, .shape = Shape::Text, .storedIf = &IsDatabaseEntry},
         Required(Text("name", Stored::Short)),
         {.key = "rangeBegin", .stored = Stored::U8, .shape = Shape::Names, .names = kRangeBegin},
         {.key = "rangeEnd", .stored = Stored::U8, .shape = Shape::Names, .names = kRangeEnd},
         {.stored = Stored::U16},
         Number("rangeEndCount", Stored::I32)},
        {"name"}};
    return r;
}

const Record& ValueRecord() {
    static const Record r{"in un valore",
                          {{.key = "kind", .stored = Stored::ValueKind, .shape = Shape::ValueKind, .names = ValueKinds()},
                           Text("dataset", Stored::Short),
                           {.stored = Stored::Short, .shape = Shape::Text, .keyOf = &ValueTextKey},
                           Required(Text("name", Stored::Short))},
                          {"name"}};
    return r;
}

const Record& PageRecord() {
    static const Record r{
        "in una pagina",
        {{.key = "paper", .stored = Stored::I32, .shape = Shape::Names, .byDefault = 9, .names = kPapers},
         {.key = "paperWidth", .stored = Stored::I32, .defaultOf = &TablePaperWidth},
         {.key = "paperHeight", .stored = Stored::I32, .defaultOf = &TablePaperHeight},
         Grouped(Number("left", Stored::I32, 38), "margins"), Grouped(Number("top", Stored::I32, 38), "margins"),
         Grouped(Number("right", Stored::I32, 38), "margins"), Grouped(Number("bottom", Stored::I32, 57), "margins"),
         {.key = "orientation", .stored = Stored::U8, .shape = Shape::Names, .names = kOrientations},
         Flag("pageHeaderOnFirstPage", -1, -1), Flag("pageFooterOnLastPage", -1, -1),
         Flag("repeatCrossHeader", 0, -1), Flag("continueOnPreviousPage", 0, -1),
         Number("columns", Stored::I32), Number("columnGap", Stored::I32), Number("scaleX", Stored::I32, 100),
         Number("scaleY", Stored::I32, 100)}};
    return r;
}

const Record& ObjectRecord(int type) {
    static const std::map<int, Record> records = [] {
        std::map<int, Record> all;
        for (const Name& n : kObjectTypes) all.emplace(static_cast<int>(n.value), MakeObjectRecord(static_cast<int>(n.value)));
        return all;
    }();
    return records.at(type);
}

const Field& DataLinesField() {
    static const Field f{.key = "data", .stored = Stored::Lines, .shape = Shape::Lines};
    return f;
}

Names ObjectTypes() { return kObjectTypes; }

size_t MaxTextLength(Stored stored) { return stored == Stored::Short ? kMaxShortString : kMaxLineLength; }

}  // namespace tessaly::jsonform
