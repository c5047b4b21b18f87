#include "HostDate.h"

#include <QRegularExpression>

namespace clinical {

std::optional<QDate> readHostDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace clinical
