#include "DownloadUnit.h"

#include "DownloadThread.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

void centreOnDesktop(QWidget* dialog) {
    dialog->adjustSize();
    QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    dialog->move(area.center() - dialog->rect().center());
}

TDownloadForm::TDownloadForm(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Чтение из прибора"));
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    DownloadGauge = new QProgressBar(panel);
    DownloadGauge->setRange(0, 100);
    DownloadGauge->setValue(0);
    DownloadGauge->setTextVisible(true);
    DownloadGauge->setFormat(QStringLiteral("%p%"));
    DownloadGauge->setAlignment(Qt::AlignCenter);
    DownloadGauge->setMinimumWidth(260);
    DownloadGauge->setStyleSheet(
        QStringLiteral("QProgressBar { background: white; border: 1px solid gray; color: black; }"
                       "QProgressBar::chunk { background: navy; }"));
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(DownloadGauge);

    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(kModalResultCancel); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(CancelButton, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
    centreOnDesktop(this);
}

bool TDownloadForm::event(QEvent* event) {
    if (event->type() != DownloadNotifyEvent::eventType())
        return QDialog::event(event);
    const auto* notify = static_cast<DownloadNotifyEvent*>(event);
    if (notify->message() != kWmUser)
        return true;
    if (notify->wParam() <= 100)
        DownloadGauge->setValue(static_cast<int>(notify->wParam()));
    else
        done(kModalResultCancel); // the worker has finished: closing ends the loop as Cancel
    return true;
}

void TDownloadForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept(); // Esc must not cancel a download
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDownloadForm::reject() {
    done(kModalResultCancel);
}
