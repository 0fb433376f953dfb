#include "TestRegistry.h"

#include "app/Connections.h"
#include "app/DataConnections.h"
#include "app/Values.h"
#include "sources/JetTables.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

QString jetFixture(const QString &name)
{
    return QStringLiteral(QV_SHARED_DIR "/fixtures/jet/") + name;
}

// One CSV field as mdb-export writes it: quoted text, or a bare value (an
// empty bare value is null or empty text; mdb-export does not tell them apart).
struct CsvField
{
    QString text;
    bool quoted = false;
};

QList<QList<CsvField>> parseCsv(const QString &csv)
{
    QList<QList<CsvField>> rows;
    QList<CsvField> row;
    CsvField field;
    bool inQuotes = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv.at(i);
        if (inQuotes) {
            if (c == u'"' && i + 1 < csv.size() && csv.at(i + 1) == u'"') {
                field.text += u'"';
                ++i;
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                field.text += c;
            }
        } else if (c == u'"') {
            inQuotes = true;
            field.quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            row.append(field);
            field = CsvField();
            fieldStarted = false;
        } else if (c == u'\n') {
            row.append(field);
            rows.append(row);
            row.clear();
            field = CsvField();
            fieldStarted = false;
        } else if (c != u'\r' || fieldStarted) {
            field.text += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

QByteArray runMdbExport(const QString &file, const QString &table)
{
    QProcess p;
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-D"), QStringLiteral("%Y-%m-%d %H:%M:%S"), QStringLiteral("-T"),
             QStringLiteral("%Y-%m-%d %H:%M:%S"), QStringLiteral("-b"), QStringLiteral("hex"), file, table});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning() << "mdb-export" << file << table << p.errorString() << p.exitCode()
                   << p.readAllStandardError();
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

QString sha1Of(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex());
}

} // namespace

class JetReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { CloseConnection(kConnection); }

    void tablesMatchMdbExport_data();
    void tablesMatchMdbExport();
    void datesOutsideLibmdbRange();
    void tableNamesIgnoreCaseAndQueriesNest();
    void fileIsNeverWritten();
    void valuesReadAsTextAndDates();
    void dateTimeText_data();
    void dateTimeText();
    void currencyText_data();
    void currencyText();
    void badFiles_data();
    void badFiles();
    void damagedTableLeavesOthersReadable();
    void fuzzFindingsStayFixed_data();
    void fuzzFindingsStayFixed();
};

void JetReaderTest::tablesMatchMdbExport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    for (const char *t : {"Categories", "Customers", "Employees", "Order Details", "Orders", "Products", "Shippers",
                          "Suppliers", "Umsätze"})
        QTest::newRow(t) << QStringLiteral("nwind.mdb") << QString::fromUtf8(t);
    QTest::newRow("DateTest") << QStringLiteral("DateTestDatabase.mdb") << QStringLiteral("DateTest");
}

