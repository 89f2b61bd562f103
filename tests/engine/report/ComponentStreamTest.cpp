#include <gtest/gtest.h>

#include "common/EngineSupport.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Component.h"
#include "engine/model/ModelSupport.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

using namespace tessaly;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list) v.push_back(static_cast<uint8_t>(b));
    return v;
}

void Append(std::vector<uint8_t>& v, const std::string& s) { v.insert(v.end(), s.begin(), s.end()); }

// Signature, class name and component name of a report called "cvReportView".
std::vector<uint8_t> Head() {
    std::vector<uint8_t> v;
    Append(v, "TCS1");
    v.push_back(9);
    Append(v, "TcvReport");
    v.push_back(12);
    Append(v, "cvReportView");
    return v;
}

std::vector<uint8_t> Written(TcvReport& report) {
    MemoryStream m;
    WriteComponentStream(m, report);
    return m.Data();
}

class ComponentStreamTest : public ::testing::Test {
protected:
    ComponentStreamTest() { report.SetName("cvReportView"); }
    tessaly::testing::TempFolder folder{"stream"};
    EngineUnits units{nullptr};
    TcvReport report{nullptr};
};

}  // namespace

TEST_F(ComponentStreamTest, ADefaultReportStoresOnlyItsPixelsPerInch) {
    report.SetPixelsPerInch(96);
    std::vector<uint8_t> expected = Head();
    expected.push_back(13);
    Append(expected, "PixelsPerInch");
    auto tail = Bytes({1, 96, 0, 0, 0, 0});
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Written(report), expected);
}

TEST_F(ComponentStreamTest, DataLinesAreStoredAsACountAndLengthPrefixedLines) {
    report.SetPixelsPerInch(120);
    report.DataLines().Add("ab");
    report.DataLines().Add("");
    report.DataLines().Add(std::string(300, 'x'));  // a line keeps at most 255 bytes
    std::vector<uint8_t> expected = Head();
    expected.push_back(4);
    Append(expected, "Data");
    auto data = Bytes({6, 4 + 1 + 2 + 1 + 1 + 255, 1, 0, 0, 3, 0, 0, 0, 2, 'a', 'b', 0, 255});
    expected.insert(expected.end(), data.begin(), data.end());
    Append(expected, std::string(255, 'x'));
    expected.push_back(13);
    Append(expected, "PixelsPerInch");
    auto tail = Bytes({1, 120, 0, 0, 0, 0});
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Written(report), expected);

    TcvReport copy(nullptr);
    MemoryStream m(Written(report));
    ReadComponentStream(m, copy);
    ASSERT_EQ(copy.DataLines().Count(), 3);
    EXPECT_EQ(copy.DataLines()[0], "ab");
    EXPECT_EQ(copy.DataLines()[1], "");
    EXPECT_EQ(copy.DataLines()[2], std::string(255, 'x'));
    EXPECT_EQ(copy.PixelsPerInch(), 120);
    EXPECT_EQ(copy.Name(), "cvReportView");
}

TEST_F(ComponentStreamTest, EveryPublishedPropertyComesBackAsStored) {
    report.SetShowProgress(false);
    report.SetTemplateDir("modelli");
    report.SetTitle("Vendite \x80");
    report.SetDisableDataSetControls(false);
    report.SetModalPreview(false);
    report.SetReportDir(folder.Path().string());
    report.SetPathFromExe("../modelli");
    report.SetScaled(false);
    report.SetDesignerOptions(0);
    report.SetPixelsPerInch(144);

    TcvReport copy(nullptr);
    MemoryStream m(Written(report));
    ReadComponentStream(m, copy);
    EXPECT_FALSE(copy.ShowProgress());
    EXPECT_EQ(copy.TemplateDir(), "modelli");
    EXPECT_EQ(copy.Title(), "Vendite \x80");
    EXPECT_FALSE(copy.DisableDataSetControls());
    EXPECT_FALSE(copy.ModalPreview());
    EXPECT_EQ(copy.ReportDir(), folder.Path().string());
    EXPECT_EQ(copy.PathFromExe(), "../modelli");
    EXPECT_FALSE(copy.Scaled());
    EXPECT_EQ(copy.DesignerOptions(), 0);
    EXPECT_EQ(copy.PixelsPerInch(), 144);
    EXPECT_TRUE(copy.DataLines().Empty());
    EXPECT_EQ(m.Remaining(), 0);
}

