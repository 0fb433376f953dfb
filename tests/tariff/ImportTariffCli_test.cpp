#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/Connections.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

namespace {
const QString kCli = QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli");
const QString kLargeRows = QStringLiteral("65535");
// Every row of the master in the database file, read by a fresh connection
// (which also rolls back whatever a killed writer left in its journal), after
// running `change` on it.
QStringList master(const QString &database, const QString &change = QString())
{
    const QString name = QStringLiteral("cli-test");
    QStringList rows;
    QString error;
    if (OpenProgramDatabase(name, database, &error)) {
        QSqlQuery q(QSqlDatabase::database(name));
        if ((!change.isEmpty() && !q.exec(change))
            || !q.exec(QStringLiteral("Select TariffNo, ifnull(Unit, '<null>') from Import order by rowid")))
            rows << QStringLiteral("unreadable");
        while (q.next())
            rows << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString();
    }
    CloseConnection(name);
    return rows;
}
} // namespace

class ImportTariffCliTest : public QObject
{
    Q_OBJECT

    QTemporaryDir data;
    QString large;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(kCli).isExecutable(), qPrintable(kCli));
        // A full sheet written by xlwt; megabytes, so it is made here rather than committed.
        large = QDir(data.path()).filePath(QStringLiteral("large.xls"));
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {fixturePath(QStringLiteral("tariff/make_fixtures.py")),
                                                          QStringLiteral("--large"), kLargeRows, large});
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0 && QFileInfo::exists(large), python.readAllStandardError().constData());
    }

    // Killed while it overwrites the database file, the import leaves the old
    // master for the next reader; the next import takes all 65,535 rows.
    void killedMidImport()
    {
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
            const QStringList args{"--app-dir", home.app(), "import-tariff", "--workbook", large, "--sheet", "Sheet1$"};
            QProcess cli;
            cli.start(kCli, args);
            QVERIFY(cli.waitForStarted());
            QElapsedTimer waited;
            waited.start();
            while (!writing() && cli.state() == QProcess::Running && waited.elapsed() < 30000)
                QThread::usleep(200);
            const bool midway = writing() && cli.state() == QProcess::Running;
            cli.kill();
            QVERIFY(cli.waitForFinished(10000));
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

            cli.start(kCli, args);
            QVERIFY(cli.waitForFinished(60000));
            QCOMPARE(cli.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()),
                     QStringLiteral("Excel Records : %1\nTransfer Records : %1\n").arg(kLargeRows));
            // Every row as written: past a signed 16-bit row count, and the
            // texts that the workbook splits across its continuation records.
            QStringList expected;
            const char *units[] = {"KGS", "NOS", "LTR", "MTR"};
            for (int r = 1; r <= kLargeRows.toInt(); ++r)
                expected << QStringLiteral("%1|%2").arg(10000000 + r).arg(QLatin1String(units[r % 4]));
            QCOMPARE(master(database), expected);
            return;
        }
    }

    // Another program holds a read transaction on the database for as long as
    // the import could take: the import gives up after the one bounded wait,
    // says so naming the file, and the master is as it was.
    void waitsBoundedBehindReader()
    {
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

        QProcess cli;
        QElapsedTimer took;
        took.start();
        cli.start(kCli, {"--app-dir", home.app(), "import-tariff", "--workbook", large, "--sheet", "Sheet1$"});
        const bool ended = cli.waitForFinished(60000);
        cli.kill();
        cli.waitForFinished(10000);
        reader.closeWriteChannel();
        QVERIFY(reader.waitForFinished(10000));
        QVERIFY2(ended && took.elapsed() < 30000, "the import kept waiting behind the reader");
        QCOMPARE(cli.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardError()),
                 QStringLiteral("The tariff master could not be saved: %1 is in use by another program (locked for "
                                "more than 5 seconds)\nThe tariff master has not been changed.\n")
                     .arg(database));
        QCOMPARE(master(database), previous);
    }
};

QV_REGISTER_TEST(ImportTariffCliTest)
#include "ImportTariffCli_test.moc"
