#pragma once
#include "fb/Fb.h"

#include <QString>
#include <memory>

namespace store {

// The connection `MainDatabase` and the one transaction `MainTransaction` of the store.
class ProjectConnection {
public:
    ProjectConnection();
    ~ProjectConnection();

    bool isConnected() const { return m_att.isAttached(); }
    void create(const QString& fileName); // CREATE DATABASE; connected afterwards
    void connect(const QString& fileName);
    // Commits an active transaction, then detaches; does nothing when not connected.
    void disconnect();
    void disconnectQuietly() noexcept;

    fb::Transaction& transaction();         // started on first use
    void execSql(const QString& statement); // runs and commits retaining
    int32_t nextGeneratorValue(const char* generator);

private:
    fb::Attachment m_att;
    fb::Transaction m_tra{m_att};
    std::unique_ptr<fb::Statement> m_generator; // prepared once per connection
};

} // namespace store
