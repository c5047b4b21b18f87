#pragma once
// Dates as the host gives them: "yyyy-mm-dd".

#include <QDate>
#include <QString>

#include <optional>

namespace clinical {

// A host date "yyyy-mm-dd": the year with four digits, month and day with one or two, separated by "-",
// blanks around the whole allowed. nullopt when the text is no such date (a day that does not exist
// included).
std::optional<QDate> readHostDate(const QString& text);

} // namespace clinical
