#pragma once
#include "CachedRows.h"

#include <QByteArray>

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

struct DescriptionRow {
    int32_t pk = 0, version = 0;
    uint8_t nulls = 0; // one bit per DescriptionField
    QByteArray deviceName, desc;
    bool isNull(int field) const { return nulls & (1u << field); }
    void setNull(int field, bool null) {
        nulls = null ? (nulls | (1u << field)) : (nulls & ~(1u << field));
    }
};

// The description dataset over DESC_TABLE: the identity row and the project description.
class DescriptionDataSet : public CachedRows<DescriptionRow> {
    Q_OBJECT
public:
    explicit DescriptionDataSet(QObject* parent = nullptr);
    ~DescriptionDataSet() override;

    int fieldCount() const override { return DescriptionFieldCount; }
    const FieldDef& fieldDef(int field) const override;
    bool isNull(int row, int field) const override;
    QVariant value(int row, int field) const override;
    QString text(int row, int field) const override;

private:
    friend class ::TMainDataModule;

    void open(ProjectConnection* db);
    // Sends every pending change inside the open transaction; memory changes only on accept.
    void sendChanges();
    void refreshCurrent();
    void setBufferValue(int field, const QVariant& value) override;
};

} // namespace store
