#include "PrintableForm.h"

#include "fdf/Ap68Map.h"
#include "fdf/OutputFlow.h"

#include <QDir>

namespace certificate {

namespace {

// A memo filled with one line holds it followed by CR LF (memoLine): the form gets the line.
QString filledLine(const QString& memo)
{
    return memo.endsWith(QStringLiteral("\r\n")) ? memo.chopped(2) : memo;
}

fdf::Ap68Values ap68Values(const CertificateFields& f)
{
    fdf::Ap68Values v;
    v.cognome = f.cognome;
    v.nome = f.nome;
    v.dataNascita = QDate::fromString(f.dataDiNascita, QStringLiteral("dd/MM/yyyy"));
    v.comuneNascita = f.luogoDiNascita;
    v.provinciaNascita = f.provDiNascita;
    v.codiceFiscale = f.codiceFiscale;
    v.sesso = f.sesso == Sesso::M   ? QStringLiteral("M")
              : f.sesso == Sesso::F ? QStringLiteral("F")
                                    : QString();
    v.codiceSanitario = f.codTesSanitaria;
    v.codiceAsl = f.aslDiAppartenenza;
    v.cognomeMedico = f.cognomeMedico;
    v.nomeMedico = f.nomeMedico;
    for (std::size_t row = 0; row < f.codiciIcd9.size(); ++row) {
        if (!f.codiciIcd9[row].isEmpty() || !f.descrizioniIcd9[row].isEmpty())
            v.pathologies.push_back({f.codiciIcd9[row], filledLine(f.descrizioniIcd9[row])});
    }
    v.terapia = filledLine(f.terapia);
    v.anamnesi = f.anamnesi;
    v.obiettivita = f.obiettivita;
    v.diagnosi = f.diagnosi;
    v.domanda = f.domanda;
    v.dichiarazioni = f.dichiarazioni;
    v.luogo = f.luogo;
    v.dataCertificato = f.data;
    v.numIscrizione = f.numIscrizione;
    return v;
}

} // namespace

PrintableForm completePrintableForm(const CertificateFields& fields, platform::Platform& platform)
{
    const fdf::FilledCopy copy = fdf::completeAp68Form(ap68Values(fields), platform);
    return {copy.path, copy.keptPath, copy.failure};
}

QString printableFailureText(const PrintableForm& form)
{
    return QStringLiteral("il modulo AP68 da stampare non è stato creato: ") + form.failure +
           QLatin1Char('.');
}

QString printableFormMessage(const PrintableForm& form)
{
    if (form.path.isEmpty() && form.failure.isEmpty())
        return {}; // no form was asked for
    QString text;
    if (form.path.isEmpty()) {
        text = printableFailureText(form);
        text[0] = text[0].toUpper();
    } else {
        text = QStringLiteral("Il modulo AP68 compilato, da stampare e firmare: ") +
               QDir::toNativeSeparators(form.path);
    }
    if (!form.kept.isEmpty())
        text += QStringLiteral("\nLa copia precedente del modulo compilato è stata conservata come ") +
                QDir::toNativeSeparators(form.kept);
    return text;
}

} // namespace certificate
