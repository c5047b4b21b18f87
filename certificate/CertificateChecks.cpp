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

// The captions of the editor form's labels that stand beside checked controls, exactly as the form
// (TFormGestCertMedINPS.ui) has them.
const std::array<std::pair<const char*, const char*>, 18> kLabelCaptions = {{
    {"LabelCognome", "COGNOME"},
    {"LabelNome", "NOME"},
    {"LabelSesso", "SESSO"},
    {"LabelCodiceFiscale", "CODICE FISCALE"},
    {"LabelDataDiNascita", "NAT0/A IL gg/mm/aaaa"},
    {"LabelLuogoDiNascita", "A"},
    {"LabelCodTesSanitaria", "CODICE TESSERA SANITARIA"},
    {"LabelASLDiAppartenenza", "ASL DI APPARTENENZA"},
    {"LabelAnamnesi", "Anamnesi"},
    {"LabelObiettivita", "Obiettività"},
    {"LabelDiagnosi", "Diagnosi"},
    {"LabelTerapia", "Terapia"},
    {"LabelLuogo", "Luogo"},
    {"LabelData", "data"},
    {"LabelCognomeMedico", "COGNOME"},
    {"LabelNomeMedico", "NOME"},
    {"LabelNumIscrizione", "N° ISCRIZIONE ORDINE PROVINCIALE DEI MEDICI"},
    {"LabelProvAlbo", "PROVINCIA DI ISCRIZIONE ALL'ALBO"},
}};

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

QStringList CheckFormat(const CertificateFields& f, const CadastralLookup& cadastralCodeOf)
{
    QStringList items;
    const auto check = [&items](bool passes, const char* item) {
        if (!passes)
            items << QString::fromLatin1(item);
    };

    check(atMost(f.cognome, 50), "EditCognome");
    check(atMost(f.nome, 50), "EditNome");
    check(MatchesPattern(kFiscalCodePattern, f.codiceFiscale) &&
              clinical::hasValidCheckCharacter(f.codiceFiscale),
          "EditCodiceFiscale");
    const QString cadastral = cadastralCodeOf(f.luogoDiNascita);
    check(textLength(cadastral) == 4 && MatchesPattern(kCadastralCodePattern, cadastral),
          "EditLuogoDiNascita");
    check(atMost(f.codTesSanitaria, 20), "EditCodTesSanitaria");
    check(atMost(f.cognomeMedico, 50), "EditCognomeMedico");
    check(atMost(f.nomeMedico, 50), "EditNomeMedico");
    const int numLength = textLength(f.numIscrizione);
    check(numLength == 0 || (numLength >= 3 && numLength <= 50), "EditNumIscrizione");
    check(f.provAlbo.isEmpty() ||
              (textLength(f.provAlbo) == 2 && MatchesPattern(kProvinciaPattern, f.provAlbo)),
          "EditProvAlbo");
    check(f.aslDiAppartenenza.isEmpty() || textLength(f.aslDiAppartenenza) == 6, "EditASLDiAppartenenza");
    check(atMost(f.anamnesi, kMemoLimit), "MemoAnamnesi");
    check(atMost(f.obiettivita, kMemoLimit), "MemoObiettivita");
    check(atMost(f.diagnosi, kMemoLimit), "MemoDiagnosi");
    check(atMost(f.terapia, kMemoLimit), "MemoTerapia");
    check(atMost(f.luogo, 50), "EditLuogo");

    bool codesFit = true;
    for (const QString& code : f.codiciIcd9)
        codesFit = codesFit && atMost(code, 5);
    if (!codesFit)
        items << kItemIcd9NoCorrect;
    return items;
}

QStringList CheckMandatory(const CertificateFields& f, const CadastralLookup& cadastralCodeOf)
{
    QStringList items;
    const auto require = [&items](bool present, const QString& item) {
        if (!present)
            items << item;
    };
    const auto filled = [&require](const QString& text, const char* item) {
        require(!text.isEmpty(), QString::fromLatin1(item));
    };

    // Patient.
    filled(f.cognome, "EditCognome");
    filled(f.nome, "EditNome");
    require(f.sesso != Sesso::None, QStringLiteral("RadioGroupSesso"));
    filled(f.codiceFiscale, "EditCodiceFiscale");
    filled(f.dataDiNascita, "EditDataDiNascita");
    filled(cadastralCodeOf(f.luogoDiNascita), "EditLuogoDiNascita");
    // Doctor.
    filled(f.cognomeMedico, "EditCognomeMedico");
    filled(f.nomeMedico, "EditNomeMedico");
    filled(f.numIscrizione, "EditNumIscrizione");
    filled(f.provAlbo, "EditProvAlbo");
    // Certificate: the zero date (day 0 of the day count) counts as no date.
    filled(f.aslDiAppartenenza, "EditASLDiAppartenenza");
    require(f.data.isValid() && f.data != QDate(1899, 12, 30), QStringLiteral("DateTimePickerData"));
    filled(f.luogo, "EditLuogo");
    // ICD-9 and purpose.
    require(!f.codiciIcd9[0].isEmpty(), kItemIcd9NoPresent);
    bool anyPurpose = false;
    for (const bool ticked : f.domanda)
        anyPurpose = anyPurpose || ticked;
    require(anyPurpose, kItemTipoDomanda);
    return items;
}

QString fixedItemText(const QString& item)
{
    if (item == kItemTipoDomanda)
        return QStringLiteral("Tipo domanda(INVALIDITA', CECITA', ...)");
    if (item == kItemIcd9NoCorrect)
        return QStringLiteral("Codice ICD-9 non corretto");
    if (item == kItemIcd9NoPresent)
        return QStringLiteral("Deve essere presente almeno un CODICE ICD-9");
    return {};
}

QString labelTextOf(const QString& controlName)
{
    static const std::array<QString, 4> kKinds = {QStringLiteral("Edit"), QStringLiteral("Memo"),
                                                  QStringLiteral("RadioGroup"),
                                                  QStringLiteral("DateTimePicker")};
    for (const QString& kind : kKinds) {
        if (!controlName.startsWith(kind))
            continue;
        const QString label = QString(controlName).replace(kind, QStringLiteral("Label"));
        for (const auto& [name, caption] : kLabelCaptions) {
            if (label == QLatin1String(name))
                return QString::fromUtf8(caption);
        }
        break;
    }
    return controlName;
}

QString CheckItemText(const QString& item)
{
    const QString fixed = fixedItemText(item);
    return fixed.isEmpty() ? labelTextOf(item) : fixed;
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

QString BuildCheckMessage(CheckKind kind, const QStringList& items)
{
    QStringList texts;
    for (const QString& item : items)
        texts << CheckItemText(item);
    return checkMessage(kind, texts);
}

} // namespace certificate
