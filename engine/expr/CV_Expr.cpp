#include "engine/expr/CV_Expr.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>

#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/text/NumberFormat.h"

namespace tessaly {

namespace {

const char kParenthesesMessage[] = "Numero errato di parentesi nell'espressione : ";
const char kUnknownMessage[] = "Identificatore sconosciuto: ";
const char kIncompatibleMessage[] = "Tipo di dati incompatibili nell'espressione: ";
const char kDepthMessage[] = "Troppi livelli di annidamento nell'espressione: ";
const char kMissingOperatorMessage[] = "Operatore mancante nell'espressione: ";

enum CharClass : uint8_t {
    kNumber = 1, kNameStart = 2, kName = 4, kBlank = 8,
    kQuoteOrParen = 16,  // the characters that counting parentheses looks at
    kSplitting = 32,     // the characters that splitting an argument list looks at
};

constexpr std::array<uint8_t, 256> MakeClasses() {
    std::array<uint8_t, 256> t{};
    for (int c = 1; c <= 32; ++c) t[c] |= kBlank;
    for (int c = '0'; c <= '9'; ++c) t[c] |= kNumber | kName;
    t['.'] |= kNumber | kName;
    for (int c : {'"', '#', '_'}) t[c] |= kNameStart | kName;
    for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kNameStart | kName;
    for (int c = 'a'; c <= 'z'; ++c) t[c] |= kNameStart | kName;
    for (int c : {'"', '\'', '(', ')'}) t[c] |= kQuoteOrParen | kSplitting;
    for (int c : {'[', ']', ','}) t[c] |= kSplitting;
    return t;
}
constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

bool Is(char c, CharClass k) { return kClasses[static_cast<unsigned char>(c)] & k; }

// Operator codes; an operator's precedence class is its code divided by 10.
enum Op : int {
    opNone = 0,
    opEqual = 10, opGreaterEqual = 11, opGreater = 12, opLessEqual = 13, opNotEqual = 14, opLess = 15,
    opAdd = 100, opSubtract = 101, opOr = 102,
    opPower = 1000, opMultiply = 1001, opDivide = 1002, opAnd = 1003, opMod = 1004, opDiv = 1005,
};
int Class(int op) { return op / 10; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && Is(s.front(), kBlank)) s.remove_prefix(1);
    while (!s.empty() && Is(s.back(), kBlank)) s.remove_suffix(1);
    return s;
}

// Parentheses outside quotes. A quote character inside the other kind of quotes is an ordinary
// character, so 'say "hi"' and "it's" leave both states off.
void CheckParentheses(std::string_view text) {
    int open = 0, close = 0;
    char quote = 0;  // the quote character whose text is being read, 0 outside quotes
    for (char c : text) {
        if (!Is(c, kQuoteOrParen)) continue;
        if (quote)
            quote = c == quote ? 0 : quote;
        else if (c == '"' || c == '\'')
            quote = c;
        else
            open += c == '(', close += c == ')';
    }
    if (open != close) throw EngineError(kParenthesesMessage + std::string(text));
}

}  // namespace

// One evaluation's reading state. Every position and operator code lives here or in a Level on
// the stack, so an evaluation that the resolver starts inside another one cannot disturb it.
class ExprReader {
public:
    ExprReader(TcvExpr& ev, std::string_view text) : ev_(ev), t_(text) {}

    Variant Run() { return Expression(); }

private:
    struct Level {
        size_t start;
        int pending = opNone;  // read, not yet applied
        int last = opNone;     // last applied
    };

    class Nesting {
    public:
        Nesting(ExprReader& r, size_t levelStart) : ev_(r.ev_) {
            if (++ev_.depth_ > TcvExpr::MaxDepth) {
                --ev_.depth_;
                r.Fail(kDepthMessage, levelStart);
            }
        }
        ~Nesting() { --ev_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        TcvExpr& ev_;
    };

    [[noreturn]] void Fail(const char* message, size_t levelStart) const {
        throw EngineError(message + std::string(t_.substr(std::min(levelStart, t_.size()))));
    }

    bool AtEnd() const { return pos_ >= t_.size(); }
    char Cur() const { return pos_ < t_.size() ? t_[pos_] : '\0'; }
    char At(size_t i) const { return i < t_.size() ? t_[i] : '\0'; }
    void SkipBlanks() {
        while (pos_ < t_.size() && Is(t_[pos_], kBlank)) ++pos_;
    }

    Variant Expression() {
        Level lv{pos_};
        Nesting nesting(*this, lv.start);
        if (AtEnd()) return Variant::Null();
        Variant left = Operand(lv);
        lv.pending = lv.last = Operator();
        while (!AtEnd() && Cur() != ')') Continue(lv, left);
        if (Cur() == ')') ++pos_;
        return left;
    }