// Every value of every table against what mdb-export prints for the same file.
void JetReaderTest::tablesMatchMdbExport()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
        QFAIL("mdb-export is not installed (scripts/setup.sh installs mdbtools)");
    const QString path = jetFixture(file);
    QString error;
    QVERIFY2(OpenJetConnection(kConnection, path, &error), qPrintable(error));

    const QList<QList<CsvField>> expected = parseCsv(QString::fromUtf8(runMdbExport(path, table)));
    QVERIFY2(expected.size() >= 2, "mdb-export printed no rows");
    const QList<CsvField> header = expected.first();

    QSqlQuery q(connection(kConnection));
    QString quoted = table;
    quoted.replace(u'"', QStringLiteral("\"\""));
    QVERIFY2(q.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(quoted)), qPrintable(q.lastError().text()));
    QCOMPARE(q.record().count(), header.size());
    for (int c = 0; c < header.size(); ++c)
        QCOMPARE(q.record().fieldName(c), header[c].text);

    int checked = 0;
    qsizetype r = 1;
    for (; q.next(); ++r) {
        QVERIFY2(r < expected.size(), "more rows than mdb-export prints");
        const QList<CsvField> &want = expected[r];
        QCOMPARE(want.size(), header.size());
        for (int c = 0; c < header.size(); ++c) {
            const QVariant got = q.value(c);
            const QString where = QStringLiteral("row %1, column %2").arg(r).arg(header[c].text);
            const CsvField &w = want[c];
            if (w.text.startsWith(QStringLiteral("1900-01-00")))
                continue; // libmdb cannot print this date: see datesOutsideLibmdbRange
            if (got.isNull() || (got.typeId() == QMetaType::QString && got.toString().isEmpty())) {
                QVERIFY2(w.text.isEmpty(), qPrintable(where + QStringLiteral(": empty, mdb-export ") + w.text));
            } else if (got.typeId() == QMetaType::Double) {
                const double a = got.toDouble();
                const double b = w.text.toDouble();
                QVERIFY2(std::fabs(a - b) <= 1e-6 * qMax(1.0, std::fabs(b)),
                         qPrintable(where + QStringLiteral(": %1 against %2").arg(a).arg(w.text)));
            } else if (got.typeId() == QMetaType::QByteArray) {
                QCOMPARE(QString::fromLatin1(got.toByteArray().toHex().toUpper()), w.text);
            } else {
                QString text = got.toString();
                if (text.size() == 10 && w.text.size() == 19 && text.at(4) == u'-')
                    text += QStringLiteral(" 00:00:00"); // we leave midnight out
                if (text != w.text)
                    QFAIL(qPrintable(where + QStringLiteral(": \"%1\" against \"%2\"").arg(text, w.text)));
            }
            ++checked;
        }
    }
    QCOMPARE(r, expected.size());
    QVERIFY(checked > 0);
}

// libmdb prints dates before 30 December 1899 and after about 2700 as
// "1900-01-00"; the values Access stored there are read correctly here.
void JetReaderTest::datesOutsideLibmdbRange()
{
    QString error;
    QVERIFY2(OpenJetConnection(kConnection, jetFixture(QStringLiteral("DateTestDatabase.mdb")), &error),
             qPrintable(error));
    QSqlQuery q(connection(kConnection));
    QVERIFY(q.exec(QStringLiteral("SELECT IDCol, DateTimeCol, DateCol, TimeCol FROM datetest WHERE IDCol IN (2,3,4) "
                                  "ORDER BY IDCol")));
    QStringList got;
    while (q.next())
        got << QStringLiteral("%1|%2|%3|%4").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                                 q.value(3).toString());
    const QStringList want = {
        QStringLiteral("2|9999-01-01|9999-01-01|9999-01-01"),
        QStringLiteral("3|1898-01-01|1899-01-01|1900-01-01"),
        QStringLiteral("4|0632-01-01|0633-01-01|0634-01-01"),
    };
    QCOMPARE(got, want);
}

