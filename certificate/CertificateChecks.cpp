#include "CertificateChecks.h"

#include "clinical/FiscalCode.h"

#include <QRegularExpression>

#include <array>
#include <utility>

namespace certificate {

namespace {

bool atMost(const QString& text, int limit)
{
    return textLength(text) <= limit;
}

// The caption of each field's label, exactly as the editor's form (TFormGestCertMedINPS.ui) has it.
const std::array<std::pair<Field, const char*>, 18> kCaptions = {{
    {Field::Cognome, "COGNOME"},
    {Field::Nome, "NOME"},
    {Field::Sesso, "SESSO"},
    {Field::CodiceFiscale, "CODICE FISCALE"},
    {Field::DataDiNascita, "NAT0/A IL gg/mm/aaaa"},
    {Field::LuogoDiNascita, "A"},
    {Field::CodTesSanitaria, "CODICE TESSERA SANITARIA"},
    {Field::AslDiAppartenenza, "ASL DI APPARTENENZA"},
    {Field::Anamnesi, "Anamnesi"},
    {Field::Obiettivita, "Obiettività"},
    {Field::Diagnosi, "Diagnosi"},
    {Field::Terapia, "Terapia"},
    {Field::Luogo, "Luogo"},
    {Field::Data, "data"},
    {Field::CognomeMedico, "COGNOME"},
    {Field::NomeMedico, "NOME"},
    {Field::NumIscrizione, "N° ISCRIZIONE ORDINE PROVINCIALE DEI MEDICI"},
    {Field::ProvAlbo, "PROVINCIA DI ISCRIZIONE ALL'ALBO"},
}};

// Gathers, in the order the rules run, the fields whose rule does not hold.
struct Rules
{
    Failures failures;
    void operator()(bool holds, Field field)
    {
        if (!holds)
            failures.push_back(field);
    }
};

} // namespace

bool MatchesPattern(const QString& pattern, const QString& text)
{
    const QRegularExpression expression(pattern);
    return expression.isValid() && expression.match(text).hasMatch();
}

int textLength(const QString& text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

Failures CheckFormat(const CertificateFields& f, const CadastralLookup& cadastralCodeOf)
{
    Rules check;

    check(atMost(f.cognome, 50), Field::Cognome);
    check(atMost(f.nome, 50), Field::Nome);
    check(MatchesPattern(kFiscalCodePattern, f.codiceFiscale) &&
              clinical::hasValidCheckCharacter(f.codiceFiscale),
          Field::CodiceFiscale);
    const QString cadastral = cadastralCodeOf(f.luogoDiNascita);
    check(textLength(cadastral) == 4 && MatchesPattern(kCadastralCodePattern, cadastral),
          Field::LuogoDiNascita);
    check(atMost(f.codTesSanitaria, 20), Field::CodTesSanitaria);
    check(atMost(f.cognomeMedico, 50), Field::CognomeMedico);
    check(atMost(f.nomeMedico, 50), Field::NomeMedico);
    const int numLength = textLength(f.numIscrizione);
    check(numLength == 0 || (numLength >= 3 && numLength <= 50), Field::NumIscrizione);
    check(f.provAlbo.isEmpty() ||
              (textLength(f.provAlbo) == 2 && MatchesPattern(kProvinciaPattern, f.provAlbo)),
          Field::ProvAlbo);
    check(f.aslDiAppartenenza.isEmpty() || textLength(f.aslDiAppartenenza) == 6, Field::AslDiAppartenenza);
    check(atMost(f.anamnesi, kMemoLimit), Field::Anamnesi);
    check(atMost(f.obiettivita, kMemoLimit), Field::Obiettivita);
    check(atMost(f.diagnosi, kMemoLimit), Field::Diagnosi);
    check(atMost(f.terapia, kMemoLimit), Field::Terapia);
    check(atMost(f.luogo, 50), Field::Luogo);

    bool codesFit = true;
    for (const QString& code : f.codiciIcd9)
        codesFit = codesFit && atMost(code, 5);
    check(codesFit, Field::CodiciIcd9);
    return check.failures;
}

Failures CheckMandatory(const CertificateFields& f, const CadastralLookup& cadastralCodeOf)
{
    Rules require;

    // Patient.
    require(!f.cognome.isEmpty(), Field::Cognome);
    require(!f.nome.isEmpty(), Field::Nome);
    require(f.sesso != Sesso::None, Field::Sesso);
    require(!f.codiceFiscale.isEmpty(), Field::CodiceFiscale);
    require(!f.dataDiNascita.isEmpty(), Field::DataDiNascita);
    require(!cadastralCodeOf(f.luogoDiNascita).isEmpty(), Field::LuogoDiNascita);
    // Doctor.
    require(!f.cognomeMedico.isEmpty(), Field::CognomeMedico);
    require(!f.nomeMedico.isEmpty(), Field::NomeMedico);
    require(!f.numIscrizione.isEmpty(), Field::NumIscrizione);
    require(!f.provAlbo.isEmpty(), Field::ProvAlbo);
    // Certificate: the zero date (day 0 of the day count) counts as no date.
    require(!f.aslDiAppartenenza.isEmpty(), Field::AslDiAppartenenza);
    require(f.data.isValid() && f.data != QDate(1899, 12, 30), Field::Data);
    require(!f.luogo.isEmpty(), Field::Luogo);
    // ICD-9 and purpose.
    require(!f.codiciIcd9[0].isEmpty(), Field::CodiciIcd9);
    require(f.domanda.any(), Field::Domanda);
    return require.failures;
}

QString fieldCaption(Field field)
{
    for (const auto& [captioned, caption] : kCaptions) {
        if (captioned == field)
            return QString::fromUtf8(caption);
    }
    return {};
}

QString CheckItemText(CheckKind kind, Field field)
{
    switch (field) {
    case Field::Domanda:
        return QStringLiteral("Tipo domanda(INVALIDITA', CECITA', ...)");
    case Field::CodiciIcd9:
        return kind == CheckKind::Format ? QStringLiteral("Codice ICD-9 non corretto")
                                         : QStringLiteral("Deve essere presente almeno un CODICE ICD-9");
    default:
        return fieldCaption(field);
    }
}

QString checkMessage(CheckKind kind, const QStringList& itemTexts)
{
    if (itemTexts.isEmpty())
        return {};
    const bool one = itemTexts.size() == 1;
    QString prefix;
    if (kind == CheckKind::Format)
        prefix = one ? QStringLiteral("Il seguente dato non è formalmente corretto: ")
                     : QStringLiteral("I seguenti dati non sono formalmente corretti: ");
    else
        prefix = one ? QStringLiteral("Il seguente dato obbligatorio non è stato inserito: ")
                     : QStringLiteral("I seguenti dati obbligatori non sono stati inseriti: ");
    return prefix + itemTexts.join(QStringLiteral(", "));
}

QString BuildCheckMessage(CheckKind kind, const Failures& failures)
{
    QStringList texts;
    for (const Field field : failures)
        texts << CheckItemText(kind, field);
    return checkMessage(kind, texts);
}

} // namespace certificate
