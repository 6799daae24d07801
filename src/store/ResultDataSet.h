#pragma once
#include "CachedDataset.h"
#include "MsrResult.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class TMainDataModule;

namespace store {

class ProjectConnection;

// Field order of the results dataset; it is also the grid's column order.
enum ResultField {
    MSR_DATE,
    MSR_TIME,
    MSR_NUMBER,
    OBJECT_NAME,
    LOAD,
    RATED_LOAD,
    MSR_COMMENT,
    MSR_RESULT_TABLE_PK,
    ResultFieldCount
};

// The results dataset `dsetZOR` over MSR_RESULT_TABLE.
class ResultDataSet : public CachedDataset {
    Q_OBJECT
public:
    explicit ResultDataSet(QObject* parent = nullptr);
    ~ResultDataSet() override;

    int recordCount() const override { return static_cast<int>(m_rows.size()); }
    int fieldCount() const override { return ResultFieldCount; }
    const FieldDef& fieldDef(int field) const override;
    bool isNull(int row, int field) const override;
    QVariant value(int row, int field) const override;
    QString text(int row, int field) const override;
    // The comment's bytes (8-bit text) of a row; read from the file on first use.
    QByteArray comment(int row) const;

    void setLoadUnit(int32_t unit);
    int32_t loadUnit() const { return m_loadUnit; }

private:
    friend class ::TMainDataModule;
    struct Row;
    struct Entry;

    void open(ProjectConnection* db);
    void close();
    void apply();
    void cancelUpdates();
    void refreshCurrent();
    void deleteAll();
    void sort();
    bool exists(const TMsrResult& r);
    bool add(const TMsrResult& r);

    RowStatus statusAt(int row) const override;
    void beginEditBuffer() override;
    void setBufferValue(int field, const QVariant& value) override;
    void commitEditBuffer() override;
    void dropEditBuffer() override;
    void removeRow(int row) override;
    const Row& rowAt(int row) const;

    ProjectConnection* m_db = nullptr;
    std::vector<Entry> m_rows;    // visible rows, current order
    std::vector<Entry> m_deleted; // pending deletions
    std::unique_ptr<Row> m_buffer;
    int32_t m_loadUnit = 0;
    // Duplicate test index: (date bits, number) -> first visible row; rebuilt when stale.
    std::unordered_map<uint64_t, std::vector<int>> m_index;
    bool m_indexStale = true;
};

} // namespace store
