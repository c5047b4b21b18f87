#pragma once
// The host session: the program's one channel to the host's automation server "Korvalis.Server".
// Every operation handles its own failures: it shows its message through the platform and gives its
// neutral result (false, 0 or an empty text). Nothing ever reaches a caller as an exception.

#include "AutomationFactory.h"

#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

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

    // The longest text taken from the host; no attribute, code or table value comes near it.
    static constexpr int kMaxHostText = 65536;

    // A host whose program was closed under the session: the call that found it has said so, the
    // server is let go, and the session stays lost until a start succeeds.
    bool lost() const { return m_lost; }
    // The action in progress cannot go on: its host was lost, or found busy and given up (the call
    // that met it has said so). The callers' loops and lookups stop there rather than go on without it.
    bool interrupted() const { return m_lost || m_gaveUp; }
    // Logs the same user in again after the host was lost (the password is not kept, so it asks for
    // it); true once the session is back. Set by the window that owns the session; empty: a lost
    // session stays lost.
    std::function<bool()> relogin;
    // Before an action: a busy host given up by the last action is asked again, and a session that lost
    // its host logs in again through relogin. True when the action can go on. (A host closed since the
    // last call is found by the action's first call, which says so; the next action logs in again.)
    bool readyForAction();

private:
    host::Result invoke(const std::string& method, host::Arguments arguments);
    // Runs a guarded operation: silent failure result when the session is off, the label's message
    // when the call fails.
    template <class T, class Call> T guarded(const QString& label, T failure, Call&& call);
    void showException(const QString& label, const QString& detail = {});
    // For a busy or closed host, what the message adds after the label: what happened and what to do
    // (a closed host's server is let go); "" for any other failure.
    QString hostFaultDetail(const std::exception& error);
    // Every failure goes to the support log with the host's own message, also where none is shown.
    void logFailure(const QString& label, const std::exception& error);

    platform::Platform& m_platform;
    host::AutomationFactory m_factory;
    std::unique_ptr<host::AutomationObject> m_server; // o_server
    bool m_connected = false;                         // b_connesso
    bool m_lost = false;
    bool m_gaveUp = false; // a busy host given up during the current action
    std::optional<QString> m_guardFault; // a busy or closed host found by is_on, for the guard to show
};
