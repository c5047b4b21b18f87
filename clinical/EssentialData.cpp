#include "EssentialData.h"

#include "fdf/Windows1252.h"
#include "host/Tzantopat.h"

#include <QFile>
#include <QRegularExpression>

#include <pugixml.hpp>

namespace clinical {

namespace {

const QString kExportName = QStringLiteral("publ_dati_essenziali");

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

// The text of a node and of all its descendants, in document order. The walk is iterative, so that a
// deeply nested export cannot exhaust the stack.
QString textContent(const pugi::xml_node& node)
{
    if (!node)
        return {};
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
        return QString::fromUtf8(node.value());
    std::string text;
    pugi::xml_node current = node.first_child();
    while (current) {
        if (current.type() == pugi::node_pcdata || current.type() == pugi::node_cdata)
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
    return QString::fromStdString(text);
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
            const QByteArray utf8 = fdf::decodeWindows1252(xml).toUtf8();
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
    std::vector<SectionEntry> entries;
    if (isEmpty())
        return entries;
    try {
        const pugi::xpath_node_set nodes = m_document->select_nodes(sectionPath);
        entries.reserve(nodes.size());
        for (const pugi::xpath_node& node : nodes) {
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
    QString text;
    for (const SectionEntry& entry : section(paths::kContinuativi)) {
        if (text.isEmpty())
            text = entry.descrizione_estesa;
        else
            text += QLatin1String("\r\n") + entry.descrizione_estesa;
    }
    return text;
}

EssentialDataDocument requestEssentialData(Tzantopat& session, const QString& patientId,
                                           const QString& exportPath)
{
    // An earlier export at this path must never stand in for this patient's when the host fails.
    QFile::remove(exportPath);
    session.select_single(patientId);
    session.genera_xml(kExportName, QString(), exportPath);
    return EssentialDataDocument::load(exportPath);
}

} // namespace clinical
