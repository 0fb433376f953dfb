#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/DataConnections.h"
#include "app/Connections.h"
#include "sources/DbfTable.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

class DbfReaderTest : public QObject
{
    Q_OBJECT

private:
    const QString cn = QStringLiteral("dbfTest");

    // Each row as its values' texts joined by "|", a null as "NULL"; a failed query as "error: " and why.
    QStringList rows(const QString &sql, const QString &name = QString())
    {
        QSqlQuery q(connection(name.isEmpty() ? cn : name));
        if (!q.exec(sql))
            return {QStringLiteral("error: ") + q.lastError().text()};
        QStringList out;
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
            out << row.join(u'|');
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(OpenFoxProConnection(cn, fixturePath(QStringLiteral("sources")), &error), qPrintable(error));
    }

    void cleanupTestCase() { CloseConnection(cn); }

    // Text blank-padded as stored; blank numbers, dates and logicals are nulls;
    // the deleted record never shows.
    void dBaseIIITypesAndDeletedRecords()
    {
        QCOMPARE(rows(QStringLiteral("select name, qty, whole, ratio, born, ok from DB3_TYPES")),
                 QStringList({"Copper wire |100.5|42|0.25|2014-07-11|1", "Brass rod   |-3.75|0|2.5|1899-12-31|0",
                              "            |NULL|NULL|NULL|NULL|NULL"}));
    }

    void codePages_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("437") << "fp_cp437" << QStringList{"Müller    ", "Ñandú     "};
        QTest::newRow("850") << "fp_cp850" << QStringList{"Café Ø    ", "Åbo       "};
        QTest::newRow("1252") << "db3_cp1252" << QStringList{"Crème €5  "};
    }

    void codePages()
    {
        QFETCH(QString, table);
        QTEST(rows(QStringLiteral("select name from %1").arg(table)), "names");
    }

    // Each numeric text reads as the double nearest to it, short or long.
    void decimals()
    {
        QList<double> got;
        for (const QString &row : rows(QStringLiteral("select amount from decimals")))
            got << row.toDouble();
        QCOMPARE(got, (QList<double>{0.1, 2.675, 123456789.123456, 12345678901.123455, -0.000001, -7}));
    }

    void visualFoxProBinaryTypes()
    {
        QCOMPARE(rows(QStringLiteral("select cnt, price, ratio, stamp, born from Vfp_Types")),
                 QStringList({"42|12.3456|2.25|2014-07-11T15:05:30|2014-07-11", "-7|-0.5|-1e+10|NULL|NULL"}));
        QCOMPARE(rows(QStringLiteral("select opt from Vfp_Types where cnt = -7")), QStringList{"x    "});
    }

    // As the program writes them, an empty table and an order with blanks first.
    void programQueriesRunUnchanged()
    {
        QCOMPARE(rows(QStringLiteral("Select * from EMPTY")), QStringList());
        QCOMPARE(rows(QStringLiteral("Select name from db3_types Order by NAME")).value(0), QString(12, u' '));
    }

    // The second NAME is left out, the fields after it stay in place.
    void repeatedFieldNameKeepsTheOthersInPlace()
    {
        QCOMPARE(rows(QStringLiteral("select * from dupe_names")), QStringList{"n1    |c1    "});
        QCOMPARE(rows(QStringLiteral("select code from dupe_names order by code")), QStringList{"c1    "});
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a table") << "not_a_table.dbf" << "not a dBase table";
        QTest::newRow("truncated") << "truncated.dbf" << "truncated";
        QTest::newRow("short header") << "short_header.dbf" << "not a dBase table";
        QTest::newRow("count lies") << "count_lies.dbf" << "the header promises 1000000 records";
        QTest::newRow("no end mark") << "no_field_end.dbf" << "damaged header";
    }

    void brokenFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        // Straight through the reader...
        DbfTable table;
        QString error;
        QVERIFY(!table.open(fixturePath(QStringLiteral("sources/broken/") + file), &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(error.startsWith(file));

        // ...and through a folder connection: the table exists, its queries fail with the reason.
        QVERIFY(OpenFoxProConnection(QStringLiteral("broken"), fixturePath(QStringLiteral("sources/broken")), &error));
        const QString failed = rows(QStringLiteral("select * from %1").arg(QFileInfo(file).completeBaseName()),
                                    QStringLiteral("broken")).value(0);
        QVERIFY2(failed.startsWith(QStringLiteral("error: ")) && failed.contains(reason), qPrintable(failed));
        CloseConnection(QStringLiteral("broken"));
    }

    void tableRewrittenOrAddedAfterOpening()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/empty.dbf")), dir.filePath(QStringLiteral("stemp4.DBF"))));
        QString error;
        const QString name = QStringLiteral("live");
        QVERIFY(OpenFoxProConnection(name, dir.path(), &error));
        QCOMPARE(rows(QStringLiteral("select count(*) from STEMP4"), name), QStringList{"0"});
        // The accounting system writes the quarter after the company was chosen.
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("stemp4.DBF"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/db3_cp1252.dbf")), dir.filePath(QStringLiteral("stemp4.DBF"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/db3_types.dbf")), dir.filePath(QStringLiteral("ptemp5.dbf"))));
        // Its fields changed: a clear error; the new table is not known yet.
        const QString changed = rows(QStringLiteral("select * from stemp4"), name).value(0);
        QVERIFY2(changed.startsWith(QStringLiteral("error: ")) && changed.contains(QStringLiteral("fields changed")),
                 qPrintable(changed));
        QVERIFY(rows(QStringLiteral("select * from PTEMP5"), name).value(0).startsWith(QStringLiteral("error: ")));
        QVERIFY(RefreshFoxProConnection(name, &error));
        QCOMPARE(rows(QStringLiteral("select count(*) from PTEMP5"), name), QStringList{"3"});
        CloseConnection(name);
    }

    void missingFolder()
    {
        QString error;
        QVERIFY(!OpenFoxProConnection(QStringLiteral("none"), QStringLiteral("/nonexistent/folder"), &error));
        QVERIFY(error.contains(QStringLiteral("does not exist")));
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("none")));
    }
};

QV_REGISTER_TEST(DbfReaderTest)
#include "DbfReader_test.moc"