void JetReaderTest::tableNamesIgnoreCaseAndQueriesNest()
{
    QString error;
    QVERIFY2(OpenJetConnection(kConnection, jetFixture(QStringLiteral("nwind.mdb")), &error), qPrintable(error));
    QSqlQuery q(connection(kConnection));
    QVERIFY2(q.exec(QStringLiteral("select count(*) from SHIPPERS")), qPrintable(q.lastError().text()));
    QVERIFY(q.next());
    const int shippers = q.value(0).toInt();
    QCOMPARE(shippers, 3);
    // Two scans of one table at once, each with its own position in the file.
    QVERIFY(q.exec(QStringLiteral("select count(*) from shippers a, Shippers b where a.ShipperID <= b.ShipperID")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 6);
    QVERIFY(q.exec(QStringLiteral("select CompanyName from shippers where ShipperID = "
                                  "(select max(ShipperID) from Shippers)")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Federal Shipping"));
    // Currency compares as a number although it reads as exact text.
    QVERIFY(q.exec(QStringLiteral("select OrderID, Freight from orders where Freight > 1000 or Freight < 0.05")));
    QStringList extremes;
    while (q.next())
        extremes << q.value(0).toString() + u' ' + q.value(1).toString();
    QCOMPARE(extremes, QStringList({QStringLiteral("10540 1007.6400"), QStringLiteral("10972 0.0200")}));
}

void JetReaderTest::fileIsNeverWritten()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("nKolvSet.mdb"));
    QVERIFY(QFile::copy(jetFixture(QStringLiteral("nwind.mdb")), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    const QString before = sha1Of(copy);
    QString error;
    QVERIFY2(OpenJetConnection(kConnection, copy, &error), qPrintable(error));
    QSqlQuery q(connection(kConnection));
    QVERIFY(!q.exec(QStringLiteral("DELETE FROM Shippers")));
    QVERIFY(!q.exec(QStringLiteral("INSERT INTO Shippers (ShipperID) VALUES (99)")));
    QVERIFY(q.exec(QStringLiteral("SELECT * FROM Orders")));
    while (q.next()) {
    }
    CloseConnection(kConnection);
    QCOMPARE(sha1Of(copy), before);
}

// The shared value helpers understand what the reader delivers.
void JetReaderTest::valuesReadAsTextAndDates()
{
    QString error;
    QVERIFY2(OpenJetConnection(kConnection, jetFixture(QStringLiteral("nwind.mdb")), &error), qPrintable(error));
    QSqlQuery q(connection(kConnection));
    QVERIFY(q.exec(QStringLiteral("select OrderDate, Freight, ShipRegion from Orders where OrderID = 10331")));
    QVERIFY(q.next());
    QCOMPARE(ValueDate(q.value(QStringLiteral("orderdate"))), QDate(1994, 11, 16));
    QCOMPARE(ValueText(q.value(QStringLiteral("Freight"))), QStringLiteral("10.1900"));
    QVERIFY(q.value(QStringLiteral("ShipRegion")).isNull());
}

void JetReaderTest::dateTimeText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("epoch") << 0.0 << QStringLiteral("1899-12-30");
    QTest::newRow("quarter start") << 41730.0 << QStringLiteral("2014-04-01");
    QTest::newRow("noon") << 41730.5 << QStringLiteral("2014-04-01 12:00:00");
    QTest::newRow("a second before midnight rounds up") << 41730.99999999 << QStringLiteral("2014-04-02");
    QTest::newRow("before 1900: fraction counts forward") << -1.25 << QStringLiteral("1899-12-29 06:00:00");
    QTest::newRow("negative zero day") << -0.5 << QStringLiteral("1899-12-30 12:00:00");
    QTest::newRow("first day") << -657434.0 << QStringLiteral("0100-01-01");
    QTest::newRow("last day") << 2958465.0 << QStringLiteral("9999-12-31");
    QTest::newRow("too early") << -657435.0 << QString();
    QTest::newRow("too late") << 2958466.0 << QString();
    QTest::newRow("not a number") << std::nan("") << QString();
    QTest::newRow("infinite") << HUGE_VAL << QString();
}

void JetReaderTest::dateTimeText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(JetDateTimeText(value), text);
}

void JetReaderTest::currencyText_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << QStringLiteral("0.0000");
    QTest::newRow("cents") << qint64(127500) << QStringLiteral("12.7500");
    QTest::newRow("negative fraction") << qint64(-5) << QStringLiteral("-0.0005");
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << QStringLiteral("922337203685477.5807");
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << QStringLiteral("-922337203685477.5808");
}

void JetReaderTest::currencyText()
{
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(JetCurrencyText(value), text);
}

