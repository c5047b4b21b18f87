#pragma once
// The two check phases run by "Salva" (format, then mandatory) and the message that names their
// failures by the captions of the editor's labels. Free of widgets: the checks take the values and a
// cadastral-code look-up, and the captions come from a table of the editor form's labels.

#include "CertificateFields.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace certificate {

enum class CheckKind { Format = 0, Mandatory = 1 };

// Failure items that are not control names.
inline const QString kItemIcd9NoCorrect = QStringLiteral("CodiceICD-9_no_correct");
inline const QString kItemIcd9NoPresent = QStringLiteral("CodiceICD-9_no_present");
inline const QString kItemTipoDomanda = QStringLiteral("Tipo_Domanda_no_cheked");

// Separators of the failure lists.
inline const QString kFormatSeparator = QStringLiteral("|");
inline const QString kMandatorySeparator = QStringLiteral("$");

// The fixed patterns. The fiscal code is tested whole; where its form has a digit, the omocodia
// letters (L M N P Q R S T U V) stand for digits too.
inline const QString kFiscalCodePattern =
    QStringLiteral("^[A-Za-z]{6}[0-9LMNP-Vlmnp-v]{2}[A-Za-z][0-9LMNP-Vlmnp-v]{2}[A-Za-z][0-9LMNP-Vlmnp-v][A-"
                   "Za-z0-9]{2}[A-Za-z]$");
inline const QString kCadastralCodePattern = QStringLiteral("[A-Za-z]{1}[0-9]{3}");
inline const QString kProvinciaPattern = QStringLiteral("[A-Za-z]{2}");

inline constexpr int kMemoLimit = 1000;

// A town name to its cadastral code; "" when the host finds none.
using CadastralLookup = std::function<QString(const QString& town)>;

// True when the pattern matches somewhere in the text (a search, not a whole-text match).
bool MatchesPattern(const QString& pattern, const QString& text);

// The number of characters of a value (a character outside the BMP counts once).
int textLength(const QString& text);

// Failure items of each phase, in the fixed order of their rules.
QStringList CheckFormat(const CertificateFields& fields, const CadastralLookup& cadastralCodeOf);
QStringList CheckMandatory(const CertificateFields& fields, const CadastralLookup& cadastralCodeOf);

// The text of one of the three fixed items; "" for any other item (a control name).
QString fixedItemText(const QString& item);

// The caption of the editor's label beside a control: the label's name is the control's with its kind
// word ("Edit", "Memo", "RadioGroup", "DateTimePicker") replaced by "Label". The control's own name when
// there is no such label.
QString labelTextOf(const QString& controlName);

// An item's text in a message: a fixed item's own text, else the caption of the control's label.
QString CheckItemText(const QString& item);

// The message for the given item texts: the prefix for the kind and the count, then the texts
// joined by ", ". "" when there are none.
QString checkMessage(CheckKind kind, const QStringList& itemTexts);

// The message that names the failure items of one phase; "" when there are none.
QString BuildCheckMessage(CheckKind kind, const QStringList& items);

} // namespace certificate
