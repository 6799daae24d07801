#pragma once
#include "store/MainDataModuleUnit.h"
#include "store/ResultDataSet.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// An open project in a temporary folder with three results (numbers 1..3, loads 12.345 ...).
class ProjectFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const QString file = m_dir.path() + "/views.fdb";
        ASSERT_TRUE(m_store.CreateProjectDatabase(file));
        ASSERT_TRUE(m_store.OpenProjectDatabase(file));
        for (int i = 1; i <= 3; ++i) {
            TMsrResult r;
            r.MsrDateTime = 45356 + i / 24.0;
            r.MsrNumber = i;
            r.Load = 12.345 * i;
            r.RatedLoad = 500;
            r.ObjectName = "Obj" + QByteArray::number(i);
            m_store.AddResult(r);
        }
        m_store.SaveChanges();
    }

    store::ResultDataSet& results() { return *m_store.dsetZOR(); }

    QTemporaryDir m_dir;
    TMainDataModule m_store;
};
