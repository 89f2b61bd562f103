#include "platform/emf/FontSubstitution.h"

#include "platform/core/Cp1252.h"

namespace tessaly::emf {

namespace {

struct Substitute {
    std::string_view face;
    std::string_view family;
};

constexpr Substitute kTable[] = {
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Tahoma", "Liberation Sans"},
    {"Verdana", "Liberation Sans"},
};

}  // namespace

std::string_view SubstituteFace(std::string_view face) {
    for (const auto& s : kTable)
        if (SameText(s.face, face)) return s.family;
    return face;
}

}  // namespace tessaly::emf
