#include "USB.h"

#include "LibusbBackend.h"
#include "Protocol.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

Q_LOGGING_CATEGORY(lcUsb, "zor.usb", QtWarningMsg)

namespace device {

namespace {
QString handleText(DeviceHandle device) {
    return QStringLiteral("0x%1").arg(reinterpret_cast<quintptr>(device), 0, 16);
}
} // namespace

UsbLink::~UsbLink() {
    close();
}

std::shared_ptr<UsbBackend> UsbLink::backend() const {
    std::lock_guard lock(m_mutex);
    return m_backend;
}

Status UsbLink::open(std::unique_ptr<UsbBackend> backend) {
    close();
    if (!backend) {
        qCDebug(lcUsb) << "open: no USB layer";
        return STATUS_DRIVER_NAME_FAILED;
    }
    std::shared_ptr<UsbBackend> opened = std::move(backend);
    {
        std::lock_guard lock(m_mutex);
        m_backend = opened;
    }
    EventTable events;
    events.attach = [this](DeviceHandle d) { return DeviceAttach(d); };
    events.detach = [this](DeviceHandle d) { DeviceDetach(d); };
    const Status status = opened->open(MatchTable{}, events);
    qCDebug(lcUsb).noquote() << "open: status" << statusText(status);
    if (status != 0)
        close();
    return status;
}

void UsbLink::close() {
    std::shared_ptr<UsbBackend> closing;
    {
        std::lock_guard lock(m_mutex);
        closing.swap(m_backend);
    }
    if (!closing)
        return;
    // Commands still in flight fail from here on; the last of them frees the backend.
    closing->close();
    // The backend's handles died with it; holding one would let a later command use it.
    m_device.store(nullptr);
    qCDebug(lcUsb) << "closed";
}

bool UsbLink::connected() const {
    return m_device.load() != nullptr;
}

Status UsbLink::command(uint32_t code, const void* data, uint32_t dataLen, void* reply,
                        uint32_t replyLen) {
    const std::shared_ptr<UsbBackend> usb = backend();
    if (!usb)
        return kStatusNoDevice;
    const bool logging = lcUsb().isDebugEnabled();
    QElapsedTimer timer;
    if (logging)
        timer.start();

    uint8_t frame[4 + kMaxPayload];
    for (int i = 0; i < 4; ++i)
        frame[i] = static_cast<uint8_t>(code >> (8 * i));
    uint32_t n = 0;
    if (data && dataLen > 0) {
        n = std::min(dataLen, kMaxPayload);
        std::memcpy(frame + 4, data, n);
    }
    uint32_t moved = 0;
    Status status = usb->transferBulk(m_device.load(), kPipeOut, false, frame, 4 + n, &moved,
                                      kTransferTimeoutMs);
    uint32_t got = 0;
    if (status == 0 && replyLen > 0) {
        preciseSleepMicroseconds(kReplyPauseUs);
        status = usb->transferBulk(m_device.load(), kPipeIn, true, static_cast<uint8_t*>(reply),
                                   replyLen, &got, kTransferTimeoutMs);
    }
    if (logging)
        qCDebug(lcUsb).noquote().nospace()
            << "command " << code << ": " << 4 + n << " bytes out, reply " << got << " of "
            << replyLen << " bytes, status " << statusText(status) << ", "
            << QString::number(timer.nsecsElapsed() / 1e6, 'f', 3) << " ms";
    return status;
}

void UsbLink::cancelTransfers() {
    if (const std::shared_ptr<UsbBackend> usb = backend()) {
        qCDebug(lcUsb) << "cancel the transfer in flight";
        usb->cancelTransfers();
    }
}

bool UsbLink::DeviceAttach(DeviceHandle device) {
    DeviceHandle expected = nullptr;
    // Only a free slot takes the device: the held instrument stays in use.
    const bool taken = m_device.compare_exchange_strong(expected, device);
    qCDebug(lcUsb).noquote() << (taken ? "attach: instrument" : "attach: refused, one is held:")
                             << handleText(device);
    return taken;
}

void UsbLink::DeviceDetach(DeviceHandle device) {
    m_device.store(nullptr);
    qCDebug(lcUsb).noquote() << "detach:" << handleText(device);
}

UsbLink& programLink() {
    // The category is made first so that it outlives the link, which logs when closed at exit.
    (void)lcUsb();
    static UsbLink link;
    return link;
}

void preciseSleepMicroseconds(uint32_t us) {
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_nsec += static_cast<long>(us % 1000000) * 1000;
    deadline.tv_sec += us / 1000000 + deadline.tv_nsec / 1000000000;
    deadline.tv_nsec %= 1000000000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

} // namespace device

device::Status OpenUSB() {
    return device::programLink().open(device::createLibusbBackend());
}

void CloseUSB() {
    device::programLink().close();
}

bool DeviceConnected() {
    return device::programLink().connected();
}

device::Status DeviceCommand(uint32_t Code, const void* Data, uint32_t DataLen, void* Reply,
                             uint32_t ReplyLen) {
    return device::programLink().command(Code, Data, DataLen, Reply, ReplyLen);
}

void CancelDeviceTransfers() {
    device::programLink().cancelTransfers();
}
