#include "Diagnosis.h"

#include "HostRegistration.h"
#include "demohost/DemoHost.h"
#include "fdf/OpenSetting.h"
#include "fdf/OutputFlow.h"
#include "pdf/FontSetting.h"
#include "platform/Platform.h"
#include "platform/SupportLog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTemporaryFile>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <shlwapi.h>
#include <windows.h>

#include <iterator>
#else
#include <QProcess>

#include <unistd.h>
#endif

#include <exception>

namespace app {

namespace {

// Below this the flows may fail half way: an export, an FDF and a desktop copy take a few MB at most.
constexpr qint64 kMinFreeBytes = 100LL * 1024 * 1024;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

DiagnosisLine ok(const QString& subject, const QString& finding)
{
    return {subject, true, finding};
}

DiagnosisLine problem(const QString& subject, const QString& finding)
{
    return {subject, false, finding};
}

void checkProgram(std::vector<DiagnosisLine>& lines)
{
    lines.push_back(
        ok(QStringLiteral("Versione del programma"), QStringLiteral("InvCiv ") + platform::programVersion()));
    lines.push_back(ok(QStringLiteral("Sistema operativo"),
                       QSysInfo::prettyProductName() + QStringLiteral(" (") + QSysInfo::kernelType() +
                           QLatin1Char(' ') + QSysInfo::kernelVersion() + QStringLiteral(", ") +
                           QSysInfo::currentCpuArchitecture() + QLatin1Char(')')));
    lines.push_back(
        ok(QStringLiteral("Architettura del programma"),
           QStringLiteral("%1 bit (%2)").arg(QSysInfo::WordSize).arg(QSysInfo::buildCpuArchitecture())));
}

void checkHost(std::vector<DiagnosisLine>& lines, const HostSelection& host)
{
    const QString subject = QStringLiteral("Server dell'host (Korvalis.Server)");
    if (host.useDemoHost) {
        const QString file = native(QString::fromStdString(host.demoHostFile));
        try {
            // A missing file is made from the seed, as the program makes it at start.
            const bool existed = QFileInfo::exists(file);
            demohost::DemoHost::ensureDatabase(host.demoHostFile);
            lines.push_back(
                ok(subject, QStringLiteral("host dimostrativo sul file %1, %2")
                                .arg(file, existed ? QStringLiteral("utilizzabile")
                                                   : QStringLiteral("creato ora dai dati di prova"))));
        } catch (const std::exception& error) {
            lines.push_back(
                problem(subject,
                        QStringLiteral("il file dell'host dimostrativo non si può usare (%1). Cosa fare: "
                                       "cancellarlo, perché il programma lo ricrei, o indicarne un altro con "
                                       "--demo-host")
                            .arg(QString::fromUtf8(error.what()))));
        }
        return;
    }
    for (const HostRegistrationFinding& finding : hostRegistration())
        lines.push_back({subject, finding.ok, finding.text});
    try {
        // Created and let go: no login, no call.
        automationFactoryFor(host)(host::kHostProgId);
        lines.push_back(ok(QStringLiteral("Creazione del server dell'host"), QStringLiteral("riuscita")));
    } catch (const std::exception& error) {
        lines.push_back(problem(QStringLiteral("Creazione del server dell'host"),
                                QStringLiteral("non riuscita (%1). Cosa fare: installare o riparare il "
                                               "programma di cartella clinica, poi ripetere la verifica")
                                    .arg(QString::fromUtf8(error.what()))));
    }
}

void checkForm(std::vector<DiagnosisLine>& lines, const QString& programFolder, fdf::Certificate certificate,
               const QString& name, const QString& fileName)
{
    const QString subject = QStringLiteral("Modulo %1 (%2)").arg(name, fileName);
    const QString path = QDir(programFolder).filePath(fileName);
    if (const QString failure = fdf::blankFormProblem(certificate, programFolder); !failure.isEmpty()) {
        lines.push_back(
            problem(subject, failure + QStringLiteral(". Cosa fare: rimettere accanto al programma "
                                                      "il modulo ufficiale con questo nome, o "
                                                      "reinstallare il programma")));
        return;
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    lines.push_back(ok(
        subject,
        QStringLiteral("leggibile, con i campi del precompilato; %1 byte, SHA-256 %2")
            .arg(bytes.size())
            .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()))));
}

// Whether a file can be made in `folder`: made and removed at once.
bool canWriteIn(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("verifica-XXXXXX")));
    return probe.open();
}

