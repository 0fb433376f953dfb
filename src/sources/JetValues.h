#pragma once

#include "VirtualTable.h"

#include <QByteArray>
#include <QtGlobal>

#include <mdbtools.h>

// The values of Access (Jet) columns as SQLite takes them, decoded from the
// row libmdb holds in its page buffer. Every offset and length is checked
// against the page, and a memo's chain of pages against the file, so a
// damaged field is reported rather than read past. How dates and currency
// read is declared with the tables, in JetSqlite.h.

namespace Jet {

struct Value
{
    using Kind = VirtualTable::ValueKind;
    using enum VirtualTable::ValueKind;
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes; // UTF-8 text, or the blob
};

// Field `field` of column `column` of the row in `mdb`'s page buffer; false
// when the field is damaged. `fileSize` bounds a memo's length.
bool DecodeField(MdbHandle *mdb, const MdbColumn *column, const MdbField &field, qint64 fileSize, Value *value);

// The type a column of Jet type `type` is declared with, so that SQL compares
// and sorts its values as the Value kinds above.
const char *DeclaredType(int type);

} // namespace Jet
