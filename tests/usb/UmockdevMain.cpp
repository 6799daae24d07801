// The USB tests talk to devices emulated by umockdev inside this very process, which works
// only with umockdev's preload library in place: re-run ourselves under it when it is not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kPreload = "libumockdev-preload.so.0";

void ensurePreload(char** argv) {
    const char* current = std::getenv("LD_PRELOAD");
    if (current && std::strstr(current, kPreload))
        return;
    std::string preload = kPreload;
    if (current && *current)
        preload += std::string(" ") + current;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("re-running under the umockdev preload");
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    ensurePreload(argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
