#include "ProbeProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ProbeProcess::ProbeProcess(const std::vector<std::string>& argv) {
    // A child that has already exited must not take the test down with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = ::posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    m_in = in[1];
    m_out = out[0];
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
}

ProbeProcess::~ProbeProcess() {
    if (m_pid > 0)
        kill();
    if (m_in >= 0)
        ::close(m_in);
    if (m_out >= 0)
        ::close(m_out);
}

std::string ProbeProcess::readLine(int timeoutMs) {
    for (;;) {
        const auto nl = m_buffer.find('\n');
        if (nl != std::string::npos) {
            std::string line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            return line;
        }
        pollfd p{m_out, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return {};
        char chunk[256];
        const ssize_t n = ::read(m_out, chunk, sizeof chunk);
        if (n <= 0)
            return {};
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

int ProbeProcess::finish() {
    if (m_in >= 0) {
        (void)!::write(m_in, "\n", 1);
        ::close(m_in);
        m_in = -1;
    }
    return wait();
}

void ProbeProcess::kill() {
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
    wait();
}

int ProbeProcess::wait() {
    if (m_pid <= 0)
        return -1;
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
