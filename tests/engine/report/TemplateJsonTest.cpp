// The JSON form of templates: every template of the project converts to JSON and back to the bytes
// that its load saves to; codes by name and defaults left out; names given as the engine gives
// them; add-in objects keep their own bytes; documents with a mistake refused, word for word, at
// their place.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "common/EngineSupport.h"
#include "engine/data/CV_DatasetSection.h"
#include "engine/data/CV_StandIns.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Objects.h"
#include "engine/model/CV_Page.h"
#include "engine/model/ModelSupport.h"
#include "engine/report/CV_TemplateJson.h"
#include "platform/core/Json.h"

using namespace tessaly;
using namespace tessaly::testing;
namespace fs = std::filesystem;

namespace {

const fs::path kRoot(TESSALY_SOURCE_DIR);

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& prefix, const std::string& extension) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What the loaded template saves to (its datasets kept by stand-ins); nothing when it does not load.
std::optional<std::vector<uint8_t>> SavedAfterLoad(const std::vector<uint8_t>& bytes) {
    std::vector<AnsiString> references;
    if (!bytes.empty() && bytes[0] >= 23) {
        ByteViewStream stream(bytes.data() + 1, bytes.size() - 1);
        QScopedValueRollback version(StreamVersion, int(bytes[0]));
        references = ReadDatasetReferences(stream);
    }
    StandInDatasets standIns(references);
    TcvReport report(nullptr);
    CaughtMessages quiet;
    if (!LoadBytes(report, bytes)) return std::nullopt;
    return SavedBytes(report);
}

std::string ErrorOf(const std::string& document) {
    try {
        JsonToTemplateStream(document);
    } catch (const json::ParseError& e) {
        return e.Message();
    }
    return "(accepted)";
}

const char kTwoBands[] = "riga 51, colonna 19: due oggetti con il nome \"Band1\" (l'altro a riga 18, colonna 19).";

class TemplateJson : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    EngineUnits units{nullptr};
};

}  // namespace

TEST_F(TemplateJson, EveryTemplateOfTheProjectConvertsBothWaysWithoutLoss) {
    std::vector<fs::path> files = FilesIn(kRoot / "tests/fuzz/corpus/template", "", "");
    for (const fs::path& f : FilesIn(kRoot / "tests/data/fuzz", "prepare-", "")) files.push_back(f);
    for (const fs::path& f : FilesIn(kRoot / "examples", "", ".cvf")) files.push_back(f);
    ASSERT_GE(files.size(), 23u);  // five seeds, ten reproducers, eight examples
    for (const fs::path& file : files) {
        const auto saved = SavedAfterLoad(ReadFile(file));
        ASSERT_TRUE(saved) << file;
        const std::string json = TemplateStreamToJson(*saved);
        // A fuzzer's mutant with two objects of one name: its JSON says so, and is refused until mended.
        if (file.filename() == "prepare-column-gap") {
            EXPECT_EQ(ErrorOf(json), kTwoBands);
            continue;
        }
        const std::vector<uint8_t> back = JsonToTemplateStream(json);
        EXPECT_EQ(back, *saved) << file << ": .cvf -> JSON -> .cvf";
        EXPECT_EQ(SavedAfterLoad(back), saved) << file << ": the JSON's template saves to the same bytes";
        EXPECT_EQ(TemplateStreamToJson(back), json) << file << ": JSON -> .cvf -> JSON";
    }
}

TEST_F(TemplateJson, TheJsonTemplatesOfTheProjectAreInTheFormTheConverterWrites) {
    std::vector<fs::path> files = FilesIn(kRoot / "examples", "", ".json");
    ASSERT_EQ(files.size(), 8u);
    for (const fs::path& f : FilesIn(kRoot / "tests/fuzz/corpus/template_json", "", ".json")) files.push_back(f);
    for (const fs::path& file : files) {
        const std::string text = ReadText(file);
        if (file.filename() == "prepare-column-gap.json") {
            EXPECT_EQ(ErrorOf(text), kTwoBands);
            continue;
        }
        const auto saved = SavedAfterLoad(JsonToTemplateStream(text));
        if (file.filename() == "addin-unregistered.json") {
            EXPECT_FALSE(saved);
            continue;
        }
        ASSERT_TRUE(saved) << file;
        const std::string written = TemplateStreamToJson(*saved);
        // Written by hand, the others as the converter writes them.
        const bool byHand = file.filename() == "every-field.json" || file.filename() == "minimal.json";
        if (!byHand) EXPECT_EQ(written, text) << file;
        EXPECT_EQ(TemplateStreamToJson(JsonToTemplateStream(written)), written) << file;
    }
}