// The nearest folder that exists at or above `path`.
QString existingAncestor(QString path)
{
    QFileInfo info(path);
    while (!info.exists() && !info.isRoot() && info.absolutePath() != info.absoluteFilePath())
        info = QFileInfo(info.absolutePath());
    return info.absoluteFilePath();
}

void checkWorkFolder(std::vector<DiagnosisLine>& lines, const QString& work)
{
    const QString subject = QStringLiteral("Cartella di lavoro dell'utente");
    const QFileInfo info(work);
    const QString shown = native(work);
    if (work.isEmpty()) {
        lines.push_back(
            problem(subject, QStringLiteral("nessuna. Cosa fare: verificare il profilo dell'utente di "
                                            "Windows o la variabile HOME")));
        return;
    }
    if (!info.exists()) {
        const QString ancestor = existingAncestor(work);
        if (QFileInfo(ancestor).isDir() && canWriteIn(ancestor))
            lines.push_back(
                ok(subject, shown + QStringLiteral(": non ancora creata, il programma la crea al primo "
                                                   "uso")));
        else
            lines.push_back(
                problem(subject, shown + QStringLiteral(": non si può creare (%1 non è una cartella "
                                                        "scrivibile). Cosa fare: rendere scrivibile "
                                                        "all'utente la cartella %1")
                                             .arg(native(ancestor))));
        return;
    }
    if (!info.isDir() || info.isSymLink()) {
        lines.push_back(problem(subject, shown + QStringLiteral(": esiste ma non è una cartella. Cosa fare: "
                                                                "spostare o cancellare quel file")));
        return;
    }
    if (!canWriteIn(work)) {
        lines.push_back(
            problem(subject, shown + QStringLiteral(": non scrivibile. Cosa fare: dare all'utente il "
                                                    "permesso di scrivere nella cartella")));
        return;
    }
#ifndef Q_OS_WIN
    const QFile::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                      QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                      QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (info.permissions() & others) {
        lines.push_back(problem(subject, shown + QStringLiteral(": altri utenti possono entrarvi. Cosa fare: "
                                                                "chmod 700 %1 (il programma lo fa a ogni "
                                                                "accesso)")
                                                     .arg(shown)));
        return;
    }
    if (info.ownerId() != ::geteuid()) {
        lines.push_back(problem(subject, shown + QStringLiteral(": non è dell'utente. Cosa fare: renderla "
                                                                "dell'utente (chown)")));
        return;
    }
#endif
    lines.push_back(ok(subject, shown + QStringLiteral(": esiste, scrivibile, accessibile solo all'utente")));
}

void checkDesktop(std::vector<DiagnosisLine>& lines, const QString& desktop)
{
    const QString subject = QStringLiteral("Desktop");
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir())
        lines.push_back(
            problem(subject, QStringLiteral("cartella %1 assente. Cosa fare: verificare il profilo "
                                            "dell'utente")
                                 .arg(desktop.isEmpty() ? QStringLiteral("del desktop") : native(desktop))));
    else if (!canWriteIn(desktop))
        lines.push_back(
            problem(subject, native(desktop) + QStringLiteral(": non scrivibile. Cosa fare: dare "
                                                              "all'utente il permesso di scrivervi")));
    else
        lines.push_back(ok(subject, native(desktop) + QStringLiteral(": scrivibile")));
}

void checkFreeSpace(std::vector<DiagnosisLine>& lines, const QStringList& folders)
{
    QStringList seen;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QStorageInfo volume(existingAncestor(folder));
        if (!volume.isValid() || seen.contains(volume.rootPath()))
            continue;
        seen << volume.rootPath();
        const QString subject = QStringLiteral("Spazio libero su %1").arg(native(volume.rootPath()));
        const QString amount =
            QLocale(QLocale::Italian)
                .formattedDataSize(volume.bytesAvailable(), 1, QLocale::DataSizeTraditionalFormat);
        if (volume.bytesAvailable() < kMinFreeBytes)
            lines.push_back(
                problem(subject, amount + QStringLiteral(". Cosa fare: liberare spazio sul disco")));
        else
            lines.push_back(ok(subject, amount));
    }
}

