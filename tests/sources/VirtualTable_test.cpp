#include "TestHelpers.h"
#include "TestRegistry.h"

#include "FolderQuery.h"
#include "sources/JetSqlite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {
// The names of a table's columns as SQLite declares them.
QStringList columnsOf(sqlite3 *db, const QByteArray &table)
{
    QStringList names;
    sqlite3_stmt *q = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &q, nullptr);
    sqlite3_bind_text(q, 1, table.constData(), int(table.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(q) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q, 0)));
    sqlite3_finalize(q);
    return names;
}

// The message of the first step of `SELECT * FROM table`; empty when it succeeds.
QString scanError(sqlite3 *db, const QByteArray &table)
{
    sqlite3_stmt *q = nullptr;
    const QByteArray sql = "SELECT * FROM \"" + table + '"';
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &q, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(q);
    const QString error = rc == SQLITE_ROW || rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(q);
    return error;
}
} // namespace

class VirtualTableTest : public QObject
{
    Q_OBJECT

private slots:
    void unreadableTablesStillExist_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("reason");
        QTest::newRow("dBase table that is text") << "dbf"
                                                  << "stemp4.dbf is damaged: it does not start like";
        QTest::newRow("Access table with a damaged definition") << "jet"
                                                                << "The table Orders of ";
    }

    // A table that cannot be read keeps its name, with the one column
    // "_error", and reading it gives the reader's reason.
    void unreadableTablesStillExist()
    {
        QFETCH(QString, reader);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        sqlite3 *db = nullptr;
        sqlite3_open(":memory:", &db);
        QString error;
        QByteArray table;
        if (reader == QLatin1String("dbf")) {
            QFile f(dir.filePath(QStringLiteral("stemp4.dbf")));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("This is a text file, not a table.\r\n") > 0);
            f.close();
            QVERIFY(RegisterDbfModule(db, &error) && AttachDbfFolder(db, dir.path(), &error));
            table = "stemp4";
        } else {
            QFile in(fixturePath(QStringLiteral("jet/nwind.mdb")));
            QVERIFY(in.open(QIODevice::ReadOnly));
            QByteArray bytes = in.readAll();
            bytes[449 * 2048] = char(0xA5); // the definition page of Orders
            QVERIFY2(AttachJetImage(db, bytes, QStringLiteral("nwind.mdb"), &error), qPrintable(error));
            table = "Orders";
        }
        QCOMPARE(columnsOf(db, table), QStringList{QStringLiteral("_error")});
        const QString message = scanError(db, table);
        sqlite3_close(db);
        QVERIFY2(message.startsWith(reason), qPrintable(message));
    }

    // Quotes in a folder's name, a file's name and so a table's name are
    // quoted wherever the tables are made and declared.
    void quotesInNames()
    {
        QTemporaryDir top;
        const QString folder = top.filePath(QStringLiteral("O'Brien \"& Co\""));
        QVERIFY(QDir().mkpath(folder));
        const QString fixture = fixturePath(QStringLiteral("sources/db3_types.dbf"));
        QVERIFY(QFile::copy(fixture, folder + QStringLiteral("/plain.dbf")));
        QVERIFY(QFile::copy(fixture, folder + QStringLiteral("/it's \"q\".dbf")));
        const FolderQuery quoted = RunFolderQuery(folder, "SELECT name FROM \"it's \"\"q\"\"\"");
        const FolderQuery plain = RunFolderQuery(folder, "SELECT name FROM plain");
        QCOMPARE(quoted.error, QString());
        QCOMPARE(plain.rows.size(), 3);
        QCOMPARE(quoted.rows, plain.rows);
    }
};

QV_REGISTER_TEST(VirtualTableTest)
#include "VirtualTable_test.moc"
