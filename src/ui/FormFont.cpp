#include "FormFont.h"

#include <QFontDatabase>
#include <QWidget>

namespace ui {

QFont formFont(const QWidget* widget) {
    const QString classic = QStringLiteral("MS Sans Serif");
    const bool useClassic = QFontDatabase::hasFamily(classic) && widget->logicalDpiX() == 96;
    QFont font(useClassic ? classic : QStringLiteral("Arial"));
    font.setPixelSize(11); // 8 points at 96 dots per inch, whatever the system scale
    return font;
}

} // namespace ui
