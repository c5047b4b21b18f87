#include "EssentialData.h"

#include "host/Tzantopat.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "text/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>

#include <pugixml.hpp>

#include <algorithm>
#include <limits>

namespace clinical {

namespace {

const QString kExportName = QStringLiteral("publ_dati_essenziali");
const QString kExportFilePrefix = kExportName + QLatin1Char('-');
constexpr int kExportNameDigits = 32;

// A name as it is compared: case folded, blanks around and between words made one.
QString nameKey(const QString& name)
{
    return name.simplified().toCaseFolded();
}

bool sameName(const QString& selected, const QString& exported)
{
    const QString key = nameKey(exported);
    return nameKey(selected) == key ||
           nameKey(text::decodeWindows1252(text::encodeWindows1252(selected))) == key;
}

// True when the XML declaration names the Windows-1252 code page, which a Windows host may well write.
bool declaresWindows1252(const QByteArray& xml)
{
    if (!xml.startsWith("<?xml"))
        return false;
    const qsizetype end = xml.indexOf("?>");
    if (end < 0)
        return false;
    static const QRegularExpression encoding(QStringLiteral(R"(encoding\s*=\s*["']([^"']*)["'])"));
    const QRegularExpressionMatch match = encoding.match(QString::fromLatin1(xml.left(end)));
    if (!match.hasMatch())
        return false;
    const QString name = match.captured(1).toLower();
    return name == QLatin1String("windows-1252") || name == QLatin1String("cp1252");
}

// The text of an element and of all its descendants, in document order, as UTF-8. The usual element
// holds one text node, taken without a walk; the walk is iterative, so that a deeply nested export
// cannot exhaust the stack.
std::string textContentUtf8(const pugi::xml_node& node)
{
    const pugi::xml_node first = node.first_child();
    const auto isText = [](const pugi::xml_node& n) {
        return n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata;
    };
    if (!first)
        return {};
    if (isText(first) && !first.next_sibling())
        return first.value();
    std::string text;
    pugi::xml_node current = first;
    while (current) {
        if (isText(current))
            text += current.value();
        if (current.first_child()) {
            current = current.first_child();
            continue;
        }
        while (current != node && !current.next_sibling())
            current = current.parent();
        if (current == node)
            break;
        current = current.next_sibling();
    }
    return text;
}

// The same as text (the text of a text node is its own).
QString textContent(const pugi::xml_node& node)
{
    if (!node)
        return {};
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
        return QString::fromUtf8(node.value());
    return QString::fromStdString(textContentUtf8(node));
}

} // namespace

EssentialDataDocument::EssentialDataDocument() : m_document(std::make_unique<pugi::xml_document>()) {}
EssentialDataDocument::~EssentialDataDocument() = default;
EssentialDataDocument::EssentialDataDocument(EssentialDataDocument&&) noexcept = default;
EssentialDataDocument& EssentialDataDocument::operator=(EssentialDataDocument&&) noexcept = default;

EssentialDataDocument EssentialDataDocument::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromText(file.readAll());
}

EssentialDataDocument EssentialDataDocument::fromText(const QByteArray& xml)
{
    EssentialDataDocument document;
    try {
        pugi::xml_parse_result parsed;
        if (declaresWindows1252(xml)) {
            // pugixml does not know this code page; it gets the same text as UTF-8.
            const QByteArray utf8 = text::decodeWindows1252(xml).toUtf8();
            parsed = document.m_document->load_buffer(utf8.constData(), size_t(utf8.size()),
                                                      pugi::parse_default, pugi::encoding_utf8);
        } else {
            parsed = document.m_document->load_buffer(xml.constData(), size_t(xml.size()));
        }
        // A document that does not parse is empty as a whole, never the part read before the error.
        if (!parsed)
            document.m_document->reset();
    } catch (...) {
        document.m_document->reset();
    }
    return document;
}

bool EssentialDataDocument::isEmpty() const
{
    return !m_document || !m_document->document_element();
}

QString EssentialDataDocument::value(const char* xpath) const
{
    if (isEmpty())
        return {};
    try {
        return textContent(m_document->select_node(xpath).node());
    } catch (...) {
        return {};
    }
}

