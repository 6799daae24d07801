#pragma once
#include "UsbEmulator.h"

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace zorinstrument {

// The usbfs side of one emulated instrument: answers the ioctls libusb issues on its device
// node (claim, submit, reap, discard) and passes OUT frames to the responder.
class EmulatedDevice {
public:
    using Clock = std::chrono::steady_clock;

    // unplugHook raises the "remove" uevent; it is called when a frame asks for an unplug.
    EmulatedDevice(std::shared_ptr<FrameResponder> responder, std::function<void()> unplugHook);
    ~EmulatedDevice();

    UMockdevIoctlBase* handler() const { return m_handler; }
    void setUnplugged(bool unplugged);

private:
    struct Urb {
        UMockdevIoctlData* data; // the submitted usbdevfs_urb, kept until reaped
        bool in;
        bool done = false; // OUT: completed with status
        int status = 0;
        int actual = 0;
    };
    struct Reply {
        std::vector<uint8_t> bytes;
        Clock::time_point readyAt;
    };

    static int onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    bool handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlClient* client);
    void reap(UMockdevIoctlClient* client);
    void discard(UMockdevIoctlClient* client);
    void acceptOut(Urb& urb, const std::vector<uint8_t>& frame, bool& unplug);
    Urb* nextReapable();
    void fillIn(Urb& urb);
    void handBack(UMockdevIoctlClient* client, Urb urb, int status);

    std::shared_ptr<FrameResponder> m_responder;
    std::function<void()> m_unplugHook;
    UMockdevIoctlBase* m_handler = nullptr;

    std::mutex m_mutex; // the handler runs on umockdev's thread, unplug on the caller's
    std::deque<Urb> m_flying;
    std::deque<Urb> m_discarded;
    std::deque<Reply> m_replies;
    bool m_unplugged = false;
};

} // namespace zorinstrument
