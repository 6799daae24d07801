#pragma once
#include <QString>

class QWidget;

// The general error handler: an error that ends a handler is shown in a message box with the
// program's caption, and the program goes on.
namespace app {

// The text as shown: a full stop is appended when the last character comes after "." in
// character-code order (letters, digits, "?"); an empty text stays empty.
QString errorMessageText(const QString& text);

// Shows the box over the active window (or `parent`).
void showHandlerError(const QString& text, QWidget* parent = nullptr);

// Runs `fn`; a zor::Error or std::exception it throws is shown as above. Returns whether
// `fn` finished without an error.
template <typename Fn> bool guarded(Fn&& fn, QWidget* parent = nullptr);

} // namespace app

#include "platform/Error.h"

#include <exception>

template <typename Fn> bool app::guarded(Fn&& fn, QWidget* parent) {
    try {
        fn();
        return true;
    } catch (const zor::Error& e) {
        showHandlerError(e.text(), parent);
    } catch (const std::exception& e) {
        showHandlerError(QString::fromLocal8Bit(e.what()), parent);
    }
    return false;
}
