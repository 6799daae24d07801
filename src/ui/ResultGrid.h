#pragma once
#include <QTableView>

namespace store {
class CachedDataset;
}

// The read-only results grid: whole-row selection kept in step with the dataset's current row
// both ways, columns as wide as the fields' display widths.
namespace ui {

class ResultTableModel;

class ResultGrid : public QTableView {
    Q_OBJECT
public:
    explicit ResultGrid(QWidget* parent = nullptr);

    void setDataset(store::CachedDataset* dataset);
    ResultTableModel* resultModel() const { return m_model; }

    // Width of a column showing `characters` digits of the grid's font, at least the title's.
    int columnWidthFor(int displayWidth, const QString& title) const;

private:
    void applyLayout();
    void followDataset(int row);
    void selectionMoved(const QModelIndex& current);

    ResultTableModel* m_model = nullptr;
    bool m_syncing = false;
};

} // namespace ui
