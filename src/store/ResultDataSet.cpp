#include "ResultDataSet.h"

#include "FieldTexts.h"
#include "ProjectConnection.h"
#include "TableSql.h"
#include "platform/Cp1251.h"

#include <QHash>
#include <algorithm>
#include <cstring>

namespace store {

namespace {

const FieldDef kFields[ResultFieldCount] = {
    {"MSR_DATE", QStringLiteral("Дата"), 12, Qt::AlignLeft, true, true},
    {"MSR_TIME", QStringLiteral("Время"), 12, Qt::AlignLeft, true, true},
    {"MSR_NUMBER", QStringLiteral("№"), 8, Qt::AlignRight, true, true},
    {"OBJECT_NAME", QStringLiteral("Объект"), 24, Qt::AlignLeft, true, false},
    {"LOAD", QStringLiteral("Усилие"), 16, Qt::AlignLeft, true, false},
    {"RATED_LOAD", QStringLiteral("RATED_LOAD"), 10, Qt::AlignRight, false, false},
    {"MSR_COMMENT", QStringLiteral("MSR_COMMENT"), 10, Qt::AlignLeft, false, false},
    {"MSR_RESULT_TABLE_PK", QStringLiteral("MSR_RESULT_TABLE_PK"), 10, Qt::AlignRight, false,
     false},
};

const TableSql& sql() {
    static const TableSql s("MSR_RESULT_TABLE", kFields, ResultFieldCount, MSR_RESULT_TABLE_PK);
    return s;
}
// Rows are read in the file's order of date and number; sort() only has to merge new ones.
const QByteArray& selectSql() {
    static const QByteArray s = sql().select + " ORDER BY MSR_DATE, MSR_NUMBER DESC";
    return s;
}

// Column positions of a result row in a statement's output, looked up by name.
struct Columns {
    int pos[ResultFieldCount];
    explicit Columns(const fb::Statement& s) {
        for (int f = 0; f < ResultFieldCount; ++f)
            pos[f] = s.outputIndex(kFields[f].name);
    }
    ResultRow read(const fb::Statement& s) const {
        ResultRow r;
        for (int f = 0; f < ResultFieldCount; ++f)
            r.setNull(f, pos[f] < 0 || s.isNull(pos[f]));
        auto at = [&](int f) { return static_cast<unsigned>(pos[f]); };
        if (!r.isNull(MSR_DATE))
            r.date = s.getTimestamp(at(MSR_DATE));
        if (!r.isNull(MSR_TIME))
            r.time = s.getTimestamp(at(MSR_TIME));
        r.number = r.isNull(MSR_NUMBER) ? 0 : s.getInt(at(MSR_NUMBER));
        r.name = r.isNull(OBJECT_NAME) ? QByteArray() : s.getText(at(OBJECT_NAME));
        r.load = r.isNull(LOAD) ? 0 : s.getDouble(at(LOAD));
        r.rated = r.isNull(RATED_LOAD) ? 0 : s.getInt(at(RATED_LOAD));
        r.pk = r.isNull(MSR_RESULT_TABLE_PK) ? 0 : s.getInt(at(MSR_RESULT_TABLE_PK));
        r.commentLoaded = r.isNull(MSR_COMMENT);
        if (!r.commentLoaded)
            r.commentId = s.getBlobId(at(MSR_COMMENT));
        return r;
    }
};

// Latin spellings of the Cyrillic letters of the 8-bit code page (0xC0..0xFF).
const char* const kLatin[64] = {
    "A", "B", "V", "G", "D", "E",  "Zh", "Z",  "I",  "Y",    "K", "L", "M", "N", "O",  "P",
    "R", "S", "T", "U", "F", "Kh", "Ts", "Ch", "Sh", "Shch", "",  "Y", "",  "E", "Yu", "Ya",
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya"};

} // namespace

ResultDataSet::ResultDataSet(QObject* parent) : CachedRows(parent) {}
ResultDataSet::~ResultDataSet() = default;

const FieldDef& ResultDataSet::fieldDef(int field) const {
    return kFields[field];
}

bool ResultDataSet::isNull(int row, int field) const {
    return rowAt(row).isNull(field);
}

void ResultDataSet::loadComment(const ResultRow& row) const {
    if (row.commentLoaded)
        return;
    auto& r = const_cast<ResultRow&>(row);
    r.comment = connection()->transaction().readBlob(row.commentId);
    r.commentLoaded = true;
}

QByteArray ResultDataSet::comment(int row) const {
    const ResultRow& r = rowAt(row);
    loadComment(r);
    return r.comment;
}

QVariant ResultDataSet::value(int row, int field) const {
    const ResultRow& r = rowAt(row);
    if (r.isNull(field))
        return {};
    switch (field) {
    case MSR_DATE:
        return r.date;
    case MSR_TIME:
        return r.time;
    case MSR_NUMBER:
        return r.number;
    case OBJECT_NAME:
        return platform::fromCp1251(r.name);
    case LOAD:
        return r.load;
    case RATED_LOAD:
        return r.rated;
    case MSR_COMMENT:
        return comment(row);
    case MSR_RESULT_TABLE_PK:
        return r.pk;
    }
    return {};
}

QString ResultDataSet::text(int row, int field) const {
    const ResultRow& r = rowAt(row);
    if (r.isNull(field))
        return {};
    switch (field) {
    case MSR_DATE:
        return formatDateText(r.date);
    case MSR_TIME:
        return formatTimeText(r.time);
    case MSR_NUMBER:
        return QString::number(r.number);
    case OBJECT_NAME:
        return platform::fromCp1251(r.name);
    case LOAD: {
        // The rated load is taken as unsigned: a negative one becomes a very large dead band.
        const double rated = r.isNull(RATED_LOAD) ? 0.0 : static_cast<uint32_t>(r.rated);
        return FormatLoad(m_loadUnit, r.load, rated);
    }
    case RATED_LOAD:
        return QString::number(r.rated);
    case MSR_COMMENT:
        return platform::fromCp1251(comment(row));
    case MSR_RESULT_TABLE_PK:
        return QString::number(r.pk);
    }
    return {};
}

void ResultDataSet::setLoadUnit(int32_t unit) {
    m_loadUnit = unit;
    if (isActive())
        notifyReset();
}

QByteArray ResultDataSet::storableObjectName(const QByteArray& name) {
    QByteArray out;
    out.reserve(name.size());
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0xC0)
            out += kLatin[c - 0xC0];
        else if (c == 0xA8)
            out += "Yo";
        else if (c == 0xB8)
            out += "yo";
        else if (c == 0xB9) // the number sign
            out += "No";
        else if (c >= 0x80 || (c < 0x20 && c != 0))
            out += '?';
        else
            out += ch;
    }
    // As the column would give it back: at most 32 characters, no trailing blanks or zeros.
    out.truncate(32);
    while (!out.isEmpty() && static_cast<unsigned char>(out.back()) <= 32)
        out.chop(1);
    return out;
}

