#include "EmulatedDevice.h"

#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
// linux/ioctl.h must come first: usbdevice_fs.h uses its macros without including it.
#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

namespace zorinstrument {

namespace {

usbdevfs_urb* urbOf(UMockdevIoctlData* data) {
    return reinterpret_cast<usbdevfs_urb*>(data->data);
}

void complete(UMockdevIoctlClient* client, long result, int err) {
    umockdev_ioctl_client_complete(client, result, err);
}

} // namespace

EmulatedDevice::EmulatedDevice(std::shared_ptr<FrameResponder> responder,
                               std::function<void()> unplugHook)
    : m_responder(std::move(responder)), m_unplugHook(std::move(unplugHook)),
      m_handler(umockdev_ioctl_base_new()) {
    g_signal_connect(m_handler, "handle-ioctl", G_CALLBACK(&EmulatedDevice::onIoctl), this);
}

EmulatedDevice::~EmulatedDevice() {
    setUnplugged(false);
    g_object_unref(m_handler);
}

// Unplugged, the transfers in flight are handed back failed as the host reaps them; plugged
// in again, the device starts afresh.
void EmulatedDevice::setUnplugged(bool unplugged) {
    std::lock_guard lock(m_mutex);
    m_unplugged = unplugged;
    if (unplugged)
        return;
    for (auto* list : {&m_flying, &m_discarded}) {
        for (Urb& urb : *list)
            g_object_unref(urb.data);
        list->clear();
    }
    m_replies.clear();
}

int EmulatedDevice::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    return static_cast<EmulatedDevice*>(self)->handle(client) ? TRUE : FALSE;
}

bool EmulatedDevice::handle(UMockdevIoctlClient* client) {
    switch (umockdev_ioctl_client_get_request(client)) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* caps =
            umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, 4, nullptr);
        uint32_t value = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                         USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
        std::memcpy(caps->data, &value, sizeof value);
        complete(client, 0, 0);
        g_object_unref(caps);
        return true;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESET:
    case USBDEVFS_RESETEP: {
        std::lock_guard lock(m_mutex);
        complete(client, m_unplugged ? -1 : 0, m_unplugged ? ENODEV : 0);
        return true;
    }
    case USBDEVFS_SUBMITURB:
        submit(client);
        return true;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        reap(client);
        return true;
    case USBDEVFS_DISCARDURB:
        discard(client);
        return true;
    default:
        return false;
    }
}

void EmulatedDevice::submit(UMockdevIoctlClient* client) {
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                          sizeof(usbdevfs_urb), nullptr);
    usbdevfs_urb* urb = urbOf(data);
    // Brings the transfer buffer over; urb->buffer now points to our local copy.
    if (UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
            data, offsetof(usbdevfs_urb, buffer), urb->buffer_length, nullptr))
        g_object_unref(buffer);
    Urb entry{data, (urb->endpoint & 0x80) != 0};
    bool unplug = false;
    if (!entry.in) {
        const auto* bytes = static_cast<const uint8_t*>(urb->buffer);
        std::vector<uint8_t> frame(bytes, bytes + std::max(urb->buffer_length, 0));
        acceptOut(entry, frame, unplug);
    }
    std::lock_guard lock(m_mutex);
    if (m_unplugged || unplug) {
        g_object_unref(data);
        complete(client, -1, ENODEV);
        return;
    }
    m_flying.push_back(entry);
    complete(client, 0, 0);
}

// Runs the responder without the lock: its unplug hook raises a uevent that comes back here.
void EmulatedDevice::acceptOut(Urb& urb, const std::vector<uint8_t>& frame, bool& unplug) {
    {
        std::lock_guard lock(m_mutex);
        if (m_unplugged)
            return;
    }
    FrameAnswer answer = m_responder->onFrame(frame);
    if (answer.out == FrameAnswer::Out::Unplug) {
        unplug = true;
        m_unplugHook();
        return;
    }
    std::lock_guard lock(m_mutex);
    if (answer.out == FrameAnswer::Out::Done) {
        urb.done = true;
        urb.actual = static_cast<int>(frame.size());
    } else if (answer.out == FrameAnswer::Out::Fail) {
        urb.done = true;
        urb.status = -answer.failErrno;
    } // Hang: stays in flight until the host gives up and discards it
    // A new command ends the previous one: a reply the host gave up waiting for (timed out or
    // cancelled) must not answer this command in its place.
    m_replies.clear();
    if (answer.reply)
        m_replies.push_back({std::move(*answer.reply), Clock::now() + answer.delay});
}

void EmulatedDevice::reap(UMockdevIoctlClient* client) {
    std::lock_guard lock(m_mutex);
    if (!m_discarded.empty()) {
        Urb urb = m_discarded.front();
        m_discarded.pop_front();
        handBack(client, urb, -ENOENT);
    } else if (Urb* ready = nextReapable()) {
        Urb urb = *ready;
        std::erase_if(m_flying, [&](const Urb& u) { return u.data == urb.data; });
        if (urb.in)
            fillIn(urb);
        handBack(client, urb, urb.status);
    } else if (m_unplugged && !m_flying.empty()) {
        Urb urb = m_flying.front();
        m_flying.pop_front();
        handBack(client, urb, -ENODEV);
    } else {
        complete(client, -1, m_unplugged ? ENODEV : EAGAIN);
    }
}

EmulatedDevice::Urb* EmulatedDevice::nextReapable() {
    bool replyReady = !m_replies.empty() && m_replies.front().readyAt <= Clock::now();
    bool inSeen = false;
    for (Urb& urb : m_flying) {
        if (!urb.in && urb.done)
            return &urb;
        if (urb.in && !inSeen && replyReady)
            return &urb;
        inSeen = inSeen || urb.in;
    }
    return nullptr;
}

void EmulatedDevice::fillIn(Urb& urb) {
    Reply reply = std::move(m_replies.front());
    m_replies.pop_front();
    usbdevfs_urb* u = urbOf(urb.data);
    // A reply longer than the read is cut to it, as one packet would be.
    size_t n = std::min(reply.bytes.size(), static_cast<size_t>(std::max(u->buffer_length, 0)));
    if (n > 0)
        std::memcpy(u->buffer, reply.bytes.data(), n);
    urb.actual = static_cast<int>(n);
}

void EmulatedDevice::handBack(UMockdevIoctlClient* client, Urb urb, int status) {
    usbdevfs_urb* u = urbOf(urb.data);
    u->status = status;
    u->actual_length = status == 0 ? urb.actual : 0;
    UMockdevIoctlData* pointer = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client),
                                                             0, sizeof(void*), nullptr);
    umockdev_ioctl_data_set_ptr(pointer, 0, urb.data);
    complete(client, 0, 0);
    g_object_unref(pointer);
    g_object_unref(urb.data);
}

void EmulatedDevice::discard(UMockdevIoctlClient* client) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    unsigned long address = *reinterpret_cast<unsigned long*>(arg->data);
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_flying.begin(), m_flying.end(),
                           [&](const Urb& u) { return u.data->client_addr == address; });
    if (it == m_flying.end()) {
        complete(client, -1, EINVAL);
        return;
    }
    m_discarded.push_back(*it);
    m_flying.erase(it);
    complete(client, 0, 0);
}

} // namespace zorinstrument
