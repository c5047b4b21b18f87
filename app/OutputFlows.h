#pragma once
// The output flows that the search window's dispatch runs for a patient row. The window holds them
// behind this interface, so that tests stand in for them and the real flows plug in unchanged.

#include "clinical/PatientRow.h"

#include <QString>

namespace app {

// What a flow hands back to the window.
struct FlowOutput
{
    QString path;         // as each flow says below
    QString kept;         // an earlier file of the doctor's, kept under a dated name; "" when none was kept
    QString warning = {}; // a pre-fill's warning for the status line once the file is open; "" when none
    // The editor: the lines on the completed AP68 form that follow the path's in the message.
    QString printable{};
    // The editor: the doctor gave up (a cancel or a close), so there is nothing to tell.
    bool cancelled = false;
};

class OutputFlows
{
public:
    virtual ~OutputFlows() = default;
    // The path to open: the FDF written, or the filled PDF when the user's setting chooses it and it
    // was made; "" when nothing was written. Errors are raised.
    virtual FlowOutput CreateAp68Pdf(const clinical::PatientRow& row) = 0;
    virtual FlowOutput CreateAp42Ss3Pdf(const clinical::PatientRow& row) = 0;
    // The path of the written XML certificate; `cancelled` when the doctor gave up.
    virtual FlowOutput OpenCertificateEditor(const clinical::PatientRow& row) = 0;
};

} // namespace app
