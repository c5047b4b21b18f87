#include "PatientSearch.h"

#include "clinical/HostDate.h"
#include "host/Tzantopat.h"
#include "host/tc_GenTools.h"
#include "platform/Platform.h"

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

PatientList readPatients(Tzantopat& session, const QString& cognome, const QString& nome)
{
    PatientList list;
    if (filterInitials(cognome).size() < kMinSurnameInitials)
        return list;

    const QString userId = tc_GenTools::string2hex(session.leggi_attributo(QStringLiteral("userid_utente")));
    const int count = session.carica(patientFilter(userId, cognome, nome), QStringLiteral("alfabetico"));
    list.rows.reserve(static_cast<std::size_t>(qMax(count, 0)));
    for (int i = 0; i < count; ++i) {
        clinical::PatientRow row;
        row.id = tc_GenTools::string2hex(session.leggi_attributo(QStringLiteral("codice")));
        row.cognome = session.leggi_attributo(QStringLiteral("cognome"));
        row.nome = session.leggi_attributo(QStringLiteral("nome"));
        const QString birth = session.leggi_attributo(QStringLiteral("data_nascita"));
        if (!birth.isEmpty()) {
            if (const auto date = clinical::readHostDate(birth))
                row.data_nascita = *date;
            else
                list.badDates.push_back({row.cognome, row.nome, birth});
        }
        list.rows.push_back(std::move(row));
        session.skip();
    }
    return list;
}

std::optional<clinical::PatientRow> readOwnPatient(Tzantopat& session, const QString& id)
{
    if (id.isEmpty() || !session.select_single(id))
        return std::nullopt;
    // The host selects any of its patients; only the doctor's own list tells whether this one may be served.
    const QString cognome = session.leggi_attributo(QStringLiteral("cognome"));
    const QString nome = session.leggi_attributo(QStringLiteral("nome"));
    PatientList list = readPatients(session, cognome, nome);
    for (clinical::PatientRow& row : list.rows) {
        if (row.id == id)
            return std::move(row);
    }
    return std::nullopt;
}

QString badBirthDatesMessage(const std::vector<BadBirthDate>& badDates)
{
    QStringList lines;
    lines << platform::kWarningPrefix +
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
