#include "Login.h"

#include "host/Tzantopat.h"
#include "platform/Platform.h"

#include <QScopeGuard>

#include <exception>

namespace app {

bool CheckLogin(Tzantopat& session, platform::Platform& platform, const QString& user,
                const QString& password)
{
    const QString label = QStringLiteral("sFunz: inizializza - Eccezione:");
    // The password serves the connection only: the session does not keep it once the login has
    // succeeded or failed.
    const auto forgetPassword = qScopeGuard([&session] { session.s_password.clear(); });
    try {
        session.s_utente = user;
        session.s_password = password;
        if (!session.start()) {
            platform.log(QStringLiteral("accesso di ") + user + QStringLiteral(": non riuscito"));
            return false; // the session has shown its own message
        }
        const QString userId = session.leggi_attributo(QStringLiteral("userid_utente"));
        // Here the user id goes in as the host gave it, right after "codice_medico =".
        const QString filter =
            QStringLiteral("codice_medico =") + userId + QStringLiteral("|tipo_di_convenzione=S");
        if (session.carica(filter, QStringLiteral("alfabetico")) != 0) {
            platform.log(QStringLiteral("accesso di ") + user + QStringLiteral(": riuscito"));
            return true;
        }
        platform.log(QStringLiteral("accesso di ") + user +
                     QStringLiteral(": nessun paziente in convenzione"));
        platform.showMessage(platform::MessageKind::Plain, kNoPatientsMessage);
        return false;
    } catch (const std::exception& error) {
        platform.log(QStringLiteral("accesso di ") + user + QStringLiteral(": errore"));
        platform.showMessage(platform::MessageKind::Plain, label + QString::fromUtf8(error.what()));
        return false;
    }
}

} // namespace app
