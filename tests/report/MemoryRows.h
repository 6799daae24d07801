#pragma once
#include "report/RowSource.h"

#include <QStringList>
#include <vector>

// Rows held in memory: date, time, number, object, load texts as the grid would show them.
struct MemoryRows final : report::RowSource {
    std::vector<QStringList> rows;
    int lastRow = -2;

    int rowCount() const override { return int(rows.size()); }
    int fieldIndex(const QString& name) const override {
        static const QStringList names{"MSR_DATE", "MSR_TIME", "MSR_NUMBER", "OBJECT_NAME", "LOAD"};
        return int(names.indexOf(name));
    }
    QString text(int row, int field) const override { return rows.at(row).at(field); }
    void walkEnded(int last) override { lastRow = last; }

    // n rows numbered from 1, one second apart, with a fixed load.
    static MemoryRows numbered(int n) {
        MemoryRows m;
        for (int i = 0; i < n; ++i)
            m.rows.push_back({"05.03.2024",
                              QString("14:%1:%2")
                                  .arg(i / 60 % 60, 2, 10, QChar('0'))
                                  .arg(i % 60, 2, 10, QChar('0')),
                              QString::number(i + 1), QString("Obj %1").arg(i + 1), "12.345 "});
        return m;
    }
};
