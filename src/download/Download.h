#pragma once
#include "DownloadThread.h"
#include "store/UpdateGuard.h"

// The parts of a download that need no window: joining the worker within the time the
// operator is promised, and merging what it read into a project store.
namespace download {

// The longest the caller waits for the worker once its progress dialog has closed.
constexpr int kJoinLimitMs = 2500;
// After this long the transfer in flight is cancelled so the worker can end in time.
constexpr int kCancelAfterMs = 2000;
// How often the cancel is repeated until the worker has ended.
constexpr int kCancelRetryMs = 20;

struct DownloadOutcome {
    device::Status status = 0;
    bool completed = false;
    bool ended = false; // the worker's thread ended within the limit
};

// Stops the worker if asked, then waits for it at most kJoinLimitMs, cancelling its transfer
// when the wait runs long; never kills the thread. Status and completion are those the
// worker had stored when the first wait ran out, as a caller that gave up would have seen.
DownloadOutcome joinWorker(TDownloadThread& worker, bool stop);

// Runs a whole download with no window (waits for the worker however long it takes).
DownloadOutcome downloadAll(TArrayOfMsrResult& results);

// Offers every result to the store inside one update bracket, then sorts; returns how many
// were added. Store: BeginUpdate, EndUpdate, AddResult, SortResults.
template <class Store> int mergeResults(Store& store, const TArrayOfMsrResult& results) {
    if (results.empty())
        return 0;
    const store::UpdateGuard bracket(store);
    int added = 0;
    for (const TMsrResult& r : results)
        if (store.AddResult(r))
            ++added;
    store.SortResults();
    return added;
}

} // namespace download
