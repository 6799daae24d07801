#pragma once
#include "UsbBackend.h"

#include <QLoggingCategory>
#include <atomic>
#include <memory>
#include <mutex>

// "zor.usb": every command (code, bytes out, reply asked and got, status, time), attach,
// detach, open and close. Off unless QT_LOGGING_RULES turns zor.usb.debug on.
Q_DECLARE_LOGGING_CATEGORY(lcUsb)

namespace device {

constexpr uint32_t kTransferTimeoutMs = 2000;
constexpr uint32_t kMaxPayload = 60;
constexpr uint32_t kReplyPauseUs = 1000; // between a command and the read of its reply

// One link with the instrument: a USB backend, the device handle that the backend's attach
// and detach keep, and one command frame out with at most one reply in per call. Command
// frame: 4-byte little-endian code, then at most 60 payload bytes.
//
// Opened and closed on one thread; connected(), command() and cancelTransfers() may be called
// from any thread, also while the link is being closed (the command then fails).
class UsbLink {
public:
    UsbLink() = default;
    ~UsbLink();
    UsbLink(const UsbLink&) = delete;
    UsbLink& operator=(const UsbLink&) = delete;

    // Opens the link over `backend`: 0, or the failing status (STATUS_DRIVER_NAME_FAILED when
    // there is no backend), the link then being closed. An open link is closed first.
    Status open(std::unique_ptr<UsbBackend> backend);
    // Closes the link; safe when nothing is open. The held device is forgotten with the backend.
    void close();
    // True while an instrument is held.
    bool connected() const;
    // Writes the frame on kPipeOut and, when replyLen > 0, pauses 1 ms and reads replyLen bytes
    // from kPipeIn into reply; 2000 ms timeout each. Byte counts are not checked: a short reply
    // succeeds and leaves the rest of the buffer as it was. kStatusNoDevice when closed.
    Status command(uint32_t code, const void* data, uint32_t dataLen, void* reply,
                   uint32_t replyLen);
    // Aborts the transfer in flight (from another thread); that command then fails.
    void cancelTransfers();

private:
    // The backend's callbacks. Attach refuses a second device while one is held; detach
    // forgets the held one, whichever device the backend names.
    bool DeviceAttach(DeviceHandle device);
    void DeviceDetach(DeviceHandle device);
    std::shared_ptr<UsbBackend> backend() const;

    mutable std::mutex m_mutex; // guards m_backend
    // Null while closed. Commands in flight hold a share, so closing never frees it under one.
    std::shared_ptr<UsbBackend> m_backend;
    std::atomic<DeviceHandle> m_device{nullptr}; // written by the backend's event thread
};

// The program's link, the one OpenUSB ... CancelDeviceTransfers act on.
UsbLink& programLink();

// Sleeps at least `us` microseconds with the precise monotonic clock (the 1 ms pause).
void preciseSleepMicroseconds(uint32_t us);

} // namespace device

// The program's entry points to the instrument, over programLink(): opened once for the life
// of the main window, asked by the read-from-device command, used by the download worker and
// the screen capture.
device::Status OpenUSB(); // over the libusb backend
void CloseUSB();
bool DeviceConnected();
device::Status DeviceCommand(uint32_t Code, const void* Data, uint32_t DataLen, void* Reply,
                             uint32_t ReplyLen);
void CancelDeviceTransfers();
