#pragma once
// The Italian fiscal code (codice fiscale): its check character, and whether the code agrees with the
// personal data of the person it is given for. QtCore only, and cheap: a check reads each character
// once and allocates nothing, except to take the accent off a letter beyond ASCII.
//
// A code is 16 characters: surname letters (3), name letters (3), year (2 digits), month letter, day
// (2 digits, plus 40 for women), birth town's cadastral code (a letter and 3 digits), check character.
// When two people would get the same code, the registry replaces digits from the right with the
// omocodia letters L M N P Q R S T U V (standing for 0 to 9): at most the seven digit places, in the
// order 15th, 14th, 13th, 11th, 10th, 8th, 7th character. Letters are compared without regard to case.

#include <QDate>
#include <QFlags>
#include <QString>
#include <QStringView>

namespace clinical {

class EssentialDataDocument;
struct PatientRow;

// The check character computed from the first 15 characters of a code, by the official tables of the
// odd and even places; omocodia letters count as the letters they are. QChar() when the text is not
// 15 letters (A-Z, either case) and digits.
QChar fiscalCodeCheckCharacter(QStringView first15);

// True when the code is 16 letters and digits and its last character is the check character of the
// first 15. Only the check character: the code's form is the format check's business.
bool hasValidCheckCharacter(QStringView code);

// The parts of a person's data that a code can disagree with. The day of birth is encoded together
// with the sex (women's day plus 40), and the two are told apart: the decoded day (minus 40 when over
// 40) is compared with the birth date, the "over 40" with the sex. So a woman's code carrying her birth
// day without the 40 disagrees with `Sesso` only, and a woman's code with another day of birth (over
// 40) with `DataDiNascita` only. `DataDiNascita` also covers the year (two digits) and the month letter.
enum class FiscalCodePart : unsigned {
    Cognome = 0x01,
    Nome = 0x02,
    Sesso = 0x04,
    DataDiNascita = 0x08,
    ComuneDiNascita = 0x10,
};
Q_DECLARE_FLAGS(FiscalCodeParts, FiscalCodePart)
Q_DECLARE_OPERATORS_FOR_FLAGS(FiscalCodeParts)

// What a code is compared with. A value that is missing is not compared, so it is never reported.
struct FiscalCodePerson
{
    QString cognome;         // surname; accents dropped (À gives A), blanks and apostrophes ignored
    QString nome;            // first name(s), read the same way
    QString sesso;           // "M" or "F", compared exactly; any other text (the empty one too): unknown
    QDate dataNascita;       // null: unknown
    QString codiceCatastale; // the birth town's cadastral code (a foreign country's "Z..." code for
                             // the foreign-born); "": unknown
};

// The parts of the person's data that the code disagrees with; none when all agree. The omocodia
// letters are read back as digits first. A code that does not have the fiscal-code form (16
// characters; letters where letters go; digits or omocodia letters where digits go) gives none: that
// is a format error, not a disagreement. The check character is not looked at here.
FiscalCodeParts fiscalCodeDisagreements(QStringView code, const FiscalCodePerson& person);

// The Italian name of one part, as the messages say it: "cognome", "nome", "sesso", "data di nascita",
// "comune di nascita".
QString fiscalCodePartName(FiscalCodePart part);

// The names of the parts, in that order (the order of the certificate's personal data), joined by ", ":
// the list that follows "Il codice fiscale non corrisponde a: ". "" for none.
QString fiscalCodePartNames(FiscalCodeParts parts);

// The sentence that names the parts: "il codice fiscale non corrisponde a: <names>"; "" for none.
QString fiscalCodeDisagreementText(FiscalCodeParts parts);

// The warning of a pre-fill whose form the doctor checks against the code: "Attenzione: " and the
// sentence above, with a full stop; "" for none.
QString fiscalCodeWarning(FiscalCodeParts parts);

// The parts of the pre-fills' person that the export's code disagrees with: the names and the birth
// date as the patient row gives them (as the form shows them), the sex and the birth town's cadastral
// code as the export gives them (an export without that code leaves the town uncompared).
FiscalCodeParts exportFiscalCodeDisagreements(const EssentialDataDocument& document, const PatientRow& row);

} // namespace clinical
