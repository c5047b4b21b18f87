#include "TFormGestCertMedINPS.h"

#include "platform/ZantoLogo.h"
#include "InvCiv2010Writer.h"
#include "MemoEdit.h"
#include "ui_TFormGestCertMedINPS.h"

#include "clinical/EssentialData.h"
#include "clinical/TPatologia.h"
#include "host/Tzantopat.h"
#include "platform/Platform.h"

#include <QDir>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QScreen>

#include <algorithm>
#include <array>

namespace certificate {

namespace {

const QString kCancel = QStringLiteral("cancel");
const QString kDiscardQuestion =
    QStringLiteral("Chiudere il certificato senza salvarlo? Il testo inserito andrà perso.");
const char* const kTypingLimit = "typingLimit";
constexpr int kUnlimited = 32767; // QLineEdit's own default maxLength

template <class T> T* findAs(const TFormGestCertMedINPS* form, const QString& name)
{
    return qobject_cast<T*>(form->FindControl(name));
}

} // namespace

TFormGestCertMedINPS::TFormGestCertMedINPS(Tzantopat& session, platform::Platform& platform, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormGestCertMedINPS>()), m_session(session),
      m_platform(platform)
{
    ui->setupUi(this);

    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    ui->ZantoLogo->setPixmap(platform::zantoLogo(ui->ZantoLogo->size()));

    // The diagnosis starts as one empty line, so its text is a single CR LF until the doctor types.
    ui->MemoDiagnosi->setText(QStringLiteral("\r\n"));
    keepTypingLimits();

    for (QPushButton* save : {ui->ButtonCompila1, ui->ButtonCompila2, ui->ButtonCompila3})
        connect(save, &QPushButton::clicked, this, &TFormGestCertMedINPS::ButtonCompilaClick);
    for (QPushButton* cancel : {ui->Button1, ui->Button2, ui->Button3})
        connect(cancel, &QPushButton::clicked, this, &TFormGestCertMedINPS::ButtonAnnullaClick);
    m_asFilled = fields();
}

TFormGestCertMedINPS::~TFormGestCertMedINPS() = default;

void TFormGestCertMedINPS::keepTypingLimits()
{
    // QLineEdit cuts any text longer than its maxLength, also the program's own. The limit from the
    // form is kept as the typing limit; while a longer text set by the program stands, maxLength
    // follows its length, so nothing can be typed beyond the limit and nothing set is lost.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (edit->maxLength() >= kUnlimited || edit->objectName().isEmpty())
            continue;
        edit->setProperty(kTypingLimit, edit->maxLength());
        connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
            const int wanted = std::max(edit->property(kTypingLimit).toInt(), static_cast<int>(text.size()));
            if (edit->maxLength() != wanted)
                edit->setMaxLength(wanted);
        });
    }
}

void TFormGestCertMedINPS::setLineEditText(QLineEdit* edit, const QString& text)
{
    const int limit = edit->property(kTypingLimit).toInt();
    if (limit > 0)
        edit->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    edit->setText(text);
}

void TFormGestCertMedINPS::SetPatientId(const QString& patientId)
{
    m_patientId = patientId;
}

