#pragma once
// The filled PDF: the field list an FDF is written from, filled into a copy of the blank form itself,
// so that any PDF viewer shows the values, FDF import or not.

#include "FieldEntry.h"

#include <QString>

#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace pdf {

// Why a form could not be filled; what() is the reason for the user, in Italian and UTF-8, fit to
// follow "Attenzione: impossibile compilare il modulo PDF <nome>: ".
class FormFillError : public std::runtime_error
{
public:
    explicit FormFillError(const std::string& reason, bool damaged = false)
        : std::runtime_error(reason), m_damaged(damaged)
    {
    }
    // True when the file is no readable PDF form at all (it cannot be read, is not a PDF, has no
    // fields, or is damaged so that its fill would not read back); false when the form reads but does
    // not take the entries (a field missing or of another kind) or the filled file cannot be written.
    bool damaged() const { return m_damaged; }

private:
    bool m_damaged;
};

// A field whose value has letters that its appearance cannot show.
struct UnprintedLetters
{
    QString field;
    QString letters; // each once, in the value's order
};

// Fills `entries` into the PDF form at `pdfPath` and replaces that file whole with the filled form:
// text values as PDF text strings (line ends as one LF each), check boxes and choices by state name;
// a no-value entry leaves its field as the form has it. Appearance streams are generated for the text
// fields set, and /NeedAppearances is left true for viewers that build their own. Values with letters
// beyond the form's standard font are drawn with a subset of the TrueType font `unicodeFont` ("" for
// none), embedded once.
//
// Every field an entry names must be in the form, of a kind that takes the entry: otherwise, and
// when the file is not a readable PDF form, when the filled form would not read back with the values,
// or when the file cannot be replaced, FormFillError is raised and the file stays exactly as it was.
//
// Returns the fields whose appearances lack letters of their values, in the entries' order: those
// letters may not show or print in viewers that draw the appearance as it is.
std::vector<UnprintedLetters> fillPdfForm(const QString& pdfPath, const std::vector<FieldEntry>& entries,
                                          const QString& unicodeFont);

// The same fill made in memory: the PDF form in `blank` filled, as bytes that read back with the
// values; `description` names it in qpdf's own messages. FormFillError as above.
QByteArray filledPdfForm(const QByteArray& blank, const QString& description,
                         const std::vector<FieldEntry>& entries, const QString& unicodeFont,
                         std::vector<UnprintedLetters>& unprinted);

// The user's warning about those letters in the filled copy `fileName`, naming the font setting and
// where the user's settings are kept (`settingsLocation`); "" when there are none.
QString unprintedLettersWarning(const QString& fileName, const std::vector<UnprintedLetters>& unprinted,
                                const QString& settingsLocation);

// A form's field values by fully-qualified name, as far as a viewer shows them: a text with each
// line break as one LF, a check box or choice by its state name, "" for no value and for "Off".
using FormValues = std::map<QString, QString>;

// The field values of the PDF form at `pdfPath`; nullopt when it is not a readable PDF form.
std::optional<FormValues> readFormValues(const QString& pdfPath);

// What tells a copy of a form that someone worked on: its field values, and how many of its
// annotations are not a field's widget (a note, ink, a stamp, a link, and their popups).
struct FormReading
{
    FormValues values;
    std::size_t otherAnnotations = 0;
};

// The PDF form in `bytes` read so; nullopt when it is not a readable PDF form.
std::optional<FormReading> readForm(const QByteArray& bytes, const QString& description);

// The "on" state of each check box of the PDF form at `pdfPath`, by fully-qualified name: the state
// other than "Off" whose normal appearance (/AP /N) its widgets define. Empty when the file is not a
// readable PDF form.
std::map<QString, QString> checkBoxOnStates(const QString& pdfPath);

// The values that fillPdfForm(entries) leaves in a form whose values were `form`.
FormValues filledValues(FormValues form, const std::vector<FieldEntry>& entries);

} // namespace pdf