// ---- reading ---------------------------------------------------------------------------------

void ResultDataSet::open(ProjectConnection* db) {
    fb::Statement s(db->transaction(), selectSql());
    const Columns cols(s);
    QHash<QByteArray, QByteArray> names; // equal names share one buffer
    s.openCursor();
    loadRows(db, [&](ResultRow& row) {
        if (!s.fetch())
            return false;
        row = cols.read(s);
        auto it = names.find(row.name);
        if (it == names.end())
            it = names.insert(row.name, row.name);
        row.name = it.value();
        return true;
    });
}

void ResultDataSet::refreshCurrent() {
    post();
    if (currentRow() >= 0) {
        fb::Statement s(connection()->transaction(), sql().refresh);
        s.setInt(0, storedRow(currentRow()).pk);
        s.openCursor();
        if (s.fetch())
            replaceStored(currentRow(), Columns(s).read(s));
        s.closeCursor();
    }
    notifyReset();
}

// ---- editing ---------------------------------------------------------------------------------

void ResultDataSet::prepareForEdit(ResultRow& row) {
    loadComment(row);
}

void ResultDataSet::setBufferValue(int field, const QVariant& value) {
    ResultRow& r = editBuffer();
    r.setNull(field, value.isNull());
    switch (field) {
    case MSR_DATE:
        r.date = value.toDouble();
        break;
    case MSR_TIME:
        r.time = value.toDouble();
        break;
    case MSR_NUMBER:
        r.number = value.toInt();
        break;
    case OBJECT_NAME:
        r.name = storableObjectName(platform::toCp1251(value.toString()));
        break;
    case LOAD:
        r.load = value.toDouble();
        break;
    case RATED_LOAD:
        r.rated = value.toInt();
        break;
    case MSR_COMMENT:
        r.comment = value.toByteArray();
        r.commentLoaded = true;
        break;
    case MSR_RESULT_TABLE_PK:
        r.pk = value.toInt();
        break;
    }
}

