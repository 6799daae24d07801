#include "ReadFromDevice.h"

#include "DownloadUnit.h"
#include "device/Protocol.h"
#include "device/USB.h"
#include "ui/MessageSeam.h"

#include <QPointer>

namespace download {

namespace {
// A worker that did not end in time keeps running; what it still uses (its dialog, as the
// target of its last message, and the array) lives until its thread has finished.
void abandon(std::unique_ptr<TDownloadThread> worker, std::unique_ptr<TDownloadForm> form,
             std::shared_ptr<TArrayOfMsrResult> results) {
    TDownloadThread* w = worker.release();
    // The owner may delete the dialog first, as its parent.
    QPointer<TDownloadForm> f = form.release();
    QObject::connect(w, &QThread::finished, w, [w, f, results] {
        if (f)
            f->deleteLater();
        w->deleteLater();
    });
    if (w->isFinished()) {
        delete f.data();
        delete w;
    }
}
} // namespace

std::optional<DownloadOutcome> downloadWithProgress(QWidget* owner, TArrayOfMsrResult& results) {
    if (!DeviceConnected()) {
        ui::showError(owner, QStringLiteral("Прибор не подключен!"));
        return std::nullopt;
    }
    results.clear();
    auto array = std::make_shared<TArrayOfMsrResult>();
    auto form = std::make_unique<TDownloadForm>(owner);
    auto worker = std::make_unique<TDownloadThread>();
    worker->NotifyWindow = form.get();
    worker->NotifyMessage = kWmUser;
    worker->Results = array.get();
    worker->Start();
    const int modalResult = form->exec();
    // Hidden now; the object stays until the worker has ended, as it may still post to it.
    form->hide();
    DownloadOutcome outcome = joinWorker(*worker, modalResult == kModalResultCancel);
    if (!outcome.ended) {
        abandon(std::move(worker), std::move(form), array);
        outcome.completed = false;
        return outcome;
    }
    worker.reset();
    form.reset();
    if (outcome.completed)
        results = std::move(*array);
    return outcome;
}

void reportStatus(QWidget* owner, device::Status status) {
    ui::showError(owner, QStringLiteral("Ошибка связи ") +
                             QString::fromLatin1(device::statusText(status)));
}

void showSummary(QWidget* owner, int inDevice, int added) {
    TDownloadSummaryForm summary(owner);
    summary.setResultsInDeviceMemory(inDevice);
    summary.setResultsAddedToProject(added);
    summary.exec();
}

void focusGrid(QWidget* grid) {
    if (grid && grid->isVisible() && grid->isEnabled() && grid->focusPolicy() != Qt::NoFocus)
        grid->setFocus();
}

} // namespace download
