#include "Fb.h"

#include "../StoreLog.h"
#include "platform/DateTime.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <firebird/Interface.h>
#include <ibase.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Firebird;

namespace fb {

namespace {

IMaster* master() {
    static IMaster* m = [] {
        prepareEnvironment();
        return fb_get_master_interface();
    }();
    return m;
}

IUtil* util() {
    return master()->getUtilInterface();
}

// A status object for one call sequence; disposed at scope end.
struct Status {
    IStatus* raw = master()->getStatus();
    ThrowStatusWrapper w{raw};
    ~Status() { raw->dispose(); }
    ThrowStatusWrapper* operator&() { return &w; }
};

[[noreturn]] void rethrow(const FbException& e) {
    char buf[2048];
    util()->formatStatus(buf, sizeof buf, e.getStatus());
    const QString text = QString::fromLocal8Bit(buf).trimmed();
    qCDebug(lcStore).noquote() << "engine error:" << text;
    throw zor::Error(text);
}

// Runs f, turning engine exceptions into zor::Error.
template <class F> auto guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const FbException& e) {
        rethrow(e);
    }
}

struct Xpb {
    IXpbBuilder* b;
    explicit Xpb(unsigned kind) {
        Status st;
        b = util()->getXpbBuilder(&st, kind, nullptr, 0);
    }
    ~Xpb() { b->dispose(); }
};

} // namespace

void prepareEnvironment() {
    // The client converts file names through the C library's character type: without a UTF-8
    // one, Cyrillic paths fail. Only LC_CTYPE is touched; numbers keep their format.
    const char* ctype = std::setlocale(LC_CTYPE, nullptr);
    if (!ctype || !QByteArray(ctype).toUpper().replace("-", "").contains("UTF8"))
        std::setlocale(LC_CTYPE, "C.UTF-8");
    if (std::getenv("FIREBIRD_LOCK"))
        return;
    // A folder of ours only: one that another user made in its place is not trusted.
    const auto usable = [](const QByteArray& dir) {
        ::mkdir(dir.constData(), 0700);
        struct stat st {};
        return ::lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
               (st.st_mode & 0022) == 0;
    };
    QByteArray dir = "/tmp/zor-firebird-" + QByteArray::number(getuid());
    if (!usable(dir)) {
        dir = QFile::encodeName(QDir::homePath()) + "/.zor-firebird";
        usable(dir);
    }
    ::setenv("FIREBIRD_LOCK", dir.constData(), 1);
}

// ---- Attachment -------------------------------------------------------------------------------

Attachment::~Attachment() {
    detachQuietly();
}

void Attachment::createDatabase(const QByteArray& statement) {
    guarded([&] {
        Status st;
        FB_BOOLEAN isCreate = 0;
        m_att = util()->executeCreateDatabase(&st, statement.size(), statement.constData(),
                                              SQL_DIALECT_V6, &isCreate);
    });
}

void Attachment::attach(const QString& path, const QByteArray& user, const QByteArray& password,
                        const QByteArray& charset) {
    guarded([&] {
        Status st;
        Xpb dpb(IXpbBuilder::DPB);
        dpb.b->insertString(&st, isc_dpb_user_name, user.constData());
        dpb.b->insertString(&st, isc_dpb_password, password.constData());
        dpb.b->insertString(&st, isc_dpb_lc_ctype, charset.constData());
        IProvider* prov = master()->getDispatcher();
        try {
            m_att = prov->attachDatabase(&st, QFile::encodeName(path).constData(),
                                         dpb.b->getBufferLength(&st), dpb.b->getBuffer(&st));
        } catch (...) {
            prov->release();
            throw;
        }
        prov->release();
    });
}

void Attachment::detach() {
    if (!m_att)
        return;
    IAttachment* att = m_att;
    m_att = nullptr;
    guarded([&] {
        Status st;
        try {
            att->detach(&st);
        } catch (...) {
            att->release();
            throw;
        }
    });
}

void Attachment::detachQuietly() noexcept {
    try {
        detach();
    } catch (...) {
    }
}

// ---- Transaction ------------------------------------------------------------------------------

Transaction::~Transaction() {
    rollbackQuietly();
}

