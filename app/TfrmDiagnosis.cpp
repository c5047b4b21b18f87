#include "TfrmDiagnosis.h"

#include "ui_TfrmDiagnosis.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>

namespace app {

TfrmDiagnosis::TfrmDiagnosis(const Diagnosis& diagnosis, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmDiagnosis>()), m_report(diagnosis.text())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->lblEsito->setText(
        diagnosis.allOk() ? QStringLiteral("Tutte le verifiche sono riuscite.")
                          : QStringLiteral("Alcune verifiche non sono riuscite: ogni riga PROBLEMA dice che "
                                           "cosa fare. \"Copia\" mette il rapporto negli appunti per "
                                           "l'assistenza."));
    // The columns of the report line up in a fixed-width font.
    ui->memoReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->memoReport->setPlainText(m_report);
    ui->memoReport->setAccessibleName(QStringLiteral("Rapporto della verifica"));
    connect(ui->cmdCopia, &QPushButton::clicked, this, &TfrmDiagnosis::cmdCopiaClick);
    connect(ui->cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    ui->cmdChiudi->setFocus();
}

TfrmDiagnosis::~TfrmDiagnosis() = default;

void TfrmDiagnosis::cmdCopiaClick()
{
    QGuiApplication::clipboard()->setText(m_report);
}

} // namespace app
