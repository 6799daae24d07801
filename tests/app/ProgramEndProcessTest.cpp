#include "ProgramCopies.h"

#include <csignal>

using test::Copies;

namespace {

// Whether the database engine has been loaded into the process, i.e. a project was opened.
bool engineLoaded(qint64 pid, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 50) {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
        if (maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libEngine"))
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

// Once a project is open the database engine handles SIGTERM itself; the program must still end
// on it, as a killed process does: at once, writing nothing.
TEST(ProgramEnd, AStopSignalEndsTheProgramAlsoWithAProjectOpen) {
    Copies copies;
    const QString project = copies.folder("data") + "/p.fdb";
    QDir().mkpath(copies.folder("data"));
    ASSERT_EQ(QProcess::execute(QStringLiteral(ZOR_TOOL), {"create", project}), 0);
    QDir().mkpath(copies.folder("main"));
    const QByteArray settings = "[General]\r\nLastProject=" + project.toUtf8() + "\r\n";
    {
        QFile ini(copies.folder("main") + "/zor.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(settings);
    }

    QProcess& zor = copies.start("main");
    ASSERT_TRUE(engineLoaded(zor.processId()));
    ::kill(static_cast<pid_t>(zor.processId()), SIGTERM);
    EXPECT_TRUE(zor.waitForFinished(5000)) << "the program kept running after SIGTERM";

    QFile ini(copies.folder("main") + "/zor.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), settings);
}
