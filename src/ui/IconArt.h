#pragma once
#include <QIcon>
#include <functional>

class QPainter;

// Icons: the desktop theme's where it has one, else our own drawing on a 16 x 16 canvas
// (rendered at 16 and 32 pixels), so the program looks the same without a theme.
namespace ui {

using IconDrawing = std::function<void(QPainter&)>;

QIcon drawnIcon(const IconDrawing& draw);
QIcon themedIcon(const QString& themeName, const IconDrawing& fallback);

} // namespace ui
