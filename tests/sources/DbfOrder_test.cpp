#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/Connections.h"
#include "sources/DataConnections.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// A table already in the order a query asks for is handed to SQLite as it
// stands; every answer must still be the one SQLite's own sort gives.
class DbfOrderTest : public QObject
{
    Q_OBJECT

private:
    const QString cn = QStringLiteral("dbfOrder");

    QList<qint64> column(const QString &sql)
    {
        QList<qint64> out;
        QSqlQuery q(NamedConnection(cn));
        if (!q.exec(sql)) {
            qWarning() << sql << q.lastError().text();
            return {-1};
        }
        while (q.next())
            out << q.value(0).toLongLong();
        return out;
    }

    bool sortsItself(const QString &sql)
    {
        QSqlQuery q(NamedConnection(cn));
        if (!q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql))
            return false;
        bool temp = false;
        while (q.next())
            temp = temp || q.value(3).toString().contains(QStringLiteral("TEMP B-TREE"));
        return temp;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(OpenFoxProConnection(cn, fixturePath(QStringLiteral("sources")), &error), qPrintable(error));
        // The same rows in ordinary tables, numbered by record, for SQLite to sort itself.
        QSqlQuery q(NamedConnection(cn));
        for (const char *table : {"ordered", "unordered", "odd_numbers"}) {
            QVERIFY2(q.exec(QStringLiteral("CREATE TEMP TABLE copy_%1 AS SELECT rowid AS rec, * FROM %1")
                                .arg(QLatin1String(table))),
                     qPrintable(q.lastError().text()));
        }
    }

    void cleanupTestCase() { CloseConnection(cn); }

    void sameOrderAsSqlitesSort_data()
    {
        QTest::addColumn<QString>("query"); // table and order
        QTest::addColumn<bool>("inFileOrder");
        QTest::newRow("text, blank first") << "ordered order by inv" << true;
        QTest::newRow("text descending") << "ordered order by inv desc" << false;
        QTest::newRow("number, null first") << "ordered order by serial" << true;
        QTest::newRow("date") << "ordered order by day" << true;
        QTest::newRow("unordered number") << "ordered order by amt" << false;
        QTest::newRow("two columns") << "ordered order by inv, serial" << true;
        QTest::newRow("ties out of order") << "ordered order by inv, amt" << false;
        QTest::newRow("ties descending") << "ordered order by inv, serial desc" << false;
        QTest::newRow("reversed, ascending") << "unordered order by inv" << false;
        QTest::newRow("reversed, descending") << "unordered order by inv desc" << true;
        QTest::newRow("reversed number") << "unordered order by serial desc" << true;
        QTest::newRow("reversed, ties") << "unordered order by day desc" << true;
        // Numeric text that is no number is a blob, after every number.
        QTest::newRow("blobs after numbers") << "odd_numbers order by serial" << true;
        QTest::newRow("blobs first, descending") << "odd_numbers order by serial desc" << false;
        QTest::newRow("a blob among numbers") << "odd_numbers order by amt" << false;
    }

    void sameOrderAsSqlitesSort()
    {
        QFETCH(QString, query);
        QFETCH(bool, inFileOrder);
        const QString sql = QStringLiteral("select rowid from ") + query;
        const QList<qint64> got = column(sql);
        QCOMPARE(got.size(), 6); // the deleted record never shows
        QCOMPARE(got, column(QStringLiteral("select rec from copy_") + query));
        QCOMPARE(sortsItself(sql), !inFileOrder);
    }

    void rewrittenBetweenPlanningAndReading()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("stemp4.DBF"));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/ordered.dbf")), file));
        QString error;
        const QString name = QStringLiteral("rewritten");
        QVERIFY(OpenFoxProConnection(name, dir.path(), &error));
        {
            QSqlQuery q(NamedConnection(name));
            QVERIFY(q.prepare(QStringLiteral("Select * from STEMP4 Order by inv")));
            // Same fields, other order: the promise made when planning no longer holds.
            QVERIFY(QFile::remove(file));
            QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/unordered.dbf")), file));
            int rows = 0;
            if (q.exec()) {
                while (q.next())
                    ++rows;
            }
            QVERIFY(rows < 2);
            QVERIFY2(q.lastError().text().contains(QStringLiteral("stemp4.DBF: the table changed while")),
                     qPrintable(q.lastError().text()));
        }
        CloseConnection(name);
    }
};

QV_REGISTER_TEST(DbfOrderTest)
#include "DbfOrder_test.moc"
