#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/Connections.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QSqlQuery>
#include <QTest>

#include <memory>

namespace {
const QString kLargeRows = QStringLiteral("65535");
const QStringList kPrevious{QStringLiteral("11111111|OLD"), QStringLiteral("22222222|"), QStringLiteral("33333333|NOS")};

QString cliPath()
{
    return QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli");
}

QString databasePath(const QString &home)
{
    return ProgramDatabasePath(home);
}

// The three rows of kPrevious, then `more` generated ones.
bool writeMaster(const QString &home, int more = 0)
{
    const QString name = QStringLiteral("cli-test-setup");
    QString error;
    bool ok = OpenProgramDatabase(name, databasePath(home), &error);
    if (ok) {
        QSqlQuery q(QSqlDatabase::database(name));
        ok = q.exec(QStringLiteral("Insert into Import values ('11111111', 'OLD'), ('22222222', NULL), ('33333333', 'NOS')"));
        if (ok && more > 0)
            ok = q.exec(QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < %1) "
                                       "Insert into Import Select printf('9%07d', i), 'OLD' From n")
                            .arg(more));
    }
    CloseConnection(name);
    return ok;
}

// Every row of the master, read by a fresh connection (which also rolls back
// whatever a killed writer left in its journal).
QStringList readMasterFile(const QString &path)
{
    const QString name = QStringLiteral("cli-test-check");
    QStringList rows;
    QString error;
    if (OpenProgramDatabase(name, path, &error)) {
        QSqlQuery q(QSqlDatabase::database(name));
        if (!q.exec(QStringLiteral("Select TariffNo, Unit from Import order by rowid")))
            rows << QStringLiteral("unreadable");
        while (q.next())
            rows << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString();
    } else {
        rows << QStringLiteral("unreadable");
    }
    CloseConnection(name);
    return rows;
}

QStringList readMaster(const QString &home)
{
    return readMasterFile(databasePath(home));
}
} // namespace

class ImportTariffCliTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void outcomes_data();
    void outcomes();
    void largeSheetImportedWhole();
    void killedMidImport_data();
    void killedMidImport();

private:
    QTemporaryDir m_data;
    QString m_large;
};

void ImportTariffCliTest::initTestCase()
{
    QVERIFY2(QFileInfo(cliPath()).isExecutable(), qPrintable(cliPath()));
    // A full sheet written by xlwt; megabytes, so it is made here rather than committed.
    m_large = QDir(m_data.path()).filePath(QStringLiteral("large.xls"));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {fixturePath(QStringLiteral("tariff/make_fixtures.py")), QStringLiteral("--large"), kLargeRows, m_large});
    QVERIFY(python.waitForFinished(120000));
    QVERIFY2(python.exitCode() == 0 && QFileInfo::exists(m_large), python.readAllStandardError().constData());
}

void ImportTariffCliTest::outcomes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QStringList>("master");
    const QString book = fixturePath(QStringLiteral("tariff/tariff.xls"));
    const QString broken = fixturePath(QStringLiteral("tariff/nostream.xls"));
    QTest::newRow("import") << QStringList{"--workbook", book, "--sheet", "'My Sheet$'"} << 0
                            << "Excel Records : 2\nTransfer Records : 2\n" << "Imported Successfully\n"
                            << QStringList{"85444999|MTR", "73181500|NOS"};
    QTest::newRow("list sheets") << QStringList{"--workbook", book, "--list-sheets"} << 0
                                 << "Sheet1$\n'My Sheet$'\nMixed$\nNoTariff$\nNoUnit$\n'Blank numbers$'\n'O''Brien$'\n"
                                 << "" << kPrevious;
    QTest::newRow("unknown sheet") << QStringList{"--workbook", book, "--sheet", "Prices$"} << 1 << ""
                                   << "The workbook tariff.xls has no sheet named Prices$.\nThe tariff master has not been changed.\n"
                                   << kPrevious;
    QTest::newRow("no TariffNo column") << QStringList{"--workbook", book, "--sheet", "NoTariff$"} << 1 << ""
                                        << "The sheet NoTariff$ has no column titled \"TariffNo\".\nThe tariff master has not been changed.\n"
                                        << kPrevious;
    QTest::newRow("unreadable workbook, listing") << QStringList{"--workbook", broken, "--list-sheets"} << 1 << ""
                                                  << "does not contain a valid Workbook stream" << kPrevious;
    QTest::newRow("neither sheet nor list") << QStringList{"--workbook", book} << 2 << "" << "usage:" << kPrevious;
    QTest::newRow("both sheet and list") << QStringList{"--workbook", book, "--sheet", "Sheet1$", "--list-sheets"} << 2
                                         << "" << "usage:" << kPrevious;
}

