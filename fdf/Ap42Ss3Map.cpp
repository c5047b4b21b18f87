#include "Ap42Ss3Map.h"

#include "FormDates.h"
#include "clinical/EssentialData.h"
#include "host/Tzantopat.h"

namespace fdf {

namespace {

QString str(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

// The SS3 questions in form order, each with its field letters in form order ("" for a field without
// a letter). Question 9 carries the two measurements.
struct Ss3Question
{
    const char* number;
    const char* letters;
};
constexpr Ss3Question kSs3Questions[] = {
    {"01", "abc"},   {"02", "ab"},  {"03", "ab"},       {"04", "acb"},      {"05", "bca"},
    {"06", ""},      {"07", ""},    {"08", "abcdefgh"}, {"09", "abcdefgh"}, {"10", "abcde"},
    {"11", "abcde"}, {"12", "abc"}, {"13", "abc"},      {"14", "abc"},      {"15", "abc"},
    {"16", "ab"},    {"17", "abc"}, {"18", "abc"},      {"19", "abc"},      {"20", "abc"},
    {"21", "abc"},   {"22", "abc"}, {"23", "abc"},      {"24", "abcdef"}};

QString bloodPressure(const Ap42Ss3Values& v)
{
    if (v.pressioneMassima.isEmpty() || v.pressioneMinima.isEmpty())
        return {};
    return v.pressioneMassima + QLatin1Char('/') + v.pressioneMinima + QStringLiteral(" mmHg");
}

} // namespace

Ap42Ss3Values readAp42Ss3Values(const clinical::PatientRow& row, Tzantopat& session,
                                const QString& exportPath)
{
    const clinical::EssentialDataDocument document =
        clinical::requestEssentialData(session, row.id, exportPath);
    namespace paths = clinical::paths;
    namespace a = attributes;
    const auto attribute = [&session](const char* path) { return session.leggi_attributo(str(path)); };

    Ap42Ss3Values v;
    v.nome = row.nome;
    v.cognome = row.cognome;
    v.dataNascita = row.data_nascita;
    v.codiceFiscale = document.value(paths::kCodiceFiscale);
    v.comuneNascita = document.value(paths::kComuneNascita);
    v.provinciaNascita = document.value(paths::kProvinciaNascita);
    v.fiscalCodeDisagreements = clinical::exportFiscalCodeDisagreements(document, row);
    v.cittadinanza = attribute(a::kCittadinanza);
    v.comuneResidenza = attribute(a::kComuneResidenza);
    v.provinciaResidenza = attribute(a::kProvinciaResidenza);
    v.indirizzo = attribute(a::kIndirizzo);
    v.cap = attribute(a::kCap);
    v.telefono = attribute(a::kTelefono);
    v.cellulare = attribute(a::kCellulare);
    v.email = attribute(a::kEmail);
    v.tipoDocumento = attribute(a::kTipoDocumento);
    v.numeroDocumento = attribute(a::kNumeroDocumento);
    v.rilasciatoDa = attribute(a::kRilasciatoDa);
    if (const QString issued = attribute(a::kDataRilascio); !issued.isEmpty())
        v.dataRilascio = parseHostDate(issued, QStringLiteral("Data di rilascio del documento"));

    const QString handle = session.new_object(QStringLiteral("i_hl_dataset"), QStringLiteral("pressione"));
    const QString rows = session.call_method_pipe(handle, QStringLiteral("carica"),
                                                  QStringLiteral("codice=") + row.id +
                                                      QStringLiteral("|ordinamento=ordine_data_desc"));
    if (!rows.isEmpty() && rows != QLatin1String("0")) {
        const QString read = QStringLiteral("leggi_attributo");
        v.frequenzaCardiaca = session.call_method_pipe(handle, read, QStringLiteral("frequenza_cardiaca"));
        v.pressioneMassima = session.call_method_pipe(handle, read, QStringLiteral("pressione_massima"));
        v.pressioneMinima = session.call_method_pipe(handle, read, QStringLiteral("pressione_minima"));
    }
    return v;
}

std::vector<FdfEntry> ap42Ss3Entries(const Ap42Ss3Values& v)
{
    std::vector<FdfEntry> entries;
    entries.reserve(107);
    entries.push_back(checkBoxOff(str("hand")));
    entries.push_back(noValue(QStringLiteral("obiettività")));
    entries.push_back(textEntry(str("nomefile"), str("AP42_SS3.pdf")));
    entries.push_back(textEntry(str("descrizione"), str("AP42")));
    entries.push_back(noValue(str("sede/inps")));
    entries.push_back(textOrEmpty(str("nome"), v.nome));
    entries.push_back(textOrEmpty(str("cognome"), v.cognome));
    entries.push_back(textOrEmpty(str("cod_fisc"), v.codiceFiscale));
    entries.push_back(v.dataNascita.isNull() ? noValue(str("data_nasc"))
                                             : textEntry(str("data_nasc"), formDate(v.dataNascita)));
    entries.push_back(textOrEmpty(str("luogo_nasc"), v.comuneNascita));
    entries.push_back(textOrEmpty(str("prov_nasc"), v.provinciaNascita));
    entries.push_back(noValue(str("stato_nasc")));
    entries.push_back(textOrEmpty(str("cittadinanza"), v.cittadinanza));
    entries.push_back(textOrEmpty(str("luogo_res"), v.comuneResidenza));
    entries.push_back(textOrEmpty(str("prov_res"), v.provinciaResidenza));
    entries.push_back(noValue(str("stato_res")));
    entries.push_back(textOrEmpty(str("indirizzo"), v.indirizzo));
    entries.push_back(textOrEmpty(str("cap"), v.cap));
    entries.push_back(textOrEmpty(str("tel"), v.telefono));
    entries.push_back(textOrEmpty(str("tel_cell"), v.cellulare));
    entries.push_back(textOrEmpty(str("e-mail"), v.email));
    entries.push_back(textOrEmpty(str("doc_tipo"), v.tipoDocumento));
    entries.push_back(textOrEmpty(str("doc_num"), v.numeroDocumento));
    entries.push_back(textOrEmpty(str("doc/ril"), v.rilasciatoDa));
    entries.push_back(v.dataRilascio.isNull() ? noValue(str("doc_data"))
                                              : textEntry(str("doc_data"), formDate(v.dataRilascio)));
    for (const Ss3Question& question : kSs3Questions) {
        const QString prefix = str("SS3_") + str(question.number);
        if (!*question.letters)
            entries.push_back(noValue(prefix));
        for (const char* letter = question.letters; *letter; ++letter) {
            const QString name = prefix + QLatin1Char(*letter);
            if (name == QLatin1String("SS3_09f"))
                entries.push_back(textOrEmpty(name, v.frequenzaCardiaca));
            else if (name == QLatin1String("SS3_09h"))
                entries.push_back(textOrEmpty(name, bloodPressure(v)));
            else
                entries.push_back(noValue(name));
        }
    }
    return entries;
}

std::vector<FdfEntry> WriteAp42Ss3Fdf(const clinical::PatientRow& row, Tzantopat& session,
                                      const QString& fdfPath, const QString& desktopCopyPath,
                                      const QString& exportPath, clinical::FiscalCodeParts* disagreements)
{
    const Ap42Ss3Values values = readAp42Ss3Values(row, session, exportPath);
    if (disagreements)
        *disagreements = values.fiscalCodeDisagreements;
    std::vector<FdfEntry> entries = ap42Ss3Entries(values);
    writeFormFdf(fdfPath, desktopCopyPath, entries, FdfClosing::OwnLine);
    return entries;
}

} // namespace fdf
