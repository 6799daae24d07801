#pragma once
#include <string>
#include <vector>

#include <sys/types.h>

// A child process with pipes on its stdin and stdout, for tests that need real processes.
class ProbeProcess {
public:
    explicit ProbeProcess(const std::vector<std::string>& argv);
    ~ProbeProcess();
    ProbeProcess(const ProbeProcess&) = delete;
    ProbeProcess& operator=(const ProbeProcess&) = delete;

    // One line of output without its line feed; empty after timeoutMs or at end of output.
    std::string readLine(int timeoutMs = 10000);
    // Sends a line on stdin and waits for the exit; returns the exit status (-1 if killed).
    int finish();
    // SIGKILL and reap.
    void kill();

private:
    int wait();

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
};
