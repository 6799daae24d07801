#pragma once
#include <QString>
#include <stdexcept>

namespace zor {

// The one exception type of the program: a text for the general error handler's message box.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

} // namespace zor
