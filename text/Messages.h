#pragma once
// What the messages of every layer share, whoever shows them (a window, the command line).

#include <QString>

namespace text {

// A message that starts with this is a warning: what it tells of did not stop the work, which went on
// to its end. Any other error or plain message tells of a failure.
inline const QString kWarningPrefix = QStringLiteral("Attenzione: ");

} // namespace text
