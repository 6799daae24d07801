#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace screenshot {

// Shows an error message box with the given caption. Tests install a hook that records the
// message instead of showing a box; an empty hook restores the box.
using MessageHook = std::function<void(const QString& caption, const QString& text)>;
void setMessageHook(MessageHook hook);
void showErrorMessage(QWidget* parent, const QString& caption, const QString& text);

} // namespace screenshot
