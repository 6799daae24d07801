#pragma once
#include "platform/DateTime.h"
#include "platform/Error.h"
#include "store/MainDataModuleUnit.h"
#include "store/ProjectConnection.h"
#include "store/ResultDataSet.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// A temporary folder with real project files and a store to work on them.
class StoreFixture : public ::testing::Test {
public:
    QTemporaryDir dir;
    TMainDataModule store;

    QString path(const QString& name) const { return dir.filePath(name); }

    QString newProject(const QString& name = QStringLiteral("p.fdb")) {
        const QString p = path(name);
        EXPECT_TRUE(store.CreateProjectDatabase(p)) << store.lastFailureReason().toStdString();
        return p;
    }
    QString openNewProject(const QString& name = QStringLiteral("p.fdb")) {
        const QString p = newProject(name);
        EXPECT_TRUE(store.OpenProjectDatabase(p)) << store.lastFailureReason().toStdString();
        return p;
    }
    void reopen(const QString& p) {
        store.CloseProjectDatabase();
        ASSERT_TRUE(store.OpenProjectDatabase(p)) << store.lastFailureReason().toStdString();
    }
    store::ResultDataSet& results() { return *store.dsetZOR(); }

    static double at(int y, int mo, int d, int h, int mi, int s) {
        double v = 0;
        platform::tryEncodeDateTime({y, mo, d, h, mi, s, 0}, v);
        return v;
    }
    static TMsrResult result(double when, uint32_t number, double load = 1.5,
                             QByteArray name = "Obj", int32_t rated = 500) {
        TMsrResult r;
        r.MsrDateTime = when;
        r.MsrNumber = number;
        r.Load = load;
        r.RatedLoad = rated;
        r.ObjectName = name;
        return r;
    }
    // Rows as (date text, time text, number) for comparing orders.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        for (int i = 0; i < results().recordCount(); ++i)
            out.push_back((results().text(i, store::MSR_DATE) + ' ' +
                           results().text(i, store::MSR_TIME) + " #" +
                           results().text(i, store::MSR_NUMBER))
                              .toStdString());
        return out;
    }
    // Runs one statement on a file outside the store (the store must not hold it).
    static void execOn(const QString& file, const QString& sql) {
        store::ProjectConnection c;
        c.connect(file);
        c.execSql(sql);
        c.disconnect();
    }
};
