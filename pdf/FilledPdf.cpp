#include "FilledPdf.h"

#include "FieldAppearance.h"
#include "FontSetting.h"
#include "platform/Files.h"

#include <QFile>
#include <QStringList>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <map>
#include <set>

namespace pdf {

namespace {

// Missing names listed in a message before the rest are only counted.
constexpr qsizetype kNamesShown = 5;

[[noreturn]] void fail(const QString& reason, bool damaged = false)
{
    throw FormFillError(reason.toStdString(), damaged);
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// A text value as a reader of the FDF gets it: every CR LF and every lone CR read as one LF.
QString readerText(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return value;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("impossibile leggere il file: ") +
                 platform::fileErrorText(file, platform::FileAccess::Read),
             true);
    return file.readAll();
}

// A field's value as FormValues holds it.
QString shownValue(QPDFObjectHandle value)
{
    if (value.isString())
        return readerText(QString::fromStdString(value.getUTF8Value()));
    if (value.isName())
        return value.getName() == "/Off" ? QString() : QString::fromStdString(value.getName().substr(1));
    if (value.isNull())
        return {};
    return QString::fromStdString(value.unparse());
}

// The states a widget has a normal appearance for: "/Off" and a check box's on state, or a radio
// button's own state; none when it has no such appearances.
std::set<std::string> appearanceStates(QPDFAnnotationObjectHelper& widget)
{
    QPDFObjectHandle normal = widget.getAppearanceDictionary().getKey("/N");
    return normal.isDictionary() ? normal.getKeys() : std::set<std::string>();
}

// Runs `read` over the PDF in `bytes`; false when they are not a readable PDF.
template <typename Read> bool readPdf(const QByteArray& bytes, const QString& description, Read read)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile(description.toStdString().c_str(), bytes.constData(),
                              std::size_t(bytes.size()));
        read(pdf);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Runs `read` over every field of the PDF form in `bytes`, by fully-qualified name; false when they are
// not a readable PDF.
template <typename Read> bool forEachField(const QByteArray& bytes, const QString& description, Read read)
{
    return readPdf(bytes, description, [&read](QPDF& pdf) {
        QPDFAcroFormDocumentHelper acroForm(pdf);
        for (QPDFFormFieldObjectHelper& field : acroForm.getFormFields())
            read(QString::fromStdString(field.getFullyQualifiedName()), field, acroForm);
    });
}

// The field values of the PDF form in `bytes`; nullopt when they are not a readable PDF form.
std::optional<FormValues> formValues(const QByteArray& bytes, const QString& description)
{
    std::optional<FormReading> reading = readForm(bytes, description);
    return reading ? std::optional<FormValues>(std::move(reading->values)) : std::nullopt;
}

// Whether the written form reads back with every value the entries set. qpdf repairs a damaged file as
// it reads it, but what it writes from the repair may not read again.
bool readsBack(const QByteArray& filled, const QString& description, const std::vector<FieldEntry>& entries)
{
    const std::optional<FormValues> values = formValues(filled, description);
    if (!values)
        return false;
    const FormValues expected = filledValues({}, entries);
    for (const FieldEntry& entry : entries) {
        if (entry.kind != FieldValueKind::NoValue &&
            (!values->contains(entry.name) || values->at(entry.name) != expected.at(entry.name)))
            return false;
    }
    return true;
}

class FormFiller
{
public:
    FormFiller(QPDF& pdf, const QString& unicodeFont)
        : m_acroForm(pdf), m_appearances(pdf, m_acroForm, unicodeFont)
    {
        for (QPDFFormFieldObjectHelper& field : m_acroForm.getFormFields())
            m_fields.emplace(QString::fromStdString(field.getFullyQualifiedName()), field);
        if (m_fields.empty())
            fail(QStringLiteral("il file non contiene un modulo compilabile"), true);
    }

    // Every entry checked before any field changes, so that a form that does not fit stays untouched.
    void check(const std::vector<FieldEntry>& entries)
    {
        QStringList missing;
        for (const FieldEntry& entry : entries) {
            if (!m_fields.contains(entry.name) && !missing.contains(entry.name))
                missing << entry.name;
        }
        if (!missing.isEmpty())
            fail(missingFields(missing));
        for (const FieldEntry& entry : entries)
            checkKind(entry);
    }