void TFormGestCertMedINPS::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_filled)
        return;
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
    try {
        FormShow();
    } catch (const std::exception& error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void TFormGestCertMedINPS::FormShow()
{
    if (m_filled)
        return;
    m_filled = true;
    // Also when the filling stops half-way: what the window then shows is the starting point.
    const auto snapshot = qScopeGuard([this] { m_asFilled = fields(); });
    fill();
}

void TFormGestCertMedINPS::fill()
{
    namespace paths = clinical::paths;
    ui->PageControlCertMedINPS->setCurrentIndex(0);

    // The export is always "certmedinps.xml" in temp: requestEssentialData deletes the earlier one
    // first, so a failing host leaves the fields empty instead of showing the last patient's data.
    const QString exportPath =
        m_platform.programFolder() + QStringLiteral("temp") + QDir::separator() + kCertificateFileName;
    const clinical::EssentialDataDocument document =
        clinical::requestEssentialData(m_session, m_patientId, exportPath);

    const QString cognome = document.value(paths::kCognome);
    const QString nome = document.value(paths::kNomePersona);

    // The host is asked twice, as it always has been; an answer that is not "yyyy-mm-dd" leaves the
    // birth date empty for the checks to report.
    QString dataDiNascita;
    if (!m_session.leggi_attributo(QStringLiteral("data_nascita")).isEmpty()) {
        const QDate date = QDate::fromString(m_session.leggi_attributo(QStringLiteral("data_nascita")),
                                             QStringLiteral("yyyy-MM-dd"));
        if (date.isValid())
            dataDiNascita = date.toString(QStringLiteral("dd/MM/yyyy"));
    }

    const QString comune = document.value(paths::kComuneNascita);
    const QString provincia = document.value(paths::kProvinciaNascita);
    const QString codiceFiscale = document.value(paths::kCodiceFiscale);
    const QString sesso = document.value(paths::kSesso);
    const QString codiceSanitario = document.value(paths::kCodiceSanitario);
    // Six characters, zeros on the left; a missing code stays empty rather than becoming "000000".
    const QString codiceAsl = document.value(paths::kCodiceAsl);
    const QString asl = codiceAsl.isEmpty() ? QString() : (QStringLiteral("000000") + codiceAsl).right(6);

    const std::vector<clinical::TPatologia> pathologies = clinical::ReadPathologies(document, false);
    for (std::size_t i = 0; i < pathologies.size() && i < 5; ++i) {
        const QString row = QString::number(i + 1);
        if (auto* code = findAs<QLineEdit>(this, QStringLiteral("EditCodICD90") + row))
            setLineEditText(code, QString(pathologies[i].PatCodice).remove(QLatin1Char('.')));
        if (auto* description = findAs<MemoEdit>(this, QStringLiteral("MemoCodICD90") + row)) {
            description->clear();
            description->addLine(pathologies[i].PatDescrizione);
        }
    }

    const QString terapia = document.therapyText();
    const QString cognomeMedico = m_session.utente_leggi_attributo(QStringLiteral("cognome"));
    const QString nomeMedico = m_session.utente_leggi_attributo(QStringLiteral("nome"));

    setLineEditText(ui->EditCognome, cognome);
    setLineEditText(ui->EditNome, nome);
    (sesso == QStringLiteral("M") ? ui->RadioButtonSessoM : ui->RadioButtonSessoF)->setChecked(true);
    setLineEditText(ui->EditCodiceFiscale, codiceFiscale);
    setLineEditText(ui->EditDataDiNascita, dataDiNascita);
    setLineEditText(ui->EditLuogoDiNascita, comune);
    setLineEditText(ui->EditProvDiNascita, provincia);
    setLineEditText(ui->EditCodTesSanitaria, codiceSanitario);
    setLineEditText(ui->EditASLDiAppartenenza, asl);
    // Kept whole even beyond the box's limit: the length check reports it, and the box opens to the
    // doctor, who can then shorten it.
    ui->MemoTerapia->clear();
    ui->MemoTerapia->addLine(terapia);
    if (textLength(ui->MemoTerapia->text()) > kMemoLimit)
        ui->MemoTerapia->setReadOnly(false);
    ui->DateTimePickerData->setDate(m_platform.now().date());
    setLineEditText(ui->EditCognomeMedico, cognomeMedico);
    setLineEditText(ui->EditNomeMedico, nomeMedico);
}

void TFormGestCertMedINPS::done(int)
{
    FormClose();
    QDialog::done(QDialog::Rejected);
}

void TFormGestCertMedINPS::FormClose()
{
    if (m_resultText.isEmpty())
        m_resultText = kCancel;
}

void TFormGestCertMedINPS::ButtonCompilaClick()
{
    try {
        if (SaveCertificate())
            accept();
    } catch (const std::exception& error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void TFormGestCertMedINPS::ButtonAnnullaClick()
{
    if (!mayDiscard())
        return;
    m_resultText = kCancel;
    QDialog::reject();
}

void TFormGestCertMedINPS::reject()
{
    if (mayDiscard())
        QDialog::reject();
}

void TFormGestCertMedINPS::keyPressEvent(QKeyEvent* event)
{
    // Esc would close the window as a cancel: one stray key must not throw the doctor's text away.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormGestCertMedINPS::mayDiscard()
{
    return !changedSinceFilled() || m_platform.askYesNo(kDiscardQuestion);
}

bool TFormGestCertMedINPS::SaveCertificate()
{
    const QString formatList = CheckFormat(kFormatSeparator);
    if (!formatList.isEmpty()) {
        showError(BuildCheckMessage(CheckKind::Format, formatList, kFormatSeparator));
        return false;
    }
    const QString mandatoryList = CheckMandatory(kMandatorySeparator);
    if (!mandatoryList.isEmpty()) {
        showError(BuildCheckMessage(CheckKind::Mandatory, mandatoryList, kMandatorySeparator));
        return false;
    }
    m_resultText = WriteInvCiv2010();
    return !m_resultText.isEmpty();
}

QWidget* TFormGestCertMedINPS::FindControl(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    return findChild<QWidget*>(name, Qt::FindChildrenRecursively);
}

QString TFormGestCertMedINPS::LookUpCadastralCode(const QString& town)
{
    return m_session.tabelle_leggi_attributo_generico_plus(QStringLiteral("tabella_comuni"),
                                                           QStringLiteral("codice_catastale"),
                                                           QStringLiteral("denominazione"), town);
}

QString TFormGestCertMedINPS::CheckFormat(const QString& separator)
{
    return formatFailures(fields(), [this](const QString& town) { return LookUpCadastralCode(town); })
        .join(separator);
}

QString TFormGestCertMedINPS::CheckMandatory(const QString& separator)
{
    return mandatoryFailures(fields(), [this](const QString& town) { return LookUpCadastralCode(town); })
        .join(separator);
}

QString TFormGestCertMedINPS::BuildCheckMessage(CheckKind kind, const QString& list,
                                                const QString& separator) const
{
    QStringList texts;
    for (const QString& item : list.split(separator, Qt::SkipEmptyParts))
        texts << CheckItemText(item);
    return checkMessage(kind, texts);
}

QString TFormGestCertMedINPS::CheckItemText(const QString& item) const
{
    const QString fixed = fixedItemText(item);
    if (!fixed.isEmpty())
        return fixed;
    const QWidget* named = FindControl(item);
    return named ? LabelTextOf(named) : item;
}

QString TFormGestCertMedINPS::LabelTextOf(const QWidget* control) const
{
    // The label's name is the control's with its kind word replaced by "Label".
    static const std::array<QString, 4> kKinds = {QStringLiteral("Edit"), QStringLiteral("Memo"),
                                                  QStringLiteral("RadioGroup"),
                                                  QStringLiteral("DateTimePicker")};
    const QString name = control->objectName();
    for (const QString& kind : kKinds) {
        if (!name.startsWith(kind))
            continue;
        if (const auto* label = findAs<QLabel>(this, QString(name).replace(kind, QStringLiteral("Label"))))
            return label->text();
        break;
    }
    return name;
}

QString TFormGestCertMedINPS::WriteInvCiv2010()
{
    const CertificateFields values = fields();
    const QString comuneNascita = LookUpCadastralCode(values.luogoDiNascita);
    const QByteArray content = invCiv2010Document(values, comuneNascita);
    const QString path = invCiv2010Path(m_platform.desktopFolder());
    const QString shownPath = QDir::toNativeSeparators(path);
    // Another patient's certificate, not sent yet perhaps, steps aside under a dated name first.
    const platform::KeptFile kept = keepEarlierCertificate(path, values);
    if (!kept.failure.isEmpty()) {
        showError(QStringLiteral("Impossibile conservare il certificato precedente, che non è stato "
                                 "sostituito: ") +
                  kept.failure + QStringLiteral(" (") + shownPath + QLatin1Char(')'));
        return {};
    }
    if (!kept.path.isEmpty())
        m_keptCertificate = kept.path;
    // Written whole or not at all: a failed save leaves the earlier certificate as it was.
    const QString failure = platform::writeFileWhole(path, content);
    if (!failure.isEmpty()) {
        showError(QStringLiteral("Impossibile salvare il certificato: ") + failure + QStringLiteral(" (") +
                  shownPath + QLatin1Char(')'));
        return {};
    }
    return path;
}

CertificateFields TFormGestCertMedINPS::fields() const
{
    CertificateFields f;
    f.cognome = ui->EditCognome->text();
    f.nome = ui->EditNome->text();
    if (ui->RadioButtonSessoM->isChecked())
        f.sesso = Sesso::M;
    else if (ui->RadioButtonSessoF->isChecked())
        f.sesso = Sesso::F;
    f.codiceFiscale = ui->EditCodiceFiscale->text();
    f.dataDiNascita = ui->EditDataDiNascita->text();
    f.luogoDiNascita = ui->EditLuogoDiNascita->text();
    f.provDiNascita = ui->EditProvDiNascita->text();
    f.codTesSanitaria = ui->EditCodTesSanitaria->text();
    f.aslDiAppartenenza = ui->EditASLDiAppartenenza->text();
    f.anamnesi = ui->MemoAnamnesi->text();
    f.obiettivita = ui->MemoObiettivita->text();
    f.diagnosi = ui->MemoDiagnosi->text();

    for (std::size_t i = 0; i < f.codiciIcd9.size(); ++i) {
        const QString row = QString::number(i + 1);
        if (const auto* code = findAs<QLineEdit>(this, QStringLiteral("EditCodICD90") + row))
            f.codiciIcd9[i] = code->text();
        if (const auto* description = findAs<MemoEdit>(this, QStringLiteral("MemoCodICD90") + row))
            f.descrizioniIcd9[i] = description->text();
    }
    f.terapia = ui->MemoTerapia->text();

    f.dichiarazioni = {ui->CheckBoxCert01A->isChecked(), ui->CheckBoxCert01B->isChecked(),
                       ui->CheckBoxCert01C->isChecked()};
    f.domanda = {ui->CheckBoxInvalidita->isChecked(), ui->CheckBoxCecita->isChecked(),
                 ui->CheckBoxSordita->isChecked(), ui->CheckBoxHandicap->isChecked(),
                 ui->CheckBoxDisabilita->isChecked()};
    f.luogo = ui->EditLuogo->text();
    f.data = ui->DateTimePickerData->date();
    f.cognomeMedico = ui->EditCognomeMedico->text();
    f.nomeMedico = ui->EditNomeMedico->text();
    f.numIscrizione = ui->EditNumIscrizione->text();
    f.provAlbo = ui->EditProvAlbo->text();
    return f;
}

void TFormGestCertMedINPS::showError(const QString& text)
{
    m_platform.showMessage(platform::MessageKind::Error, text);
}

} // namespace certificate
