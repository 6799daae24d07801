#include "ProjectConnection.h"

#include "StoreLog.h"

#include <QFile>

namespace store {

namespace {
const QByteArray kUser = "SYSDBA";
const QByteArray kPassword = "quillbark";

// The file name goes inside an SQL string literal: apostrophes are doubled.
QByteArray quotedLiteral(const QString& text) {
    QByteArray bytes = QFile::encodeName(text);
    bytes.replace('\'', "''");
    return '\'' + bytes + '\'';
}
} // namespace

ProjectConnection::ProjectConnection() = default;
ProjectConnection::~ProjectConnection() {
    disconnectQuietly();
}

void ProjectConnection::create(const QString& fileName) {
    const QByteArray sql = "CREATE DATABASE " + quotedLiteral(fileName) + " USER '" + kUser +
                           "' PASSWORD '" + kPassword + "'\r\n" + "PAGE_SIZE = 4096\r\n" +
                           "DEFAULT CHARACTER SET ASCII\r\n";
    qCDebug(lcStore) << "create" << fileName;
    m_att.createDatabase(sql);
}

void ProjectConnection::connect(const QString& fileName) {
    qCDebug(lcStore) << "attach" << fileName;
    m_att.attach(fileName, kUser, kPassword, "ASCII");
}

void ProjectConnection::disconnect() {
    m_generator.reset();
    if (!m_att.isAttached())
        return;
    try {
        m_tra.commit();
    } catch (...) {
        m_tra.rollbackQuietly();
        m_att.detachQuietly();
        throw;
    }
    m_att.detach();
    qCDebug(lcStore) << "detached";
}

void ProjectConnection::disconnectQuietly() noexcept {
    try {
        disconnect();
    } catch (...) {
    }
}

fb::Transaction& ProjectConnection::transaction() {
    m_tra.start();
    return m_tra;
}

void ProjectConnection::execSql(const QString& statement) {
    fb::Transaction& tra = transaction();
    tra.execute(statement.toUtf8());
    tra.commitRetaining();
}

int32_t ProjectConnection::nextGeneratorValue(const char* generator) {
    if (!m_generator)
        m_generator = std::make_unique<fb::Statement>(
            transaction(), QByteArray("SELECT GEN_ID(") + generator + ", 1) FROM RDB$DATABASE");
    m_generator->execute();
    return m_generator->getInt(0);
}

} // namespace store
