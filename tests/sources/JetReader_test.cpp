#include "FolderQuery.h"
#include "QueryRows.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/Connections.h"
#include "sources/DataConnections.h"
#include "sources/JetSqlite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

const QString kConnection = QStringLiteral("jetTest");

// mdb-export's rows, the header first, split at control characters no
// fixture holds. Unquoted, an empty field is null or empty text alike.
QList<QStringList> mdbExport(const QString &file, const QString &table)
{
    const QString time = QStringLiteral("%Y-%m-%d %H:%M:%S");
    QProcess p;
    p.start(QStringLiteral("mdb-export"),
            {"-Q", "-d", "\x1f", "-R", "\x1e", "-D", time, "-T", time, "-b", "hex", file, table});
    QList<QStringList> rows;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qWarning() << "mdb-export" << file << table << p.errorString() << p.readAllStandardError();
    else
        for (const QString &row : QString::fromUtf8(p.readAllStandardOutput()).split(u'\x1e', Qt::SkipEmptyParts))
            rows << row.split(u'\x1f');
    return rows;
}

} // namespace

#define OPEN_JET(path)                                                                                                 \
    do {                                                                                                               \
        QString error_;                                                                                                \
        QVERIFY2(OpenJetConnection(kConnection, path, &error_), qPrintable(error_));                                   \
    } while (false)

class JetReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!JetFilesReadable() && !QByteArray(QTest::currentTestFunction()).endsWith("Text"))
            QSKIP("This build reads no Access files");
    }
    void cleanup() { CloseConnection(kConnection); }

    void tablesMatchMdbExport_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        for (const char *t : {"Categories", "Customers", "Employees", "Order Details", "Orders", "Products", "Shippers",
                              "Suppliers", "Umsätze"})
            QTest::newRow(t) << QStringLiteral("nwind.mdb") << QString::fromUtf8(t);
        QTest::newRow("DateTest") << QStringLiteral("DateTestDatabase.mdb") << "DateTest";
    }

    // Every value of every table against what mdb-export prints for the same file.
    void tablesMatchMdbExport()
    {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty(),
                 "mdb-export is not installed (scripts/setup.sh installs mdbtools)");
        OPEN_JET(fixturePath(QStringLiteral("jet/") + file));
        const QList<QStringList> expected = mdbExport(fixturePath(QStringLiteral("jet/") + file), table);
        QVERIFY2(expected.size() >= 2, "mdb-export printed no rows");

        QSqlQuery q(NamedConnection(kConnection));
        QVERIFY2(q.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(table)), qPrintable(q.lastError().text()));
        QStringList names;
        for (int c = 0; c < q.record().count(); ++c)
            names << q.record().fieldName(c);
        QCOMPARE(names, expected.first());
        qsizetype r = 1;
        for (; q.next(); ++r) {
            QVERIFY2(r < expected.size(), "more rows than mdb-export prints");
            QCOMPARE(expected[r].size(), names.size());
            for (int c = 0; c < names.size(); ++c) {
                const QVariant got = q.value(c);
                const QString &want = expected[r][c];
                QString text = got.isNull() ? QString()
                               : got.typeId() == QMetaType::QByteArray
                                   ? QString::fromLatin1(got.toByteArray().toHex().toUpper())
                                   : got.toString();
                if (text.size() == 10 && want.size() == 19 && text.at(4) == u'-')
                    text += QStringLiteral(" 00:00:00"); // we leave midnight out
                // libmdb prints "1900-01-00" for what it cannot: see the queries test.
                const double b = want.toDouble();
                const bool same = text == want || want.startsWith(QStringLiteral("1900-01-00"))
                                  || (got.typeId() == QMetaType::Double && !got.isNull()
                                      && std::fabs(got.toDouble() - b) <= 1e-6 * qMax(1.0, std::fabs(b)));
                QVERIFY2(same,
                         qPrintable(QStringLiteral("row %1, %2: \"%3\", not \"%4\"").arg(r).arg(names[c], text, want)));
            }
        }
        QCOMPARE(r, expected.size());
    }

    // Table names in any letter case; two scans of one table at once, each with its own place in the file;
    // currency compared as a number though it reads as exact text; dates that libmdb prints as "1900-01-00"
    // (before 30 December 1899, after about 2700) read as Access stored them.
    void queries_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("rows");
        const QString nwind = QStringLiteral("nwind.mdb");
        QTest::newRow("letter case") << nwind << "select count(*) from SHIPPERS" << QStringList{"3"};
        QTest::newRow("one table twice")
            << nwind << "select count(*) from shippers a, Shippers b where a.ShipperID <= b.ShipperID"
            << QStringList{"6"};
        QTest::newRow("nested")
            << nwind << "select CompanyName from shippers where ShipperID = (select max(ShipperID) from Shippers)"
            << QStringList{"Federal Shipping"};
        QTest::newRow("currency compared")
            << nwind << "select OrderID, Freight from orders where Freight > 1000 or Freight < 0.05"
            << QStringList{"10540|1007.6400", "10972|0.0200"};
        QTest::newRow("date, currency, null")
            << nwind << "select OrderDate, Freight, ShipRegion from Orders where OrderID = 10331"
            << QStringList{"1994-11-16|10.1900|NULL"};
        QTest::newRow("dates libmdb cannot print")
            << "DateTestDatabase.mdb"
            << "SELECT IDCol, DateTimeCol, DateCol, TimeCol FROM datetest WHERE IDCol IN (2,3,4) ORDER BY IDCol"
            << QStringList{"2|9999-01-01|9999-01-01|9999-01-01", "3|1898-01-01|1899-01-01|1900-01-01",
                           "4|0632-01-01|0633-01-01|0634-01-01"};
    }

    void queries()
    {
        QFETCH(QString, file);
        QFETCH(QString, sql);
        OPEN_JET(fixturePath(QStringLiteral("jet/") + file));
        QTEST(queryRows(kConnection, sql), "rows");
    }

    void fileIsNeverWritten()
    {
        QTemporaryDir dir;
        const QByteArray before = bytesOf(fixturePath(QStringLiteral("jet/nwind.mdb")));
        const QString copy = dir.filePath(QStringLiteral("nKolvSet.mdb"));
        QVERIFY(writeBytes(copy, before)); // writable, unlike the fixture
        OPEN_JET(copy);
        for (const char *change : {"DELETE FROM Shippers", "INSERT INTO Shippers (ShipperID) VALUES (99)"})
            QVERIFY(queryRows(kConnection, change).value(0).startsWith(QStringLiteral("error: ")));
        QCOMPARE(queryRows(kConnection, QStringLiteral("SELECT * FROM Orders")).size(), 830);
        CloseConnection(kConnection);
        QVERIFY(bytesOf(copy) == before);
    }

    void dateTimeText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("epoch") << 0.0 << "1899-12-30";
        QTest::newRow("noon") << 41730.5 << "2014-04-01 12:00:00";
        // A value is dated the day it falls on, however near midnight.
        QTest::newRow("23:59:59.5") << 41730.0 + 86399.5 / 86400.0 << "2014-04-01 23:59:59";
        QTest::newRow("last double of the day") << std::nextafter(41731.0, 0.0) << "2014-04-01 23:59:59";
        QTest::newRow("midnight") << 41731.0 << "2014-04-02";
        QTest::newRow("before 1900, 23:59:59.5") << -1.0 - 86399.5 / 86400.0 << "1899-12-29 23:59:59";
        QTest::newRow("before 1900, last double") << std::nextafter(-2.0, 0.0) << "1899-12-29 23:59:59";
        QTest::newRow("before 1900, midnight") << -2.0 << "1899-12-28";
        QTest::newRow("before 1900: fraction counts forward") << -1.25 << "1899-12-29 06:00:00";
        QTest::newRow("negative zero day") << -0.5 << "1899-12-30 12:00:00";
        QTest::newRow("first day") << -657434.0 << "0100-01-01";
        QTest::newRow("last day") << 2958465.0 << "9999-12-31";
        QTest::newRow("too early") << -657435.0 << QString();
        QTest::newRow("too late") << 2958466.0 << QString();
        QTest::newRow("not a number") << std::nan("") << QString();
        QTest::newRow("infinite") << HUGE_VAL << QString();
    }

    void dateTimeText()
    {
        QFETCH(double, value);
        QTEST(JetDateTimeText(value), "text");
    }

    void currencyText_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0.0000";
        QTest::newRow("negative fraction") << qint64(-5) << "-0.0005";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "922337203685477.5807";
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << "-922337203685477.5808";
    }

    void currencyText()
    {
        QFETCH(qint64, value);
        QTEST(JetCurrencyText(value), "text");
    }

    void badFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const QByteArray good = bytesOf(fixturePath(QStringLiteral("jet/DateTestDatabase.mdb")));
        QVERIFY(!good.isEmpty());

        QTest::newRow("missing") << QString() << QByteArray() << "was not found";
        QTest::newRow("empty") << "empty.mdb" << QByteArray() << "is not an Access database";
        QTest::newRow("dbase table") << "kolvcomp.mdb" << QByteArray::fromHex("03790c1f0300000061003200")
                                     << "is not an Access database";
        QTest::newRow("first page only") << "page.mdb" << good.left(4096) << "is incomplete";
        QByteArray version = good;
        version[0x14] = char(0x40);
        QTest::newRow("unknown version") << "version.mdb" << version << "version that cannot be read";
        QByteArray catalog = good;
        catalog.replace(2 * 4096, 4096, QByteArray(4096, char(0xA5)));
        QTest::newRow("catalog overwritten") << "catalog.mdb" << catalog << "table list of the Access file";
        QByteArray twice = good;
        // A column name in a Jet 4 definition: its length in bytes, then UTF-16.
        const QByteArray timeCol = QByteArray("\x0e\0T\0i\0m\0e\0C\0o\0l\0", 16);
        const qsizetype at = twice.indexOf(timeCol, 18 * 4096);
        QVERIFY(at > 18 * 4096 && at < 19 * 4096);
        twice.replace(at, timeCol.size(), QByteArray("\x0e\0D\0a\0t\0e\0C\0o\0l\0", 16));
        QTest::newRow("two columns of one name") << "twice.mdb" << twice << "The table DateTest of";
        QTest::newRow("cut in the catalog") << "quarter.mdb" << good.left(16 * 4096) << "table list of the Access file";
        QTest::newRow("cut in a table") << "cut.mdb" << good.left(20 * 4096) << "The table DateTest of";
        QTest::newRow("cut inside a page") << "ragged.mdb" << good.left(good.size() - 100) << "is incomplete";
    }

    // A broken file gives a clear message, from the opening or from the first
    // query, and never takes the program down.
    void badFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(name.isEmpty() ? QStringLiteral("absent.mdb") : name);
        QVERIFY(name.isEmpty() || writeBytes(path, content));
        QString error;
        if (OpenJetConnection(kConnection, path, &error))
            error = queryRows(kConnection, QStringLiteral("SELECT * FROM DateTest")).join(u'\n');
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // Jet 3 text is Windows-1252, the bytes it leaves undefined keeping their
    // own value; a damaged table definition (page 449 is the table Orders')
    // leaves the other tables readable.
    void jet3TextAndADamagedTable()
    {
        QByteArray bytes = bytesOf(fixturePath(QStringLiteral("jet/nwind.mdb")));
        QVERIFY(bytes.contains("Speedy Express"));
        bytes.replace("Speedy Express", "\x80\x81\x9F\xE9"
                                        "dy Express");
        QCOMPARE(bytes.at(449 * 2048), char(2));
        bytes[449 * 2048] = char(0xA5);
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("nKolvSet.mdb")), bytes));
        OPEN_JET(dir.filePath(QStringLiteral("nKolvSet.mdb")));
        QCOMPARE(queryRows(kConnection, QStringLiteral("SELECT CompanyName FROM Shippers WHERE ShipperID = 1")),
                 QStringList{QString::fromUtf16(u"\u20AC\u0081\u0178\u00E9dy Express")});
        const QStringList orders = queryRows(kConnection, QStringLiteral("SELECT * FROM Orders"));
        QVERIFY2(orders.size() == 1 && orders[0].contains(QStringLiteral("The table Orders of")),
                 qPrintable(orders.join(u'\n')));
    }

    void fuzzFindingsStayFixed_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(QV_SOURCE_DIR "/fuzz/regressions/jet"));
        for (const QFileInfo &file : dir.entryInfoList(QDir::Files))
            QTest::newRow(qPrintable(file.fileName())) << file.filePath();
    }

    // Inputs on which the fuzz target once found a fault: each opens or fails
    // with a message, and every table reads to its end or to an error.
    void fuzzFindingsStayFixed()
    {
        QFETCH(QString, path);
        QString error;
        QElapsedTimer timer;
        timer.start();
        if (!OpenJetConnection(kConnection, path, &error)) {
            QVERIFY(!error.isEmpty());
            return;
        }
        for (QString table : NamedConnection(kConnection).tables())
            queryRows(kConnection,
                      QStringLiteral("SELECT * FROM \"%1\"").arg(table.replace(u'"', QStringLiteral("\"\""))));
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QStringLiteral("took %1 ms").arg(timer.elapsed())));
    }
};

QV_REGISTER_TEST(JetReaderTest)
#include "JetReader_test.moc"
