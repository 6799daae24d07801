#include "Download.h"

#include "device/USB.h"

#include <QDeadlineTimer>

namespace download {

DownloadOutcome joinWorker(TDownloadThread& worker, bool stop) {
    if (stop)
        worker.Stop();
    DownloadOutcome outcome;
    outcome.ended = worker.wait(QDeadlineTimer(kCancelAfterMs));
    outcome.status = worker.Status.load();
    outcome.completed = worker.Completed.load();
    if (!outcome.ended) {
        // A transfer is hanging: cancel it rather than the thread; its failure is not reported.
        CancelDeviceTransfers();
        outcome.ended = worker.wait(QDeadlineTimer(kJoinLimitMs - kCancelAfterMs - 100));
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
