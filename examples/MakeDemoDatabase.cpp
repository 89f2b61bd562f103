// The demo database of the examples: an office-supplies wholesaler's customers, products, invoices
// and invoice lines (schema in examples/README.md). The build runs it to make examples/demo.sqlite:
//   make_demo_database OUT.sqlite
// The same program gives the same bytes: the rows come from the tables below and from a fixed
// pseudo-random sequence, and the file is written under a temporary name and renamed over OUT, so
// that two builds making it at once never leave half a file.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kSchema = R"(
CREATE TABLE customers (
  id INTEGER PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  address VARCHAR(60),
  city VARCHAR(40) NOT NULL,
  province CHAR(2) NOT NULL,
  postcode CHAR(5),
  phone VARCHAR(20)
);
CREATE TABLE products (
  id INTEGER PRIMARY KEY,
  code VARCHAR(10) NOT NULL UNIQUE,
  description VARCHAR(60) NOT NULL,
  category VARCHAR(20) NOT NULL,
  unit VARCHAR(6) NOT NULL,
  price NUMERIC(10,2) NOT NULL,
  vat_rate INTEGER NOT NULL
);
CREATE TABLE invoices (
  id INTEGER PRIMARY KEY,
  number VARCHAR(10) NOT NULL UNIQUE,
  customer_id INTEGER NOT NULL REFERENCES customers(id),
  date DATE NOT NULL,
  payment VARCHAR(40) NOT NULL,
  notes VARCHAR(100)
);
CREATE TABLE invoice_lines (
  id INTEGER PRIMARY KEY,
  invoice_id INTEGER NOT NULL REFERENCES invoices(id),
  product_id INTEGER NOT NULL REFERENCES products(id),
  quantity INTEGER NOT NULL,
  price NUMERIC(10,2) NOT NULL,
  discount NUMERIC(5,2)
);
CREATE INDEX invoices_customer ON invoices(customer_id);
CREATE INDEX invoice_lines_invoice ON invoice_lines(invoice_id);
)";

struct City {
    const char* name;
    const char* province;
    const char* postcode;
};

const City kCities[] = {
    {"Milano", "MI", "20121"},  {"Torino", "TO", "10121"},  {"Bologna", "BO", "40121"},
    {"Firenze", "FI", "50122"}, {"Roma", "RM", "00184"},    {"Napoli", "NA", "80133"},
    {"Bari", "BA", "70121"},    {"Palermo", "PA", "90133"}, {"Genova", "GE", "16121"},
    {"Venezia", "VE", "30121"}, {"Verona", "VR", "37121"},  {"Padova", "PD", "35122"},
    {"Trento", "TN", "38122"},  {"Perugia", "PG", "06121"}, {"Forlì", "FC", "47121"},
    {"Cagliari", "CA", "09124"}, {"Lecce", "LE", "73100"},  {"Parma", "PR", "43121"},
};

struct Customer {
    const char* name;
    const char* address;  // nullptr: not known
    int city;             // index in kCities
    const char* phone;    // nullptr: not known
};

