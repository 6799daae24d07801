#include <gtest/gtest.h>

#include "common/ZorToolRun.h"
#include <QFile>
#include <QTemporaryDir>

namespace {

QString writeScenario(const QTemporaryDir& dir, const QString& name, const QByteArray& json) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(json);
    return path;
}

} // namespace

TEST(ImportTool, ImportsOnceThenFindsEverythingHeld) {
    QTemporaryDir dir;
    const QString project = dir.filePath("p.fdb");
    ASSERT_EQ(runZorTool({"create", project}).exitCode, 0);
    const QString scenario = writeScenario(dir, "s.json", R"({"records": [
        {"date": "2026-06-01 12:00:00", "number": 2, "load": 10.5, "rated_load": 500},
        {"date": "2026-06-01 11:00:00", "number": 1, "load": 3, "rated_load": 500}]})");
    ToolRun r = runZorTool({"import", project, "--simulate", scenario});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("В памяти прибора: 2\nДобавлено в проект: 2\n"));
    r = runZorTool({"import", project, "--simulate", scenario});
    EXPECT_EQ(r.out, QStringLiteral("В памяти прибора: 2\nДобавлено в проект: 0\n"));
    r = runZorTool({"list", project});
    EXPECT_EQ(r.out.count('\n'), 2);
    EXPECT_TRUE(r.out.startsWith("01.06.2026\t11:00:00\t1")) << r.out.toStdString();
}

TEST(ImportTool, FailuresGiveTheirMessageAndExitStatus) {
    QTemporaryDir dir;
    const QString project = dir.filePath("p.fdb");
    ASSERT_EQ(runZorTool({"create", project}).exitCode, 0);
    struct Case {
        QStringList args;
        int exitCode;
        const char* err;
    };
    const Case cases[] = {
        {{"import", project, "--simulate",
          writeScenario(dir, "gone.json", R"({"attached": false})")},
         3,
         "Прибор не подключен!"},
        {{"import", project, "--simulate",
          writeScenario(dir, "wrong.json", R"({"data_version": 65538})")},
         2,
         "Ошибка связи 70000001"},
        {{"import", project, "--simulate",
          writeScenario(dir, "bad.json", R"({"records": [{"numbr": 1}]})")},
         65,
         "records[0].numbr"},
        {{"import", dir.filePath("missing.fdb"), "--simulate", dir.filePath("gone.json")},
         1,
         "Не удалось открыть проект!"},
        {{"import"}, 64, "usage"},
        {{"import", project, "--simulate"}, 64, "usage"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runZorTool(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(runZorTool({"list", project}).out, QString()) << "nothing was added";
}

TEST(ImportTool, DiagnosticsGoToStandardErrorOnlyWhenAskedFor) {
    QTemporaryDir dir;
    const QString scenario = writeScenario(dir, "s.json", R"({"records": [
        {"date": "2026-06-01 12:00:00", "number": 2}, {"day": 30, "month": 2, "year": 26}]})");
    const QString quietProject = dir.filePath("quiet.fdb"), loggedProject = dir.filePath("log.fdb");
    for (const QString& project : {quietProject, loggedProject})
        ASSERT_EQ(runZorTool({"create", project}).exitCode, 0);
    const ToolRun quiet = runZorTool({"import", quietProject, "--simulate", scenario});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, QString()) << "off by default";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    env.insert("QT_LOGGING_RULES", "zor.*.debug=true");
    const ToolRun logged =
        runBuiltProgram("zor-tool", {"import", loggedProject, "--simulate", scenario}, env);
    EXPECT_EQ(logged.exitCode, 0);
    EXPECT_EQ(logged.out, quiet.out) << "standard output stays the tool's own";
    for (const char* line :
         {"zor.usb: attach: instrument", "zor.usb: command 1: 4 bytes out, reply 20 of 20 bytes",
          "zor.usb: command 3: 4 bytes out, reply 0 of 0 bytes, status 00000000",
          "zor.download: information: model reply 8 bytes, data version 65537, 2 results stored",
          "zor.download: record 2 of 2: 2026-02-30 00:00:00",
          "zor.download: worker: ended, status 00000000, complete, 2 results"})
        EXPECT_TRUE(logged.err.contains(QString::fromUtf8(line))) << line << "\n"
                                                                  << logged.err.toStdString();
}

TEST(ZorToolUse, UsageListsEveryCommandAndWrongUseExits64) {
    const QString usage =
        "usage: zor-tool create PROJECT\n"
        "       zor-tool check PROJECT\n"
        "       zor-tool list PROJECT [--unit U]\n"
        "       zor-tool import PROJECT [--simulate SCENARIO]\n"
        "       zor-tool export-csv PROJECT OUT [--unit U]\n"
        "       zor-tool export-pdf PROJECT OUT [--unit U]\n"
        "       zor-tool screenshot OUT [--simulate SCENARIO] [--ink C] [--background C]\n";
    // Each is wrong by its synopsis: a missing or extra argument, an option the command does
    // not take or gives twice, an option without its value, a value that is not one.
    const QStringList wrong[] = {
        {},
        {"frobnicate"},
        {"create"},
        {"check", "a.fdb", "b.fdb"},
        {"list", "a.fdb", "--unit"},
        {"list", "a.fdb", "--unit", "kgf"},
        {"list", "a.fdb", "--unit", "1", "--unit", "0"},
        {"list", "a.fdb", "--simulate", "s.json"},
        {"import", "a.fdb", "--unit", "1"},
        {"import", "a.fdb", "--simulate", "s.json", "--simulate", "s.json"},
        {"export-csv", "a.fdb"},
        {"screenshot", "a.bmp", "--background"},
    };
    for (const QStringList& args : wrong) {
        const ToolRun r = runZorTool(args);
        EXPECT_EQ(r.exitCode, 64) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, usage) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
