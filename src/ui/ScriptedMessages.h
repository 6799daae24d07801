#pragma once
#include "ui/MessageSeam.h"

#include <deque>
#include <vector>

// For tests: a MessageSeam that answers from a script and records what the program showed.
// Installs itself for its lifetime. With the script empty a question gets its escape answer
// (Cancel, else No, else OK) and a file dialog is cancelled; `unanswered` counts those.
namespace ui {

struct ShownMessage {
    enum Kind { Ask, Error, SaveFile, OpenFile } kind;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    FileDialogOptions file;
};

class ScriptedMessages final : public MessageSeam {
public:
    ScriptedMessages() { setMessages(this); }
    ~ScriptedMessages() override { setMessages(nullptr); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // Queue the next answers.
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    void chooseFile(const QString& path) { m_files.push_back(path); } // "" cancels the dialog

    std::vector<ShownMessage> shown;
    int unanswered = 0;

    const ShownMessage* last() const { return shown.empty() ? nullptr : &shown.back(); }
    void clear() {
        shown.clear();
        unanswered = 0;
    }

    QMessageBox::StandardButton ask(QWidget*, const QString& caption, const QString& text,
                                    QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override {
        shown.push_back({ShownMessage::Ask, caption, text, icon, buttons, defaultButton, {}});
        if (!m_answers.empty()) {
            auto b = m_answers.front();
            m_answers.pop_front();
            return b;
        }
        ++unanswered;
        for (auto b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
            if (buttons & b)
                return b;
        return QMessageBox::NoButton;
    }

    void error(QWidget*, const QString& caption, const QString& text) override {
        shown.push_back({ShownMessage::Error,
                         caption,
                         text,
                         QMessageBox::Critical,
                         QMessageBox::Ok,
                         QMessageBox::Ok,
                         {}});
    }

    QString saveFileName(QWidget*, const FileDialogOptions& o) override {
        return file(ShownMessage::SaveFile, o);
    }
    QString openFileName(QWidget*, const FileDialogOptions& o) override {
        return file(ShownMessage::OpenFile, o);
    }

private:
    QString file(ShownMessage::Kind kind, const FileDialogOptions& o) {
        shown.push_back({kind, o.title, {}, QMessageBox::NoIcon, {}, QMessageBox::NoButton, o});
        if (m_files.empty()) {
            ++unanswered;
            return {};
        }
        QString f = m_files.front();
        m_files.pop_front();
        return f;
    }

    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<QString> m_files;
};

} // namespace ui