const Customer kCustomers[] = {
    {"Cartoleria Rossi s.n.c.", "Via Roma 12", 0, "02 8645 1122"},
    {"Studio Legale Bianchi & Associati", "Corso Vittorio Emanuele II 45", 1, "011 562 3390"},
    {"Ferramenta Esposito", "Via Toledo 210", 5, "081 552 7014"},
    {"Panificio Colombo", "Via Garibaldi 8", 0, nullptr},
    {"Scuola Media \"Dante Alighieri\"", "Piazza della Libertà 1", 3, "055 234 8810"},
    {"Farmacia Ricci", "Via Indipendenza 33", 2, "051 223 4456"},
    {"Hotel Bellavista S.r.l.", "Lungomare Colombo 120", 7, "091 611 2093"},
    {"Agenzia Viaggi Marino", "Via Sparano 54", 6, "080 521 6677"},
    {"Greco Costruzioni S.p.A.", "Viale della Repubblica 77", 16, "0832 24 5561"},
    {"Bruno Giuseppe", "Via dei Mille 3", 8, nullptr},
    {"Ottica Gallo", "Calle Larga 2230", 9, "041 520 8812"},
    {"Conti & Figli S.r.l.", "Corso Porta Nuova 15", 10, "045 800 1934"},
    {"Studio Dentistico De Luca", "Via del Santo 61", 11, "049 875 2210"},
    {"Libreria Mancini", "Via Belenzani 19", 12, "0461 98 3320"},
    {"Caffè Costa", "Corso Vannucci 28", 13, "075 572 1180"},
    {"Giordano Impianti", "Corso della Repubblica 140", 14, "0543 37 2290"},
    {"Comune di Parma - Ufficio Tecnico", "Strada della Repubblica 1", 17, "0521 21 8000"},
    {"Rizzo Maria", nullptr, 15, nullptr},
    {"Lombardi Informatica S.r.l.", "Via Tortona 31", 0, "02 4801 9920"},
    {"Moretti Assicurazioni", "Via XX Settembre 5", 8, "010 553 7768"},
    {"Barbieri Arredamenti", "Via Emilia Est 402", 2, "051 624 1187"},
    {"Fontana Pietro", "Via Nazionale 96", 4, "06 4782 3310"},
    {"Santoro Trasporti S.r.l.", "Via Brin 66", 5, "081 260 4471"},
    {"Istituto Tecnico \"Galileo Galilei\"", "Via Sardegna 21", 15, "070 65 4429"},
    {"Mariani Carla", "Borgo San Frediano 44", 3, nullptr},
    {"Rinaldi Elettrodomestici", "Via Nizza 150", 1, "011 650 7742"},
    {"Caruso Alimentari", "Via Maqueda 302", 7, "091 58 4412"},
    {"Ferrari Consulting", "Piazza Castello 9", 1, "011 433 1051"},
    {"Cooperativa Sociale Il Girasole", "Via Palmieri 14", 16, "0832 30 9187"},
    {"Galli Daniela", "Via Mazzini 70", 10, "345 678 9012"},
    {"Martini Autoricambi", "Via Appia Nuova 512", 4, "06 7812 6690"},
    {"Leone Studio Grafico", "Via Cavour 23", 6, "080 524 3318"},
    {"Longo Ristorazione S.r.l.", "Riva degli Schiavoni 4150", 9, "041 523 9904"},
    {"Gentile Vittorio", "Via Euganea 118", 11, nullptr},
    {"Lombardo Tessuti", "Via Manci 47", 12, "0461 23 8871"},
    {"Ordine degli Architetti", "Via Baglioni 10", 13, "075 573 0045"},
    {"Martinelli Gelateria", "Piazza Saffi 6", 14, "0543 33 7720"},
    {"Vitale Paolo", "Via Farini 38", 17, "0521 28 5543"},
    {"Serra Elettronica", "Viale Trieste 92", 15, "070 48 2216"},
    {"Coppola Eventi", "Via Chiaia 149", 5, "081 41 7789"},
};

struct Product {
    const char* code;
    const char* description;
    const char* category;
    const char* unit;
    int cents;
    int vatRate;
};

