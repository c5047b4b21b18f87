#include "ExportWriter.h"

#include "host/AutomationObject.h"

#include <fstream>
#include <random>

namespace demohost {

namespace {

// Keeps only what XML 1.0 can hold and makes every line break CR LF.
std::u16string cleanText(const std::string& utf8)
{
    const std::u16string units = host::fromUtf8(utf8);
    std::u16string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n";
            if (c == u'\r' && i + 1 < units.size() && units[i + 1] == u'\n')
                ++i;
        } else if ((c < 0x20 && c != u'\t') || c == 0xFFFE || c == 0xFFFF) {
            continue; // not allowed in XML 1.0, not even as a reference
        } else {
            out += c;
        }
    }
    return out;
}

std::string escaped(const std::string& utf8)
{
    std::string out;
    for (const char c : host::toUtf8(cleanText(utf8))) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            out += "&#13;"; // a literal CR would be dropped by the reader's line-end handling
            break;
        default:
            out += c;
        }
    }
    return out;
}

class XmlWriter
{
public:
    void open(const char* name)
    {
        indent();
        m_text += '<';
        m_text += name;
        m_text += ">\n";
        ++m_depth;
    }
    void close(const char* name)
    {
        --m_depth;
        indent();
        m_text += "</";
        m_text += name;
        m_text += ">\n";
    }
    void element(const char* name, const std::string& value)
    {
        indent();
        m_text += '<';
        m_text += name;
        m_text += '>';
        m_text += escaped(value);
        m_text += "</";
        m_text += name;
        m_text += ">\n";
    }
    std::string& text() { return m_text; }

private:
    void indent() { m_text.append(static_cast<std::size_t>(m_depth) * 2, ' '); }

    std::string m_text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    int m_depth = 0;
};

std::string classDescription(const std::string& classe)
{
    if (classe == "protesi_ausili")
        return "Protesi e ausili";
    if (classe == "problemi_attivi")
        return "Problemi attivi";
    if (classe == "allarmi")
        return "Allarmi";
    if (classe == "continuativi")
        return "Terapie continuative";
    return classe;
}

std::string pathText(const std::filesystem::path& path)
{
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

} // namespace

std::string exportXml(const EssentialDataExport& data)
{
    const PatientRecord& p = data.patient;
    XmlWriter xml;
    xml.open("Publ_Dati_Essenziali");
    xml.open("INTESTAZIONE");
    xml.element("data_generazione", data.generatedAt);
    xml.element("applicazione", "Korvalis.Server (demo host)");
    xml.open("MEDICO");
    xml.element("cognome", data.doctor.cognome);
    xml.element("nome", data.doctor.nome);
    xml.element("codice_fiscale", data.doctor.codiceFiscale);
    xml.close("MEDICO");
    xml.close("INTESTAZIONE");
    xml.open("Elenco_pazienti");
    xml.open("PAZIENTE");
    xml.element("codice_paziente", p.row.codice);
    xml.open("PERSONA");
    xml.element("cognome", p.row.cognome);
    xml.element("nome_persona", p.row.nome);
    xml.element("codice_fiscale", p.codiceFiscale);
    xml.element("sesso", p.sesso);
    xml.element("data_nascita", p.row.dataNascita);
    xml.open("NASCITA");
    xml.element("comune", p.comuneNascita);
    xml.element("sigla_provincia", p.siglaProvinciaNascita);
    xml.element("codice_catastale", data.birthTownCode);
    xml.close("NASCITA");
    xml.close("PERSONA");
    xml.element("codice_sanitario", p.codiceSanitario);
    xml.open("ASL_DI_ASSISTENZA");
    xml.open("ASL");
    xml.element("codice_asl", p.codiceAsl);
    xml.close("ASL");
    xml.close("ASL_DI_ASSISTENZA");
    xml.open("Elenco_sezioni_dati_essenziali");
    for (std::size_t i = 0; i < data.sections.size();) {
        const std::string& classe = data.sections[i].classe;
        xml.open("SEZIONE_DATI_ESSENZIALI");
        xml.element("codice_kv_classe_abstract", classe);
        xml.element("descrizione_classe", classDescription(classe));
        xml.open("Elenco_dati_generici");
        for (; i < data.sections.size() && data.sections[i].classe == classe; ++i) {
            const SectionEntry& entry = data.sections[i];
            xml.open("DATO_GENERICO");
            xml.element("codice", entry.codice);
            xml.element("descrizione_estesa", entry.descrizioneEstesa);
            xml.element("data_inizio", entry.dataInizio);
            xml.close("DATO_GENERICO");
        }
        xml.close("Elenco_dati_generici");
        xml.close("SEZIONE_DATI_ESSENZIALI");
    }
    xml.close("Elenco_sezioni_dati_essenziali");
    xml.close("PAZIENTE");
    xml.close("Elenco_pazienti");
    xml.close("Publ_Dati_Essenziali");
    return std::move(xml.text());
}

void writeExport(const std::filesystem::path& path, const EssentialDataExport& data)
{
    const std::string document = exportXml(data);
    std::filesystem::path temporary = path;
    temporary += ".tmp-" + std::to_string(std::random_device()());
    const auto fail = [&](const std::string& reason) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw host::AutomationError("genera_xml: impossibile scrivere il file \"" + pathText(path) +
                                    "\": " + reason);
    };
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            fail("la cartella non esiste o non è scrivibile");
        out.write(document.data(), static_cast<std::streamsize>(document.size()));
        out.close();
        if (!out)
            fail("scrittura non riuscita");
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
        fail(error.message());
}

} // namespace demohost
