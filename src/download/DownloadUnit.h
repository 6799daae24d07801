#pragma once
#include <QDialog>

class QProgressBar;
class QPushButton;

// Modal result of a dialog ended by its Cancel button or by the worker's final message.
constexpr int kModalResultCancel = 2;
constexpr int kModalResultOk = 1;

// The progress dialog of a download: a gauge fed by the worker's messages, and Cancel.
class TDownloadForm : public QDialog {
    Q_OBJECT
public:
    explicit TDownloadForm(QWidget* owner = nullptr);

    QProgressBar* DownloadGauge = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A close request from the window system cancels like the button, so the worker is stopped.
    void reject() override;
};

// Centres a dialog on the desktop the owner is on.
void centreOnDesktop(QWidget* dialog);
