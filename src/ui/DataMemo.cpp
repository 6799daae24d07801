#include "ui/DataMemo.h"

#include "platform/Cp1251.h"
#include "store/CachedDataset.h"

#include <QFocusEvent>

namespace ui {

DataMemo::DataMemo(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, &DataMemo::typed);
}

void DataMemo::bind(store::CachedDataset* dataset, int field) {
    m_dataset = dataset;
    m_field = field;
    connect(dataset, &store::CachedDataset::currentRowChanged, this, &DataMemo::reload);
    connect(dataset, &store::CachedDataset::dataReset, this, &DataMemo::reload);
    connect(dataset, &store::CachedDataset::stateChanged, this, &DataMemo::stateMoved);
    reload();
}

void DataMemo::reload() {
    QString text;
    if (m_dataset && m_dataset->isActive()) {
        const int row = m_dataset->currentRow();
        if (row >= 0 && row < m_dataset->recordCount())
            text = platform::fromCp1251(m_dataset->value(row, m_field).toByteArray());
    }
    if (text == toPlainText())
        return; // keep the cursor where the operator left it
    m_loading = true;
    setPlainText(text);
    m_loading = false;
}

// An edit that ends by cancel shows the stored text again; one that starts changes nothing.
void DataMemo::stateMoved() {
    if (m_dataset && m_dataset->state() != store::DataSetState::Edit)
        reload();
}

void DataMemo::typed() {
    if (m_loading || !m_dataset || !m_dataset->isActive())
        return;
    const int row = m_dataset->currentRow();
    if (row < 0 || row >= m_dataset->recordCount())
        return;
    if (m_dataset->state() == store::DataSetState::Browse)
        m_dataset->edit();
    m_dataset->setFieldValue(m_field, platform::toCp1251(toPlainText()));
}

void DataMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    // Menus and other windows only borrow the focus; the operator has not left the memo.
    switch (event->reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        emit exited();
    }
}

} // namespace ui
