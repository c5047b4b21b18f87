#pragma once
// Names and folders of one run of a PDF output flow.

#include <QString>

namespace platform {
class Platform;
}

namespace fdf {

// A name made fit for a file name: blanks and apostrophes go, and so does every character that cannot
// stand in a file name or separates folders (\ / : * ? " < > | and control characters). The FDF names
// the desktop copy in Windows-1252, so a letter the code page lacks becomes its base letter (Ș → S,
// Ł → L) and any other character outside it goes: the form reference names the very file written.
QString CleanFileNamePart(const QString& name);

// The user's desktop folder, "" when there is none.
QString GetDesktopFolder(const platform::Platform& platform);

enum class Certificate { Ap68, Ap42Ss3 };

struct OutputFileSet
{
    QString statusText;
    QString fdfPath;
    QString exportPath;
    QString blankFormPath;
    QString desktopCopyPath;
    QString completedCopyPath; // the form completed from the certificate editor: S N suffix "_compilato.pdf"
};

// The file set for a patient. `programFolder` and `desktopFolder` get a trailing separator when they
// lack one; an empty desktop thus becomes the separator alone. Surname and first name are cleaned here.
OutputFileSet outputFileSet(Certificate certificate, const QString& programFolder,
                            const QString& desktopFolder, const QString& cognome, const QString& nome);

// Clears from the program's temp folder what earlier sessions left there: the FDF files of the two
// forms (names ending in "certmedinps.fdf" or "certAP42_SS3.fdf") last changed more than seven days
// before platform.now(), and the host's essential-data exports (names ending in "certmedinps.xml" or
// "certAP42_SS3.xml") that an interrupted run left, but for one written in the last ten minutes, which
// another copy of the program running meanwhile may be about to read. Nothing else is touched, and a
// file that cannot be removed stays. Run once a session has started, after the login.
void clearTempFolder(const platform::Platform& platform);

} // namespace fdf
