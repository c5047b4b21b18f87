#include "Ap68Map.h"

#include "FormDates.h"
#include "clinical/EssentialData.h"
#include "host/Tzantopat.h"

namespace fdf {

namespace {

QString str(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

Ap68Values readAp68Values(const clinical::PatientRow& row, Tzantopat& session, const QString& exportPath)
{
    const clinical::EssentialDataDocument document =
        clinical::requestEssentialData(session, row.id, exportPath);
    namespace paths = clinical::paths;

    Ap68Values values;
    values.cognome = row.cognome;
    values.nome = row.nome;
    values.dataNascita = row.data_nascita;
    values.comuneNascita = document.value(paths::kComuneNascita);
    values.provinciaNascita = document.value(paths::kProvinciaNascita);
    values.codiceFiscale = document.value(paths::kCodiceFiscale);
    values.sesso = document.value(paths::kSesso);
    values.codiceSanitario = document.value(paths::kCodiceSanitario);
    values.codiceAsl = document.value(paths::kCodiceAsl);
    values.cognomeMedico = session.utente_leggi_attributo(QStringLiteral("cognome"));
    values.nomeMedico = session.utente_leggi_attributo(QStringLiteral("nome"));
    values.pathologies = clinical::ReadPathologies(document, false, 5);
    values.terapia = document.therapyText();
    values.fiscalCodeDisagreements = clinical::exportFiscalCodeDisagreements(document, row);
    return values;
}

std::vector<FdfEntry> ap68Entries(const Ap68Values& v, const CheckBoxStates& onStates)
{
    using clinical::Purpose;
    const auto box = [&onStates](const char* name, bool ticked) {
        const QString field = str(name);
        if (!ticked)
            return checkBoxOff(field);
        const auto on = onStates.find(field);
        return namedState(field, on == onStates.end() ? QString() : on->second);
    };
    std::vector<FdfEntry> entries;
    entries.reserve(41);
    entries.push_back(box("hand", v.domanda[Purpose::Handicap]));
    entries.push_back(textOrEmpty(QStringLiteral("obiettività"), v.obiettivita));
    entries.push_back(textEntry(str("nomefile"), str("AP68_mod.C_cer_med.pdf")));
    entries.push_back(textOrEmpty(str("cognome"), v.cognome));
    if (v.sesso == QLatin1String("M"))
        entries.push_back(namedState(str("sesso"), str("1")));
    else if (v.sesso == QLatin1String("F"))
        entries.push_back(namedState(str("sesso"), str("2")));
    entries.push_back(textOrEmpty(str("nome"), v.nome));
    entries.push_back(textOrEmpty(str("prov_nasc"), v.provinciaNascita));
    entries.push_back(textOrEmpty(str("comune_nasc"), v.comuneNascita));
    entries.push_back(v.dataNascita.isNull() ? noValue(str("datanascita"))
                                             : textEntry(str("datanascita"), formDate(v.dataNascita)));
    entries.push_back(box("cieco", v.domanda[Purpose::Cecita]));
    for (std::size_t i = 0; i < 5; ++i) {
        const QString k = QString::number(i + 1);
        if (i < v.pathologies.size()) {
            entries.push_back(textEntry(str("cod_") + k, v.pathologies[i].PatCodice));
            entries.push_back(textEntry(str("descr_") + k, v.pathologies[i].PatDescrizione));
        } else {
            entries.push_back(noValue(str("cod_") + k));
            entries.push_back(noValue(str("descr_") + k));
        }
    }
    entries.push_back(textEntry(str("dataversione"), str("07/01/2010_2.0")));
    entries.push_back(noValue(str("protocollo")));
    entries.push_back(textOrEmpty(str("luogo"), v.luogo));
    entries.push_back(textOrEmpty(str("cod_tess_san"), v.codiceSanitario));
    entries.push_back(box("cert_1", v.dichiarazioni[0]));
    entries.push_back(box("cert_2", v.dichiarazioni[1]));
    entries.push_back(box("cert_3", v.dichiarazioni[2]));
    entries.push_back(box("disab", v.domanda[Purpose::Disabilita]));
    entries.push_back(noValue(str("num_cert")));
    entries.push_back(v.dataCertificato.isNull() ? noValue(str("data/mod"))
                                                 : textEntry(str("data/mod"), formDate(v.dataCertificato)));
    entries.push_back(box("sordo", v.domanda[Purpose::Sordita]));
    entries.push_back(box("inv", v.domanda[Purpose::Invalidita]));
    entries.push_back(textOrEmpty(str("asl_app"), v.codiceAsl));
    entries.push_back(textOrEmpty(str("codfisc"), v.codiceFiscale));
    entries.push_back(textEntry(str("descrizione"), str("AP68")));
    entries.push_back(textOrEmpty(str("cognome_2"), v.cognomeMedico));
    entries.push_back(textOrEmpty(str("nome_2"), v.nomeMedico));
    entries.push_back(textOrEmpty(str("num_iscr"), v.numIscrizione));
    entries.push_back(textOrEmpty(str("anamnesi"), v.anamnesi));
    entries.push_back(textOrEmpty(str("diagnosi"), v.diagnosi));
    entries.push_back(textOrEmpty(str("terapia"), v.terapia));
    return entries;
}

std::vector<FdfEntry> WriteAp68Fdf(const clinical::PatientRow& row, Tzantopat& session,
                                   const QString& fdfPath, const QString& desktopCopyPath,
                                   const QString& exportPath, clinical::FiscalCodeParts* disagreements)
{
    const Ap68Values values = readAp68Values(row, session, exportPath);
    if (disagreements)
        *disagreements = values.fiscalCodeDisagreements;
    std::vector<FdfEntry> entries = ap68Entries(values);
    writeFormFdf(fdfPath, desktopCopyPath, entries, FdfClosing::AfterLastEntry);
    return entries;
}

} // namespace fdf
