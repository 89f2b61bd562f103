#include <limits>

#include "platform/core/Json.h"

namespace tessaly::json {

namespace {

constexpr size_t kWidth = 100;
constexpr size_t kUnlimited = std::numeric_limits<size_t>::max();

void AppendControl(std::string& out, unsigned c) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// Control characters (C0 and C1) are escaped, so that the text shows every one of them.
void AppendString(std::string& out, std::string_view s) {
    out += '"';
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n' || c == '\r' || c == '\t') {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else if (c < 0x20) {
            AppendControl(out, c);
        } else if (c == 0xC2 && next >= 0x80 && next < 0xA0) {
            AppendControl(out, next);
            ++i;
        } else {
            out += char(c);
        }
    }
    out += '"';
}

// Appends the one-line form; false as soon as `out` passes `limit` characters.
bool AppendInline(const Node& n, std::string& out, size_t limit) {
    switch (n.kind) {
        case Kind::Null: out += "null"; break;
        case Kind::Boolean: out += n.boolean ? "true" : "false"; break;
        case Kind::Number: out += n.text; break;
        case Kind::String:
            if (limit != kUnlimited && out.size() + n.text.size() + 2 > limit) return false;
            AppendString(out, n.text);
            break;
        case Kind::Array:
            out += '[';
            for (size_t i = 0; i < n.items.size(); ++i) {
                if (i > 0) out += ", ";
                if (!AppendInline(n.items[i], out, limit)) return false;
            }
            out += ']';
            break;
        case Kind::Object:
            out += '{';
            for (size_t i = 0; i < n.members.size(); ++i) {
                if (i > 0) out += ", ";
                AppendString(out, n.members[i].key);
                out += ": ";
                if (!AppendInline(n.members[i].value, out, limit)) return false;
            }
            out += '}';
            break;
    }
    return out.size() <= limit;
}

void AppendPretty(const Node& n, std::string& out, size_t indent, size_t column) {
    const bool container = n.Is(Kind::Array) || n.Is(Kind::Object);
    if (!container || (n.items.empty() && n.members.empty())) return void(AppendInline(n, out, kUnlimited));
    std::string flat;
    if (column < kWidth && AppendInline(n, flat, kWidth - column)) return void(out += flat);
    const std::string inner(indent + 2, ' ');
    out += n.Is(Kind::Array) ? "[\n" : "{\n";
    const size_t count = n.Is(Kind::Array) ? n.items.size() : n.members.size();
    for (size_t i = 0; i < count; ++i) {
        out += inner;
        size_t start = out.size() - inner.size();
        if (n.Is(Kind::Object)) {
            AppendString(out, n.members[i].key);
            out += ": ";
        }
        AppendPretty(n.Is(Kind::Array) ? n.items[i] : n.members[i].value, out, indent + 2, out.size() - start);
        out += i + 1 < count ? ",\n" : "\n";
    }
    out += std::string(indent, ' ');
    out += n.Is(Kind::Array) ? ']' : '}';
}

}  // namespace

std::string Write(const Node& node) {
    std::string out;
    AppendPretty(node, out, 0, 0);
    out += '\n';
    return out;
}

}  // namespace tessaly::json