void Transaction::start() {
    if (m_tra)
        return;
    guarded([&] {
        Status st;
        Xpb tpb(IXpbBuilder::TPB);
        tpb.b->insertTag(&st, isc_tpb_write);
        tpb.b->insertTag(&st, isc_tpb_nowait);
        tpb.b->insertTag(&st, isc_tpb_rec_version);
        tpb.b->insertTag(&st, isc_tpb_read_committed);
        m_tra =
            m_att.raw()->startTransaction(&st, tpb.b->getBufferLength(&st), tpb.b->getBuffer(&st));
    });
}

void Transaction::commitRetaining() {
    const store::LogTimer t;
    guarded([&] {
        Status st;
        m_tra->commitRetaining(&st);
    });
    qCDebug(lcStore) << "commit retaining" << t.ms() << "ms";
}

void Transaction::rollbackRetaining() {
    const store::LogTimer t;
    guarded([&] {
        Status st;
        m_tra->rollbackRetaining(&st);
    });
    qCDebug(lcStore) << "rollback retaining" << t.ms() << "ms";
}

void Transaction::commit() {
    if (!m_tra)
        return;
    const store::LogTimer t;
    guarded([&] {
        Status st;
        m_tra->commit(&st);
        m_tra = nullptr;
    });
    qCDebug(lcStore) << "commit" << t.ms() << "ms";
}

void Transaction::rollbackQuietly() noexcept {
    if (!m_tra)
        return;
    try {
        Status st;
        m_tra->rollback(&st);
    } catch (...) {
        m_tra->release();
    }
    m_tra = nullptr;
    qCDebug(lcStore) << "rollback";
}

void Transaction::execute(const QByteArray& sql) {
    const store::LogTimer t;
    guarded([&] {
        Status st;
        m_att.raw()->execute(&st, m_tra, sql.size(), sql.constData(), SQL_DIALECT_V6, nullptr,
                             nullptr, nullptr, nullptr);
    });
    qCDebug(lcStore).noquote() << "executed" << sql << t.ms() << "ms";
}

QByteArray Transaction::readBlob(BlobId id) {
    return guarded([&] {
        Status st;
        ISC_QUAD quad{static_cast<ISC_LONG>(id.high), id.low};
        IBlob* blob = m_att.raw()->openBlob(&st, m_tra, &quad, 0, nullptr);
        QByteArray out;
        char buf[16384];
        try {
            for (;;) {
                unsigned got = 0;
                const int r = blob->getSegment(&st, sizeof buf, buf, &got);
                if (r == IStatus::RESULT_NO_DATA)
                    break;
                out.append(buf, got);
            }
            blob->close(&st);
        } catch (...) {
            blob->release();
            throw;
        }
        return out;
    });
}

BlobId Transaction::createBlob(const QByteArray& bytes) {
    return guarded([&] {
        Status st;
        ISC_QUAD quad{};
        IBlob* blob = m_att.raw()->createBlob(&st, m_tra, &quad, 0, nullptr);
        try {
            for (qsizetype pos = 0; pos < bytes.size(); pos += 32768) {
                const auto n = std::min<qsizetype>(32768, bytes.size() - pos);
                blob->putSegment(&st, static_cast<unsigned>(n), bytes.constData() + pos);
            }
            blob->close(&st);
        } catch (...) {
            blob->release();
            throw;
        }
        return BlobId{static_cast<uint32_t>(quad.gds_quad_high), quad.gds_quad_low};
    });
}

// ---- Statement --------------------------------------------------------------------------------

void Statement::Message::init(IMessageMetadata* m) {
    meta = m;
    Status st;
    buffer.assign(m->getMessageLength(&st), 0);
    const unsigned n = m->getCount(&st);
    for (unsigned i = 0; i < n; ++i)
        fields.push_back({m->getOffset(&st, i), m->getNullOffset(&st, i), m->getType(&st, i) & ~1u,
                          m->getLength(&st, i)});
}

Statement::Message::~Message() {
    if (meta)
        meta->release();
}

