// The essential-data export reader: any bytes as the host's export, read as the forms and the
// certificate read it. Whatever the bytes, the reads give values, never a crash, and the pathology list
// agrees with itself (escaped, cut after five).

#include "FuzzInput.h"
#include "clinical/EssentialData.h"
#include "clinical/TPatologia.h"
#include "text/FdfText.h"

using namespace clinical;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const EssentialDataDocument document =
        EssentialDataDocument::fromText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const char* path :
         {paths::kCognome, paths::kNomePersona, paths::kCodiceFiscale, paths::kSesso, paths::kComuneNascita,
          paths::kProvinciaNascita, paths::kCodiceSanitario, paths::kCodiceAsl}) {
        fuzz::require(!document.isEmpty() || document.value(path).isEmpty(), "an empty document has values");
    }
    document.therapyText();

    const std::vector<TPatologia> all = ReadPathologies(document, false);
    const std::vector<TPatologia> escaped = ReadPathologies(document, true);
    const std::vector<TPatologia> firstFive = ReadPathologies(document, false, 5);
    fuzz::require(escaped.size() == all.size(), "the escaped list has another length");
    fuzz::require(firstFive.size() == std::min<std::size_t>(all.size(), 5),
                  "the cut list has another length");
    for (std::size_t i = 0; i < all.size(); ++i) {
        fuzz::require(escaped[i].PatCodice == text::EscapeFdfText(all[i].PatCodice) &&
                          escaped[i].PatDescrizione == text::EscapeFdfText(all[i].PatDescrizione),
                      "an escaped item is not its item escaped");
        fuzz::require(i >= firstFive.size() || (firstFive[i].PatCodice == all[i].PatCodice &&
                                                firstFive[i].PatDescrizione == all[i].PatDescrizione),
                      "the cut list is not the start of the list");
    }
    return 0;
}
