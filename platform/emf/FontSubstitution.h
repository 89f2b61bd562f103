#pragma once
// Our own face substitution table, used wherever a metafile font becomes a real one (recording
// canvas and player). fontconfig's own choices differ in width for some of these faces (it takes
// DejaVu Sans for "MS Sans Serif", 13 % wider), so the metric-compatible Liberation faces are named
// explicitly.
#include <string_view>

namespace tessaly::emf {

// The family to ask the font system for: the substitute of a known face (compared without regard
// to ASCII case), else the face itself.
std::string_view SubstituteFace(std::string_view face);

}  // namespace tessaly::emf
