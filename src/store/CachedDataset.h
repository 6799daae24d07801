#pragma once
#include <QObject>
#include <QString>
#include <QVariant>

// A dataset that keeps every row in memory with cached updates: changes are pending until saved.
// Views (grid model, memos, navigator, report) read it and listen to its signals.
namespace store {

enum class RowStatus : uint8_t { Unchanged, Modified, Inserted, Deleted };
// Insert is never entered: rows are added by the store, not typed in.
enum class DataSetState { Inactive, Browse, Edit, Insert };

struct FieldDef {
    const char* name; // column name
    QString title;    // column title in the grid
    int displayWidth; // in characters
    Qt::Alignment alignment;
    bool visible; // shown as a grid column
    bool readOnly;
};

class CachedDataset : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isActive() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }
    bool editing() const { return m_state == DataSetState::Edit; } // an edit not yet posted
    virtual int recordCount() const = 0;         // visible rows (deleted rows are hidden)
    int currentRow() const { return m_current; } // -1 when there is no row
    bool updatesPending() const { return m_pending; }

    virtual int fieldCount() const = 0;
    virtual const FieldDef& fieldDef(int field) const = 0;
    int fieldIndex(const QString& name) const;
    // Values of a visible row; the current row in edit state answers from its edit buffer.
    virtual bool isNull(int row, int field) const = 0;
    virtual QVariant value(int row, int field) const = 0;
    // The text every view shows for a field: grid cell, report, CSV, zor-tool.
    virtual QString text(int row, int field) const = 0;
    RowStatus rowStatus(int row) const;

    // Navigation; moving away from a row in edit state posts the edit first.
    void first() { moveTo(0); }
    void prior() { moveTo(m_current - 1); }
    void next() { moveTo(m_current + 1); }
    void last() { moveTo(recordCount() - 1); }
    void moveTo(int row);

    // Editing of the current row (memos): edit, set values, post or cancel.
    void edit();
    void setFieldValue(int field, const QVariant& value);
    void post();
    void cancel();
    // Removes the current row from view as a pending deletion (no question asked).
    void deleteCurrent();

    // Update bracket: while disabled, views get no notifications; the last enable redraws them.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

signals:
    void dataReset();                // redraw every row
    void currentRowChanged(int row); // the current row moved
    void stateChanged();             // browse/edit/insert/inactive changed

protected:
    // Row storage lives in CachedRows.
    virtual RowStatus statusAt(int row) const = 0;
    virtual void beginEditBuffer() = 0;
    virtual void setBufferValue(int field, const QVariant& value) = 0;
    virtual void commitEditBuffer() = 0; // posts the buffer into the current row
    virtual void dropEditBuffer() = 0;
    virtual void removeRow(int row) = 0; // pending deletion of a visible row

    // The fields below are written here only; the row storage sets them through these.
    void setState(DataSetState s);
    void setPending(bool p) { m_pending = p; }
    void setCurrent(int row) { m_current = row; } // tells no view: notifyCurrent does
    void notifyReset();
    void notifyCurrent();

private:
    DataSetState m_state = DataSetState::Inactive;
    int m_current = -1;
    bool m_pending = false;
    int m_disableCount = 0;
    bool m_stateMissed = false; // a state change the views have not heard of yet
};

} // namespace store
