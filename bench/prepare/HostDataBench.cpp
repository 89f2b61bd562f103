// bench_host_data: the 10,000-row listing of bench_prepare prepared over a host's own data (its
// rows in memory, given as Qt values, and a table model such as a QTableView shows) against the
// same rows in a SQLite file, the engine's own back end, in the same run. Goal: each within 1.5
// times the time over SQLite.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "bench/common/MedianReporter.h"
#include "bench/common/OffscreenApp.h"
#include "bench/prepare/ListingLayout.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/data/ItemModelDataset.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/SqlDataset.h"
#include "platform/text/FormatSettings.h"

namespace {

using namespace tessaly;

// A host's table model over its rows, the least a model does.
class RowsModel : public QAbstractTableModel {
public:
    RowsModel() {
        for (const data::FieldDef& column : bench::ListingColumns()) headers_ << QString::fromLatin1(column.name);
        for (int i = 1; i <= bench::kListingRows; ++i) rows_.push_back(bench::ListingRow(i));
    }
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(rows_.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(headers_.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole || role == Qt::EditRole ? rows_[size_t(index.row())][index.column()] : QVariant();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        return orientation == Qt::Horizontal && role == Qt::DisplayRole ? headers_.value(section) : QVariant();
    }

private:
    QStringList headers_;
    std::vector<QVariantList> rows_;
};

// The rows in a SQLite file, its columns declared with their kinds.
std::string WriteSqliteFile(const QString& file) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-listing");
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        q.exec("CREATE TABLE righe (codice TEXT, descrizione TEXT, quantita INTEGER, prezzo REAL, data DATE, note TEXT)");
        db.transaction();
        q.prepare("INSERT INTO righe VALUES (?, ?, ?, ?, ?, ?)");
        for (int i = 1; i <= bench::kListingRows; ++i) {
            const QVariantList row = bench::ListingRow(i);
            for (int c = 0; c < row.size(); ++c) q.bindValue(c, row[c]);
            q.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase("bench-listing");
    return file.toStdString();
}

enum class Source { Sqlite, Memory, Model };

data::Dataset* MakeRows(Source source, TComponent& owner, RowsModel& model, const std::string& sqliteFile) {
    if (source == Source::Model) return new data::ItemModelDataset(&model, &owner);
    if (source == Source::Sqlite) {
        auto* table = new data::SqlDataset(data::Database::Open(sqliteFile), &owner);
        table->SetTableName("righe");
        return table;
    }
    auto* memory = new data::MemoryDataset(&owner, bench::ListingColumns());
    for (int i = 1; i <= bench::kListingRows; ++i) memory->AppendQtRow(bench::ListingRow(i));
    return memory;
}

void Prepare(benchmark::State& state, Source source) {
    EngineUnits units(nullptr);
    FormatSettingsScope italian(FormatSettings::Italian());
    QTemporaryDir folder;
    const std::string file = source == Source::Sqlite ? WriteSqliteFile(folder.filePath("righe.sqlite")) : "";
    RowsModel model;
    TComponent owner(nullptr);
    auto* report = new TcvReport(&owner);
    bench::AddListing(*report, *MakeRows(source, owner, model, file), false);
    for (auto _ : state)
        if (!report->PrepareReport()) state.SkipWithError(report->PreparationErrorText().c_str());
    state.counters["pages"] = double(report->EMFPages().Count());
}

void OverSqlite(benchmark::State& state) { Prepare(state, Source::Sqlite); }
void OverMemory(benchmark::State& state) { Prepare(state, Source::Memory); }
void OverModel(benchmark::State& state) { Prepare(state, Source::Model); }
BENCHMARK(OverSqlite)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(OverMemory)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(OverModel)->Unit(benchmark::kMillisecond)->MinTime(2);

class RatioReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const double sqlite = RealTime("OverSqlite");
        if (sqlite <= 0) return;
        std::printf("%.0f pages of %d rows; time against SQLite: rows in memory %.2f, table model %.2f (goal <= 1.5)\n",
                    CounterValue("OverSqlite", "pages"), bench::kListingRows, RealTime("OverMemory") / sqlite,
                    RealTime("OverModel") / sqlite);
    }
};

}  // namespace

int main(int argc, char** argv) {
    tessaly::bench::OffscreenApp app(argv[0]);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
