#include "ExportWriter.h"

#include "host/AutomationObject.h"

#include <random>

#ifdef _WIN32
#include <fstream>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Writes `bytes` to the new file `path`; "" on success, otherwise why not. The export is the patient's
// clinical summary: outside Windows the file is created readable and writable by its owner only (a umask
// can only take more away), so that no one else can open it even before it is written.
std::string writeNewFile(const std::filesystem::path& path, const std::string& bytes)
{
    const std::string cannotCreate = "la cartella non esiste o non è scrivibile";
    const std::string cannotWrite = "scrittura non riuscita";
    // The systems' limit on one name: 255 bytes, or 255 UTF-16 units on Windows.
    if (path.filename().native().size() > 255)
        return "nome del file troppo lungo";
#ifdef _WIN32
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return cannotCreate;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? std::string() : cannotWrite;
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return cannotCreate;
    bool written = true;
    for (std::size_t done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        if (written)
            done += static_cast<std::size_t>(n);
    }
    written = ::close(fd) == 0 && written;
    return written ? std::string() : cannotWrite;
#endif
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
    if (const std::string failure = writeNewFile(temporary, document); !failure.empty())
        fail(failure);
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
        fail(error.message());
}

} // namespace demohost