TEST_F(ComponentStreamTest, ReadingAnAutoLoadNameLoadsTheTemplate) {
    report.SetReportDir(folder.Path().string());
    MemoryStream m;
    TWriter w(m);
    // Written by hand: a report whose template does not exist.
    m.WriteBuffer("TCS1", 4);
    m.WriteU8(9);
    m.WriteString("TcvReport");
    m.WriteU8(1);
    m.WriteString("R");
    w.WriteString("ReportDir", folder.Path().string());
    w.WriteString("AutoLoad", "assente");
    m.WriteU8(0);
    m.SetPosition(0);
    TcvReport copy(nullptr);
    try {
        ReadComponentStream(m, copy);
        FAIL() << "the missing template must be reported";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message().rfind("Error reading R.AutoLoad: Si \xE8 tentato di caricare da disco il report 'R'.", 0), 0u)
            << e.what();
    }
}

TEST_F(ComponentStreamTest, AnAutoLoadedTemplateThatFailsToLoadStopsTheReadSilently) {
    tessaly::testing::OldStream good(29);
    good.Header();
    good.PagesHeader();
    good.PageRecord({});
    good.PageRecord({});
    tessaly::testing::WriteFile(folder / "buono.cvf", good.Bytes());
    tessaly::testing::WriteFile(folder / "rotto.cvf", std::vector<uint8_t>{29, 0, 0, 0});
    for (const char* name : {"buono", "rotto"}) {
        SCOPED_TRACE(name);
        MemoryStream m;
        TcvReport source(nullptr);
        source.SetName("R");
        source.SetReportDir(folder.Path().string());
        TWriter(m).WriteComponent(source);
        // The AutoLoad property goes after the folder, as the writer puts it.
        m.SetSize(m.Size() - 1);
        TWriter(m).WriteString("AutoLoad", name);
        m.WriteU8(0);
        m.SetPosition(0);
        TcvReport copy(nullptr);
        tessaly::testing::CaughtMessages messages;
        if (std::string(name) == "buono") {
            ReadComponentStream(m, copy);
            EXPECT_EQ(copy.Pages().Count(), 2);
        } else {
            EXPECT_THROW(ReadComponentStream(m, copy), EAbort) << "the loading message was shown: nothing more";
            EXPECT_EQ(messages.lines.size(), 1u);
            EXPECT_EQ(copy.Pages().Count(), 1);
        }
    }
}

