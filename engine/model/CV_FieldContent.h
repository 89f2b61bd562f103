#pragma once
// Objects whose content comes from a large-object database field: a text object or a picture whose
// first designed line is "[" name "]" takes its lines or its picture from the field of that name,
// while the report has a named value bound to a large-object field (TcvReport::HasPictureFields).
namespace tessaly {

namespace data {
class Field;
}

class TcvView;

// The field named by the object's first line: the bound field of a data-field named value of that
// name, or else the field found by the name (FindDataField); only a large-object field counts.
// None when the rule does not apply.
data::Field* ContentField(const TcvView& view);

}  // namespace tessaly