void ResultDataSet::commitEditBuffer() {
    // A posted date or number moves the row in the duplicate index.
    const bool keyMoved = keyOf(editBuffer()) != keyOf(storedRow(currentRow()));
    CachedRows::commitEditBuffer();
    if (keyMoved)
        forgetOrder();
}

void ResultDataSet::deleteAll() {
    markAllDeleted();
}

// ---- saving ----------------------------------------------------------------------------------

namespace {
void bindRow(fb::Statement& s, const ResultRow& r) {
    auto opt = [&](unsigned i, int field, auto set) {
        if (r.isNull(field))
            s.setNull(i);
        else
            set(i);
    };
    s.setInt(0, r.pk);
    opt(1, MSR_DATE, [&](unsigned i) { s.setTimestamp(i, r.date); });
    opt(2, MSR_TIME, [&](unsigned i) { s.setTimestamp(i, r.time); });
    opt(3, MSR_NUMBER, [&](unsigned i) { s.setInt(i, r.number); });
    opt(4, OBJECT_NAME, [&](unsigned i) { s.setText(i, r.name); });
    opt(5, LOAD, [&](unsigned i) { s.setDouble(i, r.load); });
    opt(6, RATED_LOAD, [&](unsigned i) { s.setInt(i, r.rated); });
    s.setBlob(7, r.isNull(MSR_COMMENT) ? nullptr : &r.comment);
}
} // namespace

void ResultDataSet::sendChanges() {
    post();
    fb::Transaction& tra = connection()->transaction();
    std::unique_ptr<fb::Statement> ins, upd, del;
    forgetSent();
    forEachChange(
        [&](size_t index, RowStatus status, const ResultRow& row, const ResultRow& lastRead) {
            if (status == RowStatus::Deleted) {
                if (!del)
                    del = std::make_unique<fb::Statement>(tra, sql().remove);
                del->setInt(0, lastRead.pk);
                del->execute();
                return;
            }
            fb::Statement* s = nullptr;
            if (status == RowStatus::Inserted) {
                if (!ins)
                    ins = std::make_unique<fb::Statement>(tra, sql().insert + sql().returning);
                s = ins.get();
            } else {
                if (!upd)
                    upd = std::make_unique<fb::Statement>(tra, sql().update + sql().returning);
                s = upd.get();
                s->setInt(ResultFieldCount, lastRead.pk); // after every column
            }
            loadComment(row);
            bindRow(*s, row);
            s->execute();
            // The file gives the row back as it stored it, and its values replace ours; an update
            // that found no row (another writer removed it) gives nothing back.
            if (s->isNull(0))
                return;
            ResultRow back = Columns(*s).read(*s);
            back.comment = row.comment;
            back.commentLoaded = true;
            noteSent(index, std::move(back));
        });
}

