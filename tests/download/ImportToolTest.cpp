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