std::vector<SectionEntry> EssentialDataDocument::section(const char* sectionPath) const
{
    return section(sectionPath, std::numeric_limits<std::size_t>::max());
}

std::vector<SectionEntry> EssentialDataDocument::section(const char* sectionPath, std::size_t limit) const
{
    std::vector<SectionEntry> entries;
    if (isEmpty() || limit == 0)
        return entries;
    try {
        const pugi::xpath_node_set nodes = m_document->select_nodes(sectionPath);
        entries.reserve(std::min(nodes.size(), limit));
        for (const pugi::xpath_node& node : nodes) {
            if (entries.size() == limit)
                break;
            const pugi::xml_node entry = node.node();
            entries.push_back(
                {textContent(entry.child("codice")), textContent(entry.child("descrizione_estesa"))});
        }
    } catch (...) {
        entries.clear();
    }
    return entries;
}

QString EssentialDataDocument::therapyText() const
{
    if (isEmpty())
        return {};
    std::string text; // gathered as UTF-8 and converted once
    try {
        for (const pugi::xpath_node& node : m_document->select_nodes(paths::kContinuativi)) {
            const std::string description = textContentUtf8(node.node().child("descrizione_estesa"));
            if (text.empty())
                text = description;
            else
                (text += "\r\n") += description;
        }
    } catch (...) {
        return {};
    }
    return QString::fromStdString(text);
}

bool EssentialDataDocument::isPatient(const QString& cognome, const QString& nome) const
{
    if (isEmpty())
        return false;
    try {
        if (m_document->select_nodes("/Publ_Dati_Essenziali/Elenco_pazienti/PAZIENTE").size() != 1)
            return false;
    } catch (...) {
        return false;
    }
    return sameName(cognome, value(paths::kCognome)) && sameName(nome, value(paths::kNomePersona));
}

QString freshExportPath(const QString& workFolder)
{
    QString digits;
    for (int i = 0; i < kExportNameDigits / 8; ++i)
        digits += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    return workFolder + kExportFilePrefix + digits + QStringLiteral(".xml");
}

bool isExportFileName(const QString& fileName)
{
    static const QRegularExpression name(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(kExportFilePrefix) +
                                            QStringLiteral("[0-9a-f]{%1}\\.xml").arg(kExportNameDigits)));
    return name.match(fileName).hasMatch();
}

EssentialDataDocument requestEssentialData(Tzantopat& session, const QString& patientId,
                                           const QString& exportPath)
{
    // The patient's whole clinical summary: it lasts this one request, whatever comes of it.
    const auto removeExport = qScopeGuard([&exportPath] { QFile::remove(exportPath); });
    QFile::remove(exportPath);
    // A failing host may have left another patient current, or written nothing: nothing is read.
    if (!session.select_single(patientId))
        throw platform::FailureShown();
    const QString cognome = session.leggi_attributo(QStringLiteral("cognome"));
    const QString nome = session.leggi_attributo(QStringLiteral("nome"));
    if (!session.genera_xml(kExportName, QString(), exportPath))
        throw platform::FailureShown();

    QString problem;
    const std::optional<QByteArray> bytes = platform::readRegularFile(exportPath, kMaxExportBytes, problem);
    if (!problem.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Impossibile leggere i dati esportati dal programma di cartella: %1 (%2). Nessun "
                           "file è stato scritto.")
                .arg(problem, QDir::toNativeSeparators(exportPath))
                .toStdString());
    EssentialDataDocument document = EssentialDataDocument::fromText(bytes.value_or(QByteArray()));
    // An empty document holds no one's data; any other must be the selected patient's.
    if (!document.isEmpty() && !document.isPatient(cognome, nome))
        throw std::runtime_error(
            QStringLiteral("I dati esportati dal programma di cartella non appartengono al "
                           "paziente scelto (%1). Nessun file è stato scritto.")
                .arg((cognome + QLatin1Char(' ') + nome).simplified())
                .toStdString());
    return document;
}

} // namespace clinical