// ---- order and duplicates ---------------------------------------------------------------------

ResultDataSet::Key ResultDataSet::keyOf(const ResultRow& row) {
    double d = row.isNull(MSR_DATE) ? 0.0 : row.date;
    if (d == 0)
        d = 0; // -0.0 and 0.0 are the same date
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return {bits, row.isNull(MSR_NUMBER) ? 0 : row.number};
}

bool ResultDataSet::before(const ResultRow& a, const ResultRow& b) {
    const double da = a.isNull(MSR_DATE) ? 0 : a.date;
    const double db = b.isNull(MSR_DATE) ? 0 : b.date;
    if (da != db)
        return da < db;
    return (a.isNull(MSR_NUMBER) ? 0 : a.number) < (b.isNull(MSR_NUMBER) ? 0 : b.number);
}

void ResultDataSet::forgetOrder() {
    m_orderKnown = false;
    m_tail.clear();
}

void ResultDataSet::learnOrder() {
    const int count = recordCount();
    int sorted = count > 0 ? 1 : 0;
    while (sorted < count && !before(storedRow(sorted), storedRow(sorted - 1)))
        ++sorted;
    m_sortedCount = sorted;
    m_tail.clear();
    for (int i = sorted; i < count; ++i)
        m_tail.emplace(keyOf(storedRow(i)), i);
    m_orderKnown = true;
}

void ResultDataSet::sort() {
    post();
    const bool hadCurrent = currentRow() >= 0;
    const int32_t currentPk = hadCurrent ? storedRow(currentRow()).pk : 0;
    sortRows(before);
    int current = recordCount() > 0 ? 0 : -1;
    for (int i = recordCount() - 1; hadCurrent && i >= 0; --i)
        if (storedRow(i).pk == currentPk) {
            current = i;
            break;
        }
    setCurrent(current);
    m_sortedCount = recordCount();
    m_tail.clear();
    m_orderKnown = true;
    notifyReset();
    notifyCurrent();
}

bool ResultDataSet::exists(const TMsrResult& r) {
    // The test moves the current row: an edit in progress belongs to the row it started on.
    post();
    if (recordCount() == 0)
        return false;
    if (!m_orderKnown)
        learnOrder();
    int found = -1;
    // A stored number is signed, a downloaded one unsigned: numbers above 2^31-1 never match.
    if (r.MsrNumber <= static_cast<uint32_t>(INT32_MAX)) {
        ResultRow probe;
        probe.date = r.MsrDateTime;
        probe.number = static_cast<int32_t>(r.MsrNumber);
        int lo = 0, hi = m_sortedCount; // first ordered row not before the probe
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (before(storedRow(mid), probe))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo < m_sortedCount && keyOf(storedRow(lo)) == keyOf(probe)) {
            found = lo;
        } else if (const auto it = m_tail.find(keyOf(probe)); it != m_tail.end()) {
            found = it->second;
        }
    }
    // As a walk over the rows would leave it: the match, or the last row.
    setCurrent(found >= 0 ? found : recordCount() - 1);
    notifyCurrent();
    return found >= 0;
}

bool ResultDataSet::add(const TMsrResult& r) {
    if (exists(r))
        return false;
    post();
    ResultRow row;
    row.pk = connection()->nextGeneratorValue("MSR_RESULT_TABLE_GEN");
    row.date = row.time = r.MsrDateTime;
    row.number = static_cast<int32_t>(r.MsrNumber);
    row.name = storableObjectName(r.ObjectName);
    row.load = r.Load;
    row.rated = r.RatedLoad;
    row.setNull(MSR_COMMENT, true);
    if (m_orderKnown)
        m_tail.emplace(keyOf(row), recordCount()); // the visible row it is about to be
    appendInserted(std::move(row));
    return true;
}

} // namespace store
