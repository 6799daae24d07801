#pragma once
#include "MsrResult.h"

#include <QObject>
#include <QString>
#include <memory>

namespace store {
class ResultDataSet;
class DescriptionDataSet;
class ProjectConnection;
} // namespace store

// The project store: the one open project file and the two cached datasets over it.
// Create/open answer false on failure; everything else throws zor::Error with the text to show.
class TMainDataModule : public QObject {
    Q_OBJECT
public:
    explicit TMainDataModule(QObject* parent = nullptr);
    ~TMainDataModule() override;

    // Project database file
    bool ExecSQL(const QString& statement);
    bool CreateProjectDatabase(const QString& fileName);
    bool OpenProjectDatabase(const QString& fileName);
    void CloseProjectDatabase();
    // Why the last create/open failed (engine text), for a second message line; empty if none.
    QString lastFailureReason() const { return m_failureReason; }

    // Datasets
    void PostEdits();
    void SaveChanges();
    void CancelChanges();
    bool ProjectModified() const;
    bool ProjectActive() const;
    bool ResultsEmpty() const;
    void DeleteAllResults();
    void BeginUpdate();
    void EndUpdate();
    bool ControlsEnabled() const;
    void SortResults();
    bool ResultExists(const TMsrResult& r);
    bool AddResult(const TMsrResult& r);

    // Presentation
    void SetLoadUnit(int32_t unit);
    int32_t LoadUnit() const { return m_loadUnit; }

    store::ResultDataSet* dsetZOR() const { return m_results.get(); }
    store::DescriptionDataSet* DescriptionDataSet() const { return m_description.get(); }

private:
    std::unique_ptr<store::ProjectConnection> m_db;
    std::unique_ptr<store::ResultDataSet> m_results;
    std::unique_ptr<store::DescriptionDataSet> m_description;
    int32_t m_loadUnit = 0;
    QString m_failureReason;
};
