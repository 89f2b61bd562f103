#include "examples/TemplateKit.h"

#include <sqlite3.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "engine/data/CV_Dataset.h"
#include "engine/model/CV_Page.h"
#include "platform/core/Errors.h"
#include "platform/data/Dataset.h"
#include "platform/data/ModuleRegistry.h"
#include "platform/graphics/JpegImage.h"

namespace examples {

uint32_t Money() { return WithCategory(WithIndex(WithDecimals(WithSeparator(0, ','), 2), 3), fcNumber); }

namespace {

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE) throw EngineError(sqlite3_errmsg(db));
}

void StoreQueries(sqlite3* db, const Queries& queries) {
    Check(sqlite3_exec(db, "CREATE TABLE report_queries (name TEXT PRIMARY KEY, sql TEXT NOT NULL)", nullptr, nullptr,
                       nullptr),
          db);
    for (const auto& [name, sql] : queries) {
        sqlite3_stmt* insert = nullptr;
        Check(sqlite3_prepare_v2(db, "INSERT INTO report_queries VALUES (?, ?)", -1, &insert, nullptr), db);
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, sql.c_str(), -1, SQLITE_TRANSIENT);
        const int rc = sqlite3_step(insert);
        sqlite3_finalize(insert);
        Check(rc, db);
    }
}

}  // namespace

void MakeCompanionDatabase(const fs::path& demo, const fs::path& database, const Queries& queries) {
    fs::copy_file(demo, database, fs::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(database.string().c_str(), &db);
    try {
        Check(rc, db);
        StoreQueries(db, queries);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

// A blue rounded square with a white "T" and the firm's name beside it.
graphics::Picture Logo() {
    QImage image(360, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath square;
    square.addRoundedRect(8, 8, 104, 104, 18, 18);
    p.fillPath(square, QColor(0x1f, 0x4e, 0x8c));
    QFont font("Liberation Sans");
    font.setPixelSize(80);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(8, 8, 104, 104), Qt::AlignCenter, "T");
    font.setPixelSize(30);
    p.setFont(font);
    p.setPen(QColor(0x1f, 0x4e, 0x8c));
    p.drawText(QRect(126, 20, 230, 40), Qt::AlignLeft | Qt::AlignVCenter, "Tessaly");
    font.setPixelSize(17);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(0x55, 0x55, 0x55));
    p.drawText(QRect(126, 62, 230, 40), Qt::AlignLeft | Qt::AlignVCenter, "forniture per ufficio");
    p.end();
    return graphics::Picture::Load(graphics::PictureKind::Jpeg, graphics::EncodeJpeg(image));
}

Template::Template(const fs::path& database)
    : module_(std::make_unique<data::DatabaseModule>(data::Database::Open(database.string()), nullptr)) {
    module_->SetName("Dati");
    data::ApplicationModules().AddDataModule(*module_);
    report_ = new TcvReport(module_.get());
}

Template::~Template() = default;  // the module frees the report before its datasets

void Template::OnPage(int index) { page_ = index; }

TcvPage& Template::CurrentPage() {
    while (report_->Pages().Count() <= page_) report_->Pages().Add();
    return report_->Pages().Pages(page_);
}

void Template::Dataset(const char* name, const char* filter) {
    auto* walker = new TcvDBDataSet(nullptr);
    walker->SetName(name);
    auto* dataset = dynamic_cast<data::Dataset*>(module_->FindComponent(name));
    if (!dataset) throw EngineError(std::string("no dataset ") + name);
    walker->SetDataSet(dataset);
    walker->Filter = filter;
    walker->Filtered = *filter != '\0';
    report_->AddDataset(name, walker);
}

TcvBandView& Template::Band(int type, int top, int height, const std::string& formatText, uint16_t flags) {
    auto view = std::make_unique<TcvBandView>(report_);
    view->SetBandType(uint8_t(type));
    view->Top = top, view->Width = 794, view->Height = height;
    view->FormatText = formatText;
    view->Flags = flags;
    return Add(std::move(view));
}

TcvMemoView& Template::Text(int left, int top, int width, int height, const std::string& text, uint32_t align,
                            uint8_t style, int size) {
    auto memo = std::make_unique<TcvMemoView>(report_);
    memo->Left = left, memo->Top = top, memo->Width = width, memo->Height = height;
    memo->MemoLines.Add(text);
    memo->Alignment = align | taMiddle;
    memo->Font.Style = style;
    memo->Font.Size = size;
    return Add(std::move(memo));
}

TcvPictureView& Template::Picture(int left, int top, int width, int height, const graphics::Picture& picture) {
    auto view = std::make_unique<TcvPictureView>(report_);
    view->Left = left, view->Top = top, view->Width = width, view->Height = height;
    view->Picture = picture;
    return Add(std::move(view));
}

TcvSubReportView& Template::SubReport(int left, int top, int width, int height, int subPage) {
    auto view = std::make_unique<TcvSubReportView>(report_);
    view->Left = left, view->Top = top, view->Width = width, view->Height = height;
    view->SubPage = subPage;
    return Add(std::move(view));
}

void Template::Headings(int top, const std::vector<Column>& columns) {
    for (const Column& c : columns) {
        TcvMemoView& t = Text(c.left, top, c.width, 22, c.heading, c.align, emf::fsBold);
        t.FillColor = kHeading;
        t.FrameSides = fsBottom | fsTop;
    }
}

void Template::Row(int top, const std::vector<Column>& columns, int size) {
    for (const Column& c : columns) {
        TcvMemoView& t = Text(c.left, top, c.width, 18, c.field, c.align, 0, size);
        t.FrameSides = fsBottom;
        t.FrameColor = kRule;
        if (c.align == taRight && c.money) t.Format = Money();
    }
}

}  // namespace examples
