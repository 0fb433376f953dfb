#pragma once

#include "app/Connections.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

// Each row of `sql` on the named connection as its values' texts joined by
// "|", a null as "NULL"; a failed query as "error: " and why.
inline QStringList queryRows(const QString &connection, const QString &sql)
{
    QSqlQuery q(NamedConnection(connection));
    if (!q.exec(sql))
        return {QStringLiteral("error: ") + q.lastError().text()};
    QStringList out;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
        out << row.join(u'|');
    }
    if (q.lastError().isValid())
        out << QStringLiteral("error: ") + q.lastError().text();
    return out;
}
