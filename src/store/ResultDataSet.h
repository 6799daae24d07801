#pragma once
#include "CachedRows.h"
#include "MsrResult.h"
#include "fb/Fb.h"

#include <QByteArray>
#include <unordered_map>

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

struct ResultRow {
    double date = 0, time = 0, load = 0;
    int32_t pk = 0, number = 0, rated = 0;
    uint8_t nulls = 0; // one bit per ResultField
    bool commentLoaded = true;
    QByteArray name;    // 8-bit text without trailing blanks
    QByteArray comment; // valid when commentLoaded
    fb::BlobId commentId;
    bool isNull(int field) const { return nulls & (1u << field); }
    void setNull(int field, bool null) {
        nulls = null ? (nulls | (1u << field)) : (nulls & ~(1u << field));
    }
};

// The results dataset `dsetZOR` over MSR_RESULT_TABLE.
class ResultDataSet : public CachedRows<ResultRow> {
    Q_OBJECT
public:
    explicit ResultDataSet(QObject* parent = nullptr);
    ~ResultDataSet() override;

    int fieldCount() const override { return ResultFieldCount; }
    const FieldDef& fieldDef(int field) const override;
    bool isNull(int row, int field) const override;
    QVariant value(int row, int field) const override;
    QString text(int row, int field) const override;
    // The comment's 8-bit bytes; read from the file on first use.
    QByteArray comment(int row) const;

    void setLoadUnit(int32_t unit);
    int32_t loadUnit() const { return m_loadUnit; }

    // The object-name column keeps 7-bit text only: other bytes become their Latin spelling.
    static QByteArray storableObjectName(const QByteArray& name);

private:
    friend class ::TMainDataModule;

    void open(ProjectConnection* db);
    // Sends every pending change inside the open transaction; memory changes only on accept.
    void sendChanges();
    void refreshCurrent();
    void deleteAll();
    void sort();
    bool exists(const TMsrResult& r);
    bool add(const TMsrResult& r);

    void prepareForEdit(ResultRow& row) override;
    void commitEditBuffer() override;
    void setBufferValue(int field, const QVariant& value) override;
    void rowsRebuilt() override { forgetOrder(); }
    void loadComment(const ResultRow& row) const;

    struct Key {
        uint64_t date;
        int32_t number;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const noexcept {
            uint64_t x = k.date ^ (static_cast<uint64_t>(static_cast<uint32_t>(k.number)) << 17);
            x ^= x >> 33; // mix the bits: dates differ mostly in the low mantissa
            x *= 0xff51afd7ed558ccdULL;
            x ^= x >> 33;
            return static_cast<size_t>(x);
        }
    };
    static Key keyOf(const ResultRow& row);

    int32_t m_loadUnit = 0;
    static bool before(const ResultRow& a, const ResultRow& b);
    void forgetOrder();
    void learnOrder();

    // Duplicate test without walking every row: the leading m_sortedCount visible rows are in
    // (date, number) order and searched by halving; rows after them are in m_tail, which maps
    // a key to the first visible row holding it.
    bool m_orderKnown = false;
    int m_sortedCount = 0;
    std::unordered_map<Key, int, KeyHash> m_tail;
};

} // namespace store
