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
    // A number field without a display text of its own prints a null as 0; the grid's texts
    // leave it empty, as they do for text fields and for the date, time and load.
    const bool plainNumber = field == store::MSR_NUMBER || field == store::RATED_LOAD ||
                             field == store::MSR_RESULT_TABLE_PK;
    if (plainNumber && m_results.isNull(row, field))
        return QStringLiteral("0");
    return m_results.text(row, field);
}

void ResultRowSource::walkEnded(int lastRow) {
    if (lastRow >= 0)
        m_results.moveTo(lastRow);
}

} // namespace report
