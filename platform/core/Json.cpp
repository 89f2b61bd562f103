#include "platform/core/Json.h"

#include <charconv>

namespace tessaly::json {

std::string PlaceName(Place place) {
    return "riga " + std::to_string(place.line) + ", colonna " + std::to_string(place.column);
}

std::string PlaceText(Place place) { return place.line > 0 ? PlaceName(place) + ": " : std::string(); }

Node Node::Boolean(bool value) {
    Node n;
    n.kind = Kind::Boolean;
    n.boolean = value;
    return n;
}

Node Node::Integer(int64_t value) {
    Node n;
    n.kind = Kind::Number;
    n.text = std::to_string(value);
    return n;
}

Node Node::String(std::string utf8) {
    Node n;
    n.kind = Kind::String;
    n.text = std::move(utf8);
    return n;
}

Node Node::Array() {
    Node n;
    n.kind = Kind::Array;
    return n;
}

Node Node::Object() {
    Node n;
    n.kind = Kind::Object;
    return n;
}

bool Node::ToInteger(int64_t& value) const {
    if (kind != Kind::Number || text.find_first_of(".eE") != std::string::npos) return false;
    const char* end = text.data() + text.size();
    auto [last, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && last == end;
}

const Member* Node::Find(std::string_view key) const {
    for (const Member& m : members)
        if (m.key == key) return &m;
    return nullptr;
}

Node* Node::At(std::string_view key) {
    for (Member& m : members)
        if (m.key == key) return &m.value;
    return nullptr;
}

Node& Node::Add(std::string key, Node value) {
    members.push_back({std::move(key), {}, std::move(value)});
    return members.back().value;
}

Node& Node::Append(Node value) {
    items.push_back(std::move(value));
    return items.back();
}

}  // namespace tessaly::json
