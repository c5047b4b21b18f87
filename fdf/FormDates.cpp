#include "FormDates.h"

#include "clinical/HostDate.h"

namespace fdf {

QString formDate(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QDate parseHostDate(const QString& text, const QString& label)
{
    if (const std::optional<QDate> date = clinical::readHostDate(text))
        return *date;
    throw InvalidDateError((label + QStringLiteral(" non valida: ") + text).toStdString());
}

} // namespace fdf
