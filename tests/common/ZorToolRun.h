#pragma once
// zor-tool as a script sees it: started as a real process, its exit status and both outputs.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

// LC_ALL=C pins the regional settings of the texts it prints.
inline ToolRun runZorTool(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("ZOR_BIN_DIR") + QStringLiteral("/zor-tool"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
