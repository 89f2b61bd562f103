#pragma once
// The JSON form of a template: a text beside the ".cvf" stream, as complete as it and written to
// be read and edited by people and programs:
//   {"format": "tessaly-template", "version": 1, "twoPass": true,
//    "datasets": [{"name": "righe", "dataset": "Dati.righe"}],
//    "pages": [{"paper": "A4", "objects": [{"type": "band", "name": "Band1", "band": "masterData", ...}]}],
//    "values": [{"name": "Totale", "kind": "expression", "expression": "SUM(importo)"}],
//    "data": []}
// docs/template.schema.json describes every key. The form is a transcription of the version 29
// stream, field by field (CV_JsonFields.h): a JSON template is turned into those bytes and loaded
// like any ".cvf", so that it can mean nothing that a ".cvf" cannot, and a template converted
// either way and back is what it was.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

inline constexpr char kJsonTemplateFormat[] = "tessaly-template";
inline constexpr int kJsonTemplateVersion = 1;

// The JSON form (UTF-8, in the canonical layout of json::Write) of a version 29 template stream as
// TcvReport::SaveToStream writes it. Raises EngineError for bytes that are not such a stream.
std::string TemplateStreamToJson(std::span<const uint8_t> stream);

// The version 29 template stream of a JSON form (UTF-8). A document with a mistake raises
// json::ParseError, whose message begins with the mistake's place ("riga 12, colonna 5: ..."): text
// that is not JSON, an unknown key, a value of the wrong kind or beyond what the stream holds, a
// sub-report showing a missing page or its own, two objects of one name.
std::vector<uint8_t> JsonToTemplateStream(std::string_view json);

// Whether bytes begin like a JSON object or array (after an optional byte order mark and white
// space): how a template in JSON is told from a ".cvf", whose first byte is never "{" or "[".
bool LooksLikeJsonTemplate(std::span<const uint8_t> head);

}  // namespace tessaly
