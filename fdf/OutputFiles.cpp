#include "OutputFiles.h"

#include "platform/Platform.h"

#include <QDir>

namespace fdf {

namespace {

bool unfitForFileName(QChar c)
{
    static const QString kForbidden = QStringLiteral(" '\\/:*?\"<>|");
    return kForbidden.contains(c) || c.category() == QChar::Other_Control;
}

QString withSeparator(const QString& folder)
{
    if (folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QDir::separator();
}

} // namespace

QString CleanFileNamePart(const QString& name)
{
    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar c : name) {
        if (!unfitForFileName(c))
            cleaned += c;
    }
    return cleaned;
}

QString GetDesktopFolder(const platform::Platform& platform)
{
    return platform.desktopFolder();
}

OutputFileSet outputFileSet(Certificate certificate, const QString& programFolder,
                            const QString& desktopFolder, const QString& cognome, const QString& nome)
{
    const QString s = CleanFileNamePart(cognome);
    const QString n = CleanFileNamePart(nome);
    const QString program = withSeparator(programFolder);
    const QString temp = program + QStringLiteral("temp") + QDir::separator();
    const QString desktop = withSeparator(desktopFolder);
    const bool ap68 = certificate == Certificate::Ap68;
    const QString suffix = ap68 ? QStringLiteral("certmedinps") : QStringLiteral("certAP42_SS3");

    OutputFileSet files;
    files.statusText = (ap68 ? QStringLiteral("Creazione Certificato per ")
                             : QStringLiteral("Creazione Certificato AP42 SS3  per ")) +
                       s + QStringLiteral(" - ") + n;
    files.fdfPath = temp + s + n + suffix + QStringLiteral(".fdf");
    files.exportPath = temp + s + n + suffix + QStringLiteral(".xml");
    files.blankFormPath =
        program + (ap68 ? QStringLiteral("cert med INPS.pdf") : QStringLiteral("AP42_SS3.pdf"));
    files.desktopCopyPath = desktop + s + n + suffix + QStringLiteral(".pdf");
    return files;
}

} // namespace fdf
