#include "TPatologia.h"

#include "text/FdfText.h"

#include <limits>

namespace clinical {

std::vector<TPatologia> ReadPathologies(const EssentialDataDocument& document, bool escapeForFdf)
{
    return ReadPathologies(document, escapeForFdf, std::numeric_limits<std::size_t>::max());
}

std::vector<TPatologia> ReadPathologies(const EssentialDataDocument& document, bool escapeForFdf,
                                        std::size_t limit)
{
    std::vector<TPatologia> pathologies;
    for (const char* path : {paths::kProtesiAusili, paths::kProblemiAttivi, paths::kAllarmi}) {
        if (pathologies.size() >= limit)
            break;
        for (SectionEntry& entry : document.section(path, limit - pathologies.size())) {
            if (escapeForFdf)
                pathologies.push_back(
                    {text::EscapeFdfText(entry.codice), text::EscapeFdfText(entry.descrizione_estesa)});
            else
                pathologies.push_back({std::move(entry.codice), std::move(entry.descrizione_estesa)});
        }
    }
    return pathologies;
}

} // namespace clinical
