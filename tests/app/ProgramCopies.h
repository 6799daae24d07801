#pragma once
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

// The real program, started as separate processes, each from its own folder. A copy that
// starts normally creates the projects folder beside itself at once; a refused copy shows its
// message and touches nothing.
namespace test {

class Copies {
public:
    Copies() { m_env.insert("ZOR_RUNTIME_DIR", m_dir.path() + "/runtime"); }
    ~Copies() {
        for (auto& p : m_processes) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    QString folder(const QString& name) const { return m_dir.path() + "/" + name; }

    QProcess& start(const QString& name) {
        QDir().mkpath(folder(name));
        QDir().mkpath(m_dir.path() + "/runtime");
        const QString exe = folder(name) + "/zor";
        QFile::copy(QStringLiteral(ZOR_EXECUTABLE), exe);
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = m_env;
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(exe, {});
        EXPECT_TRUE(p->waitForStarted(5000));
        m_processes.push_back(std::move(p));
        return *m_processes.back();
    }

    // Waits up to `ms` for the copy in `name` to have started normally.
    bool startedNormally(const QString& name, int ms = 10000) const {
        for (int waited = 0; waited < ms; waited += 50) {
            if (QDir(folder(name) + "/projects").exists())
                return true;
            QThread::msleep(50);
        }
        return false;
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

} // namespace test
