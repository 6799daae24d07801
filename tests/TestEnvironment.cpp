// Linked into every test program: windows draw offscreen and tests find the built tools, also
// when a test program is started by hand rather than through ctest.
#include <cstdlib>

namespace {
const bool g_environment = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("ZOR_BIN_DIR", ZOR_BUILD_BIN_DIR, 0);
    return true;
}();
} // namespace
