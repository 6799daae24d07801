#pragma once
#include <QString>

// The single-instance guard: a named auto-reset event, initially signalled, shared by the copies
// of the program of one user. The first copy consumes the signal; nothing sets it again, so
// while any process holds the event every new copy is refused. When the last holder has gone
// the event is gone too, and the next copy is the first again.
//
// Built on kernel-released file locks in the user's runtime folder, so a crashed holder
// releases its hold. ZOR_RUNTIME_DIR overrides the folder.
namespace platform {

class InstanceGuard {
public:
    enum class Result { FirstCopy, AlreadyRunning };

    InstanceGuard() = default;
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // Opens (or creates) the event and takes the signal if it is there. Any failure reads as
    // AlreadyRunning; errorString() then says why. Either way the handle is held until release().
    Result acquire(const QString& name = QStringLiteral("ZOR_CHECK_EVENT"));
    // Closes the handle.
    void release();

    QString errorString() const { return m_error; }

    // The folder that holds the lock files; empty (with errorString set) when none is usable.
    static QString runtimeFolder(QString* error = nullptr);

private:
    int m_holdersFd = -1;
    QString m_error;
};

} // namespace platform
