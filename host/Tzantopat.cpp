#include "Tzantopat.h"

#include "platform/Platform.h"
#include "tc_GenTools.h"

namespace {

host::Argument text(const QString& value)
{
    return value.toStdU16String();
}

QString toQString(const host::Result& result)
{
    return QString::fromStdU16String(host::resultToText(result));
}

const QString kEccezione = QStringLiteral(": eccezione");
// Between a connection message and the reason given for it.
const QString kReasonBreak = QStringLiteral("\r\n\r\n  ");

} // namespace

Tzantopat::Tzantopat(platform::Platform& platform, host::AutomationFactory factory)
    : m_platform(platform), m_factory(std::move(factory))
{
}

Tzantopat::~Tzantopat()
{
    stop();
}

host::Result Tzantopat::invoke(const std::string& method, host::Arguments arguments)
{
    if (!m_server)
        throw host::AutomationError("Oggetto di automazione non assegnato");
    return m_server->invoke(method, arguments);
}

// A host's message for the support log: what it quotes (an id, a filter's value, a town) left out, as
// it may be a patient's.
static QString loggedHostText(const QString& text)
{
    QString logged;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            logged += quoted ? QStringLiteral("…\"") : QStringLiteral("\"");
            quoted = !quoted;
        } else if (!quoted) {
            logged += c;
        }
    }
    return quoted ? logged + QStringLiteral("…") : logged;
}

void Tzantopat::logFailure(const QString& label, const std::exception& error)
{
    m_platform.log(QStringLiteral("errore dell'host: ") + label + QStringLiteral(" - ") +
                   loggedHostText(QString::fromUtf8(error.what())));
}

void Tzantopat::showException(const QString& label, const QString& detail)
{
    m_platform.showMessage(platform::MessageKind::Plain, label + kEccezione + detail);
}

template <class T, class Call> T Tzantopat::guarded(const QString& label, T failure, Call&& call)
{
    const platform::ForegroundGuard foreground(m_platform);
    if (!is_on())
        return failure;
    try {
        return call();
    } catch (const std::exception& error) {
        logFailure(label, error);
        showException(label);
        return failure;
    }
}

bool Tzantopat::start()
{
    const platform::ForegroundGuard foreground(m_platform);
    const QString label = QStringLiteral("ole_zantopat.start()");
    try {
        m_server = m_factory(host::kHostProgId); // an earlier object goes without any call to it
        invoke("new", {});
        const QString answer = toQString(invoke("connetti", {text(s_utente), text(s_password)}));
        if (answer.isEmpty()) {
            m_connected = true;
            return true;
        }
        m_connected = false;
        m_platform.log(QStringLiteral("accesso rifiutato dall'host: ") + loggedHostText(answer));
        m_platform.showMessage(platform::MessageKind::Plain,
                               label + QStringLiteral(": errore in connessione") + kReasonBreak + answer);
        return false;
    } catch (const std::exception& error) {
        logFailure(label, error);
        // The reason, laid out like a refusal, tells a missing or mismatched registration of the server
        // (its system text) from a failure of the host itself.
        showException(label, kReasonBreak + QString::fromUtf8(error.what()));
        return false;
    }
}

void Tzantopat::stop()
{
    const platform::ForegroundGuard foreground(m_platform);
    try {
        if (m_connected) {
            invoke("disconnetti", {host::Omitted{}});
            m_connected = false;
        }
        if (m_server) {
            invoke("Destroy", {host::Omitted{}});
            invoke("Free", {host::Omitted{}});
            m_server.reset();
        }
    } catch (const std::exception&) {
        // A host that has gone away cannot be stopped any further.
    }
}