    std::vector<UnprintedLetters> apply(const std::vector<FieldEntry>& entries)
    {
        std::vector<QString> texts;
        for (const FieldEntry& entry : entries) {
            if (entry.kind == FieldValueKind::Text)
                texts.push_back(readerText(entry.value));
        }
        m_appearances.prepare(texts);
        std::vector<UnprintedLetters> unprinted;
        for (const FieldEntry& entry : entries) {
            QString letters;
            const auto [first, last] = m_fields.equal_range(entry.name);
            for (auto it = first; it != last; ++it)
                letters = applyTo(entry, it->second);
            if (!letters.isEmpty())
                unprinted.push_back({entry.name, letters});
        }
        // The generated appearances hold only what their fonts hold; viewers that build their own
        // may show more.
        m_acroForm.setNeedAppearances(true);
        return unprinted;
    }

private:
    QPDFAcroFormDocumentHelper m_acroForm;
    TextAppearances m_appearances;
    std::multimap<QString, QPDFFormFieldObjectHelper> m_fields;

    static QString missingFields(const QStringList& names)
    {
        QStringList shown;
        for (qsizetype i = 0; i < names.size() && i < kNamesShown; ++i)
            shown << quoted(names[i]);
        QString reason = names.size() == 1 ? QStringLiteral("il modulo non ha il campo ")
                                           : QStringLiteral("il modulo non ha i campi ");
        reason += shown.join(QStringLiteral(", "));
        if (names.size() > kNamesShown)
            reason += QStringLiteral(" e altri %1").arg(names.size() - kNamesShown);
        return reason;
    }

    // A radio group's buttons are fields of one name, each with the appearance of its own state.
    bool hasState(const QString& name, const std::string& state)
    {
        const auto [first, last] = m_fields.equal_range(name);
        for (auto it = first; it != last; ++it) {
            for (QPDFAnnotationObjectHelper& widget : m_acroForm.getAnnotationsForField(it->second)) {
                if (appearanceStates(widget).contains(state))
                    return true;
            }
        }
        return false;
    }

    void checkKind(const FieldEntry& entry)
    {
        const auto [first, last] = m_fields.equal_range(entry.name);
        for (auto it = first; it != last; ++it) {
            QPDFFormFieldObjectHelper& field = it->second;
            const bool button = field.getFieldType() == "/Btn" && !field.isPushbutton();
            if (entry.kind == FieldValueKind::Text && !field.isText() && !field.isChoice())
                fail(QStringLiteral("il campo %1 non è un campo di testo").arg(quoted(entry.name)));
            if ((entry.kind == FieldValueKind::CheckBoxOff || entry.kind == FieldValueKind::NamedState) &&
                !button)
                fail(QStringLiteral("il campo %1 non è una casella da spuntare").arg(quoted(entry.name)));
        }
        if (entry.kind == FieldValueKind::NamedState && entry.value.isEmpty())
            fail(QStringLiteral("la casella %1 non ha uno stato di spunta").arg(quoted(entry.name)));
        if (entry.kind == FieldValueKind::NamedState && !hasState(entry.name, stateName(entry)))
            fail(QStringLiteral("il campo %1 non ha la scelta %2")
                     .arg(quoted(entry.name), quoted(entry.value)));
    }

    // A check box ticked in the state its form defines: qpdf's setV takes only "Yes" for ticked.
    void tick(QPDFFormFieldObjectHelper& field, const std::string& state)
    {
        field.setFieldAttribute("/V", QPDFObjectHandle::newName(state));
        for (QPDFAnnotationObjectHelper& widget : m_acroForm.getAnnotationsForField(field)) {
            const bool shows = appearanceStates(widget).contains(state);
            widget.getObjectHandle().replaceKey("/AS", QPDFObjectHandle::newName(shows ? state : "/Off"));
        }
    }

    static std::string stateName(const FieldEntry& entry) { return '/' + entry.value.toStdString(); }

