#pragma once
#include "UsbBackend.h"

#include <memory>

namespace device {

// The real USB access layer: libusb hotplug on an event thread of its own, bulk transfers as
// asynchronous libusb transfers so that cancelTransfers() can abort one from another thread.
// Statuses are 0x40000000 | -libusb_error (see UsbBackend.h); a cancelled transfer gives
// kStatusInterrupted (0x4000000A), a transfer on a handle that is gone kStatusNoDevice.
// A device that matches but cannot be opened (no access rights) is still offered to attach;
// every transfer on it then fails with the open's status (0x40000003 for missing rights).
std::unique_ptr<UsbBackend> createLibusbBackend();

} // namespace device
