#pragma once
#include "store/CachedDataset.h"

#include <QPointer>
#include <QWidget>

class QToolButton;

// Flat buttons First, Prior, Next, Last and Delete over a dataset. Delete removes the current
// row at once, without a question: the removal is a pending change like any other.
namespace ui {

class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Delete, ButtonCount };

    explicit RecordNavigator(QWidget* parent = nullptr);

    void bind(store::CachedDataset* dataset);
    QToolButton* button(Button b) const { return m_buttons[b]; }

private:
    void clicked(Button b);
    void refresh();

    QPointer<store::CachedDataset> m_dataset;
    QToolButton* m_buttons[ButtonCount] = {};
};

} // namespace ui