const Product kProducts[] = {
    {"CAN-001", "Penna a sfera blu, confezione da 50", "Cancelleria", "conf.", 1450, 22},
    {"CAN-002", "Matita HB con gomma, confezione da 12", "Cancelleria", "conf.", 380, 22},
    {"CAN-003", "Evidenziatori assortiti, 6 colori", "Cancelleria", "conf.", 590, 22},
    {"CAN-004", "Cucitrice da tavolo a pinza", "Cancelleria", "pz", 1290, 22},
    {"CAN-005", "Punti metallici 6/4, scatola da 1000", "Cancelleria", "pz", 95, 22},
    {"CAN-006", "Raccoglitore ad anelli dorso 8 cm", "Cancelleria", "pz", 335, 22},
    {"CAN-007", "Cartelline con lembi, confezione da 25", "Cancelleria", "conf.", 875, 22},
    {"CAN-008", "Nastro adesivo trasparente 19 mm", "Cancelleria", "pz", 120, 22},
    {"CAR-001", "Carta per fotocopie A4 80 g, risma da 500 fogli", "Carta", "risma", 489, 22},
    {"CAR-002", "Carta per fotocopie A3 80 g, risma da 500 fogli", "Carta", "risma", 995, 22},
    {"CAR-003", "Buste bianche 11x23 con finestra, scatola da 500", "Carta", "scat.", 1860, 22},
    {"CAR-004", "Blocco appunti a righe A4, 80 fogli", "Carta", "pz", 215, 22},
    {"CAR-005", "Etichette adesive 70x37 mm, 100 fogli", "Carta", "conf.", 2340, 22},
    {"CAR-006", "Quaderno a quadretti 5 mm, formato A4", "Carta", "pz", 160, 4},
    {"INF-001", "Toner nero per stampante laser, 3000 pagine", "Informatica", "pz", 6990, 22},
    {"INF-002", "Cartuccia a getto d'inchiostro, tre colori", "Informatica", "pz", 2450, 22},
    {"INF-003", "Mouse ottico senza fili", "Informatica", "pz", 1899, 22},
    {"INF-004", "Tastiera con layout italiano", "Informatica", "pz", 2250, 22},
    {"INF-005", "Chiavetta USB 64 GB", "Informatica", "pz", 1190, 22},
    {"INF-006", "Monitor 24 pollici Full HD", "Informatica", "pz", 15900, 22},
    {"INF-007", "Cavo di rete categoria 6, 5 metri", "Informatica", "pz", 690, 22},
    {"ARR-001", "Sedia da ufficio ergonomica con braccioli", "Arredo", "pz", 18900, 22},
    {"ARR-002", "Scrivania 160x80 cm, piano in faggio", "Arredo", "pz", 32500, 22},
    {"ARR-003", "Cassettiera su ruote, tre cassetti", "Arredo", "pz", 11950, 22},
    {"ARR-004", "Lampada da scrivania a LED", "Arredo", "pz", 3475, 22},
    {"ARR-005", "Armadio metallico con serratura", "Arredo", "pz", 27900, 22},
    {"PUL-001", "Detergente multiuso, flacone da 1 litro", "Pulizia", "pz", 285, 22},
    {"PUL-002", "Carta asciugamani in rotolo, confezione da 6", "Pulizia", "conf.", 1140, 22},
    {"PUL-003", "Sacchi per la raccolta differenziata, rotolo da 20", "Pulizia", "pz", 310, 22},
    {"PUL-004", "Gel igienizzante per le mani, 500 ml", "Pulizia", "pz", 450, 22},
    {"CAF-001", "Caffè in grani, miscela arabica, 1 kg", "Caffetteria", "kg", 1680, 10},
    {"CAF-002", "Capsule di caffè espresso, confezione da 100", "Caffetteria", "conf.", 2900, 10},
    {"CAF-003", "Zucchero in bustine, confezione da 1000", "Caffetteria", "conf.", 1250, 10},
    {"CAF-004", "Bicchierini di carta per caffè, confezione da 100", "Caffetteria", "conf.", 245, 22},
    {"CAF-005", "Tè verde in filtri, confezione da 50", "Caffetteria", "conf.", 460, 10},
    {"CAF-006", "Acqua minerale naturale, 6 bottiglie da 1,5 litri", "Caffetteria", "conf.", 270, 10},
};

const char* const kPayments[] = {"Bonifico bancario a 30 giorni", "Ri.Ba. a 60 giorni", "Contanti",
                                 "Carta di credito", "Bonifico bancario a vista"};

const char* const kNotes[] = {"Consegna al piano, orario 9-13", "Merce da ritirare in magazzino",
                              "Fattura riferita all'ordine n. 118 del mese precedente",
                              "Sconto concordato per il rinnovo dell'arredo"};

constexpr int kInvoices = 80;
constexpr int kYear = 2024;

// A fixed pseudo-random sequence (SplitMix64): the same numbers on every machine and library.
class Sequence {
public:
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

private:
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint64_t state_ = 22;
};

class Database {
public:
    explicit Database(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db_) == SQLITE_OK) return;
        const std::string message = "cannot create " + path + ": " + sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw std::runtime_error(message);
    }
    ~Database() { sqlite3_close(db_); }

    void Exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
    }

    // One row: each value is text, or SQL NULL for nullptr; SQLite gives it the column's type.
    void Insert(const char* sql, const std::vector<const char*>& values) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) Fail(sql);
        for (size_t i = 0; i < values.size(); ++i) {
            const int column = static_cast<int>(i) + 1;
            if (values[i])
                sqlite3_bind_text(stmt, column, values[i], -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(stmt, column);
        }
        const int rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) Fail(sql);
    }

private:
    [[noreturn]] void Fail(const std::string& what) {
        throw std::runtime_error(what + ": " + sqlite3_errmsg(db_));
    }
    sqlite3* db_ = nullptr;
};

