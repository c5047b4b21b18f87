#pragma once
// tblDati: the search window's patient table. Its rows are replaced whole, never left half-filled.

#include "clinical/PatientRow.h"

#include <QAbstractTableModel>

#include <vector>

namespace app {

class PatientTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Field columns, which are also the grid's columns (column 0 is hidden).
    enum Column { Id = 0, Cognome = 1, Nome = 2, DataNascita = 3, Scrivi = 4, ColumnCount = 5 };
    // What the action cell of every row (Scrivi) says.
    static inline const QString kCompila = QStringLiteral("Compila");

    explicit PatientTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void clear();
    void setRows(std::vector<clinical::PatientRow> rows);
    const clinical::PatientRow& row(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }
    const std::vector<clinical::PatientRow>& rows() const { return m_rows; }

private:
    std::vector<clinical::PatientRow> m_rows;
};

} // namespace app
