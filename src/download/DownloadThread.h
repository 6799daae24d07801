#pragma once
#include "device/USB.h"
#include "store/MsrResult.h"

#include <QEvent>
#include <QThread>
#include <atomic>

class QObject;

// The message number the read-from-device command gives the worker (WM_USER).
constexpr uint32_t kWmUser = 1024;
// wParam of the worker's last message, posted once on every path.
constexpr uintptr_t kDownloadFinished = 200;

// The worker's posted message: NotifyMessage with wParam (0..99 progress, 200 finished).
class DownloadNotifyEvent : public QEvent {
public:
    static QEvent::Type eventType(); // one registered type for every notify message
    explicit DownloadNotifyEvent(uintptr_t wParam, uint32_t message = kWmUser)
        : QEvent(eventType()), m_message(message), m_wParam(wParam) {}
    uint32_t message() const { return m_message; }
    uintptr_t wParam() const { return m_wParam; }

private:
    uint32_t m_message;
    uintptr_t m_wParam;
};

// Runs the driver's read-out (device/Protocol.h) on a thread of its own, filling Results and
// posting progress and a final message to NotifyWindow. Status and Completed are valid once
// the thread has ended (they are atomic so that a creator giving up waiting may still read
// them).
class TDownloadThread : public QThread {
public:
    TDownloadThread();           // not running until Start
    ~TDownloadThread() override; // waits for the thread to end

    // Set by the creator before Start.
    QObject* NotifyWindow = nullptr;
    uint32_t NotifyMessage = kWmUser;
    TArrayOfMsrResult* Results = nullptr;
    device::UsbLink* Link = nullptr; // null: the program's link

    // Written by the worker at its end.
    std::atomic<device::Status> Status{0};
    std::atomic<bool> Completed{false};

    void Start();
    // The worker sees the request after its current command returns successfully.
    void Stop();

protected:
    void run() override;
    void Execute();

private:
    void readOut(TArrayOfMsrResult& results); // stores Status and Completed
    void post(uintptr_t wParam);

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_ended{false}; // set as the thread's last act
};