std::string Money(int cents) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", cents / 100, cents % 100);
    return text;
}

void InsertCustomers(Database& db) {
    int id = 0;
    for (const Customer& c : kCustomers) {
        const City& city = kCities[c.city];
        const std::string key = std::to_string(++id);
        db.Insert("INSERT INTO customers VALUES (?, ?, ?, ?, ?, ?, ?)",
                  {key.c_str(), c.name, c.address, city.name, city.province, c.address ? city.postcode : nullptr,
                   c.phone});
    }
}

void InsertProducts(Database& db) {
    int id = 0;
    for (const Product& p : kProducts) {
        const std::string key = std::to_string(++id), price = Money(p.cents), vat = std::to_string(p.vatRate);
        db.Insert("INSERT INTO products VALUES (?, ?, ?, ?, ?, ?, ?)",
                  {key.c_str(), p.code, p.description, p.category, p.unit, price.c_str(), vat.c_str()});
    }
}

// Invoice i of the year (from 0) is dated in order through the year, about one every four days.
std::string InvoiceDate(int i) {
    static const int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};  // 2024 is leap
    int day = i * 366 / kInvoices + 3, month = 0;
    while (day >= kMonthDays[month]) day -= kMonthDays[month++];
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", kYear, month + 1, day + 1);
    return text;
}

// One to seven lines, so that an invoice fits on one page; now and then a discount or a price
// below the list's.
void InsertLines(Database& db, Sequence& random, int invoice, int& lineId) {
    const int count = 1 + random.Below(7);
    const int firstProduct = random.Below(static_cast<int>(std::size(kProducts)));
    for (int n = 0; n < count; ++n) {
        const int product = (firstProduct + n * 5) % static_cast<int>(std::size(kProducts));
        const int cents = kProducts[product].cents * (random.Below(6) == 0 ? 90 : 100) / 100;
        const int discount = random.Below(5) == 0 ? 5 * (1 + random.Below(4)) : 0;
        const std::string id = std::to_string(++lineId), inv = std::to_string(invoice),
                          prod = std::to_string(product + 1), qty = std::to_string(1 + random.Below(12)),
                          price = Money(cents), disc = std::to_string(discount);
        db.Insert("INSERT INTO invoice_lines VALUES (?, ?, ?, ?, ?, ?)",
                  {id.c_str(), inv.c_str(), prod.c_str(), qty.c_str(), price.c_str(), discount ? disc.c_str() : nullptr});
    }
}

// Every customer but the last three (who have no invoice yet) has one of the first invoices, in a
// shuffled order (11 and the number of buyers have no common factor); the rest go to any of them.
void InsertInvoices(Database& db) {
    Sequence random;
    int lineId = 0;
    const int buyers = static_cast<int>(std::size(kCustomers)) - 3;
    for (int i = 0; i < kInvoices; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%d/%03d", kYear, i + 1);
        const int buyer = i < buyers ? i * 11 % buyers : random.Below(buyers);
        const std::string id = std::to_string(i + 1), customer = std::to_string(buyer + 1), date = InvoiceDate(i);
        const char* payment = kPayments[random.Below(static_cast<int>(std::size(kPayments)))];
        const char* notes = random.Below(6) == 0 ? kNotes[random.Below(static_cast<int>(std::size(kNotes)))] : nullptr;
        db.Insert("INSERT INTO invoices VALUES (?, ?, ?, ?, ?, ?)",
                  {id.c_str(), number, customer.c_str(), date.c_str(), payment, notes});
        InsertLines(db, random, i + 1, lineId);
    }
}

void Make(const std::filesystem::path& out) {
    const std::filesystem::path part = out.string() + "." + std::to_string(::getpid()) + ".part";
    std::filesystem::remove(part);
    try {
        Database db(part.string());
        db.Exec("PRAGMA journal_mode = OFF");
        db.Exec("BEGIN");
        db.Exec(kSchema);
        InsertCustomers(db);
        InsertProducts(db);
        InsertInvoices(db);
        db.Exec("COMMIT");
    } catch (...) {
        std::filesystem::remove(part);
        throw;
    }
    std::filesystem::rename(part, out);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_database OUT.sqlite\n");
        return 2;
    }
    try {
        Make(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo_database: %s\n", e.what());
        return 1;
    }
    return 0;
}
