// The USB tests talk to devices emulated by umockdev inside this very process, which works
// only with umockdev's preload library in place: re-run ourselves under it when it is not.
#include "UsbEmulator.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    zorinstrument::ensureUmockdevPreload(argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
