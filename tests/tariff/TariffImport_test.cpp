#include "CliRun.h"
#include "QueryRows.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "tariff/TariffImport.h"
#include "tariff/WorkbookReader.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QThread>

namespace {
bool exec(const QString &sql)
{
    return queryRows(Settings().cnProgram, sql).isEmpty();
}

// Every master row as "number|unit|storage type", a null unit as "<null>", after running `change` on it: on the
// program's connection, or on a fresh one to `database` (which also rolls back what a killed writer left).
QStringList master(const QString &database = QString(), const QString &change = QString())
{
    const QString name = database.isEmpty() ? Settings().cnProgram : QStringLiteral("master-test");
    QString error;
    if (!database.isEmpty() && !OpenProgramDatabase(name, database, &error))
        return {error};
    QStringList rows = change.isEmpty() ? QStringList() : queryRows(name, change); // no rows unless it failed
    rows += queryRows(name, QStringLiteral("Select TariffNo, ifnull(Unit, '<null>'), typeof(TariffNo) From Import "
                                           "Order by rowid"));
    if (!database.isEmpty())
        CloseConnection(name);
    return rows;
}

QString book(const QString &name = QStringLiteral("tariff.xls"))
{
    return fixturePath(QStringLiteral("tariff/") + name);
}

// Every record of a sheet below its titles, cells joined by "|", null as "<null>".
QStringList sheetRows(WorkbookReader &reader, const QString &sheet)
{
    if (!reader.selectSheet(sheet))
        return {reader.errorString()};
    QStringList rows{reader.columnTitles().join(QLatin1Char('|'))};
    for (qint64 r = 0; r < reader.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < reader.columnTitles().size(); ++c) {
            const QVariant value = reader.value(r, c);
            cells << (value.isNull() ? QStringLiteral("<null>") : value.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

const QStringList kPrevious{QStringLiteral("11111111|OLD|text"), QStringLiteral("22222222|<null>|text")};

// Cancels at the first report of `phase`; keeps the phases that reached their totals.
struct CancelAt : RecordingUserInterface
{
    QString phase;
    QStringList ends;
    void showProgress(const ProgressState &s) override
    {
        if (s.what == phase)
            RequestCancel();
        if (s.done == s.total)
            ends << s.what;
    }
};
const QString kLargeRows = QStringLiteral("65535");
} // namespace

class TariffImportTest : public QObject
{
    Q_OBJECT

    TestHome *home = nullptr;
    RecordingUserInterface ui;
    QTemporaryDir data;
    QString large;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(kCli).isExecutable(), qPrintable(kCli));
#ifdef Q_OS_WIN
        return; // python3 writes the large workbook; under Wine a test cannot wait for it
#endif
        // A full sheet written by xlwt; megabytes, so it is made here rather than committed.
        large = QDir(data.path()).filePath(QStringLiteral("large.xls"));
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {fixturePath(QStringLiteral("tariff/make_fixtures.py")),
                                                          QStringLiteral("--large"), kLargeRows, large});
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0 && QFileInfo::exists(large), python.readAllStandardError().constData());
    }

    void init()
    {
        home = new TestHome;
        QString error;
        QVERIFY2(OpenProgramDatabase(Settings().cnProgram, ProgramDatabasePath(home->app()), &error),
                 qPrintable(error));
        QVERIFY(exec(QStringLiteral("Insert into Import values ('11111111', 'OLD'), ('22222222', NULL)")));
        ui.clear();
        InstallUserInterface(&ui);
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        CloseConnection(Settings().cnProgram);
        delete home;
    }

    // Run twice: the second import replaces the first rather than adding to it.
    void importsSheet_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("repeated number, empty unit and number")
            << "Sheet1$"
            << QStringList{"74081110|KGS|text", "84139190|NOS|text", "27101990|<null>|text", "84139190|KGS|text",
                           "39269099|Kg |text"};
        QTest::newRow("name with a blank, other letter case")
            << "'my sheet$'" << QStringList{"85444999|MTR|text", "73181500|NOS|text"};
        QTest::newRow("other column order and case; numbers kept as text")
            << "Mixed$"
            << QStringList{"74081110|KGS|text", "84139190|0.5|text", "8413919012|<null>|text", "0.1|NOS|text",
                           "74081110|LTR|text"};
        QTest::newRow("every number empty") << "'Blank numbers$'" << QStringList{};
        QTest::newRow("apostrophe") << "'O''Brien$'" << QStringList{"40169390|NOS|text"};
    }

    void importsSheet()
    {
        QFETCH(QString, sheet);
        QFETCH(QStringList, rows);
        for (int run = 0; run < 2; ++run) {
            const TariffImportResult result = ImportTariff(book(), sheet);
            QVERIFY2(result.ok, qPrintable(result.error));
            QCOMPARE(master(), rows);
        }
        QCOMPARE(ui.texts(), (QStringList{"Imported Successfully", "Imported Successfully"}));
        QCOMPARE(ui.messages.first().boxType, MsgBoxType::Information);
    }

    // Any failure: the reason, and the master as it was, row for row, on a
    // connection left fit for the next import.
    void failureKeepsMaster_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QString tariff("tariff.xls"), sheet1("Sheet1$");
        QTest::newRow("no TariffNo column")
            << "NoTariff$" << tariff << "The sheet NoTariff$ has no column titled \"TariffNo\".";
        QTest::newRow("no Unit column") << "NoUnit$" << tariff << "The sheet NoUnit$ has no column titled \"Unit\".";
        QTest::newRow("unknown sheet") << "Prices$" << tariff << "The workbook tariff.xls has no sheet named Prices$.";
        QTest::newRow("text file") << sheet1 << QStringLiteral("notaworkbook.xls") << "not an Excel 97-2003 workbook";
        QTest::newRow("missing") << sheet1 << QStringLiteral("missing.xls") << "does not exist";
        // The third insert fails, after the old rows are gone and two new ones are in.
        QTest::newRow("database fails midway") << sheet1 << tariff << "disk is full";
    }

    // Stopped in each of its phases, the import leaves the master as it was.
    void cancelled_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("reading the sheet") << "Reading the sheet";
        QTest::newRow("importing rows") << "Importing rows";
    }

    void cancelled()
    {
        CancelAt cancel;
        QFETCH(QString, phase);
        cancel.phase = phase;
        InstallUserInterface(&cancel);
        ClearCancel();
        QVERIFY(ImportTariff(book(), QStringLiteral("Sheet1$")).cancelled);
        QCOMPARE(cancel.texts(), QStringList{"The import was cancelled. The tariff master has not been changed."});
        QCOMPARE(master(), kPrevious);

        ClearCancel();
        cancel = CancelAt();
        QVERIFY(ImportTariff(book(), QStringLiteral("Sheet1$")).ok);
        QCOMPARE(cancel.ends, (QStringList{"Reading the sheet", "Importing rows"}));
        QCOMPARE(master().size(), 5);
    }

    void failureKeepsMaster()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QVERIFY(
            exec(QStringLiteral(
                     "Create Trigger stopper Before Insert On Import When %1 and (Select count(*) From Import) >= 2 "
                     "Begin Select Raise(Abort, 'disk is full'); End")
                     .arg(reason == QLatin1String("disk is full"))));
        const TariffImportResult result = ImportTariff(book(file), sheet);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(reason), qPrintable(result.error));
        QCOMPARE(master(), kPrevious);
        QCOMPARE(ui.texts(), QStringList{result.error + "\nThe tariff master has not been changed."});
        QVERIFY(exec(QStringLiteral("Drop Trigger stopper")));
        QVERIFY(ImportTariff(book(), QStringLiteral("'My Sheet$'")).ok);
    }

    // The same workbook as written by xlwt and as saved again by LibreOffice, whose
    // formulas read as their last result and whose workbook-wide name of a block
    // of cells is listed as a table of its own. Titles may stand below an empty
    // row, right of an empty column.
    void readsValues_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("rows");
        const QStringList values{"|Kind|Value",          "<null>|date|2014-03-20",
                                 "<null>|time|10:30:00", "<null>|date and time|2014-03-20 10:30:00",
                                 "<null>|money|1234.5",  "<null>|quoted letters|41718",
                                 "<null>|negative|-7",   "<null>|large|1e+20",
                                 "<null>|true|1",        QString::fromUtf8("<null>|wide text|Größe ₹")};
        QTest::newRow("xlwt") << "values.xls" << QStringList{"Values$"} << "Values$" << values;
        QTest::newRow("LibreOffice") << "libreoffice/values.xls" << QStringList{"Values$"} << "Values$" << values;
        QTest::newRow("format of zeros") << "padded.xls" << QStringList{"Padded$"} << "Padded$"
                                         << QStringList{"TariffNo|Unit", "01012100|KGS", "74081110|NOS",
                                                        "1012100|LTR",   "12.5|MTR",     "0007|SQM"};
        const QString computed = QStringLiteral("libreoffice/computed.xls");
        const QStringList computedSheets{"Formulas$", "Rates$", "Tariffs"};
        QTest::newRow("formulas") << computed << computedSheets << "Formulas$"
                                  << QStringList{"TariffNo|Unit", "74081110|kgs", "42|1", "2014-03-20|<null>",
                                                 "<null>|NOS"};
        QTest::newRow("named block") << computed << computedSheets << "tariffs"
                                     << QStringList{"TariffNo|Unit", "74081110|KGS", "84139190|<null>"};
    }

    void readsValues()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        WorkbookReader reader;
        QVERIFY2(reader.open(book(file)), qPrintable(reader.errorString()));
        QTEST(reader.sheetNames(), "sheets");
        QTEST(sheetRows(reader, sheet), "rows");
    }

    void writersAgree()
    {
        WorkbookReader xlwt;
        WorkbookReader libreOffice;
        QVERIFY2(xlwt.open(book(QStringLiteral("tariff.xls"))), qPrintable(xlwt.errorString()));
        QVERIFY2(libreOffice.open(book(QStringLiteral("libreoffice/tariff.xls"))),
                 qPrintable(libreOffice.errorString()));
        QCOMPARE(libreOffice.sheetNames(), xlwt.sheetNames());
        for (const QString &sheet : xlwt.sheetNames())
            QCOMPARE(sheetRows(libreOffice, sheet), sheetRows(xlwt, sheet));
    }

    // Each file (the row's name, in broken/) carries one kind of damage; each ends in its own reason.
    void damagedWorkbooks_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("cut-to-a-third.xls") << "the allocation table points outside the file";
        QTest::newRow("no-workbook-stream.xls") << "the file does not contain a valid Workbook stream";
        QTest::newRow("directory-outside.xls") << "a chain of sectors points outside the file";
        QTest::newRow("directory-in-circle.xls") << "a chain of sectors runs in a circle";
        QTest::newRow("stream-larger-than-file.xls") << "a stream is larger than the file";
        QTest::newRow("older-format.xls") << "older than Excel 97-2003";
        QTest::newRow("encrypted.xls") << "it is protected with a password.";
        QTest::newRow("shared-texts-cut.xls") << "the table of shared texts is damaged";
        QTest::newRow("shared-text-missing.xls") << "a cell refers to a shared text the workbook does not have";
        QTest::newRow("sheet-outside.xls") << "the sheet does not begin where the workbook says";
        QTest::newRow("sheet-cut-short.xls") << "the sheet is cut short";
        QTest::newRow("cell-too-short.xls") << "a cell record is too short";
    }

    void damagedWorkbooks()
    {
        QFETCH(QString, reason);
        WorkbookReader reader;
        if (reader.open(book(QStringLiteral("broken/") + QLatin1String(QTest::currentDataTag())))) {
            QCOMPARE(reader.sheetNames(), QStringList{"Sheet1$"});
            QVERIFY(!reader.selectSheet(QStringLiteral("Sheet1$")));
            QVERIFY(reader.columnTitles().isEmpty() && reader.rowCount() == 0);
        }
        QVERIFY2(reader.errorString().contains(reason), qPrintable(reader.errorString()));
    }

    // Serial day numbers: the 1900 system's day 60 is a 29 February that never was.
    void serialDates_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QString>("text");
        const int date = int(NumberShown::Date), time = int(NumberShown::Time), both = int(NumberShown::DateTime);
        QTest::newRow("28 Feb 1900") << 59.0 << date << false << "1900-02-28";
        QTest::newRow("day 60") << 60.0 << date << false << "";
        QTest::newRow("1 Mar 1900") << 61.0 << date << false << "1900-03-01";
        QTest::newRow("1904 system") << 0.0 << date << true << "1904-01-01";
        QTest::newRow("last day") << 2958465.0 << date << false << "9999-12-31";
        QTest::newRow("past the last day") << 2958466.0 << date << false << "";
        QTest::newRow("negative") << -1.0 << date << false << "";
        QTest::newRow("half a second before midnight") << 41718.999995 << both << false << "2014-03-21 00:00:00";
        QTest::newRow("a date does not round up") << 41718.999995 << date << false << "2014-03-20";
        QTest::newRow("time of day") << 0.4375 << time << false << "10:30:00";
    }

    void serialDates()
    {
        QFETCH(double, serial);
        QFETCH(int, shown);
        QFETCH(bool, date1904);
        QFETCH(QString, text);
        QCOMPARE(SerialDateText(serial, NumberShown(shown), date1904), text);
    }

    void formatCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("shown");
        const int number = int(NumberShown::Number);
        for (const auto &[code, shown] : {std::pair{"0\\d", number}, // an escaped letter
                                          {"[Red]0.00;[Blue]-0.00", number},
                                          {"mm", number}, // month or minute alone
                                          {"[$-409]d-mmm-yy", int(NumberShown::Date)},
                                          {"[h]:mm", int(NumberShown::Time)}})
            QTest::newRow(code) << QString(code) << shown;
    }

    void formatCodes()
    {
        QFETCH(QString, code);
        QFETCH(int, shown);
        QCOMPARE(int(NumberFormatShows(code)), shown);
    }

    // Killed while it overwrites the database file, the import leaves the old
    // master for the next reader; the next import takes all 65,535 rows.
    void killedMidImport()
    {
        QV_SKIP_ON_WINDOWS("python3 writes the large workbook, and under Wine a test cannot wait for it");
        for (int attempt = 1;; ++attempt) {
            TestHome home;
            const QString database = ProgramDatabasePath(home.app());
            // A master large enough that the import reuses its pages before committing.
            const QStringList previous = master(
                database, QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < "
                                         "30000) Insert into Import "
                                         "Select '22222222', NULL Union All Select printf('9%07d', i), 'OLD' From n"));
            QCOMPARE(previous.size(), 30001);
            // Overwriting has begun once the journal's header is complete (first
            // byte no longer 0) and the file has grown past the old master.
            const qint64 oldSize = QFileInfo(database).size();
            auto writing = [&] {
                QFile f(database + QStringLiteral("-journal"));
                return f.open(QIODevice::ReadOnly) && f.size() > 0 && f.read(1) != QByteArray(1, '\0')
                       && QFileInfo(database).size() > oldSize;
            };
            const QStringList args{"import-tariff", "--workbook", large, "--sheet", "Sheet1$"};
            QProcess p;
            p.start(kCli, QStringList{"--app-dir", home.app()} + args);
            QVERIFY(p.waitForStarted());
            QElapsedTimer waited;
            waited.start();
            while (!writing() && p.state() == QProcess::Running && waited.elapsed() < 30000)
                QThread::usleep(200);
            const bool midway = writing() && p.state() == QProcess::Running;
            p.kill();
            QVERIFY(p.waitForFinished(10000));
            if (!midway) { // the import ended before the kill could land: a busy machine, try again
                QVERIFY2(attempt < 5, "the import always ended before it could be killed");
                continue;
            }
            // The file alone, without its journal, no longer holds the old master...
            const QString alone = QDir(home.app()).filePath(QStringLiteral("alone.sqlite"));
            QVERIFY(QFile::copy(database, alone));
            QVERIFY(master(alone) != previous);
            // ...yet the next reader gets it back, row for row.
            QCOMPARE(master(database), previous);

            const Run again = cli(home.app(), args);
            QCOMPARE(again.exitCode, 0);
            QCOMPARE(again.out, QStringLiteral("Excel Records : %1\nTransfer Records : %1\n").arg(kLargeRows));
            // Every row as written: past a signed 16-bit row count, and the
            // texts that the workbook splits across its continuation records.
            QStringList expected;
            const char *units[] = {"KGS", "NOS", "LTR", "MTR"};
            for (int r = 1; r <= kLargeRows.toInt(); ++r)
                expected << QStringLiteral("%1|%2|text").arg(10000000 + r).arg(QLatin1String(units[r % 4]));
            QCOMPARE(master(database), expected);
            return;
        }
    }

    // Another program holds a read transaction on the database for as long as
    // the import could take: the import gives up after the one bounded wait,
    // says so naming the file, and the master is as it was.
    void waitsBoundedBehindReader()
    {
        QV_SKIP_ON_WINDOWS("python3 writes the large workbook, and under Wine a test cannot wait for it");
        TestHome home;
        const QString database = ProgramDatabasePath(home.app());
        const QStringList previous = master(database, QStringLiteral("Insert into Import values ('11111111', 'OLD')"));
        QProcess reader; // ends when its standard input closes
        reader.start(
            QStringLiteral("/usr/bin/python3"),
            {"-c",
             "import sqlite3, sys\nc = sqlite3.connect(sys.argv[1], isolation_level=None)\nc.execute('begin')\n"
             "print(c.execute('select count(*) from Import').fetchone()[0], flush=True)\nsys.stdin.readline()\n",
             database});
        QByteArray count;
        while (!count.endsWith('\n') && reader.waitForReadyRead(10000))
            count += reader.readAllStandardOutput();
        QCOMPARE(count, QByteArray("1\n")); // the read transaction is open

        QElapsedTimer took;
        took.start();
        const Run import = cli(home.app(), {"import-tariff", "--workbook", large, "--sheet", "Sheet1$"});
        reader.closeWriteChannel();
        QVERIFY(reader.waitForFinished(10000));
        QVERIFY2(took.elapsed() < 30000, "the import kept waiting behind the reader");
        QCOMPARE(import.exitCode, 1);
        QCOMPARE(import.err,
                 QStringLiteral("The tariff master could not be saved: %1 is in use by another program (locked for "
                                "more than 5 seconds)\nThe tariff master has not been changed.\n")
                     .arg(database));
        QCOMPARE(master(database), previous);
    }
};

QV_REGISTER_TEST(TariffImportTest)
#include "TariffImport_test.moc"
