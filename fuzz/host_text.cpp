// The host's texts through the conversion tools, the search filter and the date reader: any text, any
// radix. Input: one byte of radix, then UTF-16LE texts separated by U+001E (user id, surname, name).

#include "FuzzInput.h"
#include "app/PatientSearch.h"
#include "clinical/HostDate.h"
#include "host/tc_GenTools.h"

#include <QRegularExpression>

using namespace tc_GenTools;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int radix = data[0] % 40;
    const QString text = fuzz::utf16(data + 1, size - 1);
    const QStringList parts = text.split(QChar(0x1E));

    // string2int: an error exactly for a radix out of range or a character that is no digit of it; a
    // value in range is the one Qt reads.
    QString message;
    const std::int32_t value = string2int(text, radix, &message);
    const bool error = !message.isEmpty();
    const qsizetype start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    bool digits = radix >= 2 && radix <= 36;
    for (qsizetype i = start; digits && i < text.size(); ++i) {
        const int digit = text[i].isDigit() && text[i].unicode() < 128 ? text[i].unicode() - '0'
                          : text[i].unicode() < 128 && text[i].isLetter()
                              ? text[i].toUpper().unicode() - 'A' + 10
                              : radix;
        digits = digit < radix;
    }
    fuzz::require(error == !(digits || (text.isEmpty() && radix >= 2 && radix <= 36)),
                  "string2int reports another error");
    bool ok = false;
    const qlonglong expected = text.size() > start ? text.toLongLong(&ok, radix) : 0;
    fuzz::require(!digits || !ok || value == std::int32_t(std::uint32_t(expected)),
                  "string2int reads another value");
    fuzz::require(!error || value == 0, "string2int fails with a value");

    // string2hex: two digits a unit up to 255, one above; undone by hex2string where every unit fits.
    const QString hex = string2hex(text);
    qsizetype length = 0;
    bool bytes = true;
    for (const QChar c : text) {
        length += c.unicode() < 256 ? 2 : 1;
        bytes = bytes && c.unicode() < 256;
    }
    static const QRegularExpression hexDigits(QStringLiteral("^[0-9A-F]*$"));
    fuzz::require(hex.size() == length && hexDigits.match(hex).hasMatch(), "string2hex gives other digits");
    QString back;
    fuzz::require(!bytes || (hex2string(hex, back) && back == text), "hex2string does not undo string2hex");

    // The filter: three pairs of name and value whatever the texts.
    const QString filter = app::patientFilter(string2hex(parts.value(0)), parts.value(1), parts.value(2));
    const QStringList pairs = filter.split(QLatin1Char('|'));
    fuzz::require(pairs.size() == 3, "the filter has another number of pairs");
    for (const QString& pair : pairs)
        fuzz::require(pair.count(QLatin1Char('=')) == 1, "a filter pair has another number of '='");

    // A date read is a real day, and reads again the same from its own text.
    if (const std::optional<QDate> date = clinical::readHostDate(text)) {
        fuzz::require(date->isValid(), "a host date is no day");
        fuzz::require(clinical::readHostDate(date->toString(QStringLiteral("yyyy-MM-dd"))) == date,
                      "a host date does not read again");
    }
    return 0;
}
