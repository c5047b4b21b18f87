#pragma once
// The support log: what support needs to know of a session (start and version, the login's outcome,
// each flow with its outcome and time, every host failure), per user, beside the work folder. It never
// holds a password or a patient's data: a patient is named by patientTag alone. Writing it never stops
// the doctor's work: a line that cannot be written is dropped.

#include <QElapsedTimer>
#include <QString>

namespace platform {

class Platform;

// The program's version as the build gives it ("1.0").
QString programVersion();

// The user's own log folder beside the work folder `workFolder` ("…/InvCiv/temp" gives "…/InvCiv/log").
QString logFolderBeside(const QString& workFolder);

class SupportLog
{
public:
    // The bound of one file; one earlier file is kept beside it, so the log never takes more than twice
    // this.
    static constexpr qint64 kMaxBytes = 256 * 1024;
    static inline const QString kFileName = QStringLiteral("invciv.log");

    explicit SupportLog(QString folder, qint64 maxBytes = kMaxBytes);

    // Appends "yyyy-MM-dd hh:mm:ss.zzz <event>", the event on one line. When the file would grow past
    // the bound it becomes invciv.log.1 (replacing the earlier one) and a fresh file is begun. The
    // folder is made owner-only (700) and the files are owner-only (600) outside Windows.
    void write(const QString& event) const noexcept;

    QString filePath() const;

private:
    QString m_folder;
    qint64 m_maxBytes;
};

// A patient as the log names him: "paziente " and 16 hexadecimal digits of the SHA-256 of a salt and
// his id. The salt is random, made once per user and kept in the user's settings ("sale_registro"), so
// the tag follows one patient through a user's log without telling who he is.
QString patientTag(Platform& platform, const QString& id);

// Logs a flow's start, then, as the scope ends, its outcome and how long it took: the outcome set by
// finished(), or "interrotto da un errore" when the scope ends otherwise (an exception, a host failure).
class LoggedFlow
{
public:
    LoggedFlow(const Platform& platform, QString flow, const QString& patient = {});
    ~LoggedFlow();
    LoggedFlow(const LoggedFlow&) = delete;
    LoggedFlow& operator=(const LoggedFlow&) = delete;

    void finished(const QString& outcome) { m_outcome = outcome; }

private:
    const Platform& m_platform;
    QString m_flow;
    QString m_outcome;
    QElapsedTimer m_clock;
};

} // namespace platform