TEST_F(ComponentStreamTest, DamagedStreamsFailWithAReadError) {
    report.SetTitle("Vendite");
    report.DataLines().Add("riga");
    std::vector<uint8_t> good = Written(report);
    // Every truncation fails cleanly.
    for (size_t n = 0; n < good.size(); ++n) {
        TcvReport copy(nullptr);
        MemoryStream m(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
        EXPECT_THROW(ReadComponentStream(m, copy), EReadError) << n;
    }

    struct Case {
        const char* what;
        std::vector<uint8_t> tail;
        const char* message;
    } cases[] = {
        {"unknown property", Bytes({3, 'F', 'o', 'o', 1, 0, 0, 0, 0, 0}),
         "Error reading cvReportView.Foo: Property Foo does not exist"},
        {"wrong kind", Bytes({5, 'T', 'i', 't', 'l', 'e', 1, 0, 0, 0, 0, 0}),
         "Error reading cvReportView.Title: Invalid property value"},
        {"unknown kind", Bytes({5, 'T', 'i', 't', 'l', 'e', 99, 0}),
         "Error reading cvReportView.Title: Invalid property value"},
        {"huge string", Bytes({5, 'T', 'i', 't', 'l', 'e', 2, 0xFF, 0xFF, 0xFF, 0x7F, 0}),
         "Error reading cvReportView.Title: Stream read error"},
        {"huge binary", Bytes({4, 'D', 'a', 't', 'a', 6, 0xFF, 0xFF, 0xFF, 0xFF, 0}),
         "Error reading cvReportView.Data: Stream read error"},
        {"line count beyond the data", Bytes({4, 'D', 'a', 't', 'a', 6, 4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}),
         "Error reading cvReportView.Data: Stream read error"},
        {"line beyond the data", Bytes({4, 'D', 'a', 't', 'a', 6, 6, 0, 0, 0, 1, 0, 0, 0, 9, 'x', 0}),
         "Error reading cvReportView.Data: Stream read error"},
        {"unknown option", Bytes({15, 'D', 'e', 's', 'i', 'g', 'n', 'e', 'r', 'O', 'p', 't', 'i', 'o', 'n', 's', 5, 1,
                                  2, 'd', 'o', 0}),
         "Error reading cvReportView.DesignerOptions: Invalid property value"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = Head();
        bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
        TcvReport copy(nullptr);
        MemoryStream m(bytes);
        try {
            ReadComponentStream(m, copy);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
    }

    TcvReport other(nullptr);
    std::vector<uint8_t> wrongClass = good;
    wrongClass[5] = 'X';
    MemoryStream m(wrongClass);
    EXPECT_THROW(ReadComponentStream(m, other), EReadError);
}

TEST(ComponentStream, CollectionsNestAndUnknownItemPropertiesAreSkipped) {
    MemoryStream m;
    TWriter w(m);
    w.BeginCollection("Values");
    for (int i = 0; i < 3; ++i) {
        w.BeginItem();
        w.WriteString("Name", "v" + std::to_string(i));
        w.WriteInteger("Kind", i);
        w.WriteSet("Extra", {"a", "b"});
        w.BeginCollection("Inner");
        w.BeginItem();
        w.WriteBoolean("On", true);
        w.EndItem();
        w.EndCollection();
        w.EndItem();
    }
    w.EndCollection();
    m.WriteU8(0x55);  // what follows the collection

    m.SetPosition(0);
    TReader r(m);
    // The property name was read by the caller.
    m.SetPosition(1 + 6);
    std::vector<std::pair<std::string, int>> items;
    r.ReadCollection([&](TReader& reader) {
        std::string n;
        int kind = -1;
        std::string prop;
        while (reader.NextProperty(prop)) {
            if (prop == "Name")
                n = reader.ReadString();
            else if (prop == "Kind")
                kind = reader.ReadInteger();
            else
                reader.SkipValue();
        }
        items.emplace_back(n, kind);
    });
    EXPECT_EQ(items, (std::vector<std::pair<std::string, int>>{{"v0", 0}, {"v1", 1}, {"v2", 2}}));
    EXPECT_EQ(m.ReadU8(), 0x55);
}

TEST(ComponentStream, DeeplyNestedCollectionsAreRefused) {
    MemoryStream m;
    m.WriteU8(7);
    for (int i = 0; i < 100; ++i) {
        m.WriteU8(1);
        m.WriteU8(1);
        m.WriteString("C");
        m.WriteU8(7);
    }
    m.SetPosition(0);
    TReader r(m);
    EXPECT_THROW(r.SkipValue(), EReadError);
}

TEST(Component, OwnedComponentsGoWithTheirOwnerAndNameItsFullName) {
    struct Probe : TComponent {
        Probe(TComponent* owner, int* deaths) : TComponent(owner), deaths(deaths) {}
        ~Probe() override { ++*deaths; }
        int* deaths;
    };
    int deaths = 0;
    auto* form = new TComponent(nullptr);
    form->SetName("FormTessaly");
    auto* a = new Probe(form, &deaths);
    a->SetName("cvReportView");
    new Probe(form, &deaths);
    EXPECT_EQ(a->FullName(), "FormTessaly.cvReportView");
    EXPECT_EQ(form->FullName(), "FormTessaly");
    EXPECT_EQ(form->ComponentCount(), 2);
    delete a;
    EXPECT_EQ(form->ComponentCount(), 1);
    delete form;
    EXPECT_EQ(deaths, 2);
}

TEST(Values, TheReportStoresThemAsValuesDataOnlyWhenThereAreAny) {
    EngineUnits units(nullptr);
    TcvReport report(nullptr);
    MemoryStream empty;
    WriteComponentStream(empty, report);
    const std::string emptyText(empty.Data().begin(), empty.Data().end());
    EXPECT_EQ(emptyText.find("Values.Data"), std::string::npos);

    const int total = report.Values().AddValue();
    report.Values().SetName(total, "Totale");
    report.Values().Items(total).Kind = vkOther;
    report.Values().Items(total).OtherKind = 8;
    MemoryStream stored;
    WriteComponentStream(stored, report);
    TcvReport copy(nullptr);
    stored.Seek(0, SeekOrigin::Begin);
    ReadComponentStream(stored, copy);
    ASSERT_EQ(copy.Values().Count(), 1);
    EXPECT_EQ(copy.Values().Names(0), "Totale");
    EXPECT_EQ(copy.Values().Items(0).OtherKind, 8);
    copy.Clear();
    EXPECT_EQ(copy.Values().Count(), 0);
}
