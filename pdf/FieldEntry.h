#pragma once
// One field of a form's value list, as plain data: the list an FDF file is written from (fdf/) and the
// one a PDF form is filled with (FilledPdf.h) are the same list.

#include <QString>

namespace pdf {

enum class FieldValueKind {
    Text,        // <</T(name)/V(value)>>, written even when the value is empty
    NoValue,     // <</T(name)>>
    CheckBoxOff, // <</T(name)/V/Off>>
    NamedState,  // <</T(name)/V/state>>, the state name in `value`
};

struct FieldEntry
{
    QString name;
    FieldValueKind kind = FieldValueKind::NoValue;
    QString value; // raw, unescaped

    bool operator==(const FieldEntry&) const = default;
};

} // namespace pdf
