#pragma once
#include "store/CachedDataset.h"

#include <QPlainTextEdit>
#include <QPointer>

// A memo bound to a blob field of a dataset's current row. The field holds 8-bit
// Windows-1251 bytes. Typing puts the dataset into edit state and sets the field; the text
// follows the current row. `exited` fires when the focus moves to another control of the window.
namespace ui {

class DataMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DataMemo(QWidget* parent = nullptr);

    void bind(store::CachedDataset* dataset, int field);
    store::CachedDataset* dataset() const { return m_dataset; }

signals:
    void exited();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void reload();
    void stateMoved();
    void typed();

    QPointer<store::CachedDataset> m_dataset;
    int m_field = -1;
    bool m_loading = false;
};

} // namespace ui
