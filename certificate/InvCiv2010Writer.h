#pragma once
// The InvCiv2010 XML certificate: its element tree built from the editor's values, and the file.

#include "CertificateFields.h"
#include "platform/Files.h"

#include <QByteArray>
#include <QString>

namespace certificate {

inline const QString kCertificateFileName = QStringLiteral("certmedinps.xml");

// The certificate's document: UTF-8 with an XML declaration, indented two spaces. A CR in a text is
// written as "&#13;" so that a reader gets the CR LF line breaks back; characters XML 1.0 cannot carry
// are dropped. comuneNascita is the birth town's cadastral code.
QByteArray invCiv2010Document(const CertificateFields& fields, const QString& comuneNascita);

// The desktop folder with a separator appended when it has none, then "certmedinps.xml". An empty
// folder gives the separator alone before the name.
QString invCiv2010Path(const QString& desktopFolder);

// Before a new certificate for the patient of `fields` replaces the file at `path`: when that file
// holds the certificate of another patient, or cannot be read as a certificate at all, it is renamed to
// "certmedinps <COGNOME> <NOME> (yyyy-mm-dd hh.mm.ss).xml" (the earlier certificate's names, cleaned
// as file-name parts; its last modification time). Another patient: another CodiceFiscale, or, when
// either certificate lacks one, another surname, first name or birth date. Nothing to keep (no file,
// or the same patient's certificate, which the new one revises) gives an empty KeptFile.
platform::KeptFile keepEarlierCertificate(const QString& path, const CertificateFields& fields);

// The text without the characters that XML 1.0 cannot carry (controls other than tab, CR and LF,
// lone surrogates, U+FFFE and U+FFFF).
QString xmlCharactersOnly(const QString& text);

} // namespace certificate
