#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

namespace {
bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

// quorvant-cli where its surroundings fail: the application folder, standard
// output, the returns' folder and the company list. "APP" stands for the
// demo application folder of the test.
class CliFailuresTest : public QObject
{
    Q_OBJECT

private slots:
    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>(
            "setup"); // "full stdout", "read-only ACES" or "Data", "full Data", "bad codes", "fifo"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errEnd");
        const QStringList exportArgs{"export",         "--company",      "001", "--period", "14041503",
                                     "--registration", "AAACB1234CXM001"};
        const QStringList import{"import-tariff", "--workbook", fixturePath("tariff/tariff.xls"), "--sheet", "Sheet1$"};
        for (const QStringList &command : {import, exportArgs, QStringList{"companies"}}) {
            QTest::addRow("%s, missing folder", qPrintable(command[0]))
                << QStringList{"--app-dir", "APP/nope"} + command << "" << 2
                << "The application folder APP/nope does not exist\n";
            QTest::addRow("%s, a file", qPrintable(command[0]))
                << QStringList{"--app-dir", "APP/KOLV.Bat"} + command << "" << 2
                << "The application folder APP/KOLV.Bat is not a folder\n";
            QTest::addRow("%s, empty", qPrintable(command[0]))
                << QStringList{"--app-dir", ""} + command << "" << 2 << "--app-dir needs a folder\n";
        }
        const QString full = QStringLiteral("Could not write to standard output: No space left on device\n");
        QTest::newRow("export, full stdout")
            << QStringList{"--app-dir", "APP"} + exportArgs << "full stdout" << 1 << full;
        QTest::newRow("companies, full stdout")
            << QStringList{"--app-dir", "APP", "companies"} << "full stdout" << 1 << full;
        QTest::newRow("sheets, full stdout")
            << QStringList{"import-tariff", "--workbook", fixturePath("tariff/tariff.xls"), "--list-sheets"}
            << "full stdout" << 1 << full;
        QTest::newRow("validate, full stdout") << QStringList{"validate", fixturePath("returns/worked-example.xml"),
                                                              "--schema", QV_SOURCE_DIR "/data/ACES_DLR.xsd"}
                                               << "full stdout" << 1 << full;
        QTest::newRow("read-only returns folder")
            << QStringList{"--app-dir", "APP"} + exportArgs << "read-only ACES" << 1
            << "The folder APP/ACES/001 cannot be created: Read-only file system\n";
        const QString notSaved =
            QStringLiteral("The tariff master could not be saved: APP/Data/db.sqlite cannot be written: %1\n"
                           "The tariff master has not been changed.\n");
        QTest::newRow("read-only database") << QStringList{"--app-dir", "APP"} + import << "read-only Data" << 1
                                            << notSaved.arg("Read-only file system");
        QTest::newRow("full database") << QStringList{"--app-dir", "APP"} + import << "full Data" << 1
                                       << notSaved.arg("No space left on device");
        QTest::newRow("FIFO for a workbook") << QStringList{"import-tariff", "--workbook", "APP/W.xls", "--list-sheets"}
                                             << "fifo" << 1 << "APP/W.xls is not a regular file\n";
        QStringList evil = exportArgs;
        evil[2] = "../../evil";
        QTest::newRow("company code leaving the folder")
            << QStringList{"--app-dir", "APP"} + evil << "bad codes" << 1
            << "The company code ../../evil cannot name a folder: it holds the character /.\n";
    }

    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, setup);
        QFETCH(QString, errEnd);
        TestHome home;
        QVERIFY(copyDemoInto(home));
        // A small file system of its own, read-only or full (chmod does not stop root).
        const QString aces = home.app() + QStringLiteral("/ACES");
        const QString mounted = setup.endsWith("ACES") ? aces : home.app() + QStringLiteral("/Data");
        const QString database = home.app() + QStringLiteral("/Data/db.sqlite");
        const QString saved = home.app() + QStringLiteral("/saved.sqlite");
        const bool mount = setup.startsWith("read-only") || setup == "full Data";
        QByteArray master;
        if (setup.endsWith("Data"))
            QVERIFY(QFile::rename(database, saved));
        if (mount
            && (!QDir().mkpath(mounted)
                || !run(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mounted})))
            QSKIP("mounting a tmpfs is not permitted here");
        const auto unmount = qScopeGuard([&] {
            if (mount)
                run(QStringLiteral("umount"), {"-l", mounted});
        });
        if (setup.endsWith("Data")) {
            QFile db(saved);
            QVERIFY(db.open(QIODevice::ReadOnly) && QFile::copy(saved, database));
            master = db.readAll();
        }
        if (setup == "full Data") {
            QFile filler(mounted + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {}
        }
        if (setup.startsWith("read-only"))
            QVERIFY(run(QStringLiteral("mount"), {"-o", "remount,ro", mounted}));
        if (setup == "bad codes") {
            QVERIFY(QFile::remove(home.app() + QStringLiteral("/Kolvcomp.dbf")));
            QVERIFY(QFile::copy(fixturePath("context/bad-codes/Kolvcomp.dbf"), home.app() + "/Kolvcomp.dbf"));
        }
        if (setup == "fifo") // a reader that blocked on it would end in the time-out below
            QVERIFY(run(QStringLiteral("mkfifo"), {home.app() + QStringLiteral("/W.xls")}));
        args.replaceInStrings(QStringLiteral("APP"), home.app());
        errEnd.replace(QStringLiteral("APP"), home.app());
        QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd"), home.app() + "/ACES_DLR.xsd");
        const QStringList before = QDir(home.app()).entryList();

        QProcess cli;
        if (setup == "full stdout")
            cli.setStandardOutputFile(QStringLiteral("/dev/full"));
        cli.start(QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli"), args);
        const bool ended = cli.waitForFinished(60000);
        cli.kill();
        cli.waitForFinished(5000);
        QVERIFY2(ended, "still running after a minute");
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QTEST(cli.exitCode(), "exitCode");
        QVERIFY2(err.endsWith(errEnd), qPrintable(err));
        if (setup == "full stdout" && args.contains("export")) // the return is not lost unseen
            QVERIFY2(err.contains("The return was written to " + aces + "/001/AAACB1234CXM001_"), qPrintable(err));
        // Nothing made in a folder that was refused, nor where ../../evil leads.
        if (setup != "full stdout")
            QCOMPARE(QDir(home.app()).entryList(), before);
        QVERIFY(!QFileInfo::exists(QStringLiteral(QV_BINARY_DIR "/src/Data")));
        QVERIFY(!QFileInfo::exists(home.app() + QStringLiteral("/../evil")));
        if (!master.isEmpty()) { // the master as it was, byte for byte
            QFile db(database);
            QVERIFY(db.open(QIODevice::ReadOnly));
            QCOMPARE(db.readAll(), master);
        }
    }
};

QV_REGISTER_TEST(CliFailuresTest)
#include "CliFailures_test.moc"
