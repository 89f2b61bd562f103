// The demo database of the examples (examples/demo.sqlite, made by the build) as reports read it:
// the schema that the example templates and examples/README.md rely on, rows that hang together,
// and a generator that gives the same bytes every time.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "common/TestFiles.h"

using tessaly::testing::CliResult;
using tessaly::testing::RunCli;
using tessaly::testing::RunShell;

namespace {

const std::string kDemo = std::string(TESSALY_SOURCE_DIR) + "/examples/demo.sqlite";

// The first record of a query, as `tessaly-cli data` writes it.
std::string FirstRecord(const std::string& sql) {
    CliResult r = RunCli("data '" + kDemo + "' --first 1 --sql \"" + sql + "\"");
    EXPECT_EQ(r.exitCode, 0) << sql << "\n" << r.err;
    const size_t at = r.out.find("record 1: ");
    return at == std::string::npos ? "(no record)" : r.out.substr(at + 10, r.out.find('\n', at) - at - 10);
}

}  // namespace

TEST(DemoDatabase, HasTheDocumentedTablesAndFieldKinds) {
    struct Case {
        const char* table;
        const char* fields;
    } cases[] = {
        {"customers",
         "fields: 7\nfield 1: id integer\nfield 2: name string\nfield 3: address string\nfield 4: city string\n"
         "field 5: province string\nfield 6: postcode string\nfield 7: phone string\nrecords: 40\n"},
        {"products",
         "fields: 7\nfield 1: id integer\nfield 2: code string\nfield 3: description string\n"
         "field 4: category string\nfield 5: unit string\nfield 6: price currency\nfield 7: vat_rate integer\n"
         "records: 36\n"},
        {"invoices",
         "fields: 6\nfield 1: id integer\nfield 2: number string\nfield 3: customer_id integer\n"
         "field 4: date datetime\nfield 5: payment string\nfield 6: notes string\nrecords: 80\n"},
        {"invoice_lines",
         "fields: 6\nfield 1: id integer\nfield 2: invoice_id integer\nfield 3: product_id integer\n"
         "field 4: quantity integer\nfield 5: price currency\nfield 6: discount currency\nrecords: 306\n"},
    };
    EXPECT_EQ(RunCli("data '" + kDemo + "'").out, "table customers\ntable invoice_lines\ntable invoices\ntable products\n");
    for (const Case& c : cases) {
        CliResult r = RunCli("data '" + kDemo + "' " + c.table + " --first 0");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.fields) << c.table;
    }
}

TEST(DemoDatabase, RowsHangTogether) {
    struct Case {
        const char* what;
        const char* sql;
        const char* record;
    } cases[] = {
        {"lines whose invoice or product is missing",
         "SELECT COUNT(*) FROM invoice_lines l WHERE l.invoice_id NOT IN (SELECT id FROM invoices)"
         " OR l.product_id NOT IN (SELECT id FROM products)", "0"},
        {"invoices whose customer is missing", "SELECT COUNT(*) FROM invoices WHERE customer_id NOT IN (SELECT id FROM customers)", "0"},
        {"fewest and most lines of an invoice (one page each)",
         "SELECT MIN(n), MAX(n) FROM (SELECT COUNT(l.id) AS n FROM invoices i LEFT JOIN invoice_lines l"
         " ON l.invoice_id = i.id GROUP BY i.id)", "1\t7"},
        {"customers without an invoice",
         "SELECT group_concat(id) FROM customers WHERE id NOT IN (SELECT customer_id FROM invoices)", "38,39,40"},
        {"dates stored as ISO text, in the order of the numbers",
         "SELECT COUNT(*) FROM invoices a JOIN invoices b ON b.id = a.id + 1 WHERE typeof(a.date) <> 'text'"
         " OR a.date NOT GLOB '2024-[01][0-9]-[0-3][0-9]' OR b.date < a.date OR b.number <= a.number", "0"},
        {"months with invoices", "SELECT COUNT(DISTINCT substr(date, 1, 7)) FROM invoices", "12"},
        {"categories", "SELECT group_concat(DISTINCT category) FROM products",
         "Cancelleria,Carta,Informatica,Arredo,Pulizia,Caffetteria"},
        {"a price as currency", "SELECT price FROM products WHERE code = 'INF-006'", "159"},
        {"the taxable amount of an invoice",
         "SELECT SUM(quantity * price * (100 - COALESCE(discount, 0)) / 100) FROM invoice_lines WHERE invoice_id = 2",
         "264,67"},
        {"Italian letters", "SELECT city FROM customers WHERE province = 'FC' LIMIT 1", "Forl\xC3\xAC"},
        {"missing values are NULL",
         "SELECT COUNT(*) - COUNT(phone), COUNT(*) - COUNT(address), (SELECT COUNT(*) - COUNT(discount) > 200"
         " FROM invoice_lines) FROM customers", "5\t1\t1"},
    };
    for (const Case& c : cases) EXPECT_EQ(FirstRecord(c.sql), c.record) << c.what;
}

TEST(DemoDatabase, GeneratorGivesTheSameBytesAndNoPartialFile) {
    tessaly::testing::TempFolder folder("demo-db");
    const std::string generator = std::string(TESSALY_BIN_DIR) + "/make_demo_database ";
    for (const char* name : {"a.sqlite", "b.sqlite"})
        ASSERT_EQ(RunShell(generator + "'" + (folder / name).string() + "'").exitCode, 0);
    const auto bytes = tessaly::testing::ReadFile(folder / "a.sqlite");
    EXPECT_EQ(bytes, tessaly::testing::ReadFile(folder / "b.sqlite"));
    EXPECT_EQ(bytes, tessaly::testing::ReadFile(kDemo)) << "examples/demo.sqlite is not what the generator makes";

    CliResult r = RunShell(generator + "'" + (folder / "missing" / "c.sqlite").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("make_demo_database: "), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}
