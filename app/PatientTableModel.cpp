#include "PatientTableModel.h"

#include "PatientSearch.h"
#include "widgets/Fonts.h"

#include <QBrush>
#include <QColor>

namespace app {

PatientTableModel::PatientTableModel(QObject* parent) : QAbstractTableModel(parent)
{
    setObjectName(QStringLiteral("tblDati"));
}

int PatientTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PatientTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PatientTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const clinical::PatientRow& r = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Id:
            return r.id;
        case Cognome:
            return r.cognome;
        case Nome:
            return r.nome;
        case DataNascita:
            return displayDate(r.data_nascita);
        case Scrivi:
            return kCompila;
        default:
            return {};
        }
    case Qt::AccessibleTextRole:
        // The action cell read aloud names the patient it acts on.
        if (index.column() == Scrivi) {
            QStringList parts{kCompila, r.cognome, r.nome, app::displayDate(r.data_nascita)};
            parts.removeAll(QString());
            return parts.join(QLatin1Char(' '));
        }
        return {};
    case Qt::FontRole:
        if (index.column() == Scrivi)
            return widgets::verdana(13, false, true);
        return {};
    case Qt::ForegroundRole:
        if (index.column() == Scrivi)
            return QBrush(QColor(Qt::blue));
        return {};
    default:
        return {};
    }
}

QVariant PatientTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The action column's title is a blank on screen; read aloud it is the action's name.
    if (orientation == Qt::Horizontal && role == Qt::AccessibleTextRole)
        return section == Scrivi ? kCompila : headerData(section, orientation);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Cognome:
        return QStringLiteral("Cognome");
    case Nome:
        return QStringLiteral("Nome");
    case DataNascita:
        return QStringLiteral("Nascita");
    case Scrivi:
        return QStringLiteral(" ");
    default:
        return QString();
    }
}

Qt::ItemFlags PatientTableModel::flags(const QModelIndex& index) const
{
    // Read-only: selectable and enabled, never editable.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void PatientTableModel::clear()
{
    setRows({});
}

void PatientTableModel::setRows(std::vector<clinical::PatientRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

} // namespace app
