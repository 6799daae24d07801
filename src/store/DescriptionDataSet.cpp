#include "DescriptionDataSet.h"

#include "ProjectConnection.h"
#include "TableSql.h"
#include "platform/Cp1251.h"

namespace store {

namespace {
const FieldDef kFields[DescriptionFieldCount] = {
    {"DEVICE_NAME", QStringLiteral("DEVICE_NAME"), 32, Qt::AlignLeft, false, false},
    {"DEVICE_DATA_VERSION", QStringLiteral("DEVICE_DATA_VERSION"), 10, Qt::AlignRight, false,
     false},
    {"PROJECT_DESC", QStringLiteral("PROJECT_DESC"), 10, Qt::AlignLeft, true, false},
    {"DESC_TABLE_PK", QStringLiteral("DESC_TABLE_PK"), 10, Qt::AlignRight, false, false},
};

const TableSql& sql() {
    static const TableSql s("DESC_TABLE", kFields, DescriptionFieldCount, DESC_TABLE_PK);
    return s;
}

DescriptionRow readRow(fb::Statement& s, fb::Transaction& tra) {
    DescriptionRow r;
    int pos[DescriptionFieldCount];
    for (int f = 0; f < DescriptionFieldCount; ++f) {
        pos[f] = s.outputIndex(kFields[f].name);
        r.setNull(f, pos[f] < 0 || s.isNull(static_cast<unsigned>(pos[f])));
    }
    auto at = [&](int f) { return static_cast<unsigned>(pos[f]); };
    if (!r.isNull(DESC_TABLE_PK))
        r.pk = s.getInt(at(DESC_TABLE_PK));
    if (!r.isNull(DEVICE_NAME))
        r.deviceName = s.getText(at(DEVICE_NAME));
    if (!r.isNull(DEVICE_DATA_VERSION))
        r.version = s.getInt(at(DEVICE_DATA_VERSION));
    if (!r.isNull(PROJECT_DESC))
        r.desc = tra.readBlob(s.getBlobId(at(PROJECT_DESC)));
    return r;
}

void bindRow(fb::Statement& s, const DescriptionRow& r) {
    s.setInt(0, r.pk);
    if (r.isNull(DEVICE_NAME))
        s.setNull(1);
    else
        s.setText(1, r.deviceName);
    if (r.isNull(DEVICE_DATA_VERSION))
        s.setNull(2);
    else
        s.setInt(2, r.version);
    s.setBlob(3, r.isNull(PROJECT_DESC) ? nullptr : &r.desc);
}
} // namespace

DescriptionDataSet::DescriptionDataSet(QObject* parent) : CachedRows(parent) {}
DescriptionDataSet::~DescriptionDataSet() = default;

const FieldDef& DescriptionDataSet::fieldDef(int field) const {
    return kFields[field];
}

bool DescriptionDataSet::isNull(int row, int field) const {
    return rowAt(row).isNull(field);
}

QVariant DescriptionDataSet::value(int row, int field) const {
    const DescriptionRow& r = rowAt(row);
    if (r.isNull(field))
        return {};
    switch (field) {
    case DEVICE_NAME:
        return QString::fromLatin1(r.deviceName);
    case DEVICE_DATA_VERSION:
        return r.version;
    case PROJECT_DESC:
        return r.desc;
    case DESC_TABLE_PK:
        return r.pk;
    }
    return {};
}

QString DescriptionDataSet::text(int row, int field) const {
    const QVariant v = value(row, field);
    if (field == PROJECT_DESC)
        return platform::fromCp1251(v.toByteArray());
    return v.toString();
}

void DescriptionDataSet::open(ProjectConnection* db) {
    fb::Transaction& tra = db->transaction();
    fb::Statement s(tra, sql().select);
    s.openCursor();
    loadRows(db, [&](DescriptionRow& row) {
        if (!s.fetch())
            return false;
        row = readRow(s, tra);
        return true;
    });
}

void DescriptionDataSet::setBufferValue(int field, const QVariant& value) {
    DescriptionRow& r = editBuffer();
    r.setNull(field, value.isNull());
    switch (field) {
    case DEVICE_NAME:
        r.deviceName = value.toString().toLatin1();
        break;
    case DEVICE_DATA_VERSION:
        r.version = value.toInt();
        break;
    case PROJECT_DESC:
        r.desc = value.toByteArray();
        break;
    case DESC_TABLE_PK:
        r.pk = value.toInt();
        break;
    }
}

// The description rows are the file's own: they are edited or deleted, never added here.
void DescriptionDataSet::sendChanges() {
    post();
    fb::Transaction& tra = connection()->transaction();
    forEachChange(
        [&](size_t, RowStatus status, const DescriptionRow& row, const DescriptionRow& lastRead) {
            if (status == RowStatus::Deleted) {
                fb::Statement del(tra, sql().remove);
                del.setInt(0, lastRead.pk);
                del.execute();
            } else {
                fb::Statement s(tra, sql().update);
                bindRow(s, row);
                s.setInt(DescriptionFieldCount, lastRead.pk); // after every column
                s.execute();
            }
        });
}

void DescriptionDataSet::refreshCurrent() {
    post();
    if (currentRow() >= 0) {
        fb::Transaction& tra = connection()->transaction();
        fb::Statement s(tra, sql().refresh);
        s.setInt(0, storedRow(currentRow()).pk);
        s.openCursor();
        if (s.fetch())
            replaceStored(currentRow(), readRow(s, tra));
        s.closeCursor();
    }
    notifyReset();
}

} // namespace store
