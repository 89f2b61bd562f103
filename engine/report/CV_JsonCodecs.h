#pragma once
// One field of the JSON form (CV_JsonFields.h) both ways: how its value looks in JSON and how
// it is stored in the template stream. JSON text is UTF-8 and the engine's is cp1252: texts are
// converted here, and a character that cp1252 lacks is refused.
#include <string>

#include "engine/report/CV_JsonFields.h"
#include "platform/core/Json.h"
#include "platform/core/Stream.h"

namespace tessaly::jsonform {

// Raises json::ParseError: "riga L, colonna C: " + message.
[[noreturn]] void Refuse(json::Place place, const std::string& message);
// Refuses a value of the wrong kind: "\"key\" deve essere " + what.
[[noreturn]] void Expected(const json::Node& node, std::string_view key, const char* what);
// "\"key\"" for messages (the key is ASCII).
std::string Quoted(std::string_view key);

// The field's default within its record (some defaults depend on other fields).
FieldValue DefaultOf(const Field& field, const Values& values);
bool IsDefault(const Field& field, const FieldValue& value, const Values& values);

json::Node ToJson(const Field& field, const FieldValue& value);
// The value a JSON node gives the field, checked against what the stream can hold.
FieldValue FromJson(const Field& field, std::string_view key, const json::Node& node);

// The stream form (StreamVersion 29). A picture's end is an absolute position; Rest has no form
// of its own (its bytes are the object's last).
FieldValue ReadStored(Stream& stream, Stored stored);
void WriteStored(Stream& stream, Stored stored, const FieldValue& value);

// A JSON text in cp1252, or a refusal at the node's place.
AnsiString TextOf(const json::Node& node, std::string_view key, size_t maxLength);

}  // namespace tessaly::jsonform
