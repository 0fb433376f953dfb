#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/Connections.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QSqlQuery>
#include <QTest>

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
    QTest::newRow("import") << QStringList{"--workbook", book, "--sheet", "'My Sheet$'"} << 0
                            << "Excel Records : 2\nTransfer Records : 2\n" << "Imported Successfully\n"
                            << QStringList{"85444999|MTR", "73181500|NOS"};
    QTest::newRow("list sheets") << QStringList{"--workbook", book, "--list-sheets"} << 0
                                 << "Sheet1$\n'My Sheet$'\nMixed$\nNoTariff$\nNoUnit$\n'Blank numbers$'\n'O''Brien$'\n"
                                 << "" << kPrevious;
    QTest::newRow("unknown sheet") << QStringList{"--workbook", book, "--sheet", "Prices$"} << 1 << ""
                                   << "The workbook tariff.xls has no sheet named Prices$.\nThe tariff master has not been changed.\n"
                                   << kPrevious;
    QTest::newRow("neither sheet nor list") << QStringList{"--workbook", book} << 2 << "" << "usage:" << kPrevious;
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

void ImportTariffCliTest::killedMidImport()
{
    for (int attempt = 1;; ++attempt) {
        TestHome home;
        // A master large enough that the import reuses its pages before committing.
        QVERIFY(writeMaster(home.app(), 30000));
        const QStringList previous = readMaster(home.app());
        QCOMPARE(previous.size(), 30003);
        const QString database = databasePath(home.app());
        const QString journal = database + QStringLiteral("-journal");
        // The import is overwriting the database file once its journal's header is
        // complete (first byte no longer 0) and the file has grown past the old master.
        const qint64 oldSize = QFileInfo(database).size();
        auto writing = [&] {
            QFile f(journal);
            return f.open(QIODevice::ReadOnly) && f.size() > 0 && f.read(1) != QByteArray(1, '\0')
                && QFileInfo(database).size() > oldSize;
        };

        QProcess cli;
        cli.start(cliPath(), {"--app-dir", home.app(), "import-tariff", "--workbook", m_large, "--sheet", "Sheet1$"});
        QVERIFY(cli.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (!writing() && cli.state() == QProcess::Running && waited.elapsed() < 30000)
            QThread::usleep(200);
        const bool midway = writing() && cli.state() == QProcess::Running;
        cli.kill();
        QVERIFY(cli.waitForFinished(10000));
        if (!midway) {
            // The import finished before the kill could land; a busy machine, try again.
            QVERIFY2(attempt < 5, "the import always ended before it could be killed");
            continue;
        }
        QCOMPARE(cli.exitStatus(), QProcess::CrashExit);
        // The file alone, without its journal, no longer holds the old master...
        const QString alone = QDir(home.app()).filePath(QStringLiteral("alone.sqlite"));
        QVERIFY(QFile::copy(database, alone));
        QVERIFY(readMasterFile(alone) != previous);
        // ...yet the next reader gets it back, row for row.
        QCOMPARE(readMaster(home.app()), previous);

        // The next import takes the whole sheet, far past 32,767 rows.
        cli.start(cliPath(), {"--app-dir", home.app(), "import-tariff", "--workbook", m_large, "--sheet", "Sheet1$"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()),
                 QStringLiteral("Excel Records : %1\nTransfer Records : %1\n").arg(kLargeRows));
        const QStringList rows = readMaster(home.app());
        QCOMPARE(rows.size(), kLargeRows.toInt());
        QCOMPARE(rows.at(32767), QStringLiteral("10032768|KGS"));
        QCOMPARE(rows.last(), QStringLiteral("10065535|MTR"));
        return;
    }
}

QV_REGISTER_TEST(ImportTariffCliTest)
#include "ImportTariffCli_test.moc"
