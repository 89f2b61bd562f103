#pragma once
// The engine's Italian text tables: number words and the lira/euro rate, the names of band types,
// built-in variables and named-value kinds, the function catalogue, the format dialog's texts and
// the messages of names and values.
#include "platform/core/Currency.h"

namespace tessaly {

// Units 1 to 19 at their own index; the tens "venti" to "novanta" at 20 + tens digit. Indexes 0,
// 20 and 21 are empty.
extern const char* const NumberWords[30];

// Group words by group number (1 thousands, 2 millions, 3 billions, 4 thousands of billions,
// 5 millions of billions): the singular for a group of value one, the plural appended to any
// other non-zero group. Index 0 is unused.
struct TcvGroupWord {
    const char* Singular;
    const char* Plural;
};
extern const TcvGroupWord NumberGroupWords[6];

inline constexpr char WordHundred[] = "cento";
inline constexpr char WordZero[] = "zero";
inline constexpr char WordComma[] = "virgola";
inline constexpr char WordMinus[] = "meno ";

// Lire per euro, exact.
inline constexpr Currency EuroRate = Currency::FromScaled(19362700);
// The euro sign in cp1252.
inline constexpr char EuroSign = '\x80';

// Band type names by type code (0 to 21), as messages show them.
extern const char* const BandTypeNames[22];

// Built-in variable names by a named value's sub-kind (OtherKind); entry 1 is empty: that sub-kind
// evaluates the named value's expression.
inline constexpr int ValueKindCount = 9;
inline constexpr int ExpressionValueKind = 1;
extern const char* const VariableNames[ValueKindCount];
// What each sub-kind means, for a designer's value editor.
extern const char* const ValueKindDescriptions[ValueKindCount];

// The function catalogue for a designer's function list: "NAME=Category |Syntax |Description".
// The resolver does not consult it.
inline constexpr int FunctionCatalogueCount = 43;
extern const char* const FunctionCatalogue[FunctionCatalogueCount];

// The format dialog: category names, and the sample texts by category and index (nullptr where a
// category has no such index).
extern const char* const FormatCategoryNames[5];
extern const char* const FormatSamples[5][5];

// Messages of the resolver, the aggregates and the named values (each is followed by a name).
inline constexpr char MsgWrongArgumentCount[] = "E' stato inserito un numero di parametri errato per la funzione : ";
inline constexpr char MsgFunctionFailed[] = "Tipi di parametri errati nella funzione: ";
inline constexpr char MsgAggregateBand[] =
    "Non \xE8 possibile inserire in una banda non abilitata la funzione statistica : ";
inline constexpr char MsgCountArgument[] = "Formato parametri non valido nella funzione : ";
inline constexpr char MsgDatasetNotFound[] = "Non \xE8 stato trovato il cvDataset: ";
inline constexpr char MsgDatasetUnassigned[] = "Dataset non assegnato: ";
inline constexpr char MsgFieldNotFound[] = "Non \xE8 stato possibile reperire il campo: ";
inline constexpr char MsgValueKind[] = "Tipo non valido per la variabile: ";
inline constexpr char MsgExpansionError[] = "Errore. ";

// The limits a host may set on a preparation (TcvReport::MaxPages, MaxPreparationMs); each is
// followed by the limit and its ...End text.
inline constexpr char MsgTooManyPages[] = "La preparazione \xE8 stata interrotta: il report supera il limite di ";
inline constexpr char MsgTooManyPagesEnd[] = " pagine.";
inline constexpr char MsgTooLong[] = "La preparazione \xE8 stata interrotta: ha superato il tempo massimo di ";
inline constexpr char MsgTooLongEnd[] = " millisecondi.";

}  // namespace tessaly
