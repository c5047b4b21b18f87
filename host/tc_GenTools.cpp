#include "tc_GenTools.h"

#include "platform/Platform.h"

namespace tc_GenTools {

namespace {

const QString kRadixDigits = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString kHexDigits = QStringLiteral("0123456789ABCDEF");

} // namespace

std::int32_t string2int(const QString& text, int radix, QString* error)
{
    const auto report_error = [error](const QString& message) {
        if (error)
            *error = message;
    };
    report_error({});
    const QString label = QStringLiteral("Tools.string2int(") + text + QStringLiteral(", ") +
                          QString::number(radix) + QLatin1Char(')');
    if (radix < 2 || radix > 36) {
        report_error(label + QStringLiteral(": radice conversione non consentita ( deve essere >= 2 e <= 36 )"));
        return 0;
    }
    if (text.isEmpty())
        return 0;

    std::uint32_t sign = 1;
    qsizetype start = 0;
    if (text.at(0) == QLatin1Char('-')) {
        sign = static_cast<std::uint32_t>(-1);
        start = 1;
    }
    // Unsigned arithmetic gives the wrap-around of 32-bit signed overflow without undefined behaviour.
    std::uint32_t accumulator = 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        QChar c = text.at(i);
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
        const qsizetype value = kRadixDigits.indexOf(c);
        if (value < 0 || value >= radix) {
            report_error(label + QStringLiteral(": carattere non consentito"));
            return 0;
        }
        accumulator = accumulator * static_cast<std::uint32_t>(radix) + static_cast<std::uint32_t>(value);
    }
    return static_cast<std::int32_t>(accumulator * sign);
}

QString string2hex(const QString& text)
{
    QString result;
    result.reserve(text.size() * 2);
    for (const QChar c : text) {
        const unsigned unit = c.unicode();
        if (unit / 16 < 16)
            result += kHexDigits.at(unit / 16);
        result += kHexDigits.at(unit % 16);
    }
    return result;
}

bool hex2string(const QString& hex, QString& text)
{
    if (hex.size() % 2 != 0)
        return false;
    QString decoded;
    decoded.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const qsizetype high = kHexDigits.indexOf(hex.at(i));
        const qsizetype low = kHexDigits.indexOf(hex.at(i + 1));
        if (high < 0 || low < 0)
            return false;
        decoded += QChar(static_cast<char16_t>(high * 16 + low));
    }
    text = decoded;
    return true;
}

QString reg_read_string(const platform::Platform& platform, const QString& rootKey, const QString& keyPath,
                        const QString& valueName)
{
    // Only the local-machine root is ever read; any other root has nothing to give.
    if (rootKey != QStringLiteral("HKEY_LOCAL_MACHINE"))
        return {};
    return platform.machineSetting(keyPath, valueName);
}

} // namespace tc_GenTools