TEST_F(TemplateJson, CodesAreWrittenByNameAndDefaultsAreLeftOut) {
    TcvReport report(nullptr);
    TcvPage& page = report.Pages().Pages(0);
    page.ChangePaper(9, 0, 0, 1);
    page.Margins.bottom = 40;
    auto& band = static_cast<TcvBandView&>(page.AddObject(std::make_unique<TcvBandView>(&report)));
    band.SetBandType(btMasterData);
    band.FormatText = "righe";
    band.Flags = boStretched | boCanSplit;
    band.Top = 100, band.Height = 20;
    auto& memo = static_cast<TcvMemoView&>(page.AddObject(std::make_unique<TcvMemoView>(&report)));
    memo.Left = 38, memo.Top = 102, memo.Width = 300, memo.Height = 18;
    memo.MemoLines.Add("Caff\xE8: [prezzo]");
    memo.Font.Style = emf::fsBold;
    memo.Font.Size = 12;
    memo.Alignment = taRight | taMiddle;
    memo.FrameSides = fsTop | fsBottom;
    memo.FillColor = 0xD8E8F4;
    memo.Format = 0x01030200 | ',';
    report.Values().SetName(report.Values().AddValue(), "Totale");
    report.Values().Items(0).Kind = vkOther;
    report.Values().Items(0).OtherKind = 1;
    report.Values().Items(0).FieldName = "SUM(prezzo)";
    EXPECT_EQ(TemplateStreamToJson(SavedBytes(report)),
              "{\n"
              "  \"format\": \"tessaly-template\",\n"
              "  \"version\": 1,\n"
              "  \"pages\": [\n"
              "    {\n"
              "      \"margins\": {\"bottom\": 40},\n"
              "      \"orientation\": \"landscape\",\n"
              "      \"objects\": [\n"
              "        {\n"
              "          \"type\": \"band\",\n"
              "          \"name\": \"Band1\",\n"
              "          \"band\": \"masterData\",\n"
              "          \"top\": 100,\n"
              "          \"height\": 20,\n"
              "          \"flags\": [\"stretched\", \"canSplit\"],\n"
              "          \"dataset\": \"righe\"\n"
              "        },\n"
              "        {\n"
              "          \"type\": \"memo\",\n"
              "          \"name\": \"Memo1\",\n"
              "          \"left\": 38,\n"
              "          \"top\": 102,\n"
              "          \"width\": 300,\n"
              "          \"height\": 18,\n"
              "          \"frame\": [\"top\", \"bottom\"],\n"
              "          \"fill\": \"#F4E8D8\",\n"
              "          \"format\": {\"category\": \"number\", \"index\": 3},\n"
              "          \"lines\": [\"Caff\xC3\xA8: [prezzo]\"],\n"
              "          \"font\": {\"size\": 12, \"style\": [\"bold\"]},\n"
              "          \"align\": [\"right\", \"middle\"]\n"
              "        }\n"
              "      ]\n"
              "    }\n"
              "  ],\n"
              "  \"values\": [{\"name\": \"Totale\", \"kind\": \"expression\", \"expression\": \"SUM(prezzo)\"}]\n"
              "}\n");
}

TEST_F(TemplateJson, AShortDocumentMeansTheTemplateTheEngineMakesWithItsDefaultsAndNames) {
    TcvReport report(nullptr);
    TcvPage& page = report.Pages().Pages(0);
    page.AddObject(std::make_unique<TcvMemoView>(&report));  // Memo1
    page.AddObject(std::make_unique<TcvMemoView>(&report)).Name = "memo2";
    auto& band = static_cast<TcvBandView&>(page.AddObject(std::make_unique<TcvBandView>(&report)));
    band.SetBandType(btPageHeader);
    page.AddObject(std::make_unique<TcvMemoView>(&report));  // Memo3: memo2 is taken, in any case
    report.Pages().Add().ChangePaper(256, 1000, 800, 0);
    ASSERT_EQ(page.Objects(3)->Name, "Memo3");
    const std::string document = R"({"format": "tessaly-template", "version": 1, "pages": [
        {"objects": [{"type": "memo"}, {"type": "memo", "name": "memo2"}, {"type": "band", "band": "pageHeader"},
                     {"type": "memo"}]},
        {"paper": "custom", "paperWidth": 1000, "paperHeight": 800}]})";
    EXPECT_EQ(JsonToTemplateStream(document), SavedBytes(report));
}

