#include "TPatologia.h"

#include "fdf/FdfText.h"

namespace clinical {

std::vector<TPatologia> ReadPathologies(const EssentialDataDocument& document, bool escapeForFdf)
{
    std::vector<TPatologia> pathologies;
    for (const char* path : {paths::kProtesiAusili, paths::kProblemiAttivi, paths::kAllarmi}) {
        for (SectionEntry& entry : document.section(path)) {
            if (escapeForFdf)
                pathologies.push_back(
                    {fdf::EscapeFdfText(entry.codice), fdf::EscapeFdfText(entry.descrizione_estesa)});
            else
                pathologies.push_back({std::move(entry.codice), std::move(entry.descrizione_estesa)});
        }
    }
    return pathologies;
}

} // namespace clinical
