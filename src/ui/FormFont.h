#pragma once
#include <QFont>

class QWidget;

namespace ui {

// The font of the main window and the dialogs: "MS Sans Serif" 11 pixels high where that face
// exists on a 96-dpi display, else "Arial" at the same height (here its metric twin). The face
// is chosen, not listed with its alternative: font matching would take the first name's generic
// substitute, a much wider face.
QFont formFont(const QWidget* widget);

} // namespace ui