    void Continue(Level& lv, Variant& left) {
        if (AtEnd()) return;  // a trailing operator is ignored
        Variant right = Operand(lv);
        const int op = lv.pending;
        const int next = lv.pending = Operator();
        if (Class(next) > Class(op) || (Class(next) == Class(op) && Class(next) > Class(lv.last))) {
            Nesting nesting(*this, lv.start);
            Continue(lv, right);
        }
        lv.last = op;
        Apply(lv, op, left, right);
    }

    int Operator() {
        SkipBlanks();
        const char c = Cur();
        switch (c) {
            case '^': ++pos_; return opPower;
            case '*': ++pos_; return opMultiply;
            case '/': ++pos_; return opDivide;
            case '+': ++pos_; return opAdd;
            case '-': ++pos_; return opSubtract;
            case '=': ++pos_; return opEqual;
            case '>':
                if (At(pos_ + 1) == '=') return pos_ += 2, opGreaterEqual;
                return ++pos_, opGreater;
            case '<':
                if (At(pos_ + 1) == '=') return pos_ += 2, opLessEqual;
                if (At(pos_ + 1) == '>') return pos_ += 2, opNotEqual;
                return ++pos_, opLess;
            default: break;
        }
        // Keywords move on by their length whether they match or not, and a match also takes the
        // character after it; never past the end of the text.
        const char u = UpCase(c);
        int code = opNone;
        size_t length = 0;
        if (u == 'A' || u == 'D' || u == 'M') {
            std::string_view w = t_.substr(pos_, 3);
            code = SameText(w, "AND") ? opAnd : SameText(w, "MOD") ? opMod : SameText(w, "DIV") ? opDiv : opNone;
            length = 3;
        } else if (u == 'O') {
            code = SameText(t_.substr(pos_, 2), "OR") ? opOr : opNone;
            length = 2;
        } else {
            return opNone;
        }
        pos_ = std::min(t_.size(), pos_ + length + (code != opNone ? 1 : 0));
        return code;
    }

    Variant Operand(Level& lv) {
        Variant v;
        SkipBlanks();
        const char c = Cur();
        if (c == '(') {
            ++pos_;
            v = Expression();
        } else if (Is(c, kNumber)) {
            v = Number();
        } else if (c == '[') {
            Bracketed(v);
        } else if (c == '\'') {
            v = StringLiteral();
        } else if (IsNot()) {
            pos_ += 3;
            Nesting nesting(*this, lv.start);
            v = Not(Operand(lv));
        } else if (Is(c, kNameStart)) {
            Name(v);
        } else if (c == '-' || c == '+') {
            v = Variant(0);  // the sign is then read as an operator between 0 and what follows
        }
        if (v.IsEmpty()) Fail(kUnknownMessage, lv.start);
        return v;
    }

    Variant Number() {
        const size_t start = pos_;
        while (pos_ < t_.size() && Is(t_[pos_], kNumber)) ++pos_;
        const std::string_view run = t_.substr(start, pos_ - start);
        SkipBlanks();
        // The literal's "." stands for the locale's decimal separator, so reading it with "."
        // gives the same number; other runs (1.2.3) go to the locale parser for its message.
        double d = 0;
        if (std::count(run.begin(), run.end(), '.') <= 1) {
            auto r = std::from_chars(run.data(), run.data() + run.size(), d);
            if (r.ec == std::errc() && r.ptr == run.data() + run.size()) return Variant(d);
        }
        std::string text(run);
        if (size_t dot = text.find('.'); dot != std::string::npos) text[dot] = CurrentFormatSettings().DecimalSeparator;
        return Variant(TextToNumber(text));
    }

    void Bracketed(Variant& v) {
        const size_t close = t_.find(']', pos_ + 1);
        if (close == std::string_view::npos) {  // nothing is resolved
            pos_ = t_.size();
            return;
        }
        const std::string_view name = t_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        if (ev_.ResolveValue) ev_.ResolveValue(ev_.ResolveContext, name, nullptr, v);
    }

    Variant StringLiteral() {
        ++pos_;
        std::string s;
        while (pos_ < t_.size()) {
            const char c = t_[pos_++];
            if (c != '\'') {
                s += c;
            } else if (Cur() == '\'') {
                s += '\'';
                ++pos_;
            } else {
                break;
            }
        }
        return Variant(std::move(s));
    }

    bool IsNot() const {
        return UpCase(Cur()) == 'N' && UpCase(At(pos_ + 1)) == 'O' && UpCase(At(pos_ + 2)) == 'T' &&
               !Is(At(pos_ + 3), kName);
    }

