// zor-instrument running the unchanged zor-tool against an emulated USB instrument: the same
// scenario must give the same files and messages as zor-tool's in-process simulation.
#include "common/ZorToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

class ZorInstrumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        binDir = QString::fromLocal8Bit(qgetenv("ZOR_BIN_DIR"));
        for (const char* tool : {"zor-tool", "zor-instrument"})
            ASSERT_TRUE(QFile::exists(binDir + "/" + tool)) << tool << " is not built";
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString scenario(const QByteArray& json) {
        QString file = path(QString("scenario%1.json").arg(++m_scenarios));
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(json);
        return file;
    }

    // This test runs under umockdev; the tools must set up their own.
    ToolRun run(const QString& program, const QStringList& args) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LD_PRELOAD");
        env.remove("UMOCKDEV_DIR");
        return runBuiltProgram(program, args, env);
    }
    ToolRun tool(const QStringList& args) const { return run("zor-tool", args); }
    ToolRun overUsb(const QString& scenarioFile, const QStringList& toolArgs) const {
        return run("zor-instrument",
                   QStringList{scenarioFile, "--", binDir + "/zor-tool"} + toolArgs);
    }
    static QByteArray contents(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    QString binDir;
    int m_scenarios = 0;
};

// Three results and a display with a few pixels set in corners.
QByteArray recordsScenario() {
    QByteArray screen(1024, '\0');
    screen[0] = 0x01;
    screen[128] = char(0x80);
    screen[1023] = char(0x80);
    return R"({
  "records": [
    {"date": "2023-11-05 10:00:00", "number": 7, "load": 101.25, "rated_load": 200, "name": "Трос"},
    {"date": "2023-11-05 10:05:30", "number": 8, "load": 99.5, "rated_load": 200, "name": "Cable"},
    {"date": "2023-11-06 09:00:00", "number": 9, "load": 0, "rated_load": 200}
  ],
  "screen_hex": ")" +
           screen.toHex() + "\"}";
}

TEST_F(ZorInstrumentTest, ScreenshotOverUsbMatchesTheSimulation) {
    QString file = scenario(recordsScenario());
    ToolRun usb = overUsb(file, {"screenshot", path("usb.bmp")});
    ToolRun sim = tool({"screenshot", path("sim.bmp"), "--simulate", file});
    ASSERT_EQ(usb.exitCode, 0) << usb.err.toStdString();
    ASSERT_EQ(sim.exitCode, 0) << sim.err.toStdString();
    EXPECT_FALSE(contents(path("usb.bmp")).isEmpty());
    EXPECT_EQ(contents(path("usb.bmp")), contents(path("sim.bmp")));
}

TEST_F(ZorInstrumentTest, ImportOverUsbFillsTheProjectAsTheSimulationDoes) {
    QString file = scenario(recordsScenario());
    for (const char* name : {"usb.fdb", "sim.fdb"})
        ASSERT_EQ(tool({"create", path(name)}).exitCode, 0);
    ToolRun usb = overUsb(file, {"import", path("usb.fdb")});
    ToolRun sim = tool({"import", path("sim.fdb"), "--simulate", file});
    ASSERT_EQ(usb.exitCode, 0) << usb.err.toStdString();
    EXPECT_EQ(usb.out, QString("В памяти прибора: 3\nДобавлено в проект: 3\n"));
    EXPECT_EQ(usb.out, sim.out);
    ToolRun usbList = tool({"list", path("usb.fdb")});
    ToolRun simList = tool({"list", path("sim.fdb")});
    EXPECT_EQ(usbList.out.count('\n'), 3);
    EXPECT_EQ(usbList.out, simList.out);
}

TEST_F(ZorInstrumentTest, LinkFailuresOverUsbShowTheirCodes) {
    struct Case {
        const char* scenario;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {R"({"attached": false})", 3, "Прибор не подключен!"},
        {R"({"fail": [{"command": 1, "occurrence": 1, "status": "0x40000001"}]})", 2,
         "Ошибка связи 40000001"},
        {R"({"model": "ZOR-2.0"})", 2, "Ошибка связи 70000001"},
        {R"({"record_count": 3, "unplug_before": {"command": 4, "occurrence": 2}})", 2,
         "Ошибка связи 40000004"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        QString project = path(QString("fail%1.fdb").arg(++n));
        ASSERT_EQ(tool({"create", project}).exitCode, 0);
        ToolRun r = overUsb(scenario(c.scenario), {"import", project});
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        // Nothing read before the failure reaches the project.
        EXPECT_EQ(tool({"list", project}).out, QString());
    }
}

TEST_F(ZorInstrumentTest, RefusesBadUseAndBadScenarios) {
    EXPECT_EQ(run("zor-instrument", {}).exitCode, 64);
    EXPECT_EQ(run("zor-instrument", {scenario("{}"), "true"}).exitCode, 64);
    ToolRun bad = run("zor-instrument", {scenario(R"({"attachd": true})"), "--", "true"});
    EXPECT_EQ(bad.exitCode, 65);
    EXPECT_TRUE(bad.err.contains("attachd")) << bad.err.toStdString();
    ToolRun missing = run("zor-instrument", {scenario("{}"), "--", path("no-such-program")});
    EXPECT_EQ(missing.exitCode, 127);
    // The command's own status comes back.
    EXPECT_EQ(run("zor-instrument", {scenario("{}"), "--", "/bin/sh", "-c", "exit 5"}).exitCode, 5);
}

} // namespace
