#include <algorithm>
#include <charconv>
#include <numeric>

#include "platform/core/Cp1252.h"
#include "platform/core/Json.h"

namespace tessaly::json {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at s[i] (not ASCII), or 0: no overlong forms, no
// surrogates, nothing above U+10FFFF.
size_t Utf8Length(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0; };
    const unsigned char c = b(0);
    size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    for (size_t k = 1; k < n; ++k)
        if (!IsContinuation(b(k))) return 0;
    if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) > 0x9F)) return 0;
    if ((c == 0xF0 && b(1) < 0x90) || (c == 0xF4 && b(1) > 0x8F)) return 0;
    return n;
}

class Parser {
public:
    Parser(std::string_view text, const Limits& limits) : s_(text), limits_(limits) {}

    Node Document() {
        if (s_.size() > limits_.maxBytes)
            throw ParseError({1, 1}, "il documento supera i " + std::to_string(limits_.maxBytes >> 20) + " MB.");
        if (s_.substr(0, 3) == "\xEF\xBB\xBF") i_ = 3, column0_ = 1;
        Node root = Value(0);
        SkipSpace();
        if (i_ < s_.size()) Fail("testo dopo la fine del documento.");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& message) { throw ParseError(Here(), message); }

    // Columns are counted from the last place asked for, so that a long line costs once.
    Place Here() {
        for (; counted_ < i_; ++counted_)
            if (!IsContinuation(static_cast<unsigned char>(s_[counted_]))) ++column_;
        return {line_, column_ - column0_};
    }

    void SkipSpace() {
        for (; i_ < s_.size() && IsSpace(s_[i_]); ++i_) {
            if (s_[i_] != '\n') continue;
            ++line_;
            column_ = 1, column0_ = 0, counted_ = i_ + 1;
        }
    }

    char Peek() {
        if (i_ >= s_.size()) Fail("il documento finisce prima del previsto.");
        return s_[i_];
    }

    void Expect(char c, const char* message) {
        SkipSpace();
        if (Peek() != c) Fail(message);
        ++i_;
    }

    Node Value(int depth) {
        SkipSpace();
        Node node;
        node.place = Here();
        const char c = Peek();
        if (c == '{' || c == '[') {
            if (depth >= limits_.maxDepth) Fail("annidamento oltre i " + std::to_string(limits_.maxDepth) + " livelli.");
            c == '{' ? Object(node, depth + 1) : Array(node, depth + 1);
        } else if (c == '"') {
            node.kind = Kind::String;
            node.text = String();
        } else if (c == '-' || IsDigit(c)) {
            Number(node);
        } else {
            Literal(node);
        }
        return node;
    }

    void Literal(Node& node) {
        struct Word {
            std::string_view text;
            Kind kind;
            bool value;
        };
        static constexpr Word kWords[] = {{"true", Kind::Boolean, true}, {"false", Kind::Boolean, false},
                                          {"null", Kind::Null, false}};
        for (const Word& w : kWords)
            if (s_.substr(i_, w.text.size()) == w.text) {
                i_ += w.text.size();
                node.kind = w.kind;
                node.boolean = w.value;
                return;
            }
        Fail("atteso un valore JSON.");
    }

    void Number(Node& node) {
        const size_t start = i_;
        auto digits = [&] {
            const size_t from = i_;
            while (i_ < s_.size() && IsDigit(s_[i_])) ++i_;
            if (i_ == from) Fail("numero non valido.");
        };
        if (s_[i_] == '-') ++i_;
        if (i_ < s_.size() && s_[i_] == '0') ++i_;
        else digits();
        if (i_ < s_.size() && s_[i_] == '.') ++i_, digits();
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
            digits();
        }
        node.kind = Kind::Number;
        node.text = std::string(s_.substr(start, i_ - start));
    }

    std::string String() {
        ++i_;  // the opening quote
        std::string out;
        for (;;) {
            const unsigned char c = static_cast<unsigned char>(Peek());
            if (c == '"') break;
            if (c < 0x20) Fail("carattere di controllo in un testo: va scritto come \\u00XX.");
            if (c == '\\') {
                Escape(out);
            } else if (c < 0x80) {
                out += char(c), ++i_;
            } else {
                const size_t n = Utf8Length(s_, i_);
                if (n == 0) Fail("il testo non \xE8 UTF-8 valido.");
                out.append(s_.substr(i_, n)), i_ += n;
            }
        }
        ++i_;
        return out;
    }

    uint32_t Hex4() {
        uint32_t value = 0;
        const char* first = s_.data() + i_;
        const char* last = first + std::min<size_t>(4, s_.size() - i_);
        auto [end, ec] = std::from_chars(first, last, value, 16);
        if (ec != std::errc() || end != first + 4) Fail("sequenza \\u non valida.");
        i_ += 4;
        return value;
    }

    void Escape(std::string& out) {
        const size_t backslash = i_++;
        const char c = Peek();
        ++i_;
        static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
        if (const size_t k = kFrom.find(c); k != std::string_view::npos) return out.push_back(kTo[k]);
        if (c != 'u') i_ = backslash, Fail("sequenza di escape non valida.");
        char32_t u = Hex4();
        if (u >= 0xDC00 && u <= 0xDFFF) Fail("surrogato UTF-16 spaiato.");
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (s_.substr(i_, 2) != "\\u") Fail("surrogato UTF-16 spaiato.");
            i_ += 2;
            const uint32_t low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) Fail("surrogato UTF-16 spaiato.");
            u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, u);
    }

    void Array(Node& node, int depth) {
        node.kind = Kind::Array;
        ++i_;
        SkipSpace();
        if (Peek() == ']') return void(++i_);
        for (;;) {
            node.items.push_back(Value(depth));
            SkipSpace();
            if (Peek() == ']') return void(++i_);
            Expect(',', "atteso ',' o ']'.");
        }
    }

    void Object(Node& node, int depth) {
        node.kind = Kind::Object;
        ++i_;
        SkipSpace();
        if (Peek() == '}') return void(++i_);
        for (;;) {
            SkipSpace();
            if (Peek() != '"') Fail("attesa una chiave tra virgolette.");
            Member m;
            m.place = Here();
            m.key = String();
            Expect(':', "atteso ':' dopo la chiave.");
            m.value = Value(depth);
            node.members.push_back(std::move(m));
            SkipSpace();
            if (Peek() == '}') break;
            Expect(',', "atteso ',' o '}'.");
        }
        ++i_;
        CheckKeysOnce(node.members);
    }

    // The first member, in document order, whose key an earlier member has.
    static void CheckKeysOnce(const std::vector<Member>& members) {
        std::vector<size_t> order(members.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return members[a].key < members[b].key; });
        size_t repeated = members.size();
        for (size_t k = 1; k < order.size(); ++k)
            if (members[order[k]].key == members[order[k - 1]].key) repeated = std::min(repeated, order[k]);
        if (repeated < members.size())
            throw ParseError(members[repeated].place, "chiave ripetuta \"" + Utf8ToCp1252(members[repeated].key) + "\".");
    }

    std::string_view s_;
    Limits limits_;
    size_t i_ = 0;
    int32_t line_ = 1;
    int32_t column_ = 1;   // of s_[counted_]
    int32_t column0_ = 0;  // characters of a byte order mark, not counted
    size_t counted_ = 0;
};

}  // namespace

Node Parse(std::string_view text, const Limits& limits) { return Parser(text, limits).Document(); }

}  // namespace tessaly::json
