#include "FormDates.h"

#include <QRegularExpression>

namespace fdf {

QString formDate(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QDate parseHostDate(const QString& text, const QString& label)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (match.hasMatch()) {
        const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
        if (date.isValid())
            return date;
    }
    throw InvalidDateError((label + QStringLiteral(" non valida: ") + text).toStdString());
}

} // namespace fdf
