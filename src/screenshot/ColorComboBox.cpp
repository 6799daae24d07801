#include "screenshot/ColorComboBox.h"

#include "screenshot/Colors.h"

#include <QPainter>
#include <QPixmap>

namespace screenshot {

namespace {
constexpr QSize kSwatch(56, 12);

QIcon swatchIcon(uint32_t color) {
    QPixmap pixmap(kSwatch);
    pixmap.fill(toQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, kSwatch.width() - 1, kSwatch.height() - 1);
    return QIcon(pixmap);
}
} // namespace

ColorComboBox::ColorComboBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(kSwatch);
    for (uint32_t color : standardColors())
        addItem(swatchIcon(color), QString(), QVariant::fromValue(color));
}

void ColorComboBox::selectColor(uint32_t color) {
    const QSignalBlocker block(this);
    setCurrentIndex(findData(QVariant::fromValue(color)));
}

uint32_t ColorComboBox::selectedColor(uint32_t fallback) const {
    return currentIndex() < 0 ? fallback : currentData().value<uint32_t>();
}

} // namespace screenshot
