#include "ui/IconArt.h"

#include <QPainter>
#include <QPixmap>

namespace ui {

QIcon drawnIcon(const IconDrawing& draw) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon themedIcon(const QString& themeName, const IconDrawing& fallback) {
    if (QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return drawnIcon(fallback);
}

} // namespace ui
