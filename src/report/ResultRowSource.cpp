#include "ResultRowSource.h"

#include "store/ResultDataSet.h"

namespace report {

int ResultRowSource::rowCount() const {
    return m_results.isActive() ? m_results.recordCount() : 0;
}

int ResultRowSource::fieldIndex(const QString& name) const {
    return m_results.fieldIndex(name);
}

QString ResultRowSource::text(int row, int field) const {
    return m_results.text(row, field);
}

void ResultRowSource::walkEnded(int lastRow) {
    if (lastRow >= 0)
        m_results.moveTo(lastRow);
}

} // namespace report
