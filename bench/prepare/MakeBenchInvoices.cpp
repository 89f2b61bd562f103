// The database of the prepare-many benchmark: the invoice example's database with its invoices
// repeated (their lines too, new ids and numbers) up to COUNT invoices, or cut down to them.
// make_bench_invoices IN.sqlite OUT.sqlite COUNT
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr char kRepeat[] =
    "CREATE TEMP TABLE base AS SELECT MAX(id) AS n FROM invoices;"
    "WITH RECURSIVE copies(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM copies WHERE k * (SELECT n FROM base) < %d)"
    "INSERT INTO invoice_lines SELECT l.id + k * 100000, l.invoice_id + k * (SELECT n FROM base), l.product_id,"
    " l.quantity, l.price, l.discount FROM invoice_lines l, copies;"
    "WITH RECURSIVE copies(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM copies WHERE k * (SELECT n FROM base) < %d)"
    "INSERT INTO invoices SELECT i.id + k * (SELECT n FROM base), i.number || '-' || k, i.customer_id, i.date,"
    " i.payment, i.notes FROM invoices i, copies;"
    "DELETE FROM invoice_lines WHERE invoice_id > %d; DELETE FROM invoices WHERE id > %d;";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::atoi(argv[3]) < 1) {
        std::fprintf(stderr, "uso: make_bench_invoices IN.sqlite OUT.sqlite COUNT\n");
        return 2;
    }
    const int count = std::atoi(argv[3]);
    std::filesystem::copy_file(argv[1], argv[2], std::filesystem::copy_options::overwrite_existing);
    char sql[sizeof kRepeat + 64];
    std::snprintf(sql, sizeof sql, kRepeat, count, count, count, count);
    sqlite3* db = nullptr;
    char* error = nullptr;
    const bool done = sqlite3_open(argv[2], &db) == SQLITE_OK && sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK;
    if (!done) std::fprintf(stderr, "%s\n", error ? error : sqlite3_errmsg(db));
    sqlite3_free(error);
    sqlite3_close(db);
    return done ? 0 : 1;
}
