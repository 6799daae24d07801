#include "InstanceGuard.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kMutexAttempts = 2000; // 1 ms apart: a decision takes microseconds

QString systemError(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

// A folder only this user can write to; a symlink or someone else's folder is refused.
bool isPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 && ::access(path.constData(), W_OK | X_OK) == 0;
}

int openLockFile(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                  0600);
}

// Serialises the decision between copies starting at the same moment.
class DecisionLock {
public:
    explicit DecisionLock(const QString& path) : m_fd(openLockFile(path)) {
        for (int i = 0; m_fd >= 0 && i < kMutexAttempts; ++i) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_locked = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~DecisionLock() {
        if (m_fd >= 0)
            ::close(m_fd); // also drops the lock
    }
    DecisionLock(const DecisionLock&) = delete;
    DecisionLock& operator=(const DecisionLock&) = delete;
    bool locked() const { return m_locked; }

private:
    int m_fd;
    bool m_locked = false;
};

QString lockBaseName(const QString& name) {
    QString base = name;
    base.replace(QLatin1Char('/'), QLatin1Char('_'));
    return base;
}

} // namespace

QString InstanceGuard::runtimeFolder(QString* error) {
    const QByteArray override = qgetenv("ZOR_RUNTIME_DIR");
    if (!override.isEmpty())
        return QFile::decodeName(override);
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (xdg.startsWith('/') && isPrivateFolder(xdg))
        return QFile::decodeName(xdg);
    const QByteArray tmp = "/tmp/zor-" + QByteArray::number(::geteuid());
    if (::mkdir(tmp.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = systemError(QFile::decodeName(tmp));
        return QString();
    }
    if (!isPrivateFolder(tmp)) {
        if (error)
            *error = QFile::decodeName(tmp) + QStringLiteral(": not a private folder of this user");
        return QString();
    }
    return QFile::decodeName(tmp);
}

InstanceGuard::~InstanceGuard() {
    release();
}

void InstanceGuard::release() {
    if (m_holdersFd >= 0)
        ::close(m_holdersFd);
    m_holdersFd = -1;
}

InstanceGuard::Result InstanceGuard::acquire(const QString& name) {
    release();
    m_error.clear();
    const QString folder = runtimeFolder(&m_error);
    if (folder.isEmpty())
        return Result::AlreadyRunning;
    const QString base = folder + QLatin1Char('/') + lockBaseName(name);

    const DecisionLock decision(base + QStringLiteral(".lock"));
    if (!decision.locked()) {
        m_error = systemError(base + QStringLiteral(".lock"));
        return Result::AlreadyRunning;
    }
    m_holdersFd = openLockFile(base + QStringLiteral(".holders"));
    if (m_holdersFd < 0) {
        m_error = systemError(base + QStringLiteral(".holders"));
        return Result::AlreadyRunning;
    }
    // Every holder keeps a shared lock. No holder at all means the event is new and signalled.
    const bool first = ::flock(m_holdersFd, LOCK_EX | LOCK_NB) == 0;
    if (::flock(m_holdersFd, LOCK_SH | LOCK_NB) != 0 && first) {
        m_error = systemError(base + QStringLiteral(".holders"));
        return Result::AlreadyRunning;
    }
    return first ? Result::FirstCopy : Result::AlreadyRunning;
}

} // namespace platform
