#pragma once
// The login check shared by the login window and the windowless front end.

#include <QString>

class Tzantopat;

namespace platform {
class Platform;
}

namespace app {

// The message for a doctor with no patient under the agreement type "S".
inline const QString kNoPatientsMessage =
    QStringLiteral("ERRORE: Nessun paziente associato al medico corrente.");

// Before the login window of a session whose host was closed.
inline const QString kLoginAgainMessage =
    QStringLiteral("Il collegamento con il programma della cartella clinica si è interrotto: il programma è "
                   "stato chiuso. Riaprirlo, se non lo è già, e inserire di nuovo la password per continuare.");

// Starts the session with the user name and password and accepts only a doctor who has at least one
// patient under the agreement type "S". Every refusal has shown its message through the platform.
// Either way the session's password is cleared once the login is over.
bool CheckLogin(Tzantopat& session, platform::Platform& platform, const QString& user,
                const QString& password);

} // namespace app
