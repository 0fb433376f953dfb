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

    QList<QVariantList> rows(const QString &sql)
    {
        QList<QVariantList> out;
        QSqlQuery q(connection(cn));
        if (!q.exec(sql)) {
            qWarning() << q.lastError().text();
            return out;
        }
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            out << row;
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

    void dBaseIIITypesAndDeletedRecords()
    {
        const auto r = rows(QStringLiteral("select name, qty, whole, ratio, born, ok from DB3_TYPES"));
        QCOMPARE(r.size(), 3); // the deleted record never shows
        QCOMPARE(r[0][0].toString(), QStringLiteral("Copper wire ")); // blank-padded as stored
        QCOMPARE(r[0][1].toDouble(), 100.5);
        QCOMPARE(r[0][2].toLongLong(), 42);
        QCOMPARE(r[0][3].toDouble(), 0.25);
        QCOMPARE(r[0][4].toString(), QStringLiteral("2014-07-11"));
        QCOMPARE(r[0][5].toInt(), 1);
        QCOMPARE(r[1][0].toString().trimmed(), QStringLiteral("Brass rod"));
        QCOMPARE(r[1][1].toDouble(), -3.75);
        QCOMPARE(r[1][4].toString(), QStringLiteral("1899-12-31"));
        QCOMPARE(r[1][5].toInt(), 0);
        // Blank numbers, dates and logicals are nulls.
        QVERIFY(r[2][1].isNull());
        QVERIFY(r[2][4].isNull());
        QVERIFY(r[2][5].isNull());
    }

    void codePages_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("437") << "fp_cp437" << QStringList{QStringLiteral("Müller"), QStringLiteral("Ñandú")};
        QTest::newRow("850") << "fp_cp850" << QStringList{QStringLiteral("Café Ø"), QStringLiteral("Åbo")};
        QTest::newRow("1252") << "db3_cp1252" << QStringList{QStringLiteral("Crème €5")};
    }

    void codePages()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, names);
        QStringList got;
        for (const auto &row : rows(QStringLiteral("select name from %1").arg(table)))
            got << row[0].toString().trimmed();
        QCOMPARE(got, names);
    }

    // Each numeric text reads as the double nearest to it, short or long.
    void decimals()
    {
        QList<double> got;
        for (const auto &row : rows(QStringLiteral("select amount from decimals")))
            got << row[0].toDouble();
        QCOMPARE(got, (QList<double>{0.1, 2.675, 123456789.123456, 12345678901.123455, -0.000001, -7}));
    }

    void visualFoxProBinaryTypes()
    {
        const auto r = rows(QStringLiteral("select name, cnt, price, ratio, stamp, born, note, opt from Vfp_Types"));
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0][1].toLongLong(), 42);
        QCOMPARE(r[0][2].toDouble(), 12.3456);
        QCOMPARE(r[0][3].toDouble(), 2.25);
        QCOMPARE(r[0][4].toString(), QStringLiteral("2014-07-11T15:05:30"));
        QCOMPARE(r[0][5].toString(), QStringLiteral("2014-07-11"));
        QCOMPARE(r[1][1].toLongLong(), -7);
        QCOMPARE(r[1][2].toDouble(), -0.5);
        QCOMPARE(r[1][3].toDouble(), -1e10);
        QVERIFY(r[1][4].isNull());
        QCOMPARE(r[1][7].toString(), QStringLiteral("x    "));
    }

    void programQueriesRunUnchanged()
    {
        QCOMPARE(rows(QStringLiteral("Select * from EMPTY")).size(), 0);
        const auto r = rows(QStringLiteral("Select * from db3_types Order by NAME"));
        QCOMPARE(r.size(), 3);
        QCOMPARE(r[0][0].toString().trimmed(), QString()); // blank sorts first
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
        const QString name = QStringLiteral("broken");
        QVERIFY(OpenFoxProConnection(name, fixturePath(QStringLiteral("sources/broken")), &error));
        {
            QSqlQuery q(connection(name));
            QVERIFY(!q.exec(QStringLiteral("select * from %1").arg(QFileInfo(file).completeBaseName())));
            QVERIFY2(q.lastError().text().contains(reason), qPrintable(q.lastError().text()));
        }
        CloseConnection(name);
    }

    void tableRewrittenOrAddedAfterOpening()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/empty.dbf")), dir.filePath(QStringLiteral("stemp4.DBF"))));
        QString error;
        const QString name = QStringLiteral("live");
        QVERIFY(OpenFoxProConnection(name, dir.path(), &error));
        {
            QSqlQuery q(connection(name));
            QVERIFY(q.exec(QStringLiteral("select count(*) from STEMP4")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 0);
        }
        // The accounting system writes the quarter after the company was chosen.
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("stemp4.DBF"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/db3_cp1252.dbf")), dir.filePath(QStringLiteral("stemp4.DBF"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/db3_types.dbf")), dir.filePath(QStringLiteral("ptemp5.dbf"))));
        {
            QSqlQuery q(connection(name));
            QVERIFY(!q.exec(QStringLiteral("select * from stemp4"))); // its fields changed: a clear error
            QVERIFY2(q.lastError().text().contains(QStringLiteral("fields changed")), qPrintable(q.lastError().text()));
            QVERIFY(!q.exec(QStringLiteral("select * from PTEMP5")));
        }
        QVERIFY(RefreshFoxProConnection(name, &error));
        {
            QSqlQuery q(connection(name));
            QVERIFY2(q.exec(QStringLiteral("select count(*) from PTEMP5")), qPrintable(q.lastError().text()));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 3);
        }
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