void JetReaderTest::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    QFile f(jetFixture(QStringLiteral("DateTestDatabase.mdb")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();

    QTest::newRow("missing") << QString() << QByteArray() << QStringLiteral("was not found");
    QTest::newRow("empty") << QStringLiteral("empty.mdb") << QByteArray() << QStringLiteral("is not an Access database");
    QTest::newRow("text") << QStringLiteral("notes.mdb") << QByteArray("Company list\r\n001,ABC\r\n")
                          << QStringLiteral("is not an Access database");
    QTest::newRow("dbase table") << QStringLiteral("kolvcomp.mdb") << QByteArray::fromHex("03790c1f0300000061003200")
                                 << QStringLiteral("is not an Access database");
    QTest::newRow("first page only") << QStringLiteral("page.mdb") << good.left(4096)
                                     << QStringLiteral("is incomplete");
    QByteArray version = good;
    version[0x14] = char(0x40);
    QTest::newRow("unknown version") << QStringLiteral("version.mdb") << version
                                     << QStringLiteral("version that cannot be read");
    QByteArray catalog = good;
    for (int i = 2 * 4096; i < 3 * 4096; ++i)
        catalog[i] = char(0xA5);
    QTest::newRow("catalog overwritten") << QStringLiteral("catalog.mdb") << catalog
                                         << QStringLiteral("table list of the Access file");
    QByteArray twice = good;
    // A column name in a Jet 4 definition: its length in bytes, then UTF-16.
    const QByteArray timeCol = QByteArray("\x0e\0T\0i\0m\0e\0C\0o\0l\0", 16);
    const qsizetype at = twice.indexOf(timeCol, 18 * 4096);
    QVERIFY(at > 18 * 4096 && at < 19 * 4096);
    twice.replace(at, timeCol.size(), QByteArray("\x0e\0D\0a\0t\0e\0C\0o\0l\0", 16));
    QTest::newRow("two columns of one name") << QStringLiteral("twice.mdb") << twice
                                             << QStringLiteral("The table DateTest of");
    QTest::newRow("cut in the catalog") << QStringLiteral("quarter.mdb") << good.left(16 * 4096)
                                        << QStringLiteral("table list of the Access file");
    QTest::newRow("cut in a table") << QStringLiteral("cut.mdb") << good.left(20 * 4096)
                                    << QStringLiteral("The table DateTest of");
    QTest::newRow("cut inside a page") << QStringLiteral("ragged.mdb") << good.left(good.size() - 100)
                                       << QStringLiteral("is incomplete");
}

// A broken file gives a clear message, from the opening or from the first
// query, and never takes the program down.
void JetReaderTest::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(name.isEmpty() ? QStringLiteral("absent.mdb") : name);
    if (!name.isEmpty()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    QString error;
    if (OpenJetConnection(kConnection, path, &error)) {
        QSqlQuery q(connection(kConnection));
        bool failed = !q.exec(QStringLiteral("SELECT * FROM DateTest"));
        while (!failed && q.next()) {
        }
        failed = failed || q.lastError().isValid();
        QVERIFY2(failed, "a damaged file read without complaint");
        error = q.lastError().text();
    }
    QVERIFY2(error.contains(message), qPrintable(error));
}

// Page 449 of the Jet 3 file is the definition of the table Orders.
void JetReaderTest::damagedTableLeavesOthersReadable()
{
    QFile f(jetFixture(QStringLiteral("nwind.mdb")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    QCOMPARE(bytes.at(449 * 2048), char(2));
    bytes[449 * 2048] = char(0xA5);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nKolvSet.mdb"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    QString error;
    QVERIFY2(OpenJetConnection(kConnection, path, &error), qPrintable(error));
    QSqlQuery q(connection(kConnection));
    QVERIFY2(q.exec(QStringLiteral("SELECT CompanyName FROM Shippers ORDER BY ShipperID")),
             qPrintable(q.lastError().text()));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Speedy Express"));
    QVERIFY(!q.exec(QStringLiteral("SELECT * FROM Orders")));
    QVERIFY2(q.lastError().text().contains(QStringLiteral("The table Orders of")), qPrintable(q.lastError().text()));
}

void JetReaderTest::fuzzFindingsStayFixed_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(QV_SOURCE_DIR "/fuzz/regressions/jet"));
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files))
        QTest::newRow(qPrintable(file.fileName())) << file.filePath();
}

// Inputs on which the fuzz target once found a fault: each opens or fails
// with a message, and every table reads to its end or to an error.
void JetReaderTest::fuzzFindingsStayFixed()
{
    QFETCH(QString, path);
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!OpenJetConnection(kConnection, path, &error)) {
        QVERIFY(!error.isEmpty());
        return;
    }
    const QStringList tables = connection(kConnection).tables();
    for (const QString &table : tables) {
        QSqlQuery q(connection(kConnection));
        QString quoted = table;
        quoted.replace(u'"', QStringLiteral("\"\""));
        if (q.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(quoted))) {
            while (q.next()) {
            }
        }
    }
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QStringLiteral("took %1 ms").arg(timer.elapsed())));
}

QV_REGISTER_TEST(JetReaderTest)
#include "JetReader_test.moc"
