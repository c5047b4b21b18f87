#pragma once
// The pathology list: prostheses and aids, active problems and alerts of the essential-data export.

#include "EssentialData.h"

#include <QString>

#include <vector>

namespace clinical {

struct TPatologia
{
    QString PatCodice;
    QString PatDescrizione;
};

// Entries of protesi_ausili, then problemi_attivi, then allarmi, in document order; no limit. With
// escapeForFdf each field has passed through EscapeFdfText.
std::vector<TPatologia> ReadPathologies(const EssentialDataDocument& document, bool escapeForFdf);

} // namespace clinical
