#include "engine/expr/CV_Const.h"

namespace tessaly {

const char* const NumberWords[30] = {
    "",         "uno",      "due",      "tre",         "quattro",  "cinque",   "sei",       "sette",
    "otto",     "nove",     "dieci",    "undici",      "dodici",   "tredici",  "quattordici", "quindici",
    "sedici",   "diciassette", "diciotto", "diciannove", "",         "",         "venti",     "trenta",
    "quaranta", "cinquanta", "sessanta", "settanta",   "ottanta",  "novanta",
};

// Thousands of billions read "duemilamiliardi" for 2 x 10^12, as one says it; reusing "miliardi"
// there would make 2 x 10^12 read like 2 x 10^9.
const TcvGroupWord NumberGroupWords[6] = {
    {"", ""},
    {"mille", "mila"},
    {"unmilione", "milioni"},
    {"unmiliardo", "miliardi"},
    {"millemiliardi", "milamiliardi"},
    {"unmilionedimiliardi", "milionidimiliardi"},
};

const char* const BandTypeNames[22] = {
    "Titolo report",
    "Pi\xE8 di pagina report",
    "Instestazione pagina",
    "Pi\xE8 di pagina",
    "Intestazione principale",
    "Dati principali",
    "Pi\xE8 di pagina principale",
    "Intestazione dettagli",
    "Dati dettagli",
    "Pi\xE8 di pagina dettagli",
    "Intestazione sottodettagli",
    "Dati sottodettagli",
    "Pi\xE8 di pagina sottodettagli",
    "Copertura (Sfondo)",
    "Intestazione colonna",
    "Pi\xE8 di pagina colonna",
    "Intestazione gruppo",
    "Pi\xE8 di pagina gruppo",
    "Intestazione Tabella",
    "Dati Tabella",
    "Pi\xE8 di pagina Tabella",
    "Nessuna",
};

const char* const VariableNames[ValueKindCount] = {
    "PAGE#", "", "DATE", "TIME", "LINE#", "LINETHROUGH#", "COLUMN#", "CURRENT#", "TOTALPAGES",
};

const char* const ValueKindDescriptions[ValueKindCount] = {
    "N\xB0 pagina",        "Espressione",         "Data",
    "Ora",                 "N\xB0 linea",          "N\xB0 linea continuo",
    "N\xB0 colonna",        "N\xB0 linea corrente", "Totale Pagine",
};

const char* const FunctionCatalogue[FunctionCatalogueCount] = {
    "AVG=Statistiche |AVG(<X>) |Restituiosce la media della serie <X>",
    "COUNT=Statistiche |COUNT() |Restituisce il numero di elementi della serie",
    "FORMATDATETIME=Conversione |FORMATDATETIME(<X>,<Y>) |Restituisce la data <Y> con il formato <X>",
    "FORMATFLOAT=Conversione |FORMATFLOAT(<X>,<Y>) |Restituisce il numero <Y> con il formato <X>",
    "LOWERCASE=Stringa |LOWERCASE(<X>) |Restituisce <X> in minuscolo",
    "MAX=Statistiche |MAX(<X>) |Restituisce il valore massimo della serie <X>",
    "MIN=Statistiche |MIN(<X>) |Restituisce il valore minimo della serie <X>",
    "NAMECASE=Stringa |NAMECASE(<X>) |Restituisce <X> in minuscolo eccetto che per il primo carattere in maiuscolo",
    "PHRASECASE=Stringa |PHRASECASE(<X>) |Restituisce <X> in minuscolo eccetto che per le iniziali di ogni parola contenuta nel testo",
    "STRTODATE=Conversione |STRTODATE(<X>) |Restituisce la data contenuta nella stringa <X>",
    "STRTOTIME=Conversione |STRTOTIME(<X>) |Restituisce l'orario contenuto nella stringa <X>",
    "SUM=Statistiche |SUM(<X>) |Restituisce la somma della serie <X>",
    "UPPERCASE=Stringa |UPPERCASE(<X>) |Restituisce <X> in maiuscolo",
    "NUMBERTOLETTER=Stringa |NUMBERTOLETTER(<X>) |Restituisce l'equivalente in lettere del numero <X>",
    "INT=Matematiche |INT(<X>) |Restituisce la parte intera del numero <X>",
    "FRAC=Matematiche |FRAC(<X>) |Resituisce la parte decimale del numero <X>",
    "ROUND=Matematiche |ROUND(<X>) |Restituisce il numero intero corrispondente all'arrotondamento si <X>",
    "STR=Stringa |STR(<X>) |Restituisce una stringa convertita dal numero <X>",
    "COPY=Stringa |COPY(<X>,<Y>,<Z>) |Restituisce una sotto-stringa copiata dalla stringa <X> a partire dalla posizione <Y> per <Z> caratteri",
    "IF=Logiche |IF(<X>,<Y>,<Z>) |Restituisce <Y> se l'espressione <X> \xE8" " verificata altrimenti restituisce <Z>",
    "TRUNC=Matematiche |TRUNC(<X>) |Restituisce il numero intero corrispondente al troncamento di <X>",
    "ABS=Matematiche |ABS(<X>) |Restituisce il valore assoluto di <X>",
    "ARCTAN=Matematiche |ARCTAN(<X>) |Restituisce l'arcotangente di <X>",
    "COS=Matematiche |COS(<X>) |Restituisce il coseno di <X>",
    "EXP=Matematiche |EXP(<X>) |Restituisce l'esponenziale di <X>",
    "LN=Matematiche |LN(<X>) |Restituisce il logaritmo naturale di <X>",
    "PI=Matematiche |PI |Restituisce il valore di pigreco",
    "SIN=Matematiche |SIN(<X>) |Restituisce il seno di <X>",
    "SQR=Matematiche |SQR(<X>) |Restituisce il quadrato di <X>",
    "SQRT=Matematiche |SQRT(<X>) |Restituisce la radice quadrata di <X>",
    "POWER=Matematiche |POWER(<X>,<Y>) |Restituisce il numero equivalente a <X> elevato ad <Y>",
    "CEIL=Matematiche |CEIL(<X>) |Restituisce il numero intero corrispondente all'arrotondamento per eccesso di <X>",
    "FLOOR=Matematiche |FLOOR(<X>) |Restituisce il numero intero corrispondente all'arrotondamento per difetto di <X>",
    "POS=Stringa |POS(<X>,<Y>) |Restituisce il numero corrispondente alla posizione della sottostringa <X> nella stringa <Y>",
    "LENGTH=Stringa |LENGTH(<X>) |Restituisce la lunghezza della stringa <X>",
    "FILLSTR=Stringa |FILLSTR(<X>,<Y>) |Restituisce una stringa formata da un numero <X> di stringhe <Y>",
    "VAL=Matematiche |VAL(<X>) |Restituisce la conversione numerica di <X>",
    "MONEY=Valuta |MONEY(<X>) |Restituisce una stringa contenente il numero <X> formattato come valuta nel sistema corrente",
    "EURO=Valuta |EURO(<X>) |Restituisce una stringa contenente il numero <X> formattato come euro",
    "MONEYTOEURO=Valuta |MONEYTOEURO(<X>) |Restituisce una stringa contenente il numero <X> convertito dalla moneta corrente in euro e formattato",
    "EUROTOMONEY=Valuta |EUROTOMONEY(<X>) |Restituisce una stringa contenente il numero <X> convertito da euro alla moneta corrente e formattato",
    "MONEYTOEUROVAL=Valuta |MONEYTOEUROVAL(<X>) |Restituisce il numero <X> convertito dalla moneta corrente in euro",
    "EUROTOMONEYVAL=Valuta |EUROTOMONEYVAL(<X>) |Restituisce il numero <X> convertito da euro alla moneta corrente",
};

const char* const FormatCategoryNames[5] = {"Testo", "Numero", "Data", "Orario", "Logico"};

const char* const FormatSamples[5][5] = {
    {"[Nessuno]", nullptr, nullptr, nullptr, nullptr},
    {"1234,5", "1234,50", "1.234,5", "1.234,50", "Personalizzato"},
    {"05/11/98", "05/11/1998", "5 nov 1998", "5 novembre 1998", "Personalizzato"},
    {"02:43:35", "2:43:35", "02:43", "2:43", "Personalizzato"},
    {"0/1", "Si/No", "X/_", nullptr, nullptr},
};

}  // namespace tessaly
