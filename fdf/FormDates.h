#pragma once
// Dates as the PDF forms show them and as the host writes them.

#include <QDate>
#include <QString>

#include <stdexcept>

namespace fdf {

// "dd/mm/yyyy": day and month with two digits, the year with four.
QString formDate(const QDate& date);

// Raised for a host date that does not parse: "<label> non valida: <text>".
class InvalidDateError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A host date as clinical::readHostDate reads it. Throws InvalidDateError, naming the date by `label`
// ("Data di rilascio del documento"), when the text is no such date.
QDate parseHostDate(const QString& text, const QString& label);

} // namespace fdf