    // The letters of a text value that its appearance cannot show.
    QString applyTo(const FieldEntry& entry, QPDFFormFieldObjectHelper& field)
    {
        switch (entry.kind) {
        case FieldValueKind::Text: {
            const QString text = readerText(entry.value);
            field.setV(QPDFObjectHandle::newUnicodeString(text.toStdString()), false);
            return m_appearances.generate(field, text);
        }
        case FieldValueKind::NoValue:
            break;
        case FieldValueKind::CheckBoxOff:
            field.setV(QPDFObjectHandle::newName("/Off"), false);
            break;
        case FieldValueKind::NamedState:
            if (field.isCheckbox())
                tick(field, stateName(entry));
            else
                field.setV(QPDFObjectHandle::newName(stateName(entry)), false);
            break;
        }
        return {};
    }
};

} // namespace

// A hybrid form would show its XFA data instead of these values in viewers that prefer XFA, so the XFA
// goes, as form fillers do.
QByteArray filledPdfForm(const QByteArray& blank, const QString& description,
                         const std::vector<FieldEntry>& entries, const QString& unicodeFont,
                         std::vector<UnprintedLetters>& unprinted)
{
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    try {
        pdf.processMemoryFile(description.toStdString().c_str(), blank.constData(),
                              std::size_t(blank.size()));
    } catch (const std::exception&) {
        fail(QStringLiteral("il file non è un PDF leggibile"), true);
    }
    try {
        FormFiller filler(pdf, unicodeFont);
        filler.check(entries);
        unprinted = filler.apply(entries);
        if (QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm"); acroForm.isDictionary())
            acroForm.removeKey("/XFA");
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        // Every stream goes through as it is: a form is mostly fonts and page content that the fill
        // does not touch, and decoding and recompressing them would take most of the time. The new
        // appearances are a few hundred bytes each and stay uncompressed.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.write();
        const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        QByteArray filled(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
        if (!readsBack(filled, description, entries))
            fail(QStringLiteral("il file PDF è danneggiato"), true);
        return filled;
    } catch (const FormFillError&) {
        throw;
    } catch (const std::exception&) {
        fail(QStringLiteral("il file PDF è danneggiato"), true);
    }
}

std::vector<UnprintedLetters> fillPdfForm(const QString& pdfPath, const std::vector<FieldEntry>& entries,
                                          const QString& unicodeFont)
{
    std::vector<UnprintedLetters> unprinted;
    const QByteArray filled = filledPdfForm(readFile(pdfPath), pdfPath, entries, unicodeFont, unprinted);
    if (const QString failure = platform::writeFileWhole(pdfPath, filled); !failure.isEmpty())
        fail(QStringLiteral("impossibile scrivere il file: ") + failure);
    return unprinted;
}

QString unprintedLettersWarning(const QString& fileName, const std::vector<UnprintedLetters>& unprinted,
                                const QString& settingsLocation)
{
    if (unprinted.empty())
        return {};
    QStringList fields;
    for (const UnprintedLetters& field : unprinted) {
        QStringList letters;
        for (const char32_t c : field.letters.toUcs4())
            letters << QString::fromUcs4(&c, 1);
        fields << QStringLiteral("%1 nel campo %2").arg(letters.join(QLatin1Char(' ')), quoted(field.field));
    }
    return QStringLiteral(
               "Attenzione: nel modulo PDF %1 queste lettere potrebbero non essere visualizzate né "
               "stampate: %2. Manca un carattere che le contenga: se ne può indicare uno (file "
               "TrueType .ttf) nell'impostazione %3 (%4).")
        .arg(fileName, fields.join(QStringLiteral("; ")), kPdfFontKey, settingsLocation);
}

std::optional<FormValues> readFormValues(const QString& pdfPath)
{
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return formValues(file.readAll(), pdfPath);
}

std::optional<FormReading> readForm(const QByteArray& bytes, const QString& description)
{
    FormReading reading;
    const bool read = readPdf(bytes, description, [&reading](QPDF& pdf) {
        for (QPDFFormFieldObjectHelper& field : QPDFAcroFormDocumentHelper(pdf).getFormFields()) {
            if (!field.isPushbutton())
                reading.values[QString::fromStdString(field.getFullyQualifiedName())] =
                    shownValue(field.getValue());
        }
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            for (QPDFAnnotationObjectHelper& annotation : page.getAnnotations()) {
                if (annotation.getSubtype() != "/Widget")
                    ++reading.otherAnnotations;
            }
        }
    });
    if (!read || reading.values.empty())
        return std::nullopt;
    return reading;
}

std::map<QString, QString> checkBoxOnStates(const QString& pdfPath)
{
    std::map<QString, QString> states;
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly))
        return states;
    forEachField(file.readAll(), pdfPath,
                 [&states](const QString& name, QPDFFormFieldObjectHelper& field,
                           QPDFAcroFormDocumentHelper& acroForm) {
                     if (!field.isCheckbox())
                         return;
                     for (QPDFAnnotationObjectHelper& widget : acroForm.getAnnotationsForField(field)) {
                         for (const std::string& key : appearanceStates(widget)) {
                             if (key != "/Off") {
                                 states.try_emplace(name, QString::fromStdString(key.substr(1)));
                                 return;
                             }
                         }
                     }
                 });
    return states;
}

FormValues filledValues(FormValues form, const std::vector<FieldEntry>& entries)
{
    for (const FieldEntry& entry : entries) {
        switch (entry.kind) {
        case FieldValueKind::Text:
        case FieldValueKind::NamedState:
            form[entry.name] = entry.kind == FieldValueKind::Text ? readerText(entry.value) : entry.value;
            break;
        case FieldValueKind::CheckBoxOff:
            form[entry.name] = QString();
            break;
        case FieldValueKind::NoValue:
            form.try_emplace(entry.name);
            break;
        }
    }
    return form;
}

} // namespace pdf
