#include "TableSql.h"

#include <QByteArrayList>

namespace store {

TableSql::TableSql(const char* table, const FieldDef* fields, int count, int keyField) {
    const QByteArray name(table);
    const QByteArray key(fields[keyField].name);
    QByteArrayList columns{key}, sets{key + " = ?"}, marks{"?"};
    for (int f = 0; f < count; ++f)
        if (f != keyField) {
            columns << fields[f].name;
            sets << QByteArray(fields[f].name) + " = ?";
            marks << "?";
        }
    const QByteArray list = columns.join(", ");
    select = "SELECT * FROM " + name;
    refresh = select + " WHERE " + key + " = ?";
    insert = "INSERT INTO " + name + " (" + list + ") VALUES (" + marks.join(", ") + ")";
    update = "UPDATE " + name + " SET " + sets.join(", ") + " WHERE " + key + " = ?";
    remove = "DELETE FROM " + name + " WHERE " + key + " = ?";
    returning = " RETURNING " + list;
}

} // namespace store
