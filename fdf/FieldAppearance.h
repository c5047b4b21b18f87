#pragma once
// Normal appearances of filled text fields, for viewers that draw a field's appearance as it is
// instead of building their own from the value.

#include <QString>

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>

#include <map>

namespace fdf {

class TextAppearances
{
public:
    TextAppearances(QPDF& pdf, QPDFAcroFormDocumentHelper& acroForm);

    // The appearance of every widget of `field` for `value` (line ends already one LF each): qpdf's,
    // drawn with a WinAnsi twin of a standard font so that accented letters show; for a multi-line
    // field whose value has line breaks, one line of text for each, from the top of the box.
    void generate(QPDFFormFieldObjectHelper& field, const QString& value);

private:
    QPDF& m_pdf;
    QPDFAcroFormDocumentHelper& m_acroForm;
    QPDFObjectHandle m_formFonts;
    std::map<QPDFObjGen, QPDFObjectHandle> m_twins;

    void prepareFont(QPDFObjectHandle appearance, const std::string& name);
    QPDFObjectHandle twin(QPDFObjectHandle font);
    static void settle(QPDFAnnotationObjectHelper& widget);
    bool writeLines(QPDFFormFieldObjectHelper& field, QPDFAnnotationObjectHelper& widget,
                    const QString& value);
};

} // namespace fdf
