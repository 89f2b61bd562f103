// bench_data_walk: a report's walk over a 1,000,000-row SQLite table (open, first, then next to the
// end, reading three fields of every record as field values) against the same walk with the plain
// SQLite library in the same run. Prints rows per second and peak memory of both, and the table's
// size on disk. Goals: at least half the plain library's speed; peak memory at most twice the
// table's size. For the record, the walk through QtSql's SQLite driver too.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/common/MedianReporter.h"
#include "platform/data/SqlDataset.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRows = 1000000;

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Sales: id, customer, date (ISO text), amount, quantity.
void MakeTable(const fs::path& file) {
    fs::remove(file);
    sqlite3* db;
    Check(sqlite3_open(file.c_str(), &db), db);
    Check(sqlite3_exec(db,
                       "PRAGMA journal_mode = OFF; CREATE TABLE vendite(id INTEGER PRIMARY KEY,"
                       " cliente VARCHAR(40), data DATE, importo REAL, quantita INTEGER); BEGIN",
                       nullptr, nullptr, nullptr),
          db);
    sqlite3_stmt* insert;
    Check(sqlite3_prepare_v2(db, "INSERT INTO vendite VALUES(?, ?, ?, ?, ?)", -1, &insert, nullptr), db);
    char customer[48], date[16];
    for (int i = 1; i <= kRows; ++i) {
        std::snprintf(customer, sizeof customer, "Cliente %07d", i);
        std::snprintf(date, sizeof date, "20%02d-%02d-%02d", i % 25, i % 12 + 1, i % 28 + 1);
        sqlite3_bind_int(insert, 1, i);
        sqlite3_bind_text(insert, 2, customer, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, date, -1, SQLITE_STATIC);
        sqlite3_bind_double(insert, 4, i * 1.25);
        sqlite3_bind_int(insert, 5, i % 17);
        Check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

const fs::path& TableFile() {
    static const fs::path file = [] {
        const fs::path f = fs::temp_directory_path() / ("tessaly-bench-walk-" + std::to_string(getpid()) + ".db");
        MakeTable(f);
        return f;
    }();
    return file;
}

// Peak resident memory since the last reset, in MB.
void ResetPeakMemory() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}
double PeakMemoryMB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1024;
    return 0;
}

void Report(benchmark::State& state, int64_t rows) {
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = PeakMemoryMB();
}

void DatasetWalk(benchmark::State& state) {
    const std::string file = TableFile().string();
    int64_t rows = 0;
    ResetPeakMemory();
    for (auto _ : state) {
        tessaly::data::SqlDataset ds(tessaly::data::Database::Open(file), nullptr);
        ds.SetTableName("vendite");
        ds.Open();
        const tessaly::data::Field* fields[] = {ds.FindField("cliente"), ds.FindField("data"), ds.FindField("importo")};
        for (ds.First(); !ds.Eof(); ds.Next(), ++rows)
            for (const auto* f : fields) benchmark::DoNotOptimize(f->Value());
    }
    Report(state, rows);
}

void PlainSqliteWalk(benchmark::State& state) {
    const std::string file = TableFile().string();
    int64_t rows = 0;
    ResetPeakMemory();
    for (auto _ : state) {
        sqlite3* db;
        // Opened as the dataset opens it: read-only, without the per-call lock.
        Check(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr), db);
        sqlite3_stmt* stmt;
        Check(sqlite3_prepare_v2(db, "SELECT * FROM vendite", -1, &stmt, nullptr), db);
        std::string customer, date;  // the texts are read into the program's own strings
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            customer.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), sqlite3_column_bytes(stmt, 1));
            date.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)), sqlite3_column_bytes(stmt, 2));
            benchmark::DoNotOptimize(customer.data());
            benchmark::DoNotOptimize(date.data());
            benchmark::DoNotOptimize(sqlite3_column_double(stmt, 3));
            ++rows;
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
    Report(state, rows);
}

// The same walk through QtSql's SQLite driver, which the SQLite back end does not use: the figure
// that decided it.
void QtSqlWalk(benchmark::State& state) {
    const QString file = QString::fromStdString(TableFile().string());
    int64_t rows = 0;
    ResetPeakMemory();
    for (auto _ : state) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "walk");
            db.setDatabaseName(file);
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
            if (!db.open()) return state.SkipWithError("QtSql cannot open the table");
            QSqlQuery query(db);
            query.setForwardOnly(true);
            query.exec("SELECT * FROM vendite");
            std::string customer, date;
            while (query.next()) {
                customer = query.value(1).toString().toStdString();
                date = query.value(2).toString().toStdString();
                benchmark::DoNotOptimize(customer.data());
                benchmark::DoNotOptimize(date.data());
                benchmark::DoNotOptimize(query.value(3).toDouble());
                ++rows;
            }
        }
        QSqlDatabase::removeDatabase("walk");
    }
    Report(state, rows);
}

BENCHMARK(DatasetWalk)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(PlainSqliteWalk)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(QtSqlWalk)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

class WalkReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        const double dataset = CounterValue("DatasetWalk", "rows/s");
        const double plain = CounterValue("PlainSqliteWalk", "rows/s");
        const double table = static_cast<double>(fs::file_size(TableFile())) / (1 << 20);
        const double peak = CounterValue("DatasetWalk", "peak_MB");
        if (dataset <= 0 || plain <= 0) return;
        std::printf("dataset walk %.0f rows/s, plain SQLite %.0f rows/s, ratio %.2f (goal >= 0.5)\n", dataset, plain,
                    dataset / plain);
        const double qt = CounterValue("QtSqlWalk", "rows/s");
        if (qt > 0) std::printf("QtSql's SQLite driver %.0f rows/s, ratio %.2f\n", qt, qt / plain);
        std::printf("peak memory: dataset walk %.1f MB, plain SQLite %.1f MB; table %.1f MB on disk, "
                    "ratio %.2f (goal <= 2)\n",
                    peak, CounterValue("PlainSqliteWalk", "peak_MB"), table, peak / table);
    }
};

}  // namespace

int main(int argc, char** argv) {
    // The walks' repetitions take turns, so that a busy moment of the machine weighs on all.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    WalkReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!TableFile().empty()) fs::remove(TableFile());
    return 0;
}
