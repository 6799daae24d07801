#include "ui/RecordNavigator.h"

#include "store/CachedDataset.h"
#include "ui/IconArt.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>

namespace ui {
namespace {

// A black triangle pointing left or right, with an optional bar at its tip.
IconDrawing arrow(bool right, bool bar) {
    return [right, bar](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x20, 0x20, 0x20));
        const qreal tip = right ? 11 : 5, base = right ? 6 : 10;
        p.drawPolygon(QPolygonF({QPointF(base, 3.5), QPointF(tip, 8), QPointF(base, 12.5)}));
        if (bar)
            p.drawRect(QRectF(right ? 11 : 3, 3.5, 2, 9));
    };
}

void minus(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawRect(QRectF(3, 7, 10, 2.5));
}

struct ButtonSpec {
    const char* theme;
    IconDrawing art;
    const char* hint;
};

const ButtonSpec& spec(int b) {
    static const ButtonSpec specs[RecordNavigator::ButtonCount] = {
        {"go-first", arrow(false, true), "Первая запись"},
        {"go-previous", arrow(false, false), "Предыдущая запись"},
        {"go-next", arrow(true, false), "Следующая запись"},
        {"go-last", arrow(true, true), "Последняя запись"},
        {"list-remove", minus, "Удалить запись"},
    };
    return specs[b];
}

} // namespace

RecordNavigator::RecordNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int b = 0; b < ButtonCount; ++b) {
        auto* button = new QToolButton(this);
        const auto& s = spec(b);
        button->setAutoRaise(true);
        button->setIcon(drawnIcon(s.art));
        button->setToolTip(QString::fromUtf8(s.hint));
        button->setStatusTip(QString::fromUtf8(s.hint));
        button->setFixedSize(25, 22);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, b] { clicked(Button(b)); });
        layout->addWidget(button);
        m_buttons[b] = button;
    }
    refresh();
}

void RecordNavigator::bind(store::CachedDataset* dataset) {
    m_dataset = dataset;
    connect(dataset, &store::CachedDataset::dataReset, this, &RecordNavigator::refresh);
    connect(dataset, &store::CachedDataset::currentRowChanged, this, &RecordNavigator::refresh);
    connect(dataset, &store::CachedDataset::stateChanged, this, &RecordNavigator::refresh);
    refresh();
}

void RecordNavigator::clicked(Button b) {
    if (!m_dataset || !m_dataset->isActive())
        return;
    switch (b) {
    case First:
        m_dataset->first();
        break;
    case Prior:
        m_dataset->prior();
        break;
    case Next:
        m_dataset->next();
        break;
    case Last:
        m_dataset->last();
        break;
    case Delete:
        m_dataset->deleteCurrent();
        break;
    default:
        break;
    }
    refresh();
}

void RecordNavigator::refresh() {
    const bool active = m_dataset && m_dataset->isActive();
    const int count = active ? m_dataset->recordCount() : 0;
    const int row = active ? m_dataset->currentRow() : -1;
    const bool hasRow = row >= 0 && row < count;
    m_buttons[First]->setEnabled(hasRow && row > 0);
    m_buttons[Prior]->setEnabled(hasRow && row > 0);
    m_buttons[Next]->setEnabled(hasRow && row < count - 1);
    m_buttons[Last]->setEnabled(hasRow && row < count - 1);
    m_buttons[Delete]->setEnabled(hasRow);
}

} // namespace ui
