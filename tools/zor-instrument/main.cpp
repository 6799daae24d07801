// zor-instrument SCENARIO -- COMMAND [ARG...]
// Runs COMMAND with the scenario's instrument emulated as a USB device at the kernel
// interface; exits with COMMAND's status.
#include "ScenarioResponder.h"
#include "UsbEmulator.h"

#include "device/Scenario.h"
#include "platform/Error.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitScenario = 65;
constexpr int kExitCannotRun = 127;

int usage() {
    std::fprintf(stderr, "usage: zor-instrument SCENARIO -- COMMAND [ARG...]\n"
                         "Runs COMMAND with the instrument of SCENARIO (a JSON scenario file)\n"
                         "plugged in as an emulated USB device.\n");
    return kExitUsage;
}

// The child inherits the preload and UMOCKDEV_DIR, and so finds the emulated device.
int runChild(char** argv) {
    pid_t pid = 0;
    if (int rc = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ); rc != 0) {
        std::fprintf(stderr, "zor-instrument: cannot run %s: %s\n", argv[0], std::strerror(rc));
        return kExitCannotRun;
    }
    // Ctrl+C reaches the child through the terminal; we stay to clean up after it.
    std::signal(SIGINT, SIG_IGN);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, ""); // scenario paths may hold Cyrillic names
    if (argc < 4 || std::strcmp(argv[2], "--") != 0)
        return usage();
    // We raise the unplug uevents: umockdev's sender finds the device only under its preload.
    zorinstrument::ensureUmockdevPreload(argv);
    device::Scenario scenario;
    try {
        scenario = device::loadScenarioFile(QString::fromLocal8Bit(argv[1]));
    } catch (const zor::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitScenario;
    }
    try {
        zorinstrument::UsbEmulator emulator;
        auto instrument = std::make_shared<device::SimulatedInstrument>(scenario);
        if (scenario.attached)
            emulator.plug(2, std::make_shared<zorinstrument::ScenarioResponder>(instrument));
        return runChild(argv + 3);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zor-instrument: %s\n", e.what());
        return kExitCannotRun;
    }
}
