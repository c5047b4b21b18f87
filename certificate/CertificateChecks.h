#pragma once
// The two check phases run by "Salva" (format, then mandatory) and the message that names their
// failures by the captions of the editor's labels. Free of widgets: the checks take the values and a
// cadastral-code look-up and name the fields that fail; the captions come from one table, which the
// editor's test holds equal to its form's labels.

#include "CertificateFields.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace certificate {

enum class CheckKind { Format = 0, Mandatory = 1 };

// The values the checks name. The first eighteen stand in the editor beside a label whose caption
// names them in the messages; the ICD-9 codes and the purposes of the claim have texts of their own.
enum class Field {
    Cognome,
    Nome,
    Sesso,
    CodiceFiscale,
    DataDiNascita,
    LuogoDiNascita,
    CodTesSanitaria,
    AslDiAppartenenza,
    Anamnesi,
    Obiettivita,
    Diagnosi,
    Terapia,
    Luogo,
    Data,
    CognomeMedico,
    NomeMedico,
    NumIscrizione,
    ProvAlbo,
    CodiciIcd9,
    Domanda,
};

// The fields a check phase found wanting, in the order of its rules.
using Failures = std::vector<Field>;

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

// The failures of each phase, in the fixed order of their rules.
Failures CheckFormat(const CertificateFields& fields, const CadastralLookup& cadastralCodeOf);
Failures CheckMandatory(const CertificateFields& fields, const CadastralLookup& cadastralCodeOf);

// The caption of the label beside the field in the editor's form (TFormGestCertMedINPS.ui); "" for the
// ICD-9 codes and the purposes, which have no label of their own.
QString fieldCaption(Field field);

// A failed field's text in a message of that kind: its caption, or the text of its own that the ICD-9
// codes (one for each kind) and the purposes have.
QString CheckItemText(CheckKind kind, Field field);

// The message for the given item texts: the prefix for the kind and the count, then the texts
// joined by ", ". "" when there are none.
QString checkMessage(CheckKind kind, const QStringList& itemTexts);

// The message that names the failures of one phase; "" when there are none.
QString BuildCheckMessage(CheckKind kind, const Failures& failures);

} // namespace certificate
