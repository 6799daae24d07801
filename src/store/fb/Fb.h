#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// Thin RAII layer over the Firebird client's object interface: every failure becomes zor::Error
// carrying the engine's text; every interface obtained is released by its owner.
namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
} // namespace Firebird

namespace fb {

struct BlobId {
    uint32_t high = 0, low = 0;
};

// Makes the embedded engine usable for a normal user (its default lock folder is root's) and
// gives every process of ours the same lock folder, so two engines never open one file at once.
void prepareEnvironment();

class Transaction;
class Statement;

class Attachment {
public:
    Attachment() = default;
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    // Runs a CREATE DATABASE statement at dialect 3; the new file is then attached.
    void createDatabase(const QByteArray& statement);
    void attach(const QString& path, const QByteArray& user, const QByteArray& password,
                const QByteArray& charset);
    bool isAttached() const { return m_att != nullptr; }
    void detach(); // throws; the attachment is gone either way
    void detachQuietly() noexcept;
    Firebird::IAttachment* raw() const { return m_att; }

private:
    Firebird::IAttachment* m_att = nullptr;
};

class Transaction {
public:
    explicit Transaction(Attachment& att) : m_att(att) {}
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void start(); // write, nowait, rec_version, read_committed; no-op when active
    bool isActive() const { return m_tra != nullptr; }
    void commitRetaining();
    void rollbackRetaining();
    void commit();
    void rollbackQuietly() noexcept;
    void execute(const QByteArray& sql); // no parameters, no result
    Firebird::ITransaction* raw() const { return m_tra; }
    Attachment& attachment() const { return m_att; }

    QByteArray readBlob(BlobId id);
    BlobId createBlob(const QByteArray& bytes);

private:
    Attachment& m_att;
    Firebird::ITransaction* m_tra = nullptr;
};

// A prepared statement with its input and output messages.
class Statement {
public:
    Statement(Transaction& tra, const QByteArray& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Input parameters by 0-based position, converted to the parameter's declared type.
    void setNull(unsigned i);
    void setInt(unsigned i, int32_t v);
    void setDouble(unsigned i, double v);
    void setTimestamp(unsigned i, double dateTime);
    void setText(unsigned i, const QByteArray& bytes);
    void setBlob(unsigned i, const QByteArray* bytes); // null pointer = SQL NULL

    // Runs the statement; for a statement returning one row (RETURNING or a singleton select)
    // the row is then in the output message and the result tells whether there was one.
    bool execute();
    void openCursor();
    bool fetch(); // false at the end; closes the cursor then
    void closeCursor() noexcept;

    int outputIndex(const char* name) const; // -1 when absent
    bool isNull(unsigned i) const;
    int32_t getInt(unsigned i) const;
    double getDouble(unsigned i) const;
    double getTimestamp(unsigned i) const;
    QByteArray getText(unsigned i) const; // CHAR without trailing characters 0..32
    BlobId getBlobId(unsigned i) const;

private:
    struct FieldInfo {
        unsigned offset, nullOffset, type, length;
    };
    struct Message {
        Firebird::IMessageMetadata* meta = nullptr;
        std::vector<unsigned char> buffer;
        std::vector<FieldInfo> fields; // read once: asking the metadata per value is slow
        void init(Firebird::IMessageMetadata* m);
        ~Message();
    };
    unsigned char* inField(unsigned i, unsigned expectedType);
    void setInputNull(unsigned i, bool null);
    const unsigned char* outData(unsigned i) const;

    void logRun(double ms, int runs, int rows);

    Transaction& m_tra;
    Firebird::IStatement* m_stmt = nullptr;
    Firebird::IResultSet* m_cursor = nullptr;
    Message m_in, m_out;
    std::vector<QByteArray> m_outNames;
    // Kept only while the store's diagnostics are on: told when the statement goes.
    QByteArray m_sql;
    int m_runs = 0, m_rows = 0;
    double m_ms = 0;
};

} // namespace fb
