// tessaly-cli template FILE [--save OUT.cvf] [--json OUT.json]: loads a template, ".cvf" or its JSON
// form (told by content), as the report component does (LoadFromFile and its file-name rules) and
// describes what was loaded:
//   version: V                    the stream's version (21 for a stream without one; 29 for JSON)
//   pages: P
//   objects: O
//   datasets: D
//   values: N
//   page I: paper CODE WIDTHxHEIGHT portrait|landscape margins L T R B columns C gap G
//           scale X Y header-on-first 0|1 footer-on-last 0|1 repeat-cross-header 0|1
//           continue-on-previous 0|1                          (one line; sizes in tenths of mm)
//   object I: TYPE NAME page P left L top T width W height H flags 0xFFFF frame 0xFFFF
//             WIDTH 0xRRGGBB fill 0xRRGGBB|none format 0xFFFFFFFF visible 0|1 [EXTRA]
//     format-text: TEXT            (when not empty)
//     line: TEXT                   (one per designed line)
//   dataset I: NAME REFERENCE     (REFERENCE "Module.Component", "-" for a plain dataset)
//   value I: NAME kind K SOURCE   (SOURCE "-", "field DATASET.FIELD", "expression TEXT" or
//                                  "variable NAME")
// TYPE is memo, picture, band, subreport or addin; EXTRA is "band-type T" for a band, "subpage P"
// for a sub-report (P from 1), "picture KIND" for a picture, "class NAME" for an add-in. Numbers
// I and P count from 1. Tabs and line breaks in texts are written \t, \r, \n.
//
// Every message that loading shows goes to stderr as "CAPTION: TEXT". After an "Errore" message
// the template did not load: nothing is printed or written and the exit code is 1 ("Attenzione"
// messages alone do not fail). --save writes the loaded template back as ".cvf" (version 29),
// --json in its JSON form. Converting keeps the datasets as the template names them even when
// their data is not there (StandInDatasets).
#include <cstdio>
#include <string>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/OneLine.h"
#include "cli/TemplateLoad.h"
#include "engine/data/CV_StandIns.h"
#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_Picture.h"
#include "engine/model/CV_SubReport.h"
#include "engine/report/CV_OpenTemplate.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_TemplateFile.h"
#include "engine/report/CV_Startup.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/data/Dataset.h"

