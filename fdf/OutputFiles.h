#pragma once
// Names and folders of one run of a PDF output flow.

#include <QString>
#include <QStringList>

namespace platform {
class Platform;
}

namespace fdf {

// A name made fit for a file name: blanks and apostrophes go, and so does every character that cannot
// stand in a file name or separates folders (\ / : * ? " < > | and control characters). The FDF names
// the desktop copy in Windows-1252, so Cyrillic and Greek letters are written in Latin ones as
// passports write them (ИВАНОВ → IVANOV, ΠΑΠΑΔΟΠΟΥΛΟΣ → PAPADOPOULOS), another letter the code page
// lacks becomes its base letter (Ș → S, Ł → L), and any other character outside it goes: the form
// reference names the very file written. At most kMaxFileNamePart characters are kept, so that a
// desktop path stays within Windows' 260.
inline constexpr int kMaxFileNamePart = 60;
QString CleanFileNamePart(const QString& name);

// The user's desktop folder, "" when there is none.
QString GetDesktopFolder(const platform::Platform& platform);

enum class Certificate { Ap68, Ap42Ss3 };

// Whom a patient's files are named after: surname and first name, each cleaned (CleanFileNamePart).
// When both clean to nothing (Chinese, Arabic...), the first of the alternatives that cleans to
// something (the fiscal code, then the host's code) stands for the surname.
struct PatientNames
{
    QString cognome;
    QString nome;
    QStringList alternatives = {};
};

// "Creazione Certificato per S - N" (AP42 SS3: "Creazione Certificato AP42 SS3  per S - N"), the
// names cleaned.
QString statusText(Certificate certificate, const QString& cognome, const QString& nome);

struct OutputFileSet
{
    QString statusText;
    QString fdfPath;
    QString blankFormPath;
    QString desktopCopyPath;
    QString completedCopyPath; // the form completed from the certificate editor: S N suffix "_compilato.pdf"
};

// The file set for a patient: the blank form beside the program, the FDF in the user's work folder, the
// copies on the desktop. The folders get a trailing separator when they lack one; an empty desktop thus
// becomes the separator alone. The names are cleaned here.
OutputFileSet outputFileSet(Certificate certificate, const QString& programFolder, const QString& workFolder,
                            const QString& desktopFolder, const PatientNames& names);

// Clears from the user's work folder what earlier sessions left there: the FDF files of the two forms
// (names ending in "certmedinps.fdf" or "certAP42_SS3.fdf") last changed more than seven days before
// platform.now(), and the host's essential-data exports (clinical::isExportFileName) that an
// interrupted run left, but for one written in the last ten minutes, which another copy of the program
// running meanwhile may be about to read. Nothing else is touched, and a file that cannot be removed
// stays. Run once a session has started, after the login.
void clearTempFolder(const platform::Platform& platform);

} // namespace fdf
