#include "TFormGestCertMedINPS.h"

#include "CertificateChecks.h"
#include "MemoEdit.h"
#include "ui_TFormGestCertMedINPS.h"

#include "host/Tzantopat.h"
#include "platform/Platform.h"
#include "widgets/Accessibility.h"
#include "widgets/ZantoLogo.h"

#include <QKeyEvent>
#include <QScopeGuard>
#include <QScreen>

#include <algorithm>
#include <array>

namespace certificate {

namespace {

const QString kDiscardQuestion =
    QStringLiteral("Chiudere il certificato senza salvarlo? Il testo inserito andrà perso.");
const char* const kTypingLimit = "typingLimit";
constexpr int kUnlimited = 32767; // QLineEdit's own default maxLength

// The form's controls and the values they show.
using Text = QString CertificateFields::*;
using Form = Ui::TFormGestCertMedINPS;

std::array<std::pair<QLineEdit*, Text>, 13> lineEdits(const Form& ui)
{
    return {{{ui.EditCognome, &CertificateFields::cognome},
             {ui.EditNome, &CertificateFields::nome},
             {ui.EditCodiceFiscale, &CertificateFields::codiceFiscale},
             {ui.EditDataDiNascita, &CertificateFields::dataDiNascita},
             {ui.EditLuogoDiNascita, &CertificateFields::luogoDiNascita},
             {ui.EditProvDiNascita, &CertificateFields::provDiNascita},
             {ui.EditCodTesSanitaria, &CertificateFields::codTesSanitaria},
             {ui.EditASLDiAppartenenza, &CertificateFields::aslDiAppartenenza},
             {ui.EditLuogo, &CertificateFields::luogo},
             {ui.EditCognomeMedico, &CertificateFields::cognomeMedico},
             {ui.EditNomeMedico, &CertificateFields::nomeMedico},
             {ui.EditNumIscrizione, &CertificateFields::numIscrizione},
             {ui.EditProvAlbo, &CertificateFields::provAlbo}}};
}

std::array<std::pair<MemoEdit*, Text>, 4> memos(const Form& ui)
{
    return {{{ui.MemoAnamnesi, &CertificateFields::anamnesi},
             {ui.MemoObiettivita, &CertificateFields::obiettivita},
             {ui.MemoDiagnosi, &CertificateFields::diagnosi},
             {ui.MemoTerapia, &CertificateFields::terapia}}};
}

// ICD-9 rows 1 to 5: the code and the description.
using IcdRows = std::array<std::pair<QLineEdit*, MemoEdit*>, 5>;
IcdRows icdRows(const Form& ui)
{
    return {{{ui.EditCodICD901, ui.MemoCodICD901},
             {ui.EditCodICD902, ui.MemoCodICD902},
             {ui.EditCodICD903, ui.MemoCodICD903},
             {ui.EditCodICD904, ui.MemoCodICD904},
             {ui.EditCodICD905, ui.MemoCodICD905}}};
}

// The declarations in the order of their values, and the purposes.
using Purpose = clinical::Purpose;
using CheckBoxes = std::pair<std::array<QCheckBox*, 3>, std::array<std::pair<QCheckBox*, Purpose>, 5>>;
CheckBoxes checkBoxes(const Form& ui)
{
    return {{ui.CheckBoxCert01A, ui.CheckBoxCert01B, ui.CheckBoxCert01C},
            {{{ui.CheckBoxInvalidita, Purpose::Invalidita},
              {ui.CheckBoxCecita, Purpose::Cecita},
              {ui.CheckBoxSordita, Purpose::Sordita},
              {ui.CheckBoxHandicap, Purpose::Handicap},
              {ui.CheckBoxDisabilita, Purpose::Disabilita}}}};
}

// The control that shows each captioned field of the checks: a message names the control's label as
// it names the field.
const std::array<std::pair<Field, const char*>, 18> kFieldControls = {{
    {Field::Cognome, "EditCognome"},
    {Field::Nome, "EditNome"},
    {Field::Sesso, "RadioGroupSesso"},
    {Field::CodiceFiscale, "EditCodiceFiscale"},
    {Field::DataDiNascita, "EditDataDiNascita"},
    {Field::LuogoDiNascita, "EditLuogoDiNascita"},
    {Field::CodTesSanitaria, "EditCodTesSanitaria"},
    {Field::AslDiAppartenenza, "EditASLDiAppartenenza"},
    {Field::Anamnesi, "MemoAnamnesi"},
    {Field::Obiettivita, "MemoObiettivita"},
    {Field::Diagnosi, "MemoDiagnosi"},
    {Field::Terapia, "MemoTerapia"},
    {Field::Luogo, "EditLuogo"},
    {Field::Data, "DateTimePickerData"},
    {Field::CognomeMedico, "EditCognomeMedico"},
    {Field::NomeMedico, "EditNomeMedico"},
    {Field::NumIscrizione, "EditNumIscrizione"},
    {Field::ProvAlbo, "EditProvAlbo"},
}};

// Each label stands for its control: the one the messages' naming finds, and those it cannot (the
// birth province, the ICD-9 rows, the declarations written in labels of their own).
void labelControls(TFormGestCertMedINPS& form)
{
    // An empty name would find any label: a control of no kind has none.
    const auto pair = [&form](const QString& label, const QString& control) {
        if (label.isEmpty())
            return;
        if (auto* caption = form.findChild<QLabel*>(label))
            caption->setBuddy(form.FindControl(control));
    };
    for (const QWidget* control : form.findChildren<QWidget*>())
        pair(TFormGestCertMedINPS::labelNameOf(control->objectName()), control->objectName());
    pair(QStringLiteral("LabelProv"), QStringLiteral("EditProvDiNascita"));
    for (int row = 1; row <= 5; ++row) {
        pair(QStringLiteral("LabelCodice0%1").arg(row), QStringLiteral("EditCodICD90%1").arg(row));
        pair(QStringLiteral("LabelDesc0%1").arg(row), QStringLiteral("MemoCodICD90%1").arg(row));
    }
    pair(QStringLiteral("LabelCert01A"), QStringLiteral("CheckBoxCert01A"));
    pair(QStringLiteral("LabelCert01B"), QStringLiteral("CheckBoxCert01A"));
    pair(QStringLiteral("LabelCert01C"), QStringLiteral("CheckBoxCert01B"));
    pair(QStringLiteral("LabelCert01D"), QStringLiteral("CheckBoxCert01C"));
    widgets::nameControlsByLabels(form);
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
    ui->ZantoLogo->setPixmap(widgets::zantoLogo(ui->ZantoLogo->size()));

    // The diagnosis starts as one empty line, so its text is a single CR LF until the doctor types.
    ui->MemoDiagnosi->setText(QStringLiteral("\r\n"));
    keepTypingLimits();

    for (QPushButton* save : {ui->ButtonCompila1, ui->ButtonCompila2, ui->ButtonCompila3})
        connect(save, &QPushButton::clicked, this, &TFormGestCertMedINPS::ButtonCompilaClick);
    for (QPushButton* cancel : {ui->Button1, ui->Button2, ui->Button3})
        connect(cancel, &QPushButton::clicked, this, &TFormGestCertMedINPS::ButtonAnnullaClick);

    labelControls(*this);
    widgets::setUpPageKeys(*this, *ui->PageControlCertMedINPS);
    widgets::enterPressesFocusedButton(*this);
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
    // Without the patient's export the window has nothing to show, and nothing is saved from it: it
    // closes as cancelled once it has said why.
    const auto closeUnfilled = [this] {
        m_ending = Ending::Cancelled;
        QMetaObject::invokeMethod(
            this, [this] { QDialog::reject(); }, Qt::QueuedConnection);
    };
    try {
        const HostCalls calling(m_hostCalls);
        FormShow();
    } catch (const platform::FailureShown&) {
        closeUnfilled(); // the session has shown the host's message
    } catch (const std::exception& error) {
        showError(QString::fromUtf8(error.what()));
        closeUnfilled();
    }
}

void TFormGestCertMedINPS::FormShow()
{
    if (m_filled)
        return;
    m_filled = true;
    // Also when the filling stops half-way: what the window then shows is the starting point.
    const auto snapshot = qScopeGuard([this] { m_asFilled = fields(); });
    ui->PageControlCertMedINPS->setCurrentIndex(0);
    const CertificateFields values = readCertificate(m_session, m_platform, m_patientId);
    setFields(values);
    // An over-long therapy opens to the doctor, who can then shorten it.
    if (therapyOverLimit(values))
        ui->MemoTerapia->setReadOnly(false);
}

void TFormGestCertMedINPS::done(int)
{
    FormClose();
    QDialog::done(QDialog::Rejected);
}

void TFormGestCertMedINPS::FormClose()
{
    if (m_ending == Ending::Open)
        m_ending = Ending::Cancelled;
}

QString TFormGestCertMedINPS::ResultText() const
{
    switch (m_ending) {
    case Ending::Saved:
        return m_savedPath;
    case Ending::Cancelled:
        return QStringLiteral("cancel");
    case Ending::Open:
        break;
    }
    return {};
}

void TFormGestCertMedINPS::ButtonCompilaClick()
{
    if (m_hostCalls > 0)
        return;
    try {
        const HostCalls calling(m_hostCalls);
        // After the host's program was closed and opened again, the doctor logs in again first; what
        // the window holds stays as typed either way.
        if (!m_session.readyForAction())
            return;
        if (!SaveCertificate())
            return;
    } catch (const platform::FailureShown&) {
        return; // the host's program was closed: the session has said so, and the window stays as it is
    } catch (const std::exception& error) {
        showError(QString::fromUtf8(error.what()));
        return;
    }
    accept();
}

void TFormGestCertMedINPS::ButtonAnnullaClick()
{
    if (m_hostCalls > 0 || !mayDiscard())
        return;
    m_ending = Ending::Cancelled;
    QDialog::reject();
}

void TFormGestCertMedINPS::reject()
{
    if (m_hostCalls == 0 && mayDiscard())
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
    const auto saveAnyway = [this](clinical::FiscalCodeParts parts) {
        return m_platform.askYesNo(fiscalCodeQuestion(parts));
    };
    const QString path = takeOutcome(saveCertificate(fields(), m_session, m_platform, saveAnyway));
    if (path.isEmpty())
        return false;
    m_savedPath = path;
    m_ending = Ending::Saved;
    return true;
}

QString TFormGestCertMedINPS::takeOutcome(const CertificateOutcome& outcome)
{
    if (!outcome.kept.isEmpty())
        m_keptCertificate = outcome.kept;
    if (outcome.saved)
        m_printableFormMessage = printableFormMessage(outcome.printable);
    if (!outcome.message.isEmpty())
        showError(outcome.message);
    return outcome.path;
}

QWidget* TFormGestCertMedINPS::FindControl(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    return findChild<QWidget*>(name, Qt::FindChildrenRecursively);
}

QString TFormGestCertMedINPS::labelNameOf(const QString& controlName)
{
    static const std::array<QString, 4> kKinds = {QStringLiteral("Edit"), QStringLiteral("Memo"),
                                                  QStringLiteral("RadioGroup"),
                                                  QStringLiteral("DateTimePicker")};
    for (const QString& kind : kKinds) {
        if (controlName.startsWith(kind))
            return QString(controlName).replace(kind, QStringLiteral("Label"));
    }
    return {};
}

QString TFormGestCertMedINPS::LabelTextOf(const QWidget* control) const
{
    const QString name = control->objectName();
    for (const auto& [field, controlName] : kFieldControls) {
        if (name == QLatin1String(controlName))
            return fieldCaption(field);
    }
    return name;
}

CertificateFields TFormGestCertMedINPS::fields() const
{
    CertificateFields f;
    for (const auto& [edit, value] : lineEdits(*ui))
        f.*value = edit->text();
    for (const auto& [memo, value] : memos(*ui))
        f.*value = memo->text();
    f.sessoLetto = m_sessoLetto;
    if (ui->RadioButtonSessoM->isChecked())
        f.sesso = Sesso::M;
    else if (ui->RadioButtonSessoF->isChecked())
        f.sesso = Sesso::F;
    const IcdRows rows = icdRows(*ui);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        f.codiciIcd9[i] = rows[i].first->text();
        f.descrizioniIcd9[i] = rows[i].second->text();
    }
    const CheckBoxes boxes = checkBoxes(*ui);
    for (std::size_t i = 0; i < f.dichiarazioni.size(); ++i)
        f.dichiarazioni[i] = boxes.first[i]->isChecked();
    for (const auto& [box, purpose] : boxes.second)
        f.domanda[purpose] = box->isChecked();
    f.data = ui->DateTimePickerData->date();
    return f;
}

void TFormGestCertMedINPS::setFields(const CertificateFields& values)
{
    for (const auto& [edit, value] : lineEdits(*ui))
        setLineEditText(edit, values.*value);
    for (const auto& [memo, value] : memos(*ui))
        memo->setText(values.*value);
    m_sessoLetto = values.sessoLetto;
    if (values.sesso == Sesso::None) {
        // Exclusive buttons cannot be unchecked one by one.
        for (QRadioButton* button : {ui->RadioButtonSessoM, ui->RadioButtonSessoF}) {
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
    } else {
        (values.sesso == Sesso::M ? ui->RadioButtonSessoM : ui->RadioButtonSessoF)->setChecked(true);
    }
    const IcdRows rows = icdRows(*ui);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        setLineEditText(rows[i].first, values.codiciIcd9[i]);
        rows[i].second->setText(values.descrizioniIcd9[i]);
    }
    const CheckBoxes boxes = checkBoxes(*ui);
    for (std::size_t i = 0; i < values.dichiarazioni.size(); ++i)
        boxes.first[i]->setChecked(values.dichiarazioni[i]);
    for (const auto& [box, purpose] : boxes.second)
        box->setChecked(values.domanda[purpose]);
    ui->DateTimePickerData->setDate(values.data);
}

void TFormGestCertMedINPS::showError(const QString& text)
{
    m_platform.showMessage(platform::MessageKind::Error, text);
}

} // namespace certificate