namespace tessaly::cli {

namespace {

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string Num(int64_t value) { return std::to_string(value); }

std::string PageText(const TcvPage& p, int index) {
    const emf::RectL& m = p.Margins;
    return "page " + Num(index + 1) + ": paper " + Num(p.PaperSize) + " " + Num(p.PaperWidth) + "x" +
           Num(p.PaperHeight) + (p.Orientation == 1 ? " landscape" : " portrait") + " margins " + Num(m.left) +
           " " + Num(m.top) + " " + Num(m.right) + " " + Num(m.bottom) + " columns " + Num(p.ColumnCount) +
           " gap " + Num(p.ColumnGap) + " scale " + Num(p.ScaleX) + " " + Num(p.ScaleY) + " header-on-first " +
           Num(p.PageHeaderOnFirstPage != 0) + " footer-on-last " + Num(p.PageFooterOnLastPage != 0) +
           " repeat-cross-header " + Num(p.RepeatCrossHeader != 0) + " continue-on-previous " +
           Num(p.ContinueOnPreviousPage != 0) + "\n";
}

std::string TypeAndExtra(const TcvView& v, std::string& extra) {
    static const char* const kPictureKinds[] = {"none", "bitmap", "metafile", "icon", "jpeg"};
    if (auto* band = dynamic_cast<const TcvBandView*>(&v)) extra = " band-type " + Num(band->BandType());
    if (auto* sub = dynamic_cast<const TcvSubReportView*>(&v)) extra = " subpage " + Num(int64_t{sub->SubPage} + 1);
    if (auto* pic = dynamic_cast<const TcvPictureView*>(&v))
        extra = std::string(" picture ") + kPictureKinds[static_cast<int>(pic->Picture.Kind())];
    switch (v.ObjectType) {
        case otMemo: return "memo";
        case otPicture: return "picture";
        case otBand: return "band";
        case otSubReport: return "subreport";
        default: break;
    }
    extra = std::string(" class ") + v.ClassName();
    return "addin";
}

std::string ObjectText(const TcvView& v, int index, int page) {
    std::string extra;
    const std::string type = TypeAndExtra(v, extra);
    std::string out = "object " + Num(index) + ": " + type + " " + OneLine(v.Name) + " page " + Num(page + 1) +
                      " left " + Num(v.Left) + " top " + Num(v.Top) + " width " + Num(v.Width) + " height " +
                      Num(v.Height) + " flags " + Hex(v.Flags, 4) + " frame " + Hex(v.FrameSides, 4) + " " +
                      Num(v.FrameWidth) + " " + Hex(v.FrameColor, 6) + " fill " +
                      (IsNoFill(v.FillColor) ? std::string("none") : Hex(v.FillColor, 6)) + " format " +
                      Hex(v.Format, 8) + " visible " + Num(v.Visible) + extra + "\n";
    if (!v.FormatText.empty()) out += "  format-text: " + OneLine(v.FormatText) + "\n";
    for (int i = 0; i < v.MemoLines.Count(); ++i) out += "  line: " + OneLine(v.MemoLines[i]) + "\n";
    return out;
}

std::string DatasetText(const TComponent* entry, int index) {
    auto* dataset = dynamic_cast<const TcvDataset*>(entry);
    auto* db = dynamic_cast<const TcvDBDataSet*>(entry);
    std::string reference = "-";
    if (db && db->DataSet()) reference = db->DataSet()->FullName();
    return "dataset " + Num(index + 1) + ": " + OneLine(dataset ? dataset->Name() : "?") + " " + OneLine(reference) +
           "\n";
}

std::string ValueText(const TcvValues& values, int index) {
    const TcvValue& v = values.Items(index);
    std::string source = "-";
    if (v.Kind == vkDataField)
        source = "field " + OneLine(v.DataSetName + "." + v.FieldName);
    else if (v.Kind == vkOther && v.OtherKind == ExpressionValueKind)
        source = "expression " + OneLine(v.FieldName);
    else if (v.Kind == vkOther && v.OtherKind >= 0 && v.OtherKind < ValueKindCount)
        source = std::string("variable ") + VariableNames[v.OtherKind];
    return "value " + Num(index + 1) + ": " + OneLine(values.Names(index)) + " kind " + Num(v.Kind) + " " + source +
           "\n";
}

std::string Describe(TcvReport& report) {
    const TcvPages& pages = report.Pages();
    int objects = 0;
    pages.ForEachObject([&](const TcvView&) { ++objects; });
    std::string out = "version: " + Num(report.TemplateVersion()) + "\npages: " + Num(pages.Count()) +
                      "\nobjects: " + Num(objects) + "\ndatasets: " + Num(report.DataSets().Count()) +
                      "\nvalues: " + Num(report.Values().Count()) + "\n";
    for (int p = 0; p < pages.Count(); ++p) out += PageText(pages.Pages(p), p);
    int index = 0;
    for (int p = 0; p < pages.Count(); ++p)
        for (int i = 0; i < pages.Pages(p).ObjectCount(); ++i) out += ObjectText(*pages.Pages(p).Objects(i), ++index, p);
    for (int i = 0; i < report.DataSets().Count(); ++i)
        out += DatasetText(static_cast<const TComponent*>(report.DataSets().Objects(i)), i);
    for (int i = 0; i < report.Values().Count(); ++i) out += ValueText(report.Values(), i);
    return out;
}

struct TemplateArgs {
    std::string in, save, json;
};

bool ParseArgs(const Args& args, TemplateArgs& a) {
    for (size_t i = 0; i < args.size(); ++i) {
        const bool output = (args[i] == "--save" || args[i] == "--json") && i + 1 < args.size();
        std::string& target = args[i] == "--save" ? a.save : a.json;
        if (output && target.empty() && !args[i + 1].empty())
            target = args[++i];
        else if (a.in.empty() && !args[i].empty() && args[i][0] != '-')
            a.in = args[i];
        else
            return false;
    }
    return !a.in.empty();
}

// The references of the datasets, when the template is converted; a file that cannot be read
// gives none (loading it tells why).
std::vector<AnsiString> ConvertedReferences(const TemplateArgs& a) {
    if (a.save.empty() && a.json.empty()) return {};
    try {
        return TemplateDatasetReferences(std::filesystem::path(a.in));
    } catch (const EngineError&) {
        return {};
    }
}

}  // namespace

int RunTemplate(const Args& args) {
    TemplateArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;
    EngineUnits units(nullptr);
    StandInDatasets standIns(ConvertedReferences(a));
    TcvReport report(nullptr);
    try {
        if (!LoadTemplateFile(report, a.in)) return kFailed;
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    std::fputs(Cp1252ToUtf8(Describe(report)).c_str(), stdout);
    try {
        if (!a.save.empty()) report.SaveToFile(std::filesystem::path(a.save));
        if (!a.json.empty()) SaveTemplateAsJson(report, std::filesystem::path(a.json));
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return kDone;
}

}  // namespace tessaly::cli
