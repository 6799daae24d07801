#include "DownloadThread.h"

#include "device/Protocol.h"
#include "device/USB.h"

#include <QCoreApplication>
#include <algorithm>
#include <new>

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
    TArrayOfMsrResult discarded;
    device::Status status = 0;
    try {
        status = readOut(Results ? *Results : discarded);
    } catch (...) {
        // Growing the array is the only thing here that throws.
        status = kStatusOutOfMemory;
        Completed.store(false);
    }
    Status.store(status);
    post(kDownloadFinished);
}

device::Status TDownloadThread::readOut(TArrayOfMsrResult& results) {
    uint8_t infoBytes[kDeviceInfoSize] = {};
    device::Status s = DeviceCommand(CMD_GET_INFO, nullptr, 0, infoBytes, kDeviceInfoSize);
    if (s != 0 || stopped())
        return s;
    const TDeviceInfo info = decodeDeviceInfo(infoBytes);

    QByteArray model;
    if (info.ModelSize > kMaxModelReply)
        return STATUS_WRONG_DEVICE; // cannot be the expected model; not worth the allocation
    if (info.ModelSize > 0) {
        std::vector<uint8_t> reply(info.ModelSize, 0);
        s = DeviceCommand(CMD_GET_MODEL, nullptr, 0, reply.data(), info.ModelSize);
        if (s != 0 || stopped())
            return s;
        model = modelFromReply(reply.data(), info.ModelSize);
    }
    if (!isExpectedInstrument(model, info.DataVersion))
        return STATUS_WRONG_DEVICE;
    if (info.RecordCount < 0)
        return kStatusBadRecordCount;
    if (info.RecordCount == 0) {
        Completed.store(true);
        return 0;
    }

    const int32_t count = info.RecordCount;
    int lastPercent = -1;
    results.clear();
    results.reserve(static_cast<size_t>(std::min(count, kReserveLimit)));
    s = DeviceCommand(CMD_BEGIN_READ, nullptr, 0, nullptr, 0);
    if (s != 0 || stopped())
        return s;
    // Not cleared between commands: a short reply keeps the earlier bytes, as the link does.
    uint8_t recordBytes[kMsrRecordSize] = {};
    for (int32_t i = 0; i < count; ++i) {
        const int percent = static_cast<int>(int64_t(i) * 100 / count);
        if (percent != lastPercent)
            post(static_cast<uintptr_t>(percent));
        lastPercent = percent;
        s = DeviceCommand(CMD_READ_RECORD, nullptr, 0, recordBytes, kMsrRecordSize);
        if (s != 0 || stopped())
            return s;
        results.push_back(toMsrResult(decodeMsrRecord(recordBytes)));
    }
    Completed.store(true);
    return 0;
}
