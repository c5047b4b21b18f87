#pragma once
// Normal appearances of filled text fields, for viewers that draw a field's appearance as it is
// instead of building their own from the value.

#include <QString>

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace pdf {

class EmbeddedFont;
struct DaFont;

class TextAppearances
{
public:
    // `unicodeFont`: the TrueType font file for values the form's own font cannot show; "" for none.
    TextAppearances(QPDF& pdf, QPDFAcroFormDocumentHelper& acroForm, QString unicodeFont);
    ~TextAppearances();

    // Embeds the Unicode font once, as the subset that draws those of `values` (line ends already one
    // LF each) that need it, and adds it to the form's resources. Nothing when no value needs it, or
    // when the font cannot be read. Before generate().
    void prepare(const std::vector<QString>& values);

    // The appearance of every widget of `field` for `value` (line ends already one LF each). A value
    // the form's font shows gets qpdf's, drawn with a WinAnsi twin of a standard font so that accented
    // letters show. A value with characters beyond WinAnsi that the embedded font has is drawn with that
    // font, and the field's /DA names it. For a multi-line field whose value has line breaks, one line
    // of text for each, from the top of the box.
    //
    // Returns the letters and digits of the value that the appearance cannot show, each once: "" when
    // it shows them all.
    QString generate(QPDFFormFieldObjectHelper& field, const QString& value);

private:
    // How one appearance draws its lines.
    struct Drawing
    {
        bool fromTop;                                      // else one line, centred in the box
        std::function<QByteArray(const QString&)> operand; // a line as a text operator's string
        QPDFObjectHandle font;                             // added to the resources; null for none
    };

    QPDF& m_pdf;
    QPDFAcroFormDocumentHelper& m_acroForm;
    QPDFObjectHandle m_formFonts;
    std::map<QPDFObjGen, QPDFObjectHandle> m_twins;
    QString m_unicodePath;
    std::unique_ptr<EmbeddedFont> m_unicode; // once embedded
    QPDFObjectHandle m_unicodeFont;
    std::string m_unicodeName;

    void prepareFont(QPDFObjectHandle appearance, const std::string& name);
    QPDFObjectHandle twin(QPDFObjectHandle font);
    static void settle(QPDFAnnotationObjectHelper& widget);
    bool writeLines(QPDFFormFieldObjectHelper& field, QPDFAnnotationObjectHelper& widget,
                    const QString& value);
    bool writeText(QPDFAnnotationObjectHelper& widget, const DaFont& font, const QStringList& lines,
                   const Drawing& drawing);
    QString generateUnicode(QPDFFormFieldObjectHelper& field, const QString& value);
};

} // namespace pdf
