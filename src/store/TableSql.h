#pragma once
#include "CachedDataset.h"

#include <QByteArray>

namespace store {

// The statements a cached dataset runs on its table, written from its field list so that each
// column is named once. Parameters go key first, then the other fields in field order.
struct TableSql {
    TableSql(const char* table, const FieldDef* fields, int count, int keyField);

    QByteArray select;    // every row
    QByteArray refresh;   // the row with the key given
    QByteArray insert;    // one parameter per column
    QByteArray update;    // one per column, then the key the file holds
    QByteArray remove;    // the key
    QByteArray returning; // " RETURNING" and every column, to append to insert or update
};

} // namespace store