Statement::Statement(Transaction& tra, const QByteArray& sql) : m_tra(tra) {
    const store::LogTimer t;
    try {
        guarded([&] {
            Status st;
            m_stmt = tra.attachment().raw()->prepare(&st, tra.raw(), sql.size(), sql.constData(),
                                                     SQL_DIALECT_V6,
                                                     IStatement::PREPARE_PREFETCH_METADATA);
            m_in.init(m_stmt->getInputMetadata(&st));
            m_out.init(m_stmt->getOutputMetadata(&st));
            for (unsigned i = 0; i < m_out.fields.size(); ++i)
                m_outNames.emplace_back(m_out.meta->getField(&st, i));
            for (unsigned i = 0; i < m_in.fields.size(); ++i)
                setInputNull(i, true);
        });
    } catch (...) {
        // No destructor runs for a half-built statement: release the prepared one here.
        if (m_stmt)
            m_stmt->release();
        m_stmt = nullptr;
        throw;
    }
    if (t.on()) {
        m_sql = sql;
        m_ms = t.ms();
        qCDebug(lcStore).noquote() << "prepared" << m_sql;
    }
}

Statement::~Statement() {
    closeCursor();
    if (!m_sql.isEmpty())
        qCDebug(lcStore).noquote()
            << "done: runs" << m_runs << "rows" << m_rows << "time" << m_ms << "ms:" << m_sql;
    if (m_stmt) {
        try {
            Status st;
            m_stmt->free(&st);
        } catch (...) {
            m_stmt->release();
        }
    }
}

void Statement::setInputNull(unsigned i, bool null) {
    const short flag = null ? -1 : 0;
    std::memcpy(&m_in.buffer[m_in.fields.at(i).nullOffset], &flag, sizeof flag);
}

unsigned char* Statement::inField(unsigned i, unsigned expectedType) {
    const unsigned type = m_in.fields.at(i).type;
    if (expectedType && type != expectedType)
        throw zor::Error(
            QStringLiteral("parameter %1 has type %2, not %3").arg(i).arg(type).arg(expectedType));
    setInputNull(i, false);
    return &m_in.buffer[m_in.fields[i].offset];
}

void Statement::setNull(unsigned i) {
    setInputNull(i, true);
}

void Statement::setInt(unsigned i, int32_t v) {
    const unsigned type = m_in.fields.at(i).type;
    if (type == SQL_INT64) {
        const int64_t w = v;
        std::memcpy(inField(i, SQL_INT64), &w, sizeof w);
    } else {
        std::memcpy(inField(i, SQL_LONG), &v, sizeof v);
    }
}

void Statement::setDouble(unsigned i, double v) {
    const unsigned type = m_in.fields.at(i).type;
    if (type == SQL_FLOAT) {
        const float f = static_cast<float>(v);
        std::memcpy(inField(i, SQL_FLOAT), &f, sizeof f);
    } else {
        std::memcpy(inField(i, SQL_DOUBLE), &v, sizeof v);
    }
}

void Statement::setTimestamp(unsigned i, double dateTime) {
    const platform::FbTimestamp ts = platform::toFbTimestamp(dateTime);
    ISC_TIMESTAMP v{ts.date, ts.time};
    std::memcpy(inField(i, SQL_TIMESTAMP), &v, sizeof v);
}

void Statement::setText(unsigned i, const QByteArray& bytes) {
    const unsigned type = m_in.fields.at(i).type;
    const unsigned len = m_in.fields[i].length;
    const unsigned n = std::min<unsigned>(len, static_cast<unsigned>(bytes.size()));
    if (type == SQL_VARYING) {
        unsigned char* p = inField(i, SQL_VARYING);
        const auto n16 = static_cast<uint16_t>(n);
        std::memcpy(p, &n16, 2);
        std::memcpy(p + 2, bytes.constData(), n);
    } else {
        unsigned char* p = inField(i, SQL_TEXT);
        std::memcpy(p, bytes.constData(), n);
        std::memset(p + n, ' ', len - n);
    }
}

void Statement::setBlob(unsigned i, const QByteArray* bytes) {
    if (!bytes) {
        setNull(i);
        return;
    }
    const BlobId id = m_tra.createBlob(*bytes);
    ISC_QUAD quad{static_cast<ISC_LONG>(id.high), id.low};
    std::memcpy(inField(i, SQL_BLOB), &quad, sizeof quad);
}

