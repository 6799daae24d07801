#pragma once
#include "CachedDataset.h"

#include <QByteArray>
#include <memory>
#include <vector>

class TMainDataModule;

namespace store {

class ProjectConnection;

enum DescriptionField {
    DEVICE_NAME,
    DEVICE_DATA_VERSION,
    PROJECT_DESC,
    DESC_TABLE_PK,
    DescriptionFieldCount
};

// The description dataset over DESC_TABLE: the identity row and the project description.
class DescriptionDataSet : public CachedDataset {
    Q_OBJECT
public:
    explicit DescriptionDataSet(QObject* parent = nullptr);
    ~DescriptionDataSet() override;

    int recordCount() const override { return static_cast<int>(m_rows.size()); }
    int fieldCount() const override { return DescriptionFieldCount; }
    const FieldDef& fieldDef(int field) const override;
    bool isNull(int row, int field) const override;
    QVariant value(int row, int field) const override;
    QString text(int row, int field) const override;

private:
    friend class ::TMainDataModule;
    struct Row;
    struct Entry;

    void open(ProjectConnection* db);
    void close();
    void apply();
    void cancelUpdates();
    void refreshCurrent();

    RowStatus statusAt(int row) const override;
    void beginEditBuffer() override;
    void setBufferValue(int field, const QVariant& value) override;
    void commitEditBuffer() override;
    void dropEditBuffer() override;
    void removeRow(int row) override;

    ProjectConnection* m_db = nullptr;
    std::vector<Entry> m_rows;
    std::vector<Entry> m_deleted;
    std::unique_ptr<Row> m_buffer;
};

} // namespace store
