// JSON text with the places of its values and keys: reading, the messages of bad documents word
// for word with their places, the limits, and the canonical layout of writing.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/Json.h"

using namespace tessaly;
using json::Kind;
using json::Node;

namespace {

std::string Where(json::Place p) { return std::to_string(p.line) + ":" + std::to_string(p.column); }

std::string ErrorOf(std::string_view text, const json::Limits& limits = {}) {
    try {
        json::Parse(text, limits);
    } catch (const json::ParseError& e) {
        return e.Message();
    }
    return "(read)";
}

}  // namespace

TEST(Json, ValuesAndKeysKeepTheirLineAndColumnInCharacters) {
    // A byte order mark, CR LF line ends, accented letters and a tab before the values.
    const Node root = json::Parse("\xEF\xBB\xBF{\"a\": 1,\r\n  \"\xC3\xA8\xC3\xA8\": [true, null],\n\t\"c\": \"x\xE2\x82\xAC\"\n}");
    ASSERT_TRUE(root.Is(Kind::Object));
    EXPECT_EQ(Where(root.place), "1:1");
    ASSERT_EQ(root.members.size(), 3u);
    EXPECT_EQ(Where(root.members[0].place), "1:2");
    EXPECT_EQ(Where(root.members[0].value.place), "1:7");
    EXPECT_EQ(root.members[1].key, "\xC3\xA8\xC3\xA8");
    EXPECT_EQ(Where(root.members[1].place), "2:3");
    EXPECT_EQ(Where(root.members[1].value.place), "2:9");
    EXPECT_EQ(Where(root.members[1].value.items[1].place), "2:16");
    EXPECT_EQ(Where(root.members[2].value.place), "3:7");
    EXPECT_EQ(root.members[2].value.text, "x\xE2\x82\xAC");
}

TEST(Json, NumbersKeepTheirTextAndOnlyWholeOnesAreIntegers) {
    const Node list = json::Parse("[0, -12, 9223372036854775807, 9223372036854775808, 1.5, 2e3, -0]");
    int64_t v = 0;
    EXPECT_TRUE(list.items[1].ToInteger(v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(list.items[2].ToInteger(v));
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_FALSE(list.items[3].ToInteger(v));
    EXPECT_FALSE(list.items[4].ToInteger(v));
    EXPECT_FALSE(list.items[5].ToInteger(v));
    EXPECT_EQ(list.items[5].text, "2e3");
    EXPECT_TRUE(list.items[6].ToInteger(v));
    EXPECT_EQ(v, 0);
}

TEST(Json, EscapesAreDecodedToUtf8) {
    const Node s = json::Parse(R"("a\"\\\/\b\f\n\r\t\u00e8\u20AC\ud83d\ude00\u0000")");
    EXPECT_EQ(s.text, std::string("a\"\\/\b\f\n\r\t\xC3\xA8\xE2\x82\xAC\xF0\x9F\x98\x80", 18) + std::string(1, '\0'));
}

TEST(Json, BadDocumentsAreRefusedWithThePlaceOfTheFirstMistake) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "riga 1, colonna 1: il documento finisce prima del previsto."},
        {"{\"a\": 1", "riga 1, colonna 8: il documento finisce prima del previsto."},
        {"{\"a\" 1}", "riga 1, colonna 6: atteso ':' dopo la chiave."},
        {"{\"a\": 1 \"b\": 2}", "riga 1, colonna 9: atteso ',' o '}'."},
        {"[1,\n 2\n 3]", "riga 3, colonna 2: atteso ',' o ']'."},
        {"{a: 1}", "riga 1, colonna 2: attesa una chiave tra virgolette."},
        {"{\"a\": 1,}", "riga 1, colonna 9: attesa una chiave tra virgolette."},
        {"[tru]", "riga 1, colonna 2: atteso un valore JSON."},
        {"[01]", "riga 1, colonna 3: atteso ',' o ']'."},
        {"[1.]", "riga 1, colonna 4: numero non valido."},
        {"[-]", "riga 1, colonna 3: numero non valido."},
        {"\"a\nb\"", "riga 1, colonna 3: carattere di controllo in un testo: va scritto come \\u00XX."},
        {"\"\\x\"", "riga 1, colonna 2: sequenza di escape non valida."},
        {"\"\\u12\"", "riga 1, colonna 4: sequenza \\u non valida."},
        {"\"\\udc00\"", "riga 1, colonna 8: surrogato UTF-16 spaiato."},
        {"\"\\ud800x\"", "riga 1, colonna 8: surrogato UTF-16 spaiato."},
        {"\"\xC3\x28\"", "riga 1, colonna 2: il testo non \xE8 UTF-8 valido."},
        {"\"\xED\xA0\x80\"", "riga 1, colonna 2: il testo non \xE8 UTF-8 valido."},  // a surrogate in UTF-8
        {"\"\xC0\xAF\"", "riga 1, colonna 2: il testo non \xE8 UTF-8 valido."},      // an overlong form
        {"{\"a\": 1, \"b\": 2,\n \"a\": 3}", "riga 2, colonna 2: chiave ripetuta \"a\"."},
        {"{} {}", "riga 1, colonna 4: testo dopo la fine del documento."},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST(Json, DepthAndSizeAreBounded) {
    json::Limits limits;
    limits.maxDepth = 3;
    EXPECT_EQ(ErrorOf("[[[1]]]", limits), "(read)");
    EXPECT_EQ(ErrorOf("[[[[1]]]]", limits), "riga 1, colonna 4: annidamento oltre i 3 livelli.");
    limits.maxBytes = size_t{1} << 20;
    EXPECT_EQ(ErrorOf(std::string((size_t{1} << 20) + 1, ' '), limits), "riga 1, colonna 1: il documento supera i 1 MB.");
    // The default depth takes far more than a template needs, and no stack runs out before it.
    EXPECT_EQ(ErrorOf(std::string(100000, '[')), "riga 1, colonna 65: annidamento oltre i 64 livelli.");
}

TEST(Json, WritingHasOneLayoutThatReadsBackToItself) {
    Node root = Node::Object();
    root.Add("format", Node::String("x"));
    Node& short_ = root.Add("short", Node::Object());
    short_.Add("name", Node::String("Arial"));
    short_.Add("style", Node::Array()).Append(Node::String("bold"));
    Node& long_ = root.Add("long", Node::Array());
    for (int i = 0; i < 3; ++i) long_.Append(Node::String(std::string(40, char('a' + i))));
    root.Add("text", Node::String("tab\t quote\" \xC3\xA8 c1\xC2\x81 nul" + std::string(1, '\0')));
    root.Add("empty", Node::Array());
    root.Add("flag", Node::Boolean(false));
    const std::string text = json::Write(root);
    EXPECT_EQ(text,
              "{\n"
              "  \"format\": \"x\",\n"
              "  \"short\": {\"name\": \"Arial\", \"style\": [\"bold\"]},\n"
              "  \"long\": [\n"
              "    \"" + std::string(40, 'a') + "\",\n"
              "    \"" + std::string(40, 'b') + "\",\n"
              "    \"" + std::string(40, 'c') + "\"\n"
              "  ],\n"
              "  \"text\": \"tab\\t quote\\\" \xC3\xA8 c1\\u0081 nul\\u0000\",\n"
              "  \"empty\": [],\n"
              "  \"flag\": false\n"
              "}\n");
    EXPECT_EQ(json::Write(json::Parse(text)), text);
}
