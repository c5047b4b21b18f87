#pragma once
// The two PDF output flows: status line, output file set, fresh desktop copy of the blank form, the
// certificate's FDF writer. QtCore only, so that a windowless front end runs them as the window does.

#include "clinical/PatientRow.h"

#include <QString>

#include <functional>

class Tzantopat;

namespace platform {
class Platform;
}

namespace fdf {

struct FlowContext
{
    Tzantopat& session;
    platform::Platform& platform;
    std::function<void(const QString& status)> showStatus; // lblTesto caption + visible
    std::function<void()> processEvents;                   // pending window messages
};

// Each returns the path of the FDF written. Failures (the FDF cannot be written, an AP42 issue date
// that does not parse) are raised as std::runtime_error whose what() is the user's message in UTF-8.
// The status text stays shown; clearing it is the caller's.
QString CreateAp68Pdf(const clinical::PatientRow& row, FlowContext& context);
QString CreateAp42Ss3Pdf(const clinical::PatientRow& row, FlowContext& context);

} // namespace fdf
