#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/ErrorLog.h"
#include "app/UserInterface.h"
#include "context/Startup.h"
#include "desktop/ProgramMain.h"

#include <QDir>
#include <QFile>
#include <QTest>

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void dataModeDecision_data()
    {
        QTest::addColumn<QString>("marker"); // in the application folder
        QTest::addColumn<QByteArray>("naturePath"); // empty: no file
        QTest::addColumn<bool>("accessInf");
        QTest::addColumn<QString>("dataPath");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("ok");

        const int fox = int(DataMode::FoxPro), jet = int(DataMode::Jet), sql = int(DataMode::SqlServer);
        const QByteArray none;
        QTest::newRow("KOLV.Bat wins over everything")
            << "KOLV.Bat" << QByteArray("D:\\Accounts [SRV01]\r\n") << true << "" << fox << "" << true;
        QTest::newRow("Jet, several lines: only the first")
            << "" << QByteArray("D:\\Accounts\r\nE:\\Other\r\n") << true << "D:\\Accounts" << jet << "" << true;
        QTest::newRow("Jet, separator kept")
            << "" << QByteArray("D:\\Accounts\\\n") << true << "D:\\Accounts\\" << jet << "" << true;
        QTest::newRow("Jet, blanks kept")
            << "" << QByteArray("  D:\\Accounts  ") << true << "  D:\\Accounts  " << jet << "" << true;
        QTest::newRow("Jet without NaturePath.inf") << "" << none << true << "" << jet << "" << true;
        QTest::newRow("server in brackets")
            << "" << QByteArray("D:\\Accounts [SRV01]") << false << "D:\\Accounts [SRV01]" << sql << "SRV01" << true;
        QTest::newRow("server, no opening bracket")
            << "" << QByteArray("SRV01]") << false << "SRV01]" << sql << "SRV01" << true;
        QTest::newRow("server, no closing bracket stops")
            << "" << QByteArray("[SRV01") << false << "[SRV01" << sql << "" << false;
        QTest::newRow("server, brackets reversed stops")
            << "" << QByteArray("]SRV01[") << false << "]SRV01[" << sql << "" << false;
        QTest::newRow("marker in any letter case") << "kolv.bat" << none << false << "" << fox << "" << true;
        QTest::newRow("no file at all stops") << "" << none << false << "" << sql << "" << false;
    }

    void dataModeDecision()
    {
        QFETCH(QString, marker);
        QFETCH(QByteArray, naturePath);
        QFETCH(bool, accessInf);
        TestHome home;
        if (!marker.isEmpty())
            home.writeFile(marker, "");
        if (!naturePath.isEmpty())
            home.systemFile(QStringLiteral("NaturePath.inf"), naturePath);
        if (accessInf)
            home.systemFile(QStringLiteral("Access.inf"), "");

        const ModeDecision d = DecideDataMode(home.app(), home.system());
        QTEST(int(d.mode), "mode");
        QTEST(d.dataPath, "dataPath");
        QTEST(d.serverName, "server");
        QTEST(d.ok, "ok");
        if (d.ok)
            return;
        // Start-up stops with the decision's reason, nothing opened.
        StartupFailure failure;
        QVERIFY(!OpenStartupConnections(&failure));
        QVERIFY(failure.number != 0);
        QVERIFY(!d.error.isEmpty());
        QCOMPARE(failure.description, d.error);
        QVERIFY(!ConnectionIsOpen(Settings().cnProgram));
    }

    // A file that is not a database is reported, not replaced. (Creating and
    // reopening the database is exercised by every tariff test.)
    void programDatabaseNotADatabase()
    {
        TestHome home;
        const QString bad = home.writeFile(QStringLiteral("bad.sqlite"), QByteArray(4096, 'x'));
        QString error;
        QVERIFY(!OpenProgramDatabase(QStringLiteral("p"), bad, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(QFile(bad).size(), 4096);
    }

    // A short date that is not day first is asked about: Cancel ends the program, OK keeps dd/MM/yyyy from then on.
    void regionalQuestion()
    {
        RecordingUserInterface rec;
        InstallUserInterface(&rec);
        FixedClock::set(QDateTime(QDate(2014, 3, 5), QTime(10, 0))); // a day whose two forms differ
        StoreShortDateFormat(QStringLiteral("M/d/yyyy"));
        rec.standardAnswers << StdResult::Cancel << StdResult::Ok;
        const QList<bool> goOn{RunRegionalDateCheck(), RunRegionalDateCheck(), RunRegionalDateCheck()};
        InstallUserInterface(nullptr);
        FixedClock::reset();
        QCOMPARE(goOn, (QList<bool>{false, true, true}));
        QCOMPARE(rec.texts(),
                 QStringList(2, "Invalid Regional Setting for Date.\r\nDo you want to change date to dd/MM/yyyy ?"));
        QCOMPARE(rec.messages[0].title, QStringLiteral("Pondrel"));
        QCOMPARE(ShortDateText(QDate(2014, 3, 5)), QStringLiteral("05/03/2014"));
        ClearStoredShortDateFormat();
    }

    // QUORVANT_HOME naming a folder that is not there ends the desktop
    // program with the reason, and nothing is made in its place.
    void missingHomeEndsTheProgram()
    {
        TestHome home;
        QVERIFY(QDir(home.app() + QStringLiteral("/Data")).removeRecursively());
        const QString missing = home.app() + QStringLiteral("/nope");
        qputenv("QUORVANT_HOME", missing.toLocal8Bit());
        RecordingUserInterface rec;
        InstallUserInterface(&rec);
        QCOMPARE(Main(), 1);
        InstallUserInterface(nullptr);
        // One message naming the folder; no word of the log, which would live there.
        QCOMPARE(rec.texts(),
                 QStringList{"Error in Main\r\n76\r\nThe application folder " + QDir::toNativeSeparators(missing)
                             + " does not exist (QUORVANT_HOME names it)"});
        QVERIFY(QDir(home.app()).isEmpty());
    }
};

QV_REGISTER_TEST(StartupTest)
#include "Startup_test.moc"
