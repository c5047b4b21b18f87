#include "CertificateBatch.h"

#include "CertificateFields.h"
#include "platform/Platform.h"

#include <exception>
#include <functional>
#include <optional>

namespace certificate {

namespace {

const QStringList kDichiarazioni = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};

QStringList domandaWords()
{
    QStringList words;
    for (const clinical::Purpose purpose : clinical::kPurposes)
        words << QString::fromLatin1(clinical::purposeSigla(purpose));
    return words;
}

// The index of a word among the allowed ones: any letter case, and the purposes also as their
// captions with the closing apostrophe ("CECITA'").
std::optional<int> indexOf(const QStringList& allowed, QString word)
{
    word = word.trimmed().toUpper();
    if (word.endsWith(QLatin1Char('\'')))
        word.chop(1);
    const auto index = allowed.indexOf(word);
    return index < 0 ? std::nullopt : std::optional<int>(static_cast<int>(index));
}

// Ticks the box of each word, which unknownWord has already accepted, by its place among the allowed.
void tick(const QStringList& words, const QStringList& allowed,
          const std::function<void(std::size_t)>& tickBox)
{
    for (const QString& word : words) {
        if (const std::optional<int> index = indexOf(allowed, word))
            tickBox(static_cast<std::size_t>(*index));
    }
}

// The message for the first word that is not allowed; "" when all are.
QString unknownWord(const QStringList& words, const QStringList& allowed, const QString& what)
{
    for (const QString& word : words) {
        if (!indexOf(allowed, word))
            return what + QStringLiteral(": valore sconosciuto \"") + word +
                   QStringLiteral("\". Valori ammessi: ") + allowed.join(QStringLiteral(", "));
    }
    return {};
}

// What the doctor's text becomes in a memo; an empty text leaves the starting one.
void setMemo(QString& memo, const QString& text)
{
    if (!text.isEmpty())
        memo = memoText(documentText(text));
}

} // namespace

QString unknownWordMessage(const CertificateInput& input)
{
    const QString domanda = unknownWord(input.domanda, domandaWords(), QStringLiteral("Tipo domanda"));
    return domanda.isEmpty()
               ? unknownWord(input.dichiarazioni, kDichiarazioni, QStringLiteral("Dichiarazione"))
               : domanda;
}

CertificateOutcome compileCertificate(Tzantopat& session, platform::Platform& platform,
                                      const QString& patientId, const CertificateInput& input)
{
    // Words are checked before the host is asked for anything.
    if (const QString problem = unknownWordMessage(input); !problem.isEmpty())
        return {false, {}, {}, problem};
    try {
        CertificateFields fields = readCertificate(session, platform, patientId);
        setMemo(fields.anamnesi, input.anamnesi);
        setMemo(fields.obiettivita, input.obiettivita);
        setMemo(fields.diagnosi, input.diagnosi);
        fields.luogo = input.luogo.value_or(fields.luogo);
        fields.numIscrizione = input.numIscrizione.value_or(fields.numIscrizione);
        fields.provAlbo = input.provAlbo.value_or(fields.provAlbo);
        // As the window fills it: the text as one line.
        if (input.terapia)
            fields.terapia = memoLine(*input.terapia);
        tick(input.domanda, domandaWords(),
             [&fields](std::size_t i) { fields.domanda[clinical::kPurposes[i]] = true; });
        tick(input.dichiarazioni, kDichiarazioni,
             [&fields](std::size_t i) { fields.dichiarazioni[i] = true; });
        if (input.data.isValid())
            fields.data = input.data;
        QString refusal;
        const auto saveAnyway = [&](clinical::FiscalCodeParts parts) {
            if (input.refuseFiscalCodeDisagreement) {
                refusal = fiscalCodeSentence(parts) + QStringLiteral(". Il certificato non è stato salvato.");
                return false;
            }
            platform.showMessage(platform::MessageKind::Error, clinical::fiscalCodeWarning(parts));
            return true;
        };
        CertificateOutcome outcome = saveCertificate(fields, session, platform, saveAnyway);
        if (!refusal.isEmpty())
            outcome.message = refusal;
        return outcome;
    } catch (const platform::FailureShown&) {
        return {}; // the session has shown the host's message
    } catch (const std::exception& error) {
        return {false, {}, {}, QString::fromUtf8(error.what())};
    }
}

} // namespace certificate
