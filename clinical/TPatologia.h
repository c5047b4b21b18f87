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
// The same list cut after its first `limit` items, for readers that use no more: the entries after
// them are not read at all.
std::vector<TPatologia> ReadPathologies(const EssentialDataDocument& document, bool escapeForFdf,
                                        std::size_t limit);

} // namespace clinical
