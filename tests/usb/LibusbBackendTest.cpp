// The libusb backend against instruments emulated at the usbfs interface.
#include "TestInstrument.h"

#include "device/LibusbBackend.h"
#include "device/Protocol.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <future>
#include <mutex>

using namespace std::chrono_literals;
using zorinstrument::DeviceIdentity;
using zorinstrument::FrameAnswer;

namespace {

// Records the backend's attach/detach calls; accepts one device at a time, as the unit does.
struct Events {
    std::mutex mutex;
    std::vector<device::DeviceHandle> attached;
    std::vector<device::DeviceHandle> detached;
    device::DeviceHandle held = nullptr;

    device::EventTable table() {
        device::EventTable t;
        t.attach = [this](device::DeviceHandle d) {
            std::lock_guard lock(mutex);
            attached.push_back(d);
            if (held)
                return false;
            held = d;
            return true;
        };
        t.detach = [this](device::DeviceHandle d) {
            std::lock_guard lock(mutex);
            detached.push_back(d);
            if (held == d)
                held = nullptr;
        };
        return t;
    }
    device::DeviceHandle current() {
        std::lock_guard lock(mutex);
        return held;
    }
    size_t detachCount() {
        std::lock_guard lock(mutex);
        return detached.size();
    }
};

class LibusbBackendTest : public ::testing::Test {
protected:
    void open() { ASSERT_EQ(backend->open(device::MatchTable{}, events.table()), 0u); }
    // umockdev serves one testbed per process at a time: cases that need a fresh bus take
    // down the previous one first.
    void freshBus() {
        backend.reset();
        emulator.reset();
        emulator = std::make_unique<zorinstrument::UsbEmulator>();
        backend = device::createLibusbBackend();
        events.attached.clear();
        events.detached.clear();
        events.held = nullptr;
    }

    device::Status write(const std::vector<uint8_t>& frame, uint32_t timeoutMs = 1000) {
        std::vector<uint8_t> bytes = frame;
        uint32_t moved = 0;
        return backend->transferBulk(events.current(), 0x02, false, bytes.data(),
                                     uint32_t(bytes.size()), &moved, timeoutMs);
    }
    device::Status read(std::vector<uint8_t>& into, uint32_t& moved, uint32_t timeoutMs = 1000) {
        return backend->transferBulk(events.current(), 0x81, true, into.data(),
                                     uint32_t(into.size()), &moved, timeoutMs);
    }

    std::unique_ptr<zorinstrument::UsbEmulator> emulator =
        std::make_unique<zorinstrument::UsbEmulator>();
    Events events;
    std::unique_ptr<device::UsbBackend> backend = device::createLibusbBackend();
};

TEST_F(LibusbBackendTest, MatchesTheInstrumentByIdsAndVendorClass) {
    struct Case {
        const char* what;
        DeviceIdentity identity;
        bool attached;
    };
    DeviceIdentity deviceClassOnly;
    deviceClassOnly.interfaceClass = 0x08; // the interface says mass storage
    DeviceIdentity interfaceClassOnly;
    interfaceClassOnly.deviceClass = 0x00; // class defined by the interface
    interfaceClassOnly.deviceSubClass = 0x00;
    DeviceIdentity neither = interfaceClassOnly;
    neither.interfaceClass = 0x08;
    DeviceIdentity otherProduct;
    otherProduct.productId = 0x0031;
    DeviceIdentity otherVendor;
    otherVendor.vendorId = 0x03EC;
    const Case cases[] = {
        {"vendor class on the device", deviceClassOnly, true},
        {"vendor class on interface 0", interfaceClassOnly, true},
        {"no vendor class anywhere", neither, false},
        {"another product", otherProduct, false},
        {"another vendor", otherVendor, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshBus();
        emulator->plug(2, std::make_shared<TestInstrument>(), c.identity);
        open();
        // A device present at open is reported before open returns.
        EXPECT_EQ(events.current() != nullptr, c.attached);
    }
}

TEST_F(LibusbBackendTest, ReportsLeaveAndComeBackOfTheHeldDevice) {
    emulator->plug(2, std::make_shared<TestInstrument>());
    open();
    device::DeviceHandle first = events.current();
    ASSERT_NE(first, nullptr);

    emulator->unplug(2);
    ASSERT_TRUE(eventually([&] { return events.detachCount() == 1; }));
    EXPECT_EQ(events.detached[0], first);
    EXPECT_EQ(events.current(), nullptr);
    // The stale handle must fail cleanly, not reach a freed device.
    uint8_t frame[4] = {1, 0, 0, 0};
    uint32_t moved = 7;
    EXPECT_EQ(backend->transferBulk(first, 0x02, false, frame, 4, &moved, 500),
              device::kStatusNoDevice);
    EXPECT_EQ(moved, 0u);

    emulator->replug(2);
    ASSERT_TRUE(eventually([&] { return events.current() != nullptr; }));
    EXPECT_NE(events.current(), first); // a new handle, never a recycled one
    EXPECT_EQ(write({1, 0, 0, 0}), 0u);
}

TEST_F(LibusbBackendTest, RefusedSecondDeviceIsClosedAndTheFirstStaysInUse) {
    auto first = std::make_shared<TestInstrument>();
    auto second = std::make_shared<TestInstrument>();
    emulator->plug(2, first);
    open();
    ASSERT_NE(events.current(), nullptr);
    emulator->plug(3, second);
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(events.mutex);
        return events.attached.size() == 2;
    }));

    EXPECT_EQ(write({6, 0, 0, 0}), 0u);
    EXPECT_EQ(first->frames().size(), 1u);
    EXPECT_TRUE(second->frames().empty());
    // The refused device leaving is not the held one's detach.
    emulator->unplug(3);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(events.detachCount(), 0u);
    EXPECT_NE(events.current(), nullptr);
}