bool Tzantopat::is_on()
{
    try {
        invoke("get_error", {host::Omitted{}});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool Tzantopat::select_single(const QString& id)
{
    return guarded(QStringLiteral("Tzantopat.select_single()"), false, [&] {
        invoke("select_single", {text(id)});
        return true;
    });
}

int Tzantopat::carica(const QString& filter, const QString& order)
{
    return guarded(QStringLiteral("Tzantopat.carica()"), 0,
                   [&] { return static_cast<int>(host::resultToInt(invoke("carica", {text(filter), text(order)}))); });
}

bool Tzantopat::skip()
{
    return guarded(QStringLiteral("Tzantopat.skip()"), false, [&] {
        invoke("skip", {host::Omitted{}});
        return true;
    });
}

QString Tzantopat::leggi_attributo(const QString& name)
{
    return guarded(QStringLiteral("Tzantopat.leggi_attributo()"), QString(),
                   [&] { return toQString(invoke("leggi_attributo", {text(name)})); });
}

QString Tzantopat::utente_leggi_attributo(const QString& name)
{
    return guarded(QStringLiteral("Tzantopat.utente_leggi_attributo()"), QString(),
                   [&] { return toQString(invoke("utente_leggi_attributo", {text(name)})); });
}

QString Tzantopat::new_object(const QString& className, const QString& second)
{
    return guarded(QStringLiteral("Tzantopat.new_object()"), QString(),
                   [&] { return toQString(invoke("new_object", {text(className), text(second)})); });
}

QString Tzantopat::call_method_pipe(const QString& s_handle, const QString& s_metodo,
                                    const QString& s_lista_parametri)
{
    const platform::ForegroundGuard foreground(m_platform);
    const QString label = QStringLiteral("Tzantopat.call_method_pipe(") + s_handle + QStringLiteral(", ") +
                          s_metodo + QStringLiteral(", ") + s_lista_parametri + QLatin1Char(')');
    if (!is_on())
        return {};
    QString result;
    try {
        result = toQString(invoke("call_method_pipe", {text(s_handle), text(s_metodo), text(s_lista_parametri)}));
    } catch (const std::exception& error) {
        // The parameters name the patient: the log has the method alone.
        logFailure(QStringLiteral("Tzantopat.call_method_pipe(") + s_metodo + QLatin1Char(')'), error);
        showException(label, QString::fromUtf8(error.what()));
        return {};
    }
    if (s_metodo == QStringLiteral("carica") || s_metodo == QStringLiteral("rowcount")) {
        // A row count must be a decimal whole number; the check warns but hands the answer back as it came.
        QString notANumber;
        tc_GenTools::string2int(result, 10, &notANumber);
        if (!notANumber.isEmpty()) {
            m_platform.showMessage(platform::MessageKind::Plain,
                                   label + QStringLiteral(": eccezione: \r\ns_handle = ") + s_handle +
                                       QStringLiteral("\r\ns_metodo = ") + s_metodo +
                                       QStringLiteral("\r\ns_lista_parametri = ") + s_lista_parametri);
        }
    }
    return result;
}

bool Tzantopat::genera_xml(const QString& name, const QString& second, const QString& path)
{
    const platform::ForegroundGuard foreground(m_platform);
    try {
        invoke("genera_xml", {text(name), text(second), text(path)});
        return true;
    } catch (const std::exception& error) {
        logFailure(QStringLiteral("Tgate_zantopat.genera_xml()"), error);
        // The host's own reason (a file it cannot write, a name too long) tells the doctor or support
        // what to mend; laid out as a connection failure's.
        const QString reason = QString::fromUtf8(error.what());
        showException(QStringLiteral("Tgate_zantopat.genera_xml()"),
                      reason.isEmpty() ? QString() : kReasonBreak + reason);
        return false;
    }
}

QString Tzantopat::tabelle_leggi_attributo_generico_plus(const QString& table, const QString& attributeToRead,
                                                         const QString& attributeToMatch, const QString& value)
{
    const platform::ForegroundGuard foreground(m_platform);
    // The one operation that reconnects by itself when the host has gone away.
    if (!is_on() && !start())
        return {};
    try {
        return toQString(invoke("tabelle_leggi_attributo_generico_plus",
                                {text(table), text(attributeToRead), text(attributeToMatch), text(value)}));
    } catch (const std::exception& error) {
        logFailure(QStringLiteral("tc_Zantopat.tabelle_leggi_attributo_generico_plus()"), error);
        showException(QStringLiteral("tc_Zantopat.tabelle_leggi_attributo_generico_plus()"));
        return {};
    }
}
