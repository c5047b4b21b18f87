#pragma once
// Builds essential-data exports for tests: only the elements the program reads, any of them left out
// on demand. Carriage returns are written as character references so that they survive parsing.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace testing_support {

struct ExportEntry
{
    std::optional<QString> codice;
    std::optional<QString> descrizione; // descrizione_estesa
};

struct ExportSection
{
    QString classe; // codice_kv_classe_abstract
    std::vector<ExportEntry> entries;
};

struct PatientExport
{
    std::optional<QString> cognome, nome, codiceFiscale, sesso, comune, provincia, codiceSanitario, codiceAsl;
    std::vector<ExportSection> sections;

    static QString escaped(const QString& text)
    {
        QString out;
        for (const QChar c : text) {
            switch (c.unicode()) {
            case '&':
                out += QLatin1String("&amp;");
                break;
            case '<':
                out += QLatin1String("&lt;");
                break;
            case '>':
                out += QLatin1String("&gt;");
                break;
            case '\r':
                out += QLatin1String("&#13;");
                break;
            default:
                out += c;
            }
        }
        return out;
    }

    static QString element(const char* name, const std::optional<QString>& text)
    {
        if (!text)
            return {};
        return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(name), escaped(*text));
    }

    QByteArray toXml() const
    {
        QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Publ_Dati_Essenziali>"
                                     "<Elenco_pazienti><PAZIENTE><PERSONA>");
        xml += element("cognome", cognome) + element("nome_persona", nome) +
               element("codice_fiscale", codiceFiscale) + element("sesso", sesso);
        xml += QStringLiteral("<NASCITA>") + element("comune", comune) +
               element("sigla_provincia", provincia) + QStringLiteral("</NASCITA></PERSONA>");
        xml += element("codice_sanitario", codiceSanitario);
        xml += QStringLiteral("<ASL_DI_ASSISTENZA><ASL>") + element("codice_asl", codiceAsl) +
               QStringLiteral("</ASL></ASL_DI_ASSISTENZA>\n<Elenco_sezioni_dati_essenziali>");
        for (const ExportSection& section : sections) {
            xml += QStringLiteral("\n <SEZIONE_DATI_ESSENZIALI><codice_kv_classe_abstract>%1"
                                  "</codice_kv_classe_abstract><Elenco_dati_generici>")
                       .arg(escaped(section.classe));
            for (const ExportEntry& entry : section.entries)
                xml += QStringLiteral("\n  <DATO_GENERICO>") + element("codice", entry.codice) +
                       element("descrizione_estesa", entry.descrizione) + QStringLiteral("</DATO_GENERICO>");
            xml += QStringLiteral("</Elenco_dati_generici></SEZIONE_DATI_ESSENZIALI>");
        }
        xml += QStringLiteral("\n</Elenco_sezioni_dati_essenziali></PAZIENTE></Elenco_pazienti>"
                              "</Publ_Dati_Essenziali>\n");
        return xml.toUtf8();
    }
};

} // namespace testing_support
