#include "PatientSearch.h"

#include "clinical/HostDate.h"
#include "host/Tzantopat.h"
#include "host/tc_GenTools.h"
#include "platform/Platform.h"
#include "platform/SupportLog.h"
#include "text/Messages.h"

#include <QStringList>

namespace app {

QString filterInitials(const QString& typed)
{
    QString kept = typed;
    kept.remove(QLatin1Char('|'));
    kept.remove(QLatin1Char('='));
    return kept;
}

QString patientFilter(const QString& userIdHex, const QString& cognome, const QString& nome)
{
    return QStringLiteral("titolare= ") + userIdHex + QStringLiteral("|iniziali_cognome=") +
           filterInitials(cognome) + QStringLiteral("|iniziali_nome=") + filterInitials(nome);
}

namespace {

// The doctor's patients whose names begin with the initials: the host's count of them.
int loadPatients(Tzantopat& session, const QString& cognome, const QString& nome)
{
    const QString userId = tc_GenTools::string2hex(session.leggi_attributo(QStringLiteral("userid_utente")));
    if (session.interrupted())
        return 0;
    return session.carica(patientFilter(userId, cognome, nome), QStringLiteral("alfabetico"));
}

// The rest of the current row, after its id; a birth date that does not parse is left empty and listed.
void readRowDetails(Tzantopat& session, clinical::PatientRow& row, std::vector<BadBirthDate>& badDates)
{
    row.cognome = session.leggi_attributo(QStringLiteral("cognome"));
    row.nome = session.leggi_attributo(QStringLiteral("nome"));
    const QString birth = session.leggi_attributo(QStringLiteral("data_nascita"));
    if (birth.isEmpty())
        return;
    if (const auto date = clinical::readHostDate(birth))
        row.data_nascita = *date;
    else
        badDates.push_back({row.cognome, row.nome, birth});
}

QString currentId(Tzantopat& session)
{
    return tc_GenTools::string2hex(session.leggi_attributo(QStringLiteral("codice")));
}

} // namespace

PatientList readPatients(Tzantopat& session, const QString& cognome, const QString& nome,
                         const std::function<bool()>& keepGoing)
{
    PatientList list;
    if (filterInitials(cognome).size() < kMinSurnameInitials)
        return list;
    // Neither the initials nor the names found: only how many.
    platform::LoggedFlow logged(session.platform(), QStringLiteral("ricerca pazienti"));

    const int count = loadPatients(session, cognome, nome);
    list.rows.reserve(static_cast<std::size_t>(qMax(count, 0)));
    const auto stopped = [&] { return session.interrupted() || (keepGoing && !keepGoing()); };
    for (int i = 0; i < count; ++i) {
        if (stopped())
            return PatientList{{}, {}, false};
        clinical::PatientRow row;
        row.id = currentId(session);
        readRowDetails(session, row, list.badDates);
        list.rows.push_back(std::move(row));
        session.skip();
    }
    if (session.interrupted()) // during the last row
        return PatientList{{}, {}, false};
    logged.finished(QStringLiteral("%1 trovati").arg(list.rows.size()));
    return list;
}

std::optional<clinical::PatientRow> readOwnPatient(Tzantopat& session, const QString& id)
{
    if (id.isEmpty())
        return std::nullopt;
    // The doctor's whole list, walked by id: no search by the patient's names, which a surname of one
    // letter, or one holding "|" or "=", would miss; and nothing asked of the host about a patient
    // who is not the doctor's, so that such a patient and an unknown id look the same.
    const int count = loadPatients(session, QString(), QString());
    for (int i = 0; i < count && !session.interrupted(); ++i) {
        if (currentId(session) == id) {
            clinical::PatientRow row;
            row.id = id;
            std::vector<BadBirthDate> ignored; // the list's warning is no concern of one patient's output
            readRowDetails(session, row, ignored);
            return row;
        }
        session.skip();
    }
    return std::nullopt;
}

QString badBirthDatesMessage(const std::vector<BadBirthDate>& badDates)
{
    QStringList lines;
    lines << text::kWarningPrefix +
                 (badDates.size() == 1
                      ? QStringLiteral("data di nascita non valida, lasciata vuota nell'elenco:")
                      : QStringLiteral("date di nascita non valide, lasciate vuote nell'elenco:"));
    for (const BadBirthDate& bad : badDates)
        lines << bad.cognome + QLatin1Char(' ') + bad.nome + QStringLiteral(": \"") + bad.text +
                     QLatin1Char('"');
    return lines.join(QLatin1Char('\n'));
}

QString displayDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

} // namespace app