TEST_F(TemplateJson, AddInObjectsKeepTheirOwnBytes) {
    RegisterAddInObject(TcvViewClass{"TcvStampView", &ConstructView<TcvStampView>});
    TcvReport report(nullptr);
    auto& stamp = static_cast<TcvStampView&>(report.Pages().Pages(0).AddObject(std::make_unique<TcvStampView>(&report)));
    stamp.ObjectType = otAddIn;
    stamp.Ink = 42;
    stamp.Width = 50;
    const auto saved = SavedBytes(report);
    const std::string json = TemplateStreamToJson(saved);
    EXPECT_NE(json.find("\"class\": \"TcvStampView\",\n          \"name\": \"Stamp1\",\n          \"width\": 50,\n"
                        "          \"data\": \"KgAAAA==\"\n"),
              std::string::npos)
        << json;
    EXPECT_EQ(JsonToTemplateStream(json), saved);

    TcvReport back(nullptr);
    ASSERT_TRUE(LoadBytes(back, JsonToTemplateStream(R"({"format": "tessaly-template", "version": 1, "pages": [
        {"objects": [{"type": "addIn", "class": "TcvStampView", "data": "CQAAAA=="}]}]})")));
    auto* read = dynamic_cast<TcvStampView*>(back.Pages().Pages(0).Objects(0));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Ink, 9);
    EXPECT_EQ(read->Name, "Stamp1");
    ClearAddInObjects();
}