void checkFont(std::vector<DiagnosisLine>& lines, const platform::Platform& platform)
{
    const QString subject = QStringLiteral("Carattere Unicode della copia compilata");
    const QString path = pdf::unicodeFontPath(platform);
#ifdef Q_OS_WIN
    const QString install = QStringLiteral("installare il carattere Arial tra i caratteri di Windows");
#else
    const QString install = QStringLiteral("installare DejaVu Sans (fonts-dejavu-core)");
#endif
    const QString what = QStringLiteral(". Cosa fare: ") + install +
                         QStringLiteral(" o indicare un file .ttf nell'impostazione ") + pdf::kPdfFontKey;
    if (path.isEmpty()) {
        lines.push_back(problem(subject, QStringLiteral("nessuno trovato") + what));
        return;
    }
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
    if (head != QByteArray("\0\1\0\0", 4) && head != "true" && head != "OTTO")
        lines.push_back(problem(
            subject, native(path) + QStringLiteral(": assente o non è un carattere TrueType") + what));
    else
        lines.push_back(ok(subject, native(path)));
}

// The application the system opens files of `extension` with; "" when none.
QString associatedApplication(const QString& extension)
{
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = DWORD(std::size(buffer));
    const std::wstring ext = extension.toStdWString();
    if (AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, ext.c_str(), L"open", buffer, &size) != S_OK)
        return {};
    return QString::fromWCharArray(buffer);
#else
    const QString mime = extension == QLatin1String(".pdf") ? QStringLiteral("application/pdf")
                                                            : QStringLiteral("application/vnd.fdf");
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mime});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
#endif
}

void checkAssociations(std::vector<DiagnosisLine>& lines, const platform::Platform& platform)
{
    const fdf::OpenTarget target = fdf::openTarget(platform);
    for (const QString& extension : {QStringLiteral(".pdf"), QStringLiteral(".fdf")}) {
        const QString subject = QStringLiteral("Programma che apre i file ") + extension;
        const QString application = associatedApplication(extension);
        // The FDF is opened only where the setting asks for it; the filled PDF needs a viewer always (the
        // FDF's viewer opens the form it names).
        const bool needed = extension == QLatin1String(".pdf") || target == fdf::OpenTarget::Fdf;
        if (!application.isEmpty())
            lines.push_back(ok(subject, application));
        else if (!needed)
            lines.push_back(ok(subject, QStringLiteral("nessuno; non serve, il programma apre la copia PDF "
                                                       "compilata (") +
                                            fdf::kOpenFilledPdfKey + QLatin1Char(')')));
        else
            lines.push_back(
                problem(subject,
#ifdef Q_OS_WIN
                        QStringLiteral("nessuno. Cosa fare: installare un lettore PDF che importi i "
                                       "file FDF e associarlo ai file ") +
                            extension
#else
                        QStringLiteral("nessuno (xdg-mime non ne indica). Cosa fare: installare un "
                                       "lettore PDF e associarlo, per esempio con xdg-mime default "
                                       "APPLICAZIONE.desktop ") +
                            (extension == QLatin1String(".pdf") ? QStringLiteral("application/pdf")
                                                                : QStringLiteral("application/vnd.fdf"))
#endif
                        ));
    }
}

} // namespace

bool Diagnosis::allOk() const
{
    for (const DiagnosisLine& line : lines) {
        if (!line.ok)
            return false;
    }
    return true;
}

QString Diagnosis::text() const
{
    QString report;
    int problems = 0;
    for (const DiagnosisLine& line : lines) {
        problems += line.ok ? 0 : 1;
        report += (line.ok ? QStringLiteral("OK        ") : QStringLiteral("PROBLEMA  ")) + line.subject +
                  QStringLiteral(": ") + line.finding + QLatin1Char('\n');
    }
    report += problems == 0 ? QStringLiteral("Tutte le verifiche sono riuscite.\n")
                            : QStringLiteral("Verifiche non riuscite: %1.\n").arg(problems);
    return report;
}

Diagnosis diagnose(const platform::Platform& platform, const HostSelection& host)
{
    Diagnosis diagnosis;
    std::vector<DiagnosisLine>& lines = diagnosis.lines;
    checkProgram(lines);
    checkHost(lines, host);
    const QString program = platform.programFolder();
    checkForm(lines, program, fdf::Certificate::Ap68, QStringLiteral("AP68"),
              QStringLiteral("cert med INPS.pdf"));
    checkForm(lines, program, fdf::Certificate::Ap42Ss3, QStringLiteral("AP42 SS3"),
              QStringLiteral("AP42_SS3.pdf"));
    checkWorkFolder(lines, platform.workFolder());
    checkDesktop(lines, platform.desktopFolder());
    checkFreeSpace(lines, {platform.workFolder(), platform.desktopFolder()});
    checkFont(lines, platform);
    checkAssociations(lines, platform);
    return diagnosis;
}

} // namespace app
