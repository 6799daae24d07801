#pragma once
#include <QString>

// The rows a data band walks: a count and the display text of a named field of a row.
namespace report {

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int rowCount() const = 0;
    // Index of a field by name, -1 when the source has no such field.
    virtual int fieldIndex(const QString& name) const = 0;
    virtual QString text(int row, int field) const = 0;
    // Called once the walk is over with the last row visited (-1 when there was none).
    virtual void walkEnded(int /*lastRow*/) {}
};

} // namespace report
