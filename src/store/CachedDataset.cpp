#include "CachedDataset.h"

#include <algorithm>
#include <utility>

namespace store {

int CachedDataset::fieldIndex(const QString& name) const {
    for (int i = 0; i < fieldCount(); ++i)
        if (name.compare(QLatin1String(fieldDef(i).name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

RowStatus CachedDataset::rowStatus(int row) const {
    return statusAt(row);
}

void CachedDataset::moveTo(int row) {
    const int count = recordCount();
    if (count == 0)
        return;
    row = std::clamp(row, 0, count - 1);
    if (row == m_current)
        return;
    post();
    m_current = row;
    notifyCurrent();
}

void CachedDataset::edit() {
    if (m_state != DataSetState::Browse || m_current < 0)
        return;
    beginEditBuffer();
    setState(DataSetState::Edit);
}

void CachedDataset::setFieldValue(int field, const QVariant& value) {
    edit();
    if (editing())
        setBufferValue(field, value);
}

void CachedDataset::post() {
    if (!editing())
        return;
    commitEditBuffer();
    setState(DataSetState::Browse);
    notifyReset();
}

void CachedDataset::cancel() {
    if (!editing())
        return;
    dropEditBuffer();
    setState(DataSetState::Browse);
    notifyReset();
}

void CachedDataset::deleteCurrent() {
    if (!isActive() || m_current < 0)
        return;
    post();
    removeRow(m_current);
    if (m_current >= recordCount())
        m_current = recordCount() - 1;
    notifyReset();
    notifyCurrent();
}

void CachedDataset::disableControls() {
    ++m_disableCount;
}

void CachedDataset::enableControls() {
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0) {
        if (std::exchange(m_stateMissed, false))
            emit stateChanged();
        emit dataReset();
        emit currentRowChanged(m_current);
    }
}

void CachedDataset::setState(DataSetState s) {
    if (m_state == s)
        return;
    m_state = s;
    if (m_disableCount > 0)
        m_stateMissed = true;
    else
        emit stateChanged();
}

void CachedDataset::notifyReset() {
    if (m_disableCount == 0)
        emit dataReset();
}

void CachedDataset::notifyCurrent() {
    if (m_disableCount == 0)
        emit currentRowChanged(m_current);
}

} // namespace store
