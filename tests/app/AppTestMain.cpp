#include "app/ZorApplication.h"

#include <gtest/gtest.h>

// The tests run inside the program's own application object, so errors escaping an event
// handler meet the general error handler as they do in the program.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app::ZorApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
