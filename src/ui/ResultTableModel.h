#pragma once
#include "store/CachedDataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <vector>

// The grid's view of a dataset: one column per visible field in field order, the texts every
// view shows, read-only. Resets whenever the dataset redraws; the vertical header marks the
// current row as the row indicator does.
namespace ui {

class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultTableModel(store::CachedDataset* dataset, QObject* parent = nullptr);

    store::CachedDataset* dataset() const { return m_dataset; }
    // Field index of a column.
    int fieldOf(int column) const { return m_columns.at(column); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void resetFromDataset();
    void stateMoved();
    void currentMoved(int row);

    QPointer<store::CachedDataset> m_dataset;
    std::vector<int> m_columns;
    int m_rows = 0;
    int m_current = -1;
};

} // namespace ui
