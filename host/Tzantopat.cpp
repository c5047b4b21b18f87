#include "Tzantopat.h"

#include "platform/Platform.h"
#include "tc_GenTools.h"

#include <utility>

namespace {

host::Argument text(const QString& value)
{
    return value.toStdU16String();
}

// A text from the host as the program takes it: a null character would cut it short in every file it
// reaches, and a text past kMaxHostText is no value the host keeps.
QString toQString(const host::Result& result)
{
    const std::u16string text = host::resultToText(result);
    if (text.find(u'\0') != std::u16string::npos)
        throw host::AutomationError("Il programma della cartella clinica ha risposto con un testo non valido "
                                    "(contiene un carattere nullo)");
    if (text.size() > static_cast<std::size_t>(Tzantopat::kMaxHostText))
        throw host::AutomationError("Il programma della cartella clinica ha risposto con un testo di " +
                                    std::to_string(text.size()) + " caratteri, oltre il massimo di " +
                                    std::to_string(Tzantopat::kMaxHostText));
    return QString::fromStdU16String(text);
}

const QString kEccezione = QStringLiteral(": eccezione");
// Between a connection message and the reason given for it.
const QString kReasonBreak = QStringLiteral("\r\n\r\n  ");
const QString kBusyAdvice = QStringLiteral("Chiudere la finestra che il programma della cartella clinica tiene "
                                           "aperta, poi ripetere l'operazione.");
const QString kGoneAdvice = QStringLiteral("Riaprire il programma della cartella clinica e ripetere "
                                           "l'operazione: verrà chiesto di accedere di nuovo.");

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

QString Tzantopat::hostFaultDetail(const std::exception& error)
{
    const auto* automation = dynamic_cast<const host::AutomationError*>(&error);
    if (!automation || automation->fault() == host::HostFault::None)
        return {};
    const QString reason = kReasonBreak + QString::fromUtf8(error.what()) + kReasonBreak;
    if (automation->fault() == host::HostFault::Busy) {
        m_gaveUp = true;
        return reason + kBusyAdvice;
    }
    // Nothing answers behind the server any more: no call of this session can reach it.
    m_server.reset();
    m_connected = false;
    m_lost = true;
    return reason + kGoneAdvice;
}

template <class T, class Call> T Tzantopat::guarded(const QString& label, T failure, Call&& call)
{
    const platform::ForegroundGuard foreground(m_platform);
    if (!is_on()) {
        // A session that is off fails silently; a host found busy or closed says so.
        if (m_guardFault)
            showException(label, *std::exchange(m_guardFault, std::nullopt));
        return failure;
    }
    try {
        return call();
    } catch (const std::exception& error) {
        logFailure(label, error);
        showException(label, hostFaultDetail(error));
        return failure;
    }
}

bool Tzantopat::readyForAction()
{
    m_gaveUp = false;
    if (!m_lost)
        return true;
    return relogin && relogin();
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
            m_lost = false;
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
    m_guardFault.reset();
    try {
        invoke("get_error", {host::Omitted{}});
        return true;
    } catch (const std::exception& error) {
        if (QString detail = hostFaultDetail(error); !detail.isEmpty()) {
            logFailure(QStringLiteral("Tzantopat.is_on()"), error);
            m_guardFault = std::move(detail);
        }
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
    if (!is_on()) {
        if (m_guardFault)
            showException(label, *std::exchange(m_guardFault, std::nullopt));
        return {};
    }
    QString result;
    try {
        result = toQString(invoke("call_method_pipe", {text(s_handle), text(s_metodo), text(s_lista_parametri)}));
    } catch (const std::exception& error) {
        const QString detail = hostFaultDetail(error);
        // The parameters name the patient: the log has the method alone.
        logFailure(QStringLiteral("Tzantopat.call_method_pipe(") + s_metodo + QLatin1Char(')'), error);
        showException(label, detail.isEmpty() ? QString::fromUtf8(error.what()) : detail);
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
        const QString detail = hostFaultDetail(error);
        showException(QStringLiteral("Tgate_zantopat.genera_xml()"),
                      !detail.isEmpty() ? detail : reason.isEmpty() ? QString() : kReasonBreak + reason);
        return false;
    }
}

QString Tzantopat::tabelle_leggi_attributo_generico_plus(const QString& table, const QString& attributeToRead,
                                                         const QString& attributeToMatch, const QString& value)
{
    const platform::ForegroundGuard foreground(m_platform);
    // The one operation that reconnects by itself when the host has gone away.
    if (!is_on()) {
        // A host whose program was closed is not started again here: without the password, which the
        // session does not keep, it would refuse; the action that found it says so instead.
        if (m_lost) {
            if (m_guardFault)
                showException(QStringLiteral("tc_Zantopat.tabelle_leggi_attributo_generico_plus()"),
                              *std::exchange(m_guardFault, std::nullopt));
            return {};
        }
        if (!start())
            return {};
    }
    try {
        return toQString(invoke("tabelle_leggi_attributo_generico_plus",
                                {text(table), text(attributeToRead), text(attributeToMatch), text(value)}));
    } catch (const std::exception& error) {
        logFailure(QStringLiteral("tc_Zantopat.tabelle_leggi_attributo_generico_plus()"), error);
        showException(QStringLiteral("tc_Zantopat.tabelle_leggi_attributo_generico_plus()"), hostFaultDetail(error));
        return {};
    }
}
