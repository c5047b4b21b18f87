#pragma once
// Reading the logged-in doctor's patients from the host by the initials of surname and first name:
// the host half of the search window's reload, shared with the windowless front end.

#include "clinical/PatientRow.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class Tzantopat;

namespace app {

// Fewer surname letters than this: the list stays empty and the host is not asked.
inline constexpr int kMinSurnameInitials = 2;
// During the search window's reload the window takes its input at least this often, between two rows.
inline constexpr int kReloadYieldMs = 16;

// A birth date the host gave in a form other than year-month-day.
struct BadBirthDate
{
    QString cognome;
    QString nome;
    QString text;
};

struct PatientList
{
    std::vector<clinical::PatientRow> rows; // in the host's order
    std::vector<BadBirthDate> badDates;     // rows whose date was left empty
    bool complete = true; // false: stopped before the end (nothing in rows then), see readPatients
};

// The typed initials as the host filter may carry them: "|" and "=" would start filter pairs of their own
// (no surname or name holds them), so they are dropped; everything else stays as typed.
QString filterInitials(const QString& typed);

// "titolare= " + user id in hexadecimal form + "|iniziali_cognome=" + cognome + "|iniziali_nome=" + nome,
// the initials as filterInitials gives them.
QString patientFilter(const QString& userIdHex, const QString& cognome, const QString& nome);

// The patients whose names begin with the initials, read whole before anything is handed back. A birth
// date that does not parse leaves that row's date empty and is listed in badDates. Fewer than
// kMinSurnameInitials surname letters left by filterInitials: empty, and the host is not asked.
// `keepGoing`, when given, is asked before each row: false stops the reading. A host lost or given up
// as busy on the way stops it too (its message has been shown). A list stopped before its end is handed back empty and not
// complete: never part of a list.
PatientList readPatients(Tzantopat& session, const QString& cognome, const QString& nome,
                         const std::function<bool()>& keepGoing = {});

// The row of the patient with the given id (as readPatients gives it), only when the patient is on the
// logged-in doctor's own list, whatever the names: the doctor's whole list (no initials) is walked
// until the id. nullopt otherwise, the same for another doctor's patient and an id the host does not
// know (a host failure has been shown by the session).
std::optional<clinical::PatientRow> readOwnPatient(Tzantopat& session, const QString& id);

// One message naming every patient whose birth date could not be read, with the text received.
QString badBirthDatesMessage(const std::vector<BadBirthDate>& badDates);

// The birth date as the list shows it: dd/mm/yyyy, or "" when there is none.
QString displayDate(const QDate& date);

} // namespace app
