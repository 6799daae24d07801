#include "screenshot/Messages.h"

#include <QMessageBox>

namespace screenshot {

namespace {
MessageHook& hook() {
    static MessageHook instance;
    return instance;
}
} // namespace

void setMessageHook(MessageHook h) {
    hook() = std::move(h);
}

void showErrorMessage(QWidget* parent, const QString& caption, const QString& text) {
    if (hook()) {
        hook()(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace screenshot
