#pragma once
#include <QMessageBox>
#include <QString>

class QWidget;

// The one road by which windows ask the operator something: message boxes and file dialogs.
// Production code calls ui::messages(); tests install a scripted replacement with
// ui::ScopedMessages (see ScriptedMessages.h) and read back what was shown.
namespace ui {

struct FileDialogOptions {
    QString title;                // window title
    QString directory;            // initial folder (used unchanged, even when missing)
    QString filter;               // Qt filter list, e.g. "Файлы проектов (*.fdb)"
    QString defaultSuffix;        // without a dot; appended to a name typed without extension
    QString fileName;             // initial file name, may be empty
    bool confirmOverwrite = true; // save dialogs: ask before replacing an existing file
    // Show each filter's label as written, without the pattern in brackets that ends it
    // ("Файлы проектов (.fdb) (*.fdb)" reads "Файлы проектов (.fdb)").
    bool labelsOnly = false;
};

class MessageSeam {
public:
    virtual ~MessageSeam() = default;

    // A modal message box; returns the button chosen (Escape / close box give the escape
    // button Qt picks: Cancel, or No when there is no Cancel). The text may separate lines
    // with "\r" as the program's texts do.
    virtual QMessageBox::StandardButton ask(QWidget* parent, const QString& caption,
                                            const QString& text, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) = 0;
    // A modal failure box: OK button, error icon.
    virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Modal file dialogs; an empty string means the operator cancelled.
    virtual QString saveFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual QString openFileName(QWidget* parent, const FileDialogOptions& options) = 0;
};

// The seam in force: the installed replacement, else the one that shows Qt's dialogs.
MessageSeam& messages();
// Installs a replacement (not owned); nullptr restores Qt's dialogs.
void setMessages(MessageSeam* seam);

// The production seam, for code that wants Qt's dialogs explicitly.
MessageSeam& qtMessages();

// The application title, caption of the program's message boxes.
inline QString appTitle() {
    return QStringLiteral("ЗОР-1.0");
}

// Shorthands with the program's caption.
inline void showError(QWidget* parent, const QString& text) {
    messages().error(parent, appTitle(), text);
}
inline QMessageBox::StandardButton askYesNo(QWidget* parent, const QString& text) {
    return messages().ask(parent, appTitle(), text, QMessageBox::Question,
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
}

} // namespace ui
