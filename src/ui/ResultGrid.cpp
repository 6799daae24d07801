#include "ui/ResultGrid.h"

#include "store/CachedDataset.h"
#include "ui/ResultTableModel.h"

#include <QHeaderView>

namespace ui {

ResultGrid::ResultGrid(QWidget* parent) : QTableView(parent) {
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setShowGrid(true);
    setTabKeyNavigation(true);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setHighlightSections(false);
}

void ResultGrid::setDataset(store::CachedDataset* dataset) {
    auto* old = m_model;
    m_model = new ResultTableModel(dataset, this);
    setModel(m_model);
    delete old;
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyLayout();
        followDataset(m_model->dataset()->currentRow());
    });
    connect(dataset, &store::CachedDataset::currentRowChanged, this, &ResultGrid::followDataset);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { selectionMoved(current); });
    applyLayout();
    followDataset(dataset->currentRow());
}

int ResultGrid::columnWidthFor(int displayWidth, const QString& title) const {
    const int cells = fontMetrics().horizontalAdvance(QLatin1Char('0')) * displayWidth + 4;
    const int heading = horizontalHeader()->fontMetrics().horizontalAdvance(title) + 4;
    return std::max(cells, heading);
}

void ResultGrid::applyLayout() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(fontMetrics().height() + 2);
    auto* ds = m_model->dataset();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const auto& def = ds->fieldDef(m_model->fieldOf(c));
        setColumnWidth(c, columnWidthFor(def.displayWidth, def.title));
    }
}

// Dataset -> grid: select the dataset's current row.
void ResultGrid::followDataset(int row) {
    if (m_syncing)
        return;
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex current = currentIndex();
        const int column = current.isValid() ? current.column() : 0;
        setCurrentIndex(m_model->index(row, column));
        scrollTo(m_model->index(row, column));
    } else {
        selectionModel()->clear();
    }
    m_syncing = false;
}

// Grid -> dataset: the operator picked a row.
void ResultGrid::selectionMoved(const QModelIndex& current) {
    if (m_syncing || !current.isValid())
        return;
    auto* ds = m_model->dataset();
    if (ds->isActive() && ds->currentRow() != current.row()) {
        m_syncing = true;
        ds->moveTo(current.row());
        m_syncing = false;
        followDataset(ds->currentRow()); // the move may have been refused
    }
}

} // namespace ui