void Statement::logRun(double ms, int runs, int rows) {
    m_ms += ms;
    m_runs += runs;
    m_rows += rows;
}

bool Statement::execute() {
    const store::LogTimer t;
    const bool hasOut = guarded([&] {
        Status st;
        const bool hasOut = !m_outNames.empty();
        m_stmt->execute(&st, m_tra.raw(), m_in.meta, m_in.buffer.data(),
                        hasOut ? m_out.meta : nullptr, hasOut ? m_out.buffer.data() : nullptr);
        return hasOut;
    });
    if (t.on())
        logRun(t.ms(), 1, 0);
    return hasOut;
}

void Statement::openCursor() {
    closeCursor();
    const store::LogTimer t;
    guarded([&] {
        Status st;
        m_cursor =
            m_stmt->openCursor(&st, m_tra.raw(), m_in.meta, m_in.buffer.data(), m_out.meta, 0);
    });
    if (t.on())
        logRun(t.ms(), 1, 0);
}

bool Statement::fetch() {
    if (!m_cursor)
        return false;
    const store::LogTimer t;
    const bool more = guarded([&] {
        Status st;
        return m_cursor->fetchNext(&st, m_out.buffer.data()) == IStatus::RESULT_OK;
    });
    if (t.on())
        logRun(t.ms(), 0, more ? 1 : 0);
    if (!more)
        closeCursor();
    return more;
}

void Statement::closeCursor() noexcept {
    if (!m_cursor)
        return;
    try {
        Status st;
        m_cursor->close(&st);
    } catch (...) {
        m_cursor->release();
    }
    m_cursor = nullptr;
}

int Statement::outputIndex(const char* name) const {
    for (size_t i = 0; i < m_outNames.size(); ++i)
        if (m_outNames[i] == name)
            return static_cast<int>(i);
    return -1;
}

const unsigned char* Statement::outData(unsigned i) const {
    return &m_out.buffer[m_out.fields.at(i).offset];
}

bool Statement::isNull(unsigned i) const {
    short flag;
    std::memcpy(&flag, &m_out.buffer[m_out.fields.at(i).nullOffset], sizeof flag);
    return flag != 0;
}

int32_t Statement::getInt(unsigned i) const {
    if (isNull(i))
        return 0;
    const unsigned char* p = outData(i);
    const unsigned type = m_out.fields[i].type;
    if (type == SQL_SHORT) {
        int16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    if (type == SQL_INT64) {
        int64_t v;
        std::memcpy(&v, p, 8);
        return static_cast<int32_t>(v);
    }
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

double Statement::getDouble(unsigned i) const {
    if (isNull(i))
        return 0;
    const unsigned char* p = outData(i);
    const unsigned type = m_out.fields[i].type;
    if (type == SQL_FLOAT) {
        float f;
        std::memcpy(&f, p, 4);
        return f;
    }
    double d;
    std::memcpy(&d, p, 8);
    return d;
}

double Statement::getTimestamp(unsigned i) const {
    if (isNull(i))
        return 0;
    const unsigned char* p = outData(i);
    ISC_TIMESTAMP ts;
    std::memcpy(&ts, p, sizeof ts);
    return platform::fromFbTimestamp({ts.timestamp_date, ts.timestamp_time});
}

QByteArray Statement::getText(unsigned i) const {
    if (isNull(i))
        return {};
    const unsigned char* p = outData(i);
    const unsigned type = m_out.fields[i].type;
    const char* s;
    unsigned n;
    if (type == SQL_VARYING) {
        uint16_t len;
        std::memcpy(&len, p, 2);
        s = reinterpret_cast<const char*>(p + 2);
        n = len;
    } else {
        s = reinterpret_cast<const char*>(p);
        n = m_out.fields[i].length;
    }
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 32)
        --n;
    return QByteArray(s, n);
}

BlobId Statement::getBlobId(unsigned i) const {
    const unsigned char* p = outData(i);
    ISC_QUAD quad;
    std::memcpy(&quad, p, sizeof quad);
    return BlobId{static_cast<uint32_t>(quad.gds_quad_high), quad.gds_quad_low};
}

} // namespace fb
