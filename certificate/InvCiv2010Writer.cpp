#include "InvCiv2010Writer.h"

#include "fdf/OutputFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pugixml.hpp>

#include <optional>

namespace certificate {

namespace {

class ByteArrayWriter : public pugi::xml_writer
{
public:
    QByteArray bytes;
    void write(const void* data, size_t size) override
    {
        bytes.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

pugi::xml_node element(pugi::xml_node parent, const char* name)
{
    return parent.append_child(name);
}

void leaf(pugi::xml_node parent, const char* name, const QString& text)
{
    pugi::xml_node node = parent.append_child(name);
    const QByteArray utf8 = xmlCharactersOnly(text).toUtf8();
    if (!utf8.isEmpty())
        node.text().set(utf8.constData());
}

QString isoDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString birthDate(const CertificateFields& f)
{
    return isoDate(QDate::fromString(f.dataDiNascita, QStringLiteral("dd/MM/yyyy")));
}

// Who a certificate is about, as its Anagrafica gives it.
struct Patient
{
    QString codiceFiscale;
    QString cognome;
    QString nome;
    QString dataNascita; // yyyy-mm-dd
};

// The patient of the certificate file at `path`; nullopt when it is no certificate that can be read.
std::optional<Patient> readPatient(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    pugi::xml_document document;
    if (!document.load_buffer(bytes.constData(), std::size_t(bytes.size())))
        return std::nullopt;
    const pugi::xml_node anagrafica = document.child("InvCiv2010").child("Anagrafica");
    if (!anagrafica)
        return std::nullopt;
    const auto text = [&anagrafica](const char* name) {
        return QString::fromUtf8(anagrafica.child(name).child_value()).trimmed();
    };
    return Patient{text("CodiceFiscale"), text("Cognome"), text("Nome"), text("DataNascita")};
}

bool sameText(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool samePatient(const Patient& a, const Patient& b)
{
    if (!a.codiceFiscale.isEmpty() && !b.codiceFiscale.isEmpty())
        return sameText(a.codiceFiscale, b.codiceFiscale);
    return sameText(a.cognome, b.cognome) && sameText(a.nome, b.nome) && a.dataNascita == b.dataNascita;
}

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

QString xmlCharactersOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c).append(text.at(i + 1));
            ++i;
        } else if (!c.isSurrogate() && isXmlCharacter(c.unicode())) {
            out.append(c);
        }
    }
    return out;
}

QByteArray invCiv2010Document(const CertificateFields& f, const QString& comuneNascita)
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child("InvCiv2010");

    pugi::xml_node anagrafica = element(root, "Anagrafica");
    leaf(anagrafica, "Cognome", f.cognome);
    leaf(anagrafica, "Nome", f.nome);
    leaf(anagrafica, "CodiceFiscale", f.codiceFiscale);
    leaf(anagrafica, "Sesso", f.sesso == Sesso::M ? QStringLiteral("M") : QStringLiteral("F"));
    leaf(anagrafica, "DataNascita", birthDate(f));
    leaf(anagrafica, "ComuneNascita", comuneNascita);
    leaf(anagrafica, "NumeroTesseraSanitaria", f.codTesSanitaria);

    pugi::xml_node medico = element(root, "AnagraficaMedico");
    leaf(medico, "Cognome", f.cognomeMedico);
    leaf(medico, "Nome", f.nomeMedico);
    leaf(medico, "NumeroIscrizioneAlbo", f.numIscrizione);
    leaf(medico, "ProvinciaAlbo", f.provAlbo);

    pugi::xml_node certificato = element(root, "CertificatoMedico");
    leaf(certificato, "CodiceAsl", f.aslDiAppartenenza);
    leaf(certificato, "Anamnesi", f.anamnesi);
    leaf(certificato, "Obiettivita", f.obiettivita);
    leaf(certificato, "Diagnosi", f.diagnosi);
    leaf(certificato, "Terapia", f.terapia);
    leaf(certificato, "Altro", {});
    leaf(certificato, "IsIntrasportabilita", flag(false));
    leaf(certificato, "IsNonDeambulante", flag(f.dichiarazioni[0]));
    leaf(certificato, "IsNeoplastica", flag(f.dichiarazioni[1]));
    leaf(certificato, "IsGravita", flag(f.dichiarazioni[2]));
    leaf(certificato, "DataAcquisizione", isoDate(f.data));
    leaf(certificato, "Luogo", f.luogo);

    pugi::xml_node icd9 = element(root, "ICD9");
    for (const QString& codice : f.codiciIcd9) {
        if (!codice.isEmpty())
            leaf(element(icd9, "Item"), "Codice", codice);
    }

    pugi::xml_node tipoDomanda = element(root, "TipoDomanda");
    for (const clinical::Purpose purpose : clinical::kPurposes) {
        if (f.domanda[purpose])
            leaf(element(tipoDomanda, "Item"), "Sigla", QString::fromLatin1(clinical::purposeSigla(purpose)));
    }

    ByteArrayWriter writer;
    document.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    // pugixml writes a CR in text as it is, and a reader would fold CR LF into LF. Markup and
    // indentation hold no CR, so every CR in the output belongs to a text.
    writer.bytes.replace("\r", "&#13;");
    return writer.bytes;
}

QString invCiv2010Path(const QString& desktopFolder)
{
    QString folder = desktopFolder;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder + kCertificateFileName;
}

platform::KeptFile keepEarlierCertificate(const QString& path, const CertificateFields& fields)
{
    if (!QFileInfo(path).isFile())
        return {};
    const std::optional<Patient> earlier = readPatient(path);
    if (earlier && samePatient(*earlier, Patient{fields.codiceFiscale.trimmed(), fields.cognome, fields.nome,
                                                 birthDate(fields)}))
        return {};
    // A file that cannot be read is kept too: it may be anyone's.
    QStringList name{QFileInfo(kCertificateFileName).completeBaseName()};
    if (earlier) {
        for (const QString& part : {earlier->cognome, earlier->nome}) {
            if (const QString cleaned = fdf::CleanFileNamePart(part); !cleaned.isEmpty())
                name << cleaned;
        }
    }
    return platform::keepUnderDatedName(path, name.join(QLatin1Char(' ')));
}

} // namespace certificate