void ImportTariffCliTest::outcomes()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QStringList, master);
    TestHome home;
    QVERIFY(writeMaster(home.app()));
    QProcess cli;
    cli.start(cliPath(), QStringList{"--app-dir", home.app(), "import-tariff"} + args);
    QVERIFY(cli.waitForFinished(60000));
    const QString stdErr = QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), exitCode);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()), out);
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
    QCOMPARE(readMaster(home.app()), master);
}

void ImportTariffCliTest::largeSheetImportedWhole()
{
    TestHome home;
    QVERIFY(writeMaster(home.app()));
    QProcess cli;
    cli.start(cliPath(), {"--app-dir", home.app(), "import-tariff", "--workbook", m_large, "--sheet", "Sheet1$"});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()),
             QStringLiteral("Excel Records : %1\nTransfer Records : %1\n").arg(kLargeRows));
    const QStringList rows = readMaster(home.app());
    QCOMPARE(rows.size(), kLargeRows.toInt());
    QCOMPARE(rows.first(), QStringLiteral("10000001|NOS"));
    QCOMPARE(rows.at(32767), QStringLiteral("10032768|KGS"));
    QCOMPARE(rows.last(), QStringLiteral("10065535|MTR"));
}

void ImportTariffCliTest::killedMidImport_data()
{
    QTest::addColumn<bool>("heldByReader");
    // A reader holding the database keeps the import from committing: the kill
    // lands after every old row is deleted and every new one inserted.
    QTest::newRow("before commit") << true;
    // Without one, the import writes into the database file before it commits
    // (the changes outgrow the page cache): the kill lands on a half-written file.
    QTest::newRow("while writing the file") << false;
}

void ImportTariffCliTest::killedMidImport()
{
    QFETCH(bool, heldByReader);
    const QString readerName = QStringLiteral("cli-test-reader");
    for (int attempt = 1;; ++attempt) {
        TestHome home;
        // A master large enough that the import reuses its pages before committing.
        QVERIFY(writeMaster(home.app(), 30000));
        const QStringList previous = readMaster(home.app());
        QCOMPARE(previous.size(), 30003);
        const QString journal = databasePath(home.app()) + QStringLiteral("-journal");
        if (heldByReader) {
            QString error;
            QVERIFY2(OpenProgramDatabase(readerName, databasePath(home.app()), &error), qPrintable(error));
            QSqlDatabase reader = QSqlDatabase::database(readerName);
            QVERIFY(reader.transaction());
            QSqlQuery q(reader);
            QVERIFY(q.exec(QStringLiteral("Select count(*) from Import")) && q.next());
        }
        // Before commit the journal has content. The database file is being written
        // once the journal's header is complete (its first byte no longer 0) and the
        // file has grown past what the old master needed.
        const qint64 oldSize = QFileInfo(databasePath(home.app())).size();
        auto reached = [&] {
            QFile f(journal);
            if (!f.open(QIODevice::ReadOnly) || f.size() == 0)
                return false;
            return heldByReader
                || (f.read(1) != QByteArray(1, '\0') && QFileInfo(databasePath(home.app())).size() > oldSize);
        };

        QProcess cli;
        cli.start(cliPath(), {"--app-dir", home.app(), "import-tariff", "--workbook", m_large, "--sheet", "Sheet1$"});
        QVERIFY(cli.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (!reached() && cli.state() == QProcess::Running && waited.elapsed() < 30000)
            QThread::usleep(200);
        const bool midway = reached() && cli.state() == QProcess::Running;
        cli.kill();
        QVERIFY(cli.waitForFinished(10000));
        if (heldByReader) {
            QSqlDatabase::database(readerName).rollback();
            CloseConnection(readerName);
        }
        if (!midway) {
            // The import finished before the kill could land; a busy machine, try again.
            QVERIFY2(attempt < 5, "the import always ended before it could be killed");
            continue;
        }
        QCOMPARE(cli.exitStatus(), QProcess::CrashExit);
        QVERIFY(QFileInfo(journal).size() > 0);
        if (!heldByReader) {
            // The file alone, without its journal, no longer holds the old master.
            const QString alone = QDir(home.app()).filePath(QStringLiteral("alone.sqlite"));
            QVERIFY(QFile::copy(databasePath(home.app()), alone));
            QVERIFY(readMasterFile(alone) != previous);
        }
        QCOMPARE(readMaster(home.app()), previous);

        // The master takes the next import as usual.
        cli.start(cliPath(), {"--app-dir", home.app(), "import-tariff", "--workbook", m_large, "--sheet", "Sheet1$"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(readMaster(home.app()).size(), kLargeRows.toInt());
        return;
    }
}

QV_REGISTER_TEST(ImportTariffCliTest)
#include "ImportTariffCli_test.moc"