TEST_F(LibusbBackendTest, MovesFramesOutAndRepliesIn) {
    auto instrument = std::make_shared<TestInstrument>();
    emulator->plug(2, instrument);
    open();

    std::vector<uint8_t> frame(64);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i * 3 + 1);
    ASSERT_EQ(write(frame), 0u);
    std::vector<uint8_t> reply(64, 0xEE);
    uint32_t moved = 0;
    ASSERT_EQ(read(reply, moved), 0u);
    EXPECT_EQ(moved, 64u);
    EXPECT_EQ(reply, std::vector<uint8_t>(frame.rbegin(), frame.rend()));
    ASSERT_EQ(instrument->frames().size(), 1u);
    EXPECT_EQ(instrument->frames()[0], frame);

    // A reply shorter than the read succeeds and leaves the rest of the buffer alone.
    ASSERT_EQ(write({1, 2, 3, 4}), 0u);
    std::vector<uint8_t> big(1024, 0xEE);
    ASSERT_EQ(read(big, moved), 0u);
    EXPECT_EQ(moved, 4u);
    EXPECT_EQ(std::vector<uint8_t>(big.begin(), big.begin() + 4),
              (std::vector<uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(big[4], 0xEE);
    EXPECT_EQ(big[1023], 0xEE);
}

TEST_F(LibusbBackendTest, TransferFailuresBecomeTheirStatuses) {
    struct Case {
        const char* what;
        FrameAnswer::Out out;
        int err;
        device::Status status;
    };
    const Case cases[] = {
        {"protocol error", FrameAnswer::Out::Fail, EPROTO, device::kStatusIo},
        {"stalled pipe", FrameAnswer::Out::Fail, EPIPE, device::usbStatus(-9)},
        {"device gone under the transfer", FrameAnswer::Out::Fail, ENODEV, device::kStatusNoDevice},
        {"no answer in time", FrameAnswer::Out::Hang, 0, device::kStatusTimeout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshBus();
        emulator->plug(2, std::make_shared<TestInstrument>([&](const std::vector<uint8_t>&) {
                           FrameAnswer a;
                           a.out = c.out;
                           a.failErrno = c.err;
                           return a;
                       }));
        open();
        EXPECT_EQ(write({1, 0, 0, 0}, 300), c.status);
    }
    freshBus();

    // No device at all, and a read the instrument never answers.
    emulator->plug(2, std::make_shared<TestInstrument>([](const std::vector<uint8_t>&) {
                       return FrameAnswer{}; // accepted, nothing to reply
                   }));
    open();
    uint8_t byte = 0;
    uint32_t moved = 0;
    EXPECT_EQ(backend->transferBulk(nullptr, 0x02, false, &byte, 1, &moved, 300),
              device::kStatusNoDevice);
    ASSERT_EQ(write({1, 0, 0, 0}), 0u);
    std::vector<uint8_t> reply(20);
    EXPECT_EQ(read(reply, moved, 300), device::kStatusTimeout);
}

TEST_F(LibusbBackendTest, CancelEndsAPendingReadAtOnceAndTheDeviceStaysUsable) {
    emulator->plug(2, std::make_shared<TestInstrument>([](const std::vector<uint8_t>& f) {
                       FrameAnswer a;
                       a.reply = f;
                       a.delay = f[0] == 1 ? 60s : 0s; // frame 1 is answered far beyond any wait
                       return a;
                   }));
    open();
    ASSERT_EQ(write({1, 0, 0, 0}), 0u);
    auto pending = std::async(std::launch::async, [&] {
        std::vector<uint8_t> reply(20);
        uint32_t moved = 0;
        return read(reply, moved, 30000);
    });
    // Whenever the cancel lands, before or during the read, the read must end; keep asking.
    while (pending.wait_for(20ms) != std::future_status::ready)
        backend->cancelTransfers();
    // A timeout here would mean the cancel never reached the transfer.
    EXPECT_EQ(pending.get(), device::kStatusInterrupted);

    // The next command gets its own reply, not the one given up on.
    EXPECT_EQ(write({2, 0, 0, 0}), 0u);
    std::vector<uint8_t> reply(4);
    uint32_t moved = 0;
    EXPECT_EQ(read(reply, moved), 0u);
    EXPECT_EQ(reply, (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST_F(LibusbBackendTest, UnplugOrCloseDuringAReadFailsItAsNoDevice) {
    for (bool byClose : {false, true}) {
        SCOPED_TRACE(byClose ? "close" : "unplug");
        freshBus();
        emulator->plug(2, std::make_shared<TestInstrument>([](const std::vector<uint8_t>& f) {
                           FrameAnswer a;
                           a.reply = f;
                           a.delay = 60s;
                           return a;
                       }));
        open();
        device::UsbBackend* usb = backend.get();
        device::DeviceHandle handle = events.current();
        uint8_t frame[4] = {4, 0, 0, 0};
        uint32_t moved = 0;
        ASSERT_EQ(usb->transferBulk(handle, 0x02, false, frame, 4, &moved, 1000), 0u);
        std::atomic<bool> started{false};
        auto pending = std::async(std::launch::async, [&] {
            uint8_t reply[36];
            uint32_t got = 0;
            started = true;
            return usb->transferBulk(handle, 0x81, true, reply, 36, &got, 30000);
        });
        ASSERT_TRUE(eventually([&] { return started.load(); }));
        std::this_thread::sleep_for(100ms); // let the read reach the device
        if (byClose)
            usb->close();
        else
            emulator->unplug(2);
        EXPECT_EQ(pending.get(), device::kStatusNoDevice);
    }
}

} // namespace
