#pragma once
#include "platform/DateTime.h"
#include "store/MainDataModuleUnit.h"
#include "store/UpdateGuard.h"

#include "common/ZorToolRun.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Real project files in a temporary folder, and zor-tool run as a real process.
class ProjectFixture : public ::testing::Test {
public:
    QTemporaryDir dir;
    TMainDataModule store;

    QString path(const QString& name) const { return dir.filePath(name); }

    static TMsrResult result(int day, int h, int mi, int s, uint32_t number, double load,
                             int32_t rated, const QByteArray& name) {
        TMsrResult r;
        platform::tryEncodeDateTime({2024, 3, day, h, mi, s, 0}, r.MsrDateTime);
        r.MsrNumber = number;
        r.Load = load;
        r.RatedLoad = rated;
        r.ObjectName = name;
        return r;
    }

    // A saved project holding the results, left open in `store`.
    QString project(const std::vector<TMsrResult>& results, const QString& name = "p.fdb") {
        const QString p = path(name);
        EXPECT_TRUE(store.CreateProjectDatabase(p)) << store.lastFailureReason().toStdString();
        EXPECT_TRUE(store.OpenProjectDatabase(p)) << store.lastFailureReason().toStdString();
        {
            const store::UpdateGuard bracket(store);
            for (const TMsrResult& r : results)
                store.AddResult(r);
            store.SortResults();
        }
        store.SaveChanges();
        return p;
    }

    // The four results the CSV files under data/ were written for.
    QString smallProject() {
        return project({result(5, 14, 7, 9, 1, 12.345, 500, "AB;C"),
                        result(5, 14, 7, 10, 2, -12.345, 500, "Say \"hi\""),
                        result(5, 14, 7, 11, 3, 0.03, 500, ""),
                        result(6, 9, 0, 0, 65535, 1234.5, 5000, "Press 1")});
    }

    QString numberedProject(int n) {
        std::vector<TMsrResult> rs;
        for (int i = 0; i < n; ++i)
            rs.push_back(result(5, 10 + i / 3600, i / 60 % 60, i % 60, uint32_t(i + 1), 12.345, 500,
                                "Obj " + QByteArray::number(i + 1)));
        return project(rs);
    }

    struct Run {
        int status;
        QString out, err;
    };
    static Run zorTool(const QStringList& args) {
        const ToolRun r = runZorTool(args);
        return {r.exitCode, r.out, r.err};
    }

    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};
