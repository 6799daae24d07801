#include "DescriptionDataSet.h"

#include "ProjectConnection.h"
#include "platform/Cp1251.h"

namespace store {

namespace {
const char* const kSelect = "SELECT * FROM DESC_TABLE";
const char* const kUpdate = "UPDATE DESC_TABLE SET DESC_TABLE_PK = ?, DEVICE_NAME = ?, "
                            "DEVICE_DATA_VERSION = ?, PROJECT_DESC = ? WHERE DESC_TABLE_PK = ?";
const char* const kInsert = "INSERT INTO DESC_TABLE (DESC_TABLE_PK, DEVICE_NAME, "
                            "DEVICE_DATA_VERSION, PROJECT_DESC) VALUES (?, ?, ?, ?)";
const char* const kDelete = "DELETE FROM DESC_TABLE WHERE DESC_TABLE_PK = ?";
const char* const kRefresh = "SELECT * FROM DESC_TABLE WHERE DESC_TABLE_PK = ?";

const FieldDef kFields[DescriptionFieldCount] = {
    {"DEVICE_NAME", QStringLiteral("DEVICE_NAME"), 32, Qt::AlignLeft, false, false},
    {"DEVICE_DATA_VERSION", QStringLiteral("DEVICE_DATA_VERSION"), 10, Qt::AlignRight, false,
     false},
    {"PROJECT_DESC", QStringLiteral("PROJECT_DESC"), 10, Qt::AlignLeft, true, false},
    {"DESC_TABLE_PK", QStringLiteral("DESC_TABLE_PK"), 10, Qt::AlignRight, false, false},
};

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
    m_db = db;
    clearRows();
    fb::Transaction& tra = db->transaction();
    fb::Statement s(tra, kSelect);
    s.openCursor();
    while (s.fetch())
        m_rows.push_back(Entry{readRow(s, tra), nullptr, RowStatus::Unchanged});
    rebuildView();
    m_current = m_rows.empty() ? -1 : 0;
    setState(DataSetState::Browse);
    notifyReset();
}

void DescriptionDataSet::close() {
    clearRows();
    m_db = nullptr;
    setState(DataSetState::Inactive);
    notifyReset();
}

void DescriptionDataSet::setBufferValue(int field, const QVariant& value) {
    DescriptionRow& r = *m_buffer;
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

void DescriptionDataSet::sendChanges() {
    post();
    fb::Transaction& tra = m_db->transaction();
    std::vector<std::pair<size_t, DescriptionRow>>& refreshed = m_sent;
    refreshed.clear();
    {
        for (size_t i = 0; i < m_rows.size(); ++i) {
            const Entry& e = m_rows[i];
            const int32_t oldPk = e.original ? e.original->pk : e.row.pk;
            if (e.status == RowStatus::Deleted) {
                fb::Statement del(tra, kDelete);
                del.setInt(0, oldPk);
                del.execute();
            } else if (e.status == RowStatus::Modified || e.status == RowStatus::Inserted) {
                const bool insert = e.status == RowStatus::Inserted;
                fb::Statement s(tra, insert ? kInsert : kUpdate);
                bindRow(s, e.row);
                if (!insert)
                    s.setInt(4, oldPk);
                s.execute();
                refreshed.emplace_back(i, e.row);
            }
        }
    }
}

void DescriptionDataSet::acceptSent() {
    acceptApplied(m_sent);
    m_sent.clear();
}

void DescriptionDataSet::cancelUpdates() {
    revertAll();
    notifyReset();
}

void DescriptionDataSet::refreshCurrent() {
    post();
    if (m_current >= 0) {
        fb::Transaction& tra = m_db->transaction();
        fb::Statement s(tra, kRefresh);
        s.setInt(0, entryAt(m_current).row.pk);
        s.openCursor();
        if (s.fetch())
            entryAt(m_current).row = readRow(s, tra);
        s.closeCursor();
    }
    notifyReset();
}

} // namespace store
