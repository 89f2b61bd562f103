#pragma once
// JSON text as a tree that remembers where every value and key stood (line and column, both from
// 1, columns counted in characters), so that a reader of a document written by hand can say where
// a mistake is. Strings are UTF-8; numbers keep their literal text, so that integers of any size
// are judged exactly. Reading is bounded: the nesting depth and the input size are limited, and a
// key given twice in one object is an error. Writing has one canonical layout (JsonWrite.cpp).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Errors.h"

namespace tessaly::json {

// Where a value or key begins; {0, 0} for one made in memory.
struct Place {
    int32_t line = 0;
    int32_t column = 0;
};

// "riga L, colonna C".
std::string PlaceName(Place place);
// "riga L, colonna C: " (empty for a place that was never read).
std::string PlaceText(Place place);

enum class Kind : uint8_t { Null, Boolean, Number, String, Array, Object };

struct Member;

struct Node {
    Kind kind = Kind::Null;
    Place place;
    bool boolean = false;
    std::string text;              // a string's UTF-8 text, or a number's literal
    std::vector<Node> items;       // an array's values
    std::vector<Member> members;   // an object's members, in document order

    static Node Boolean(bool value);
    static Node Integer(int64_t value);
    static Node String(std::string utf8);
    static Node Array();
    static Node Object();

    bool Is(Kind k) const { return kind == k; }
    // A number written without fraction or exponent that fits 64 bits.
    bool ToInteger(int64_t& value) const;
    // The member of that key, or nullptr.
    const Member* Find(std::string_view key) const;
    // The value of that key, or nullptr.
    Node* At(std::string_view key);
    // Appends a member (an object) or an item (an array); returns the value added.
    Node& Add(std::string key, Node value);
    Node& Append(Node value);
};

struct Member {
    std::string key;
    Place place;  // of the key
    Node value;
};

// A document that is not JSON, or is beyond the limits: the message begins with its place.
class ParseError : public EngineError {
public:
    ParseError(Place place, const std::string& message) : EngineError(PlaceText(place) + message), place_(place) {}
    Place Where() const { return place_; }

private:
    Place place_;
};

struct Limits {
    int32_t maxDepth = 64;
    size_t maxBytes = size_t{256} << 20;
};

// Reads one JSON value (an optional UTF-8 byte order mark and white space around it); raises
// ParseError with the place of the first mistake. Messages are cp1252, in Italian.
Node Parse(std::string_view text, const Limits& limits = {});

// The canonical text: two spaces per level, a container on one line when it fits in 100 columns,
// members in their order, non-ASCII characters as UTF-8 and control characters escaped; ends
// with a line break.
std::string Write(const Node& node);

}  // namespace tessaly::json
