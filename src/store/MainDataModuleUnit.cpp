#include "MainDataModuleUnit.h"

#include "DescriptionDataSet.h"
#include "ProjectConnection.h"
#include "ResultDataSet.h"
#include "StoreLog.h"
#include "UpdateGuard.h"
#include "platform/Error.h"
#include "platform/Product.h"

#include <QFile>

using namespace store;

namespace {
const char* const kSchema[] = {
    "CREATE TABLE DESC_TABLE(DESC_TABLE_PK INTEGER NOT NULL PRIMARY KEY,DEVICE_NAME "
    "CHAR(32),DEVICE_DATA_VERSION INTEGER,PROJECT_DESC BLOB SUB_TYPE 0 SEGMENT SIZE 256);",
    "CREATE GENERATOR DESC_TABLE_GEN;",
    "CREATE TRIGGER CREATE_DESC_RECORD FOR DESC_TABLE ACTIVE BEFORE INSERT POSITION 0 AS BEGIN  "
    "if (NEW.DESC_TABLE_PK is null) then   NEW.DESC_TABLE_PK = gen_id(DESC_TABLE_GEN, 1); END;",
    nullptr, // the identity row, built below
    "CREATE TABLE MSR_RESULT_TABLE(MSR_RESULT_TABLE_PK INTEGER NOT NULL PRIMARY KEY,MSR_DATE "
    "TIMESTAMP,MSR_TIME TIMESTAMP,MSR_NUMBER INTEGER,OBJECT_NAME CHAR(32),LOAD FLOAT,RATED_LOAD "
    "INTEGER,MSR_COMMENT BLOB SUB_TYPE 0 SEGMENT SIZE 256);",
    "CREATE GENERATOR MSR_RESULT_TABLE_GEN;",
    "CREATE TRIGGER CREATE_MSR_RESULT_RECORD FOR MSR_RESULT_TABLE ACTIVE BEFORE INSERT POSITION 0 "
    "AS BEGIN  if (NEW.MSR_RESULT_TABLE_PK is null) then   NEW.MSR_RESULT_TABLE_PK = "
    "gen_id(MSR_RESULT_TABLE_GEN, 1); END;",
};
} // namespace

TMainDataModule::TMainDataModule(QObject* parent)
    : QObject(parent), m_db(std::make_unique<ProjectConnection>()),
      m_results(std::make_unique<ResultDataSet>()),
      m_description(std::make_unique<store::DescriptionDataSet>()) {}

TMainDataModule::~TMainDataModule() {
    // A project still open at the end is committed and closed.
    m_results->close();
    m_description->close();
    m_db->disconnectQuietly();
}

bool TMainDataModule::ExecSQL(const QString& statement) {
    m_db->execSql(statement);
    return true;
}

bool TMainDataModule::CreateProjectDatabase(const QString& fileName) {
    m_failureReason.clear();
    if (m_db->isConnected() || fileName.isEmpty())
        return false;
    try {
        m_db->create(fileName);
    } catch (const zor::Error& e) {
        m_failureReason = e.text();
        return false;
    }
    try {
        for (const char* statement : kSchema)
            ExecSQL(statement ? QString::fromLatin1(statement)
                              : QStringLiteral("INSERT INTO DESC_TABLE (DEVICE_NAME, "
                                               "DEVICE_DATA_VERSION) VALUES ('%1',%2);")
                                    .arg(QLatin1String(platform::kModelName))
                                    .arg(platform::kDataVersion));
        m_db->disconnect();
    } catch (const zor::Error& e) {
        // An incomplete file is no project: remove it rather than leave it half made.
        m_failureReason = e.text();
        m_db->disconnectQuietly();
        QFile::remove(fileName);
        return false;
    }
    return true;
}

