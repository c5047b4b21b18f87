#include "FlowDispatch.h"

#include "platform/Platform.h"

#include <QDir>

namespace app {

namespace {

const QString kErrorNoCertificate = QStringLiteral("Selezionare il certificato.");
const QString kErrorNoFormat = QStringLiteral("Selezionare il formato del certificato.");
const QString kErrorNoFile = QStringLiteral("Errore nella Creazione del File!");
const QString kDesktopFile = QStringLiteral("Sul desktop puoi trovare il file ");
const QString kKeptCopy = QStringLiteral("La copia precedente del modulo è stata conservata come ");
const QString kKeptCertificate = QStringLiteral("Il certificato precedente è stato conservato come ");

// After the line before it, when there is one.
QString nextLine(const QString& line)
{
    return line.isEmpty() ? QString() : QLatin1Char('\n') + line;
}

} // namespace

std::optional<QStringList> formatsOf(int certificate)
{
    switch (certificate) {
    case -1:
        return QStringList();
    case CertificatoInvalidita:
        return QStringList{QStringLiteral("PDF"), QStringLiteral("XML")};
    case ModuloAp42Ss3:
        return QStringList{QStringLiteral("PDF")};
    default:
        return std::nullopt;
    }
}

std::optional<FileToOpen> dispatchFlow(int certificate, int format, const clinical::PatientRow& row,
                                       OutputFlows* flows, platform::Platform& platform)
{
    if (certificate == -1) {
        platform.showMessage(platform::MessageKind::Error, kErrorNoCertificate);
        return std::nullopt;
    }
    if ((certificate == CertificatoInvalidita || certificate == ModuloAp42Ss3) && format == -1) {
        platform.showMessage(platform::MessageKind::Error, kErrorNoFormat);
        return std::nullopt;
    }

    FlowOutput output;
    bool open = false;
    if (certificate == CertificatoInvalidita && format == Pdf) {
        output = flows ? flows->CreateAp68Pdf(row) : FlowOutput();
        open = true;
    } else if (certificate == CertificatoInvalidita && format == Xml) {
        output = flows ? flows->OpenCertificateEditor(row) : FlowOutput();
        if (output.cancelled)
            return std::nullopt;
        if (!output.path.isEmpty())
            platform.showMessage(
                platform::MessageKind::Information,
                kDesktopFile + output.path + nextLine(output.printable) +
                    (output.kept.isEmpty() ? QString() : nextLine(kKeptCertificate + output.kept)));
    } else if (certificate == ModuloAp42Ss3 && format == Pdf) {
        output = flows ? flows->CreateAp42Ss3Pdf(row) : FlowOutput();
        open = true;
    }
    // The doctor's earlier copy is told of before the fresh one opens over it.
    if (open && !output.kept.isEmpty())
        platform.showMessage(platform::MessageKind::Information, kKeptCopy + output.kept);

    if (output.path.isEmpty()) {
        platform.showMessage(platform::MessageKind::Error, kErrorNoFile);
        return std::nullopt;
    }
    if (!open)
        return std::nullopt;
    return FileToOpen{output.path, output.warning};
}

// The FDF opens only in a viewer that imports FDF, so its message also points to the filled desktop copy
// and to the setting that makes the click open that copy.
QString notOpenedMessage(const QString& path, const QString& settingsLocation)
{
    const QString text =
        QStringLiteral("Il file è stato creato, ma non è stato possibile aprirlo perché nessun "
                       "programma è associato a questo tipo di file:\n") +
        QDir::toNativeSeparators(path) + QStringLiteral("\n\n");
    if (!path.endsWith(QStringLiteral(".fdf"), Qt::CaseInsensitive))
        return text +
               QStringLiteral("Aprirlo dal desktop con un lettore PDF che gestisca i moduli compilabili.");
    return text +
           QStringLiteral(
               "Il file FDF si apre con un lettore PDF che importi i file FDF. Sul desktop c'è anche la "
               "copia del modulo già compilata, che si apre con qualsiasi lettore PDF che gestisca i "
               "moduli compilabili: perché Compila apra sempre quella, impostare apri_pdf_compilato a true "
               "(") +
           settingsLocation + QStringLiteral(").");
}

} // namespace app
