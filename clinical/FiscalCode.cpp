#include "FiscalCode.h"

#include "EssentialData.h"
#include "PatientRow.h"
#include "text/Messages.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace clinical {

namespace {

constexpr qsizetype kCodeLength = 16;
// The places (from 0) that hold digits, or omocodia letters standing for them.
constexpr unsigned kDigitPlaces = 1u << 6 | 1u << 7 | 1u << 9 | 1u << 10 | 1u << 12 | 1u << 13 | 1u << 14;
constexpr char kMonthLetters[] = "ABCDEHLMPRST";
constexpr char kOmocodiaLetters[] = "LMNPQRSTUV";
// The value of A..Z in an odd place (1st, 3rd, ... character); a digit counts as the letter of its
// rank (0 as A, 9 as J). In an even place a letter is worth its rank and a digit itself.
constexpr std::array<int, 26> kOddValues = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                            20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};

bool isLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// An ASCII character with its letters upper-cased; '\0' for anything beyond ASCII.
char asciiUpper(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    return c < 0x80 ? static_cast<char>(c) : '\0';
}

// The digit that an omocodia letter stands for; -1 for any other character.
int omocodiaDigit(char c)
{
    for (int digit = 0; digit < 10; ++digit) {
        if (kOmocodiaLetters[digit] == c)
            return digit;
    }
    return -1;
}

// The rank of a letter (A = 0) or the value of a digit; -1 for anything else.
int placeValue(QChar c)
{
    const char a = asciiUpper(c.unicode());
    if (isLetter(a))
        return a - 'A';
    if (isDigit(a))
        return a - '0';
    return -1;
}

// The base letter (A-Z) of one character of a name, as the registry writes it: the letter itself, the
// letter under an accent or other mark (À, Ç, Ễ), or for the letters whose mark is part of the letter
// and does not come off by decomposition (Ł, Ø, Đ) the letter they are drawn from. '\0' for anything
// else: blanks, apostrophes, hyphens, other scripts.
char baseLetter(QChar c)
{
    char32_t u = c.unicode();
    if (u >= 0x80) {
        switch (u) {
        case 0x0141: // Ł
        case 0x0142: // ł
            return 'L';
        case 0x00D8: // Ø
        case 0x00F8: // ø
            return 'O';
        case 0x0110: // Đ
        case 0x0111: // đ
            return 'D';
        default:
            break;
        }
        // A canonical decomposition puts the base character first (Ễ → Ê + tilde → E + circumflex
        // + tilde); only what ends at an ASCII letter counts.
        while (QChar::decompositionTag(u) == QChar::Canonical) {
            const QString parts = QChar::decomposition(u);
            if (parts.isEmpty())
                break;
            u = parts.front().unicode();
        }
    }
    const char a = asciiUpper(u);
    return isLetter(a) ? a : '\0';
}

// The three letters that a surname gives (consonants in order, then vowels, then X), or with the name
// rule a first name (the same, except that four or more consonants give the 1st, 3rd and 4th). False
// when the text holds no letter at all: there is nothing to compare.
bool expectedLetters(QStringView text, bool nameRule, std::array<char, 3>& out)
{
    std::array<char, 4> consonants{};
    std::array<char, 3> vowels{};
    int consonantCount = 0, vowelCount = 0;
    for (const QChar c : text) {
        const char letter = baseLetter(c);
        if (letter == '\0')
            continue;
        if (letter == 'A' || letter == 'E' || letter == 'I' || letter == 'O' || letter == 'U') {
            if (vowelCount < 3)
                vowels[static_cast<std::size_t>(vowelCount++)] = letter;
        } else if (consonantCount < 4) {
            consonants[static_cast<std::size_t>(consonantCount++)] = letter;
        }
    }
    if (consonantCount + vowelCount == 0)
        return false;
    if (nameRule && consonantCount == 4) {
        out = {consonants[0], consonants[2], consonants[3]};
        return true;
    }
    std::size_t n = 0;
    for (int i = 0; i < consonantCount && n < 3; ++i)
        out[n++] = consonants[static_cast<std::size_t>(i)];
    for (int i = 0; i < vowelCount && n < 3; ++i)
        out[n++] = vowels[static_cast<std::size_t>(i)];
    while (n < 3)
        out[n++] = 'X';
    return true;
}

// The code upper-cased with the omocodia letters read back as digits; false when it lacks the form.
bool decode(QStringView code, std::array<char, kCodeLength>& out)
{
    if (code.size() != kCodeLength)
        return false;
    for (qsizetype i = 0; i < kCodeLength; ++i) {
        char c = asciiUpper(code[i].unicode());
        if (kDigitPlaces & (1u << i)) {
            if (const int digit = omocodiaDigit(c); digit >= 0)
                c = static_cast<char>('0' + digit);
            if (!isDigit(c))
                return false;
        } else if (!isLetter(c)) {
            return false;
        }
        out[static_cast<std::size_t>(i)] = c;
    }
    return true;
}