bool TMainDataModule::OpenProjectDatabase(const QString& fileName) {
    m_failureReason.clear();
    if (m_db->isConnected())
        throw zor::Error(QStringLiteral("Проект уже открыт"));
    const LogTimer t;
    try {
        m_db->connect(fileName);
        m_description->open(m_db.get());
        const bool named =
            m_description->recordCount() > 0 &&
            m_description->value(0, DEVICE_NAME).toString() == QLatin1String(platform::kModelName);
        if (!named ||
            m_description->value(0, DEVICE_DATA_VERSION).toInt() != platform::kDataVersion)
            throw zor::Error(QString());
        m_results->open(m_db.get());
        SortResults();
        qCDebug(lcStore) << "opened with" << m_results->recordCount() << "results in" << t.ms()
                         << "ms";
        return true;
    } catch (const std::exception& e) {
        const auto* err = dynamic_cast<const zor::Error*>(&e);
        m_failureReason = err ? err->text() : QString::fromLocal8Bit(e.what());
    } catch (...) {
        // Whatever went wrong, the open fails and leaves nothing open.
    }
    qCDebug(lcStore).noquote() << "open refused:"
                               << (m_failureReason.isEmpty()
                                       ? QStringLiteral("no project's identity")
                                       : m_failureReason);
    m_results->close();
    m_description->close();
    m_db->disconnectQuietly();
    return false;
}

void TMainDataModule::CloseProjectDatabase() {
    m_results->close();
    m_description->close();
    m_db->disconnect();
}

void TMainDataModule::PostEdits() {
    m_description->post();
    m_results->post();
}

void TMainDataModule::SaveChanges() {
    const UpdateGuard bracket(*this);
    const LogTimer t;
    const bool results = m_results->updatesPending();
    const bool description = m_description->updatesPending();
    fb::Transaction* tra = results || description ? &m_db->transaction() : nullptr;
    try {
        if (results)
            m_results->sendChanges();
        if (description)
            m_description->sendChanges();
        if (tra)
            tra->commitRetaining();
    } catch (...) {
        // A save happens whole or not at all: the file is as before, every change pending.
        qCDebug(lcStore) << "save failed: rolled back, every change still pending";
        m_results->forgetSent();
        m_description->forgetSent();
        if (tra)
            tra->rollbackRetaining();
        throw;
    }
    if (results) {
        m_results->acceptSent();
        m_results->refreshCurrent();
    }
    if (description) {
        m_description->acceptSent();
        m_description->refreshCurrent();
    }
    if (tra)
        qCDebug(lcStore) << "saved in" << t.ms() << "ms";
}

void TMainDataModule::CancelChanges() {
    const UpdateGuard bracket(*this);
    if (m_results->updatesPending()) {
        m_results->cancelUpdates();
        m_results->refreshCurrent();
    }
    if (m_description->updatesPending()) {
        m_description->cancelUpdates();
        m_description->refreshCurrent();
    }
}

bool TMainDataModule::ProjectModified() const {
    return m_description->updatesPending() || m_results->updatesPending() ||
           m_description->editing() || m_results->editing();
}

bool TMainDataModule::ProjectActive() const {
    return m_results->isActive() || m_description->isActive();
}

bool TMainDataModule::ResultsEmpty() const {
    return !m_results->isActive() || m_results->recordCount() == 0;
}

void TMainDataModule::DeleteAllResults() {
    const UpdateGuard bracket(*this);
    m_results->deleteAll();
}

// The datasets count the bracket; an unmatched end changes nothing.
void TMainDataModule::BeginUpdate() {
    m_description->disableControls();
    m_results->disableControls();
}

void TMainDataModule::EndUpdate() {
    m_description->enableControls();
    m_results->enableControls();
}

bool TMainDataModule::ControlsEnabled() const {
    return !m_results->controlsDisabled();
}

void TMainDataModule::SortResults() {
    PostEdits();
    m_results->sort();
}

bool TMainDataModule::ResultExists(const TMsrResult& r) {
    return m_results->exists(r);
}

bool TMainDataModule::AddResult(const TMsrResult& r) {
    return m_results->add(r);
}

void TMainDataModule::SetLoadUnit(int32_t unit) {
    if (unit == m_loadUnit)
        return;
    m_loadUnit = unit;
    m_results->setLoadUnit(unit);
}
