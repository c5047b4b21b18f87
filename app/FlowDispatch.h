#pragma once
// The dispatch rules of the patient window: which output flow a click on a row's "Compila" runs for the
// certificate and the format chosen in the window's two lists, and what the doctor is told of its
// outcome. Free of widgets: the window passes the lists' positions and acts on the file to open.

#include "OutputFlows.h"
#include "clinical/PatientRow.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class Platform;
}

namespace app {

// The entries of the certificate list (ComboBox1) and of the format list (ComboBox2), by position.
enum Certificate { CertificatoInvalidita = 0, ModuloAp42Ss3 = 1 };
enum Format { Pdf = 0, Xml = 1 };

// The format list's entries for the certificate at `certificate` (-1: none), the first one chosen;
// nullopt when the list stays as it is.
std::optional<QStringList> formatsOf(int certificate);

// A file a PDF flow wrote, for the window to open, and the warning its status line then shows ("" for
// none).
struct FileToOpen
{
    QString path;
    QString warning;
};

// Runs, through `flows` (nullptr: none), the flow that `certificate` and `format` (-1: none chosen)
// choose for the row, and shows through `platform` what the doctor reads before any file opens: a
// missing choice, the written certificate, a kept earlier file, a file not made. The file to open, or
// nullopt when there is none.
std::optional<FileToOpen> dispatchFlow(int certificate, int format, const clinical::PatientRow& row,
                                       OutputFlows* flows, platform::Platform& platform);

// What the doctor reads when no application took the file: it is there, where it is, and how to open
// it.
QString notOpenedMessage(const QString& path, const QString& settingsLocation);

} // namespace app
