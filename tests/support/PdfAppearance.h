#pragma once
// What a filled form draws, read with qpdf: a field's normal appearance and a stream's content.

#include <QByteArray>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace testing_support {

// The normal appearance of the first widget of `field`.
inline QPDFObjectHandle appearanceOf(QPDF& pdf, const std::string& field)
{
    QPDFAcroFormDocumentHelper acroForm(pdf);
    for (QPDFFormFieldObjectHelper& f : acroForm.getFormFields()) {
        if (f.getFullyQualifiedName() == field)
            return acroForm.getAnnotationsForField(f).at(0).getAppearanceStream("/N");
    }
    ADD_FAILURE() << "no field " << field;
    return QPDFObjectHandle::newNull();
}

inline QByteArray contentOf(QPDFObjectHandle stream)
{
    const std::shared_ptr<Buffer> data = stream.getStreamData();
    return QByteArray(reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize()));
}

} // namespace testing_support
