#pragma once
// The self-check's report window, opened from the login window: the report's lines, "Copia" puts them
// on the clipboard for support, "Chiudi" (or Esc) closes.

#include "Diagnosis.h"

#include <QDialog>

#include <memory>

namespace Ui {
class frmDiagnosis;
}

namespace app {

class TfrmDiagnosis : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmDiagnosis(const Diagnosis& diagnosis, QWidget* parent = nullptr);
    ~TfrmDiagnosis() override;

    void cmdCopiaClick();

private:
    std::unique_ptr<Ui::frmDiagnosis> ui;
    QString m_report;
};

} // namespace app
