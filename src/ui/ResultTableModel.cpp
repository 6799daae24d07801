#include "ui/ResultTableModel.h"

#include "store/CachedDataset.h"

namespace ui {

ResultTableModel::ResultTableModel(store::CachedDataset* dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset) {
    for (int f = 0; f < dataset->fieldCount(); ++f)
        if (dataset->fieldDef(f).visible)
            m_columns.push_back(f);
    connect(dataset, &store::CachedDataset::dataReset, this, &ResultTableModel::resetFromDataset);
    connect(dataset, &store::CachedDataset::stateChanged, this, &ResultTableModel::stateMoved);
    connect(dataset, &store::CachedDataset::currentRowChanged, this,
            &ResultTableModel::currentMoved);
    resetFromDataset();
}

// The row count is cached so that the model never answers differently from what the view
// was last told; the dataset may change underneath only through its own signals.
void ResultTableModel::resetFromDataset() {
    beginResetModel();
    const bool active = m_dataset && m_dataset->isActive();
    m_rows = active ? m_dataset->recordCount() : 0;
    m_current = active ? m_dataset->currentRow() : -1;
    endResetModel();
}

// Opening or closing redraws everything; an edit starting or ending redraws the current row.
void ResultTableModel::stateMoved() {
    const bool active = m_dataset && m_dataset->isActive();
    if (!active || m_dataset->recordCount() != m_rows || (m_rows > 0) != (m_current >= 0)) {
        resetFromDataset();
        return;
    }
    if (m_current >= 0 && m_current < m_rows)
        emit dataChanged(index(m_current, 0), index(m_current, columnCount() - 1));
}

void ResultTableModel::currentMoved(int row) {
    const int old = m_current;
    m_current = row;
    if (old >= 0 && old < m_rows)
        emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < m_rows)
        emit headerDataChanged(Qt::Vertical, row, row);
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_dataset || index.row() >= m_rows)
        return {};
    const int field = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return m_dataset->text(index.row(), field);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_dataset->fieldDef(field).alignment | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_dataset ? m_dataset->fieldDef(m_columns.at(section)).title : QString();
    return section == m_current ? QStringLiteral("▶") : QString();
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace ui
