#include "SupportLog.h"

#include "Files.h"
#include "Platform.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace platform {

namespace {

const QString kSaltSetting = QStringLiteral("sale_registro");

// One line whatever the event holds: a host's message may carry line breaks and control characters.
QString oneLine(const QString& event)
{
    QString line;
    line.reserve(event.size());
    for (const QChar c : event)
        line += (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                 c == QChar::ParagraphSeparator)
                    ? QLatin1Char(' ')
                    : c;
    return line.simplified();
}

} // namespace

QString programVersion()
{
    return QStringLiteral(INVCIV_VERSION);
}

QString logFolderBeside(const QString& workFolder)
{
    QString folder = QDir::fromNativeSeparators(workFolder);
    while (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    return QDir::toNativeSeparators(QFileInfo(folder).path() + QStringLiteral("/log"));
}

SupportLog::SupportLog(QString folder, qint64 maxBytes) : m_folder(std::move(folder)), m_maxBytes(maxBytes) {}

QString SupportLog::filePath() const
{
    return QDir::toNativeSeparators(QDir(m_folder).filePath(kFileName));
}

void SupportLog::write(const QString& event) const noexcept
{
    try {
        if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
            return;
#ifndef Q_OS_WIN
        QFile::setPermissions(m_folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
#endif
        const QByteArray line =
            (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")) +
             oneLine(event))
                .toUtf8() +
            '\n';
        const QString path = filePath();
        const QFileInfo current(path);
        if (current.exists() && current.size() + line.size() > m_maxBytes) {
            const QString previous = path + QStringLiteral(".1");
            QFile::remove(previous);
            if (!QFile::rename(path, previous))
                QFile::remove(path); // the bound holds even when the earlier file cannot be kept
        }
        QFile file(path);
        if (!openOwnerOnly(file, QIODevice::WriteOnly | QIODevice::Append))
            return;
        file.write(line.left(m_maxBytes));
    } catch (...) {
        // The log serves support; the doctor's work goes on without it.
    }
}

QString patientTag(Platform& platform, const QString& id)
{
    QString salt = platform.userSetting(kSaltSetting);
    if (salt.isEmpty()) {
        QByteArray bytes(16, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        salt = QString::fromLatin1(bytes.toHex());
        platform.setUserSetting(kSaltSetting, salt);
    }
    const QByteArray digest =
        QCryptographicHash::hash((salt + QLatin1Char(':') + id).toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("paziente ") + QString::fromLatin1(digest.toHex().left(16));
}

LoggedFlow::LoggedFlow(const Platform& platform, QString flow, const QString& patient)
    : m_platform(platform), m_flow(patient.isEmpty() ? std::move(flow) : flow + QLatin1Char(' ') + patient)
{
    m_clock.start();
    m_platform.log(m_flow + QStringLiteral(": inizio"));
}

LoggedFlow::~LoggedFlow()
{
    const QString outcome = m_outcome.isEmpty() ? QStringLiteral("interrotto da un errore") : m_outcome;
    m_platform.log(m_flow + QStringLiteral(": ") + outcome +
                   QStringLiteral(" (%1 ms)").arg(m_clock.elapsed()));
}

} // namespace platform
