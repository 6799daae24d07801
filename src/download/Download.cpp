#include "Download.h"

#include "device/USB.h"

#include <QDeadlineTimer>
#include <algorithm>

namespace download {

DownloadOutcome joinWorker(TDownloadThread& worker, bool stop) {
    if (stop)
        worker.Stop();
    DownloadOutcome outcome;
    outcome.ended = worker.wait(QDeadlineTimer(kCancelAfterMs));
    outcome.status = worker.Status.load();
    outcome.completed = worker.Completed.load();
    // A transfer is hanging: cancel it rather than the thread; its failure is not reported.
    // Cancelling again until the limit also cuts a transfer that began just after a cancel.
    const QDeadlineTimer limit(kJoinLimitMs - kCancelAfterMs - 100);
    while (!outcome.ended && !limit.hasExpired()) {
        CancelDeviceTransfers();
        outcome.ended =
            worker.wait(QDeadlineTimer(std::min<qint64>(kCancelRetryMs, limit.remainingTime())));
    }
    return outcome;
}

DownloadOutcome downloadAll(TArrayOfMsrResult& results) {
    results.clear();
    TDownloadThread worker;
    worker.Results = &results;
    worker.Start();
    worker.wait();
    return {worker.Status.load(), worker.Completed.load(), true};
}

} // namespace download
