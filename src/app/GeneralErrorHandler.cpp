#include "app/GeneralErrorHandler.h"

#include "ui/MessageSeam.h"

#include <QApplication>
#include <QWidget>

namespace app {

QString errorMessageText(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + QLatin1Char('.');
    return text;
}

void showHandlerError(const QString& text, QWidget* parent) {
    if (!parent)
        parent = QApplication::activeWindow();
    ui::showError(parent, errorMessageText(text));
}

} // namespace app
