#pragma once
// The output flows that the search window's dispatch runs for a patient row. The window holds them
// behind this interface, so that tests stand in for them and the real flows plug in unchanged.

#include "clinical/PatientRow.h"

#include <QString>

class OutputFlows
{
public:
    virtual ~OutputFlows() = default;
    // The path to open: the FDF written, or the filled PDF when the user's setting chooses it and it
    // was made; "" when nothing was written. Errors are raised.
    virtual QString CreateAp68Pdf(const clinical::PatientRow& row) = 0;
    virtual QString CreateAp42Ss3Pdf(const clinical::PatientRow& row) = 0;
    // The path of the written XML certificate, or "cancel".
    virtual QString OpenCertificateEditor(const clinical::PatientRow& row) = 0;
};
