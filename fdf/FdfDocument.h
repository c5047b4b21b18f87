#pragma once
// The FDF document: a form's field values as data, and the one serializer that writes them.
//
// A writer builds its field list once, as an ordered list of entries holding the values as the data
// gives them (unescaped); escaping and encoding happen only when the list is written, so that the same
// list can fill any other form output.

#include "pdf/FieldEntry.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <vector>

namespace fdf {

// The entries are the PDF engine's field entries, under the names the FDF writers know them by.
using FdfValueKind = pdf::FieldValueKind;
using FdfEntry = pdf::FieldEntry;

FdfEntry textEntry(const QString& name, const QString& value);
// A text entry when the value is not empty, otherwise the entry without a value.
FdfEntry textOrEmpty(const QString& name, const QString& value);
FdfEntry noValue(const QString& name);
FdfEntry checkBoxOff(const QString& name);
FdfEntry namedState(const QString& name, const QString& state);

// How the field array is closed: "]" after the last entry and ">>" on a line of its own (AP68), or a
// line "]>>" after the last entry (AP42 SS3).
enum class FdfClosing { AfterLastEntry, OwnLine };

enum class PathStyle { Windows, Unix };
PathStyle nativePathStyle();

// The "/F" file specification of a form file: for a Windows path "/" + the path without ":" and with
// "/" for "\", for a Unix path the path itself.
QString fileSpecification(const QString& path, PathStyle style);

// The whole FDF file, every line ended by CR LF. Field names and the file specification are written
// in Windows-1252; values as PDF text strings (text/PdfText.h).
QByteArray serializeFdf(const QString& fileSpecification, const std::vector<FdfEntry>& entries,
                        FdfClosing closing);

// Raised when the FDF file cannot be written; what() is the message for the user, in UTF-8.
class FdfWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Replaces the file at `path` whole with `bytes`; on failure the earlier file stays as it was and
// FdfWriteError says why, in Italian, then the path.
void writeFdfFile(const QString& path, const QByteArray& bytes);

// The FDF of `entries` for the form file `formPath` (its /F, in the platform's path style), written as
// writeFdfFile writes.
void writeFormFdf(const QString& fdfPath, const QString& formPath, const std::vector<FdfEntry>& entries,
                  FdfClosing closing);

} // namespace fdf