TEST_F(TemplateJson, DocumentsWithAMistakeAreRefusedWithTheirPlace) {
    const std::string head = R"({"format": "tessaly-template", "version": 1, )";  // 45 characters
    const struct {
        std::string document;
        const char* message;
    } cases[] = {
        {"{\"format\": \"tessaly-template\",\n  \"version\": 1 \"pages\": []}", "riga 2, colonna 16: atteso ',' o '}'."},
        {"[]", "riga 1, colonna 1: un modello in JSON \xE8 un oggetto: {\"format\": \"tessaly-template\", ...}."},
        {R"({"version": 1})", "riga 1, colonna 1: manca la chiave \"format\": un modello in JSON comincia con \"format\": "
                              "\"tessaly-template\"."},
        {R"({"format": "report", "version": 1})", "riga 1, colonna 12: \"format\" deve valere \"tessaly-template\"."},
        {R"({"format": "tessaly-template", "version": 2})",
         "riga 1, colonna 43: \"version\": questo programma legge la versione 1 del formato."},
        {head + R"("twoPasses": true})", "riga 1, colonna 46: chiave sconosciuta nel modello: \"twoPasses\"."},
        {head + R"("pages": [{"objects": [{"type": "memo", "colour": "#000000"}]}]})",
         "riga 1, colonna 86: chiave sconosciuta in un oggetto memo: \"colour\"."},
        {head + R"("pages": [{"objects": [{"type": "band", "band": "pageHeader", "font": {}}]}]})",
         "riga 1, colonna 108: chiave sconosciuta in un oggetto band: \"font\"."},
        {head + R"("pages": [{"objects": [{"type": "memo", "font": {"bold": true}}]}]})",
         "riga 1, colonna 95: chiave sconosciuta in \"font\": \"bold\"."},
        {head + R"("pages": [{"objects": [{"type": "chart"}]}]})",
         "riga 1, colonna 78: \"type\" deve essere memo, picture, band, subReport o addIn."},
        {head + R"("pages": [{"objects": [{"name": "x"}]}]})", "riga 1, colonna 69: manca la chiave \"type\" in un oggetto."},
        {head + R"("pages": [{"objects": [{"type": "band"}]}]})",
         "riga 1, colonna 69: manca la chiave \"band\" in un oggetto band."},
        {head + R"("pages": [{"objects": [{"type": "memo", "left": "10"}]}]})",
         "riga 1, colonna 94: \"left\" deve essere un numero intero."},
        {head + R"("pages": [{"objects": [{"type": "memo", "left": 10.5}]}]})",
         "riga 1, colonna 94: \"left\" deve essere un numero intero."},
        {head + R"("pages": [{"objects": [{"type": "memo", "width": 2147483648}]}]})",
         "riga 1, colonna 95: \"width\": 2147483648 non \xE8 tra -2147483648 e 2147483647."},
        {head + R"("pages": [{"objects": [{"type": "memo", "frameStyle": -1}]}]})",
         "riga 1, colonna 100: \"frameStyle\": -1 non \xE8 tra 0 e 65535."},
        {head + R"("pages": [{"orientation": "sideways"}]})",
         "riga 1, colonna 72: \"orientation\": \"sideways\" non \xE8 un valore ammesso (portrait, landscape)."},
        {head + R"("pages": [{"objects": [{"type": "memo", "frame": ["left", "middle"]}]}]})",
         "riga 1, colonna 104: \"frame\": \"middle\" non \xE8 un valore ammesso (left, top, right, bottom)."},
        {head + R"("pages": [{"objects": [{"type": "memo", "align": ["left", "right"]}]}]})",
         "riga 1, colonna 104: \"align\": \"right\" contrasta con un valore precedente."},
        {head + R"("pages": [{"objects": [{"type": "memo", "fill": "#12345"}]}]})",
         "riga 1, colonna 94: \"fill\": un colore si scrive \"#RRGGBB\" (cifre esadecimali)."},
        {head + R"("pages": [{"objects": [{"type": "memo", "lines": ["a", 2]}]}]})",
         "riga 1, colonna 101: \"lines\" deve essere un testo."},
        {head + R"("pages": [{"objects": [{"type": "memo", "lines": ["\u0416"]}]}]})",
         "riga 1, colonna 96: \"lines\": il testo ha caratteri che un modello non pu\xF2 contenere (Windows-1252)."},
        {head + R"("values": [{"name": ")" + std::string(256, 'n') + "\"}]}",
         "riga 1, colonna 66: \"name\": il testo supera i 255 caratteri."},
        {head + R"("pages": [{"objects": [{"type": "picture", "picture": {"kind": "jpeg", "data": "AB!="}}]}]})",
         "riga 1, colonna 125: \"data\": il testo non \xE8 base64 valido."},
        {head + R"("pages": [{"objects": [{"type": "subReport", "subPage": 2}]}]})",
         "riga 1, colonna 102: \"subPage\": la pagina 2 non esiste (il modello ne ha 1)."},
        {head + R"("pages": [{"objects": [{"type": "subReport", "subPage": 1}]}, {}]})",
         "riga 1, colonna 102: \"subPage\": un sottoreport non pu\xF2 mostrare la pagina in cui si trova."},
        {head + "\"pages\": [{\"objects\": [{\"type\": \"memo\", \"name\": \"Totale\"}]},\n"
                "  {\"objects\": [{\"type\": \"band\", \"band\": \"none\", \"name\": \"TOTALE\"}]}]}",
         "riga 2, colonna 57: due oggetti con il nome \"TOTALE\" (l'altro a riga 1, colonna 94)."},
        {head + R"("values": [{"name": "v", "kind": "field", "expression": "1"}]})",
         "riga 1, colonna 88: chiave sconosciuta in un valore: \"expression\"."},
        {head + R"("values": [{"name": "v", "kind": [3]}]})",
         "riga 1, colonna 79: \"kind\" deve essere un nome o una coppia [tipo, altro tipo]."},
        {head + R"("datasets": [{"name": "d", "filter": "x > 1"}]})",
         "riga 1, colonna 73: chiave sconosciuta in un dataset: \"filter\"."},
        {head + R"("datasets": [{"dataset": "Dati.x"}]})", "riga 1, colonna 59: manca la chiave \"name\" in un dataset."},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.document), c.message) << c.document;

    std::string pages = head + "\"pages\": [";
    for (int i = 0; i < 256; ++i) pages += "{},";
    EXPECT_EQ(ErrorOf(pages + "{\"objects\": [{\"type\": \"memo\"}]}]}"),
              "riga 1, colonna 825: solo le prime 256 pagine di un modello possono avere oggetti.");
}