    // The complement of the operand's integer value equals "true" (all bits set) exactly when the
    // value is 0; a truth value is negated logically.
    static Variant Not(const Variant& x) {
        if (x.IsBoolean()) return Variant(x.BooleanValue() ? 0 : 1);
        return Variant(x.AsInt64() == 0 ? 1 : 0);
    }

    void Name(Variant& v) {
        const size_t start = pos_;
        while (pos_ < t_.size() && Is(t_[pos_], kName) && t_[pos_] != '"') ++pos_;
        if (Cur() == '"') {
            const size_t close = t_.find('"', pos_ + 1);
            pos_ = close == std::string_view::npos ? t_.size() : close + 1;
        }
        const std::string_view name = TrimBlanks(t_.substr(start, pos_ - start));
        SkipBlanks();
        TcvExprArgs args;
        const bool hasArgs = Cur() == '(';
        if (hasArgs) SplitArguments(args);
        if (ev_.ResolveValue) ev_.ResolveValue(ev_.ResolveContext, name, hasArgs ? &args : nullptr, v);
    }

    // The position is at "("; leaves it after the closing ")" (or at the end of the text).
    void SplitArguments(TcvExprArgs& args) {
        for (;;) {
            const size_t argStart = pos_ + 1;
            size_t i = argStart;
            int open = 1, close = 0;
            bool dq = false, sq = false, br = false;
            for (; i < t_.size(); ++i) {
                const char c = t_[i];
                if (!Is(c, kSplitting)) continue;
                if (br) {
                    br = c != ']';
                    continue;
                }
                if (c == '"' && !sq)
                    dq = !dq;
                else if (c == '\'' && !dq)
                    sq = !sq;
                else if (!dq && !sq) {
                    if (c == '[') {
                        br = true;
                        continue;
                    }
                    open += c == '(';
                    close += c == ')';
                    if ((c == ',' && open - close == 1) || open == close) break;
                }
            }
            if (i > argStart) args.emplace_back(t_.substr(argStart, i - argStart));
            if (i >= t_.size()) {
                pos_ = t_.size();
                return;
            }
            pos_ = i;
            if (t_[i] == ')') {
                ++pos_;
                return;
            }
        }
    }

    void Apply(const Level& lv, int op, Variant& left, const Variant& right) {
        if (op == opNone) Fail(kMissingOperatorMessage, lv.start);
        Variant r;
        try {
            switch (op) {
                case opEqual: r = Variant(VarCompare(left, right) == 0); break;
                case opGreaterEqual: r = Variant(VarCompare(left, right) >= 0); break;
                case opGreater: r = Variant(VarCompare(left, right) > 0); break;
                case opLessEqual: r = Variant(VarCompare(left, right) <= 0); break;
                case opNotEqual: r = Variant(VarCompare(left, right) != 0); break;
                case opLess: r = Variant(VarCompare(left, right) < 0); break;
                case opAdd: r = VarApply(VarOp::Add, left, right); break;
                case opSubtract: r = VarApply(VarOp::Subtract, left, right); break;
                case opOr: r = VarApply(VarOp::Or, left, right); break;
                case opPower: r = VarPower(left, right); break;
                case opMultiply: r = VarApply(VarOp::Multiply, left, right); break;
                case opDivide: r = VarApply(VarOp::Divide, left, right); break;
                case opAnd: r = VarApply(VarOp::And, left, right); break;
                case opMod: r = VarApply(VarOp::Modulo, left, right); break;
                case opDiv: r = VarApply(VarOp::IntDivide, left, right); break;
                default: break;
            }
        } catch (const EngineError&) {
            if (ev_.ErrorMode != 1) Fail(kIncompatibleMessage, lv.start);
            r = Variant(0);
        }
        if (r.IsBoolean()) r = Variant(r.BooleanValue() ? 1 : 0);
        left = std::move(r);
    }

    TcvExpr& ev_;
    std::string_view t_;
    size_t pos_ = 0;
};

void TcvExpr::Evaluate(std::string_view text, Variant& value) {
    text = text.substr(0, text.find('\0'));
    CheckParentheses(text);
    ExprReader reader(*this, text);
    value = reader.Run();
}

constinit TcvExpr TheExpressionEvaluator;

void EvaluateExpression(std::string_view text, Variant& value) { ExpressionEvaluator().Evaluate(text, value); }

void SetExpressionResolver(TcvResolveValue resolver, void* context) {
    TcvExpr& ev = ExpressionEvaluator();
    ev.ResolveValue = resolver;
    ev.ResolveContext = context;
}

void SetExpressionErrorMode(uint8_t mode) { ExpressionEvaluator().ErrorMode = mode; }

}  // namespace tessaly
