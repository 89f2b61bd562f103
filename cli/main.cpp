// tessaly-cli: a host program over the report engine. Its commands are the table below; every
// command answers 0 when done, 1 when the work failed (the message on stderr) and 2 for wrong
// usage (its usage on stderr).
#include <cstdio>
#include <cstring>
#include <string>

#include <QtGlobal>

#include "cli/Commands.h"
#include "engine/report/EngineInfo.h"
#include "platform/core/Cp1252.h"

namespace tessaly::cli {

int Fail(const std::string& cp1252Message) {
    std::fprintf(stderr, "%s\n", Cp1252ToUtf8(cp1252Message).c_str());
    return kFailed;
}

namespace {

int RunVersion(const Args& args);
int RunHelp(const Args& args);

struct Command {
    const char* name;
    const char* usage;    // after "tessaly-cli "
    const char* summary;  // what it does
    int (*run)(const Args& args);
};

constexpr Command kCommands[] = {
    {"info", "info FILE.cvp|FILE.emf", "descrive le pagine di un report preparato o un metafile", &RunInfo},
    {"copy", "copy IN OUT", "carica un report preparato e lo salva di nuovo", &RunCopy},
    {"render", "render FILE [--page N] [--zoom Z] -o OUT.png",
     "disegna una pagina (o un metafile) in un'immagine PNG, alla dimensione dell'anteprima; un modello "
     "(.cvf o JSON) viene prima preparato sul database accanto (stesso nome, .sqlite)", &RunRender},
    {"find", "find FILE.cvp TESTO [--case] [--whole-word] [--from-page N]",
     "cerca un testo nelle pagine come la ricerca dell'anteprima", &RunFind},
    {"text", "text IN.cvp [-o OUT.txt]", "scrive il testo di ogni pagina, una riga per testo, in ordine di posizione (un modello, .cvf o JSON, "
     "viene prima preparato)",
     &RunText},
    {"pdf", "pdf IN.cvp -o OUT.pdf", "stampa il report in un file PDF (un modello, .cvf o JSON, viene prima preparato)", &RunPdf},
    {"print", "print IN.cvp [--printer NOME] [--from N] [--to M] [--copies C] [--collate]",
     "stampa il report sulla stampante predefinita o su quella indicata", &RunPrint},
    {"data", "data ORIGINE [TABELLA | --sql \"SELECT ...\"] [--first N]",
     "elenca le tabelle di un database SQLite o PostgreSQL, o i campi e i primi record di una tabella o di una query",
     &RunData},
    {"template", "template FILE.cvf|FILE.json [--save OUT.cvf] [--json OUT.json]",
     "carica un modello di report (.cvf o la sua forma JSON, riconosciuta dal contenuto) e ne descrive pagine, "
     "oggetti, dataset e valori; --save lo riscrive come .cvf, --json nella forma JSON",
     &RunTemplate},
    {"eval", "eval [--db ORIGINE [--module NOME]] EXPR",
     "calcola un'espressione e ne scrive tipo e valore; con --db i campi delle tabelle di ORIGINE (modulo NOME, "
     "di solito Dati) rispondono ai nomi, e la prima tabella ai nomi senza tabella",
     &RunEval},
    {"prepare",
     "prepare MODELLO.cvf|MODELLO.json [--db ORIGINE] [--module NOME] [--query NOME=SQL]... [-o OUT.cvp] [--pdf OUT.pdf] "
     "[--show] [--quiet] [--value NOME=ESPR]... [--title TESTO] [--max-pages N] [--max-time MS]",
     "prepara un modello di report sui dati di ORIGINE (modulo NOME, di solito Dati: un dataset per tabella e "
     "per ogni --query; senza --db il database MODELLO.sqlite accanto al modello) e lo scrive in OUT.cvp (di "
     "solito il nome del modello con .cvp), in un PDF o nell'anteprima; scrive il numero di pagine. --value "
     "aggiunge al report un valore NOME che calcola l'espressione ESPR, --title gli da il titolo; --max-pages "
     "e --max-time fermano con un errore una preparazione che supera N pagine o MS millisecondi",
     &RunPrepare},
    {"prepare-many",
     "prepare-many MODELLO.cvf|MODELLO.json [--db ORIGINE] --each \"SELECT ...\" -o CARTELLA [--module NOME] "
     "[--query NOME=SQL]... [--value NOME=ESPR]... [--title TESTO] [--max-pages N] [--max-time MS] [--quiet]",
     "prepara un report per ogni riga della query --each: i campi della riga sono i parametri (:nome) delle "
     "query del modulo; ogni report va in CARTELLA col primo campo della riga come nome (byte diversi da "
     "lettere, cifre, - e _ scritti %XX) e .cvp. Scrive \"reports: N written, M failed\"; ogni riga non "
     "riuscita va su stderr col suo messaggio, le altre sono scritte comunque (uscita 1). Le righe si "
     "possono dividere tra esecuzioni diverse, anche su macchine diverse (per intervalli di chiave)",
     &RunPrepareMany},
    {"words", "words NUMERO...", "scrive ogni numero in lettere", &RunWords},
    {"format-dialog", "format-dialog [--format CODICE] [--text TESTO] [--shot OUT.png]",
     "apre la finestra di formato di un oggetto e scrive codice e testo scelti (con --shot la disegna in "
     "un'immagine PNG)",
     &RunFormatDialog},
    {"help", "help [COMANDO]", "descrive i comandi, o un comando", &RunHelp},
    {"version", "version", "scrive la versione", &RunVersion},
};

const Command* Find(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

void PrintUsage(FILE* out, const Command& c) { std::fprintf(out, "uso: tessaly-cli %s\n", c.usage); }

int Overview(FILE* out) {
    std::fprintf(out, "uso: tessaly-cli COMANDO [argomenti]\ncomandi:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %s\n      %s\n", c.usage, c.summary);
    return out == stdout ? kDone : kWrongUsage;
}

int RunVersion(const Args& args) {
    if (!args.empty()) return kWrongUsage;
    std::printf("tessaly-cli %s\n", EngineVersion());
    return kDone;
}

int RunHelp(const Args& args) {
    if (args.empty()) return Overview(stdout);
    const Command* c = args.size() == 1 ? Find(args[0]) : nullptr;
    if (!c) return kWrongUsage;
    PrintUsage(stdout, *c);
    std::printf("%s\n", c->summary);
    return kDone;
}

}  // namespace

}  // namespace tessaly::cli

int main(int argc, char* argv[]) {
    using namespace tessaly::cli;
    // The output is the commands' own: Qt's diagnostics (a missing XDG_RUNTIME_DIR, a platform
    // plugin's remarks) are not part of it.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    if (argc < 2) return Overview(stderr);
    const std::string name = argv[1];
    if (name == "--help" || name == "-h") return Overview(stdout);
    const Command* command = Find(name == "--version" ? "version" : name);
    if (!command) return Overview(stderr);
    const Args args(argv + 2, argv + argc);
    if (args.size() == 1 && args[0] == "--help") return RunHelp({command->name});
    const int code = command->run(args);
    if (code == kWrongUsage) PrintUsage(stderr, *command);
    return code;
}
