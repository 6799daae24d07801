#pragma once
// zor-tool (or another program of the build) as a script sees it: started as a real process,
// its exit status and both outputs.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

struct ToolRun {
    int exitCode = -1; // -1 also when it crashed or did not end within a minute
    QString out, err;
};

// Runs ZOR_BIN_DIR/program in `env`; one that has not ended within a minute is killed.
inline ToolRun runBuiltProgram(const QString& program, const QStringList& args,
                               const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("ZOR_BIN_DIR") + QLatin1Char('/') + program, args);
    const bool ended = p.waitForFinished(60000);
    EXPECT_TRUE(ended) << program.toStdString() << " did not end";
    if (!ended) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// LC_ALL=C pins the regional settings of the texts it prints.
inline ToolRun runZorTool(const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return runBuiltProgram(QStringLiteral("zor-tool"), args, env);
}
