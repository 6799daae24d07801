#pragma once
#include "RowSource.h"

namespace store {
class ResultDataSet;
}

// The results dataset as the report's rows: every field gives the text the grid shows.
namespace report {

class ResultRowSource final : public RowSource {
public:
    explicit ResultRowSource(store::ResultDataSet& results) : m_results(results) {}
    int rowCount() const override;
    int fieldIndex(const QString& name) const override;
    QString text(int row, int field) const override;
    // The engine leaves the dataset on its last row, as the grid then shows.
    void walkEnded(int lastRow) override;

private:
    store::ResultDataSet& m_results;
};

} // namespace report
