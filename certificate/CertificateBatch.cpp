#include "CertificateBatch.h"

#include "CertificateFields.h"
#include "MemoEdit.h"
#include "TFormGestCertMedINPS.h"

#include "platform/Platform.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>

#include <optional>

namespace certificate {

namespace {

// Passes everything through to the real platform except the editor's messages, which it keeps.
class CapturingPlatform : public platform::Platform
{
public:
    explicit CapturingPlatform(platform::Platform& inner) : m_inner(inner) {}

    QStringList messages;

    QString desktopFolder() const override { return m_inner.desktopFolder(); }
    QString programFolder() const override { return m_inner.programFolder(); }
    bool openFile(const QString& path) override { return m_inner.openFile(path); }
    QString machineSetting(const QString& keyPath, const QString& name) const override
    {
        return m_inner.machineSetting(keyPath, name);
    }
    void showMessage(platform::MessageKind, const QString& text) override { messages << text; }
    bool askYesNo(const QString& text) override { return m_inner.askYesNo(text); }
    QDateTime now() const override { return m_inner.now(); }
    void rememberForegroundWindow() override { m_inner.rememberForegroundWindow(); }
    void restoreForegroundWindow() override { m_inner.restoreForegroundWindow(); }

private:
    platform::Platform& m_inner;
};

const QStringList kDichiarazioni = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};

QStringList domandaWords()
{
    QStringList words;
    for (const char* sigla : kDomandaSigle)
        words << QString::fromLatin1(sigla);
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

// Ticks the boxes named by the words, which unknownWord has already accepted.
void tick(TFormGestCertMedINPS& form, const QStringList& words, const QStringList& allowed,
          const QStringList& boxes)
{
    for (const QString& word : words) {
        if (const std::optional<int> index = indexOf(allowed, word)) {
            if (auto* box = qobject_cast<QCheckBox*>(form.FindControl(boxes.at(*index))))
                box->setChecked(true);
        }
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

void setMemo(TFormGestCertMedINPS& form, const char* name, const QString& text)
{
    if (text.isEmpty())
        return;
    if (auto* memo = qobject_cast<MemoEdit*>(form.FindControl(QString::fromLatin1(name))))
        memo->setText(text);
}

void setEdit(TFormGestCertMedINPS& form, const char* name, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(form.FindControl(QString::fromLatin1(name))))
        TFormGestCertMedINPS::setLineEditText(edit, text);
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
    static const QStringList kDomandaBoxes = {
        QStringLiteral("CheckBoxInvalidita"), QStringLiteral("CheckBoxCecita"),
        QStringLiteral("CheckBoxSordita"), QStringLiteral("CheckBoxHandicap"),
        QStringLiteral("CheckBoxDisabilita")};
    static const QStringList kDichiarazioniBoxes = {QStringLiteral("CheckBoxCert01A"),
                                                    QStringLiteral("CheckBoxCert01B"),
                                                    QStringLiteral("CheckBoxCert01C")};
    const QStringList domanda = domandaWords();

    // Words are checked before the host is asked for anything.
    if (const QString problem = unknownWordMessage(input); !problem.isEmpty())
        return {false, {}, {}, problem};

    CapturingPlatform capture(platform);
    TFormGestCertMedINPS form(session, capture);
    form.SetPatientId(patientId);
    try {
        form.FormShow();

        setMemo(form, "MemoAnamnesi", input.anamnesi);
        setMemo(form, "MemoObiettivita", input.obiettivita);
        setMemo(form, "MemoDiagnosi", input.diagnosi);
        setEdit(form, "EditLuogo", input.luogo);
        setEdit(form, "EditNumIscrizione", input.numIscrizione);
        setEdit(form, "EditProvAlbo", input.provAlbo);
        if (input.terapia) {
            // As the window fills it: the text as one line.
            if (auto* memo = qobject_cast<MemoEdit*>(form.FindControl(QStringLiteral("MemoTerapia")))) {
                memo->clear();
                memo->addLine(*input.terapia);
            }
        }
        tick(form, input.domanda, domanda, kDomandaBoxes);
        tick(form, input.dichiarazioni, kDichiarazioni, kDichiarazioniBoxes);
        if (input.data.isValid()) {
            if (auto* picker =
                    qobject_cast<QDateEdit*>(form.FindControl(QStringLiteral("DateTimePickerData"))))
                picker->setDate(input.data);
        }

        const bool saved = form.SaveCertificate();
        return {saved, saved ? form.ResultText() : QString(), form.KeptCertificate(),
                capture.messages.join(QLatin1Char('\n'))};
    } catch (const std::exception& error) {
        return {false, {}, form.KeptCertificate(), QString::fromUtf8(error.what())};
    }
}

} // namespace certificate
