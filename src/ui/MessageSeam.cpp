#include "ui/MessageSeam.h"

#include <QFileDialog>

namespace ui {
namespace {

// The program's texts join lines with a bare carriage return; a label needs a line feed.
QString displayText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QFileDialog::Options dialogOptions() {
    // Qt's own dialog: the same look everywhere and Russian through the loaded translations.
    return QFileDialog::DontUseNativeDialog;
}

void prepare(QFileDialog& dialog, const FileDialogOptions& o) {
    dialog.setOptions(dialogOptions());
    dialog.setOption(QFileDialog::HideNameFilterDetails, o.labelsOnly);
    dialog.setWindowTitle(o.title);
    dialog.setDirectory(o.directory);
    dialog.setNameFilter(o.filter);
    dialog.setDefaultSuffix(o.defaultSuffix);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (!o.fileName.isEmpty())
        dialog.selectFile(o.fileName);
}

class QtMessages final : public MessageSeam {
public:
    QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override {
        QMessageBox box(icon, caption, displayText(text), buttons, parent);
        box.setDefaultButton(defaultButton);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    void error(QWidget* parent, const QString& caption, const QString& text) override {
        ask(parent, caption, text, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok);
    }

    QString saveFileName(QWidget* parent, const FileDialogOptions& o) override {
        QFileDialog dialog(parent);
        prepare(dialog, o);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !o.confirmOverwrite);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }

    QString openFileName(QWidget* parent, const FileDialogOptions& o) override {
        QFileDialog dialog(parent);
        prepare(dialog, o);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
};

MessageSeam* g_installed = nullptr;

} // namespace

MessageSeam& qtMessages() {
    static QtMessages seam;
    return seam;
}

MessageSeam& messages() {
    return g_installed ? *g_installed : qtMessages();
}

void setMessages(MessageSeam* seam) {
    g_installed = seam;
}

} // namespace ui