int twoDigits(const std::array<char, kCodeLength>& code, std::size_t at)
{
    return (code[at] - '0') * 10 + (code[at + 1] - '0');
}

} // namespace

QChar fiscalCodeCheckCharacter(QStringView first15)
{
    if (first15.size() != kCodeLength - 1)
        return {};
    int sum = 0;
    for (qsizetype i = 0; i < first15.size(); ++i) {
        const int value = placeValue(first15[i]);
        if (value < 0)
            return {};
        // Places count from 1: the 1st character is in an odd place.
        sum += i % 2 == 0 ? kOddValues[static_cast<std::size_t>(value)] : value;
    }
    return QChar(u'A' + sum % 26);
}

bool hasValidCheckCharacter(QStringView code)
{
    if (code.size() != kCodeLength)
        return false;
    const QChar expected = fiscalCodeCheckCharacter(code.first(kCodeLength - 1));
    return !expected.isNull() && asciiUpper(code.back().unicode()) == expected.toLatin1();
}

FiscalCodeParts fiscalCodeDisagreements(QStringView code, const FiscalCodePerson& person)
{
    std::array<char, kCodeLength> cf{};
    if (!decode(code, cf))
        return {};
    FiscalCodeParts parts;
    std::array<char, 3> letters{};
    if (expectedLetters(person.cognome, false, letters) &&
        !std::equal(letters.begin(), letters.end(), cf.begin()))
        parts |= FiscalCodePart::Cognome;
    if (expectedLetters(person.nome, true, letters) &&
        !std::equal(letters.begin(), letters.end(), cf.begin() + 3))
        parts |= FiscalCodePart::Nome;

    const int dayField = twoDigits(cf, 9);
    const bool female = dayField > 40;
    const bool male = person.sesso == QLatin1StringView("M");
    if ((male || person.sesso == QLatin1StringView("F")) && male == female)
        parts |= FiscalCodePart::Sesso;
    if (person.dataNascita.isValid()) {
        int year = 0, month = 0, day = 0;
        person.dataNascita.getDate(&year, &month, &day);
        if (twoDigits(cf, 6) != (year % 100 + 100) % 100 || cf[8] != kMonthLetters[month - 1] ||
            (female ? dayField - 40 : dayField) != day)
            parts |= FiscalCodePart::DataDiNascita;
    }
    // A cadastral code that is not 4 characters is the format check's to report, not comparable here.
    const QString& town = person.codiceCatastale;
    if (town.size() == 4) {
        for (qsizetype i = 0; i < 4; ++i) {
            if (asciiUpper(town[i].unicode()) != cf[static_cast<std::size_t>(11 + i)]) {
                parts |= FiscalCodePart::ComuneDiNascita;
                break;
            }
        }
    }
    return parts;
}

QString fiscalCodePartName(FiscalCodePart part)
{
    switch (part) {
    case FiscalCodePart::Cognome:
        return QStringLiteral("cognome");
    case FiscalCodePart::Nome:
        return QStringLiteral("nome");
    case FiscalCodePart::Sesso:
        return QStringLiteral("sesso");
    case FiscalCodePart::DataDiNascita:
        return QStringLiteral("data di nascita");
    case FiscalCodePart::ComuneDiNascita:
        return QStringLiteral("comune di nascita");
    }
    return {};
}

QString fiscalCodePartNames(FiscalCodeParts parts)
{
    QStringList names;
    for (const FiscalCodePart part : {FiscalCodePart::Cognome, FiscalCodePart::Nome, FiscalCodePart::Sesso,
                                      FiscalCodePart::DataDiNascita, FiscalCodePart::ComuneDiNascita}) {
        if (parts.testFlag(part))
            names << fiscalCodePartName(part);
    }
    return names.join(QStringLiteral(", "));
}

QString fiscalCodeDisagreementText(FiscalCodeParts parts)
{
    if (!parts)
        return {};
    return QStringLiteral("il codice fiscale non corrisponde a: ") + fiscalCodePartNames(parts);
}

QString fiscalCodeWarning(FiscalCodeParts parts)
{
    if (!parts)
        return {};
    return text::kWarningPrefix + fiscalCodeDisagreementText(parts) + QLatin1Char('.');
}

FiscalCodeParts exportFiscalCodeDisagreements(const EssentialDataDocument& document, const PatientRow& row)
{
    const FiscalCodePerson person{row.cognome, row.nome, document.value(paths::kSesso), row.data_nascita,
                                  document.value(paths::kCodiceCatastaleNascita)};
    return fiscalCodeDisagreements(document.value(paths::kCodiceFiscale), person);
}

} // namespace clinical
