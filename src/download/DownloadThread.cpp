#include "DownloadThread.h"

#include "device/Protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>

using namespace device;

namespace {
// Space reserved up front; larger counts grow as records really arrive, so a count the
// instrument cannot hold never costs memory.
constexpr int32_t kReserveLimit = 65536;

TMsrResult toMsrResult(const TDeviceMsrRecord& record) {
    TMsrResult r;
    r.MsrDateTime = recordDateTime(record);
    r.MsrNumber = record.Number;
    r.Load = record.Load;
    r.RatedLoad = record.RatedLoad;
    r.ObjectName = recordName(record);
    return r;
}
} // namespace

QEvent::Type DownloadNotifyEvent::eventType() {
    static const auto type =
        static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 1024));
    return type;
}

TDownloadThread::TDownloadThread() = default;

TDownloadThread::~TDownloadThread() {
    wait();
    // Pairs with the store at the end of run(): what the worker wrote is ours from here on,
    // in a way every checker of the memory model can see (QThread::wait hands over through
    // a futex).
    (void)m_ended.load(std::memory_order_acquire);
}

void TDownloadThread::Start() {
    start(QThread::NormalPriority);
}

void TDownloadThread::Stop() {
    m_stop.store(true);
}

void TDownloadThread::run() {
    Execute();
    m_ended.store(true, std::memory_order_release);
}

void TDownloadThread::post(uintptr_t wParam) {
    if (NotifyWindow)
        QCoreApplication::postEvent(NotifyWindow, new DownloadNotifyEvent(wParam, NotifyMessage));
}

void TDownloadThread::Execute() {
    QElapsedTimer timer;
    timer.start();
    qCDebug(lcDownload) << "worker: read-out begins";
    TArrayOfMsrResult discarded;
    TArrayOfMsrResult& results = Results ? *Results : discarded;
    try {
        readOut(results);
    } catch (...) {
        // Growing the array is the only thing here that throws; Completed is still false.
        Status.store(kStatusOutOfMemory);
    }
    qCDebug(lcDownload).noquote().nospace()
        << "worker: ended, status " << statusText(Status.load())
        << (Completed.load() ? ", complete, " : ", not complete, ") << results.size()
        << " results, " << timer.elapsed() << " ms";
    post(kDownloadFinished);
}

// The driver holds the conversation; the worker sizes and fills the array and posts each new
// percentage before the record it stands for is asked for.
void TDownloadThread::readOut(TArrayOfMsrResult& results) {
    int lastPercent = -1;
    ReadOutEvents events;
    events.stopRequested = [this] { return m_stop.load(); };
    events.starting = [&](int32_t count) {
        results.clear();
        results.reserve(static_cast<size_t>(std::min(count, kReserveLimit)));
    };
    events.reading = [&](int32_t index, int32_t count) {
        const int percent = static_cast<int>(int64_t(index) * 100 / count);
        if (percent != lastPercent)
            post(static_cast<uintptr_t>(percent));
        lastPercent = percent;
    };
    events.received = [&](const TDeviceMsrRecord& record) {
        results.push_back(toMsrResult(record));
    };
    const ReadOutEnd end = readStoredResults(Link ? *Link : programLink(), events);
    Status.store(end.status);
    Completed.store(end.complete);
}
