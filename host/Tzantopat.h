#pragma once
// The host session: the program's one channel to the host's automation server "Korvalis.Server".
// Every operation handles its own failures: it shows its message through the platform and gives its
// neutral result (false, 0 or an empty text). Nothing ever reaches a caller as an exception.

#include "AutomationFactory.h"

#include <QString>

#include <exception>
#include <memory>

namespace platform {
class Platform;
}

class Tzantopat
{
public:
    Tzantopat(platform::Platform& platform, host::AutomationFactory factory);
    virtual ~Tzantopat();
    Tzantopat(const Tzantopat&) = delete;
    Tzantopat& operator=(const Tzantopat&) = delete;

    // Set by the login before start. The login clears the password once it is over (app/Login.h), so a
    // lookup that reconnects by itself offers the user name alone, which a host refuses.
    QString s_utente;
    QString s_password;

    bool start();
    void stop();
    bool is_on();

    bool select_single(const QString& id);
    int carica(const QString& filter, const QString& order);
    bool skip();
    QString leggi_attributo(const QString& name);
    QString utente_leggi_attributo(const QString& name);
    QString new_object(const QString& className, const QString& second);
    QString call_method_pipe(const QString& s_handle, const QString& s_metodo, const QString& s_lista_parametri);
    bool genera_xml(const QString& name, const QString& second, const QString& path);
    QString tabelle_leggi_attributo_generico_plus(const QString& table, const QString& attributeToRead,
                                                  const QString& attributeToMatch, const QString& value);

    bool b_connesso() const { return m_connected; }
    bool hasServer() const { return m_server != nullptr; }
    platform::Platform& platform() const { return m_platform; }

private:
    host::Result invoke(const std::string& method, host::Arguments arguments);
    // Runs a guarded operation: silent failure result when the session is off, the label's message
    // when the call fails.
    template <class T, class Call> T guarded(const QString& label, T failure, Call&& call);
    void showException(const QString& label, const QString& detail = {});
    // Every failure goes to the support log with the host's own message, also where none is shown.
    void logFailure(const QString& label, const std::exception& error);

    platform::Platform& m_platform;
    host::AutomationFactory m_factory;
    std::unique_ptr<host::AutomationObject> m_server; // o_server
    bool m_connected = false;                         // b_connesso
};
