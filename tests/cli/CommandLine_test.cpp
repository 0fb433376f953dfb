#include "CliRun.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>

namespace {
const QString kDesktop = QStringLiteral(QV_BINARY_DIR "/src/quorvant" QV_EXE_SUFFIX);
} // namespace

// The conventions both programs keep: help and version on standard output
// with exit 0, usage errors on standard error with exit 2, and the
// application folder never guessed; and quorvant-cli where its surroundings
// fail: the application folder, standard output, the returns' folder, the
// master's database and the company list.
class CommandLineTest : public QObject
{
    Q_OBJECT

    TestHome *home = nullptr;

private slots:
    void init()
    {
        home = new TestHome;
        QVERIFY(copyDemoInto(*home));
    }

    void cleanup() { delete home; }

    // Exit 0 prints `text` (how it starts) on standard output and nothing on
    // standard error; any other exit the other way round.
    void conventions_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("help") << kCli << QStringList{"--help"} << 0 << "usage: quorvant-cli [--app-dir DIR] COMMAND";
        QTest::newRow("version") << kCli << QStringList{"--version"} << 0 << "quorvant-cli 1.0\n";
        QTest::newRow("a command's help") << kCli << QStringList{"export", "--help"} << 0
                                          << "usage: quorvant-cli [--app-dir DIR] export --company CODE";
        QTest::newRow("unknown option") << kCli << QStringList{"--colour"} << 2
                                        << "Unknown option 'colour'.\nusage: quorvant-cli";
        QTest::newRow("a command's unknown option") << kCli << QStringList{"--app-dir", "@", "check", "--colour"} << 2
                                                    << "Unknown option 'colour'.\nusage: quorvant-cli check --company";
        QTest::newRow("--app-dir only before the command")
            << kCli << QStringList{"--app-dir", "@", "check", "--company", "1", "--app-dir", "/tmp"} << 2
            << "Unknown option 'app-dir'.";
        QTest::newRow("no folder at all") << kCli << QStringList{"companies"} << 2
                                          << "No application folder: give one with --app-dir DIR or the environment "
                                             "variable QUORVANT_HOME\n";
        QTest::newRow("desktop help") << kDesktop << QStringList{"--help"} << 0 << "usage: quorvant [--app-dir DIR]";
        QTest::newRow("desktop version") << kDesktop << QStringList{"--version"} << 0 << "quorvant 1.0\n";
        QTest::newRow("desktop unknown option")
            << kDesktop << QStringList{"--colour"} << 2 << "Unknown option 'colour'.\nusage: quorvant";
    }

    void conventions()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        const Run r = run(args.replaceInStrings(QStringLiteral("@"), home->app()), program);
        QCOMPARE(r.exitCode, exitCode);
        QString err = r.err;
        err.remove(QRegularExpression(QStringLiteral("QStandardPaths: [^\n]*\n"))); // the platform's own notes
        const QString &shown = exitCode == 0 ? r.out : err;
        QVERIFY2(shown.startsWith(text) && (exitCode == 0 ? err : r.out).isEmpty(), qPrintable(r.out + err));
    }

    // As on the old platform: a program installed inside the accounting data
    // folder works there without being told.
    void ownFolderHoldingTheData()
    {
        const Run r = run({QStringLiteral("companies")}, installedCopy(home->app()));
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("001\tA & B TRADERS\n")), qPrintable(r.out + r.err));
    }

    // "APP" stands for the demo application folder of the test.
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
        // The folder is settled before any command runs: the import, which would make Data/db.sqlite, stands for all.
        QTest::newRow("missing folder") << QStringList{"--app-dir", "APP/nope"} + import << "" << 2
                                        << "The application folder " + QDir::toNativeSeparators("APP/nope")
                                               + " does not exist\n";
        QTest::newRow("a file for a folder")
            << QStringList{"--app-dir", "APP/KOLV.Bat"} + import << "" << 2
            << "The application folder " + QDir::toNativeSeparators("APP/KOLV.Bat") + " is not a folder\n";
        QTest::newRow("empty folder name")
            << QStringList{"--app-dir", ""} + import << "" << 2 << "--app-dir needs a folder\n";
        const QString full = QStringLiteral("Could not write to standard output: No space left on device\n");
        QTest::newRow("export, full stdout")
            << QStringList{"--app-dir", "APP"} + exportArgs << "full stdout" << 1 << full;
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
        QTest::newRow("FIFO for a workbook")
            << QStringList{"--app-dir", "APP", "import-tariff", "--workbook", "APP/W.xls", "--list-sheets"} << "fifo"
            << 1 << "APP/W.xls is not a regular file\n";
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
        const QString app = home->app();
        // A small file system of its own, read-only or full (chmod does not stop root).
        const QString aces = app + QStringLiteral("/ACES");
        const QString mounted = setup.endsWith("ACES") ? aces : app + QStringLiteral("/Data");
        const QString database = app + QStringLiteral("/Data/db.sqlite");
        const QString saved = app + QStringLiteral("/saved.sqlite");
        const bool mount = setup.startsWith("read-only") || setup == "full Data";
        QByteArray master;
        if (setup.endsWith("Data"))
            QVERIFY(QFile::rename(database, saved));
        if (mount && (!QDir().mkpath(mounted) || !mountTmpfs(mounted, QStringLiteral("size=64k"))))
            QSKIP("mounting a tmpfs is not permitted here");
        const auto unmounted = qScopeGuard([&] {
            if (mount)
                unmount(mounted);
        });
        if (setup.endsWith("Data")) {
            master = readAll(saved);
            QVERIFY(!master.isEmpty() && QFile::copy(saved, database));
        }
        if (setup == "full Data") {
            QFile filler(mounted + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {}
        }
        if (setup.startsWith("read-only"))
            QVERIFY(succeeds("mount", {"-o", "remount,ro", mounted}));
        if (setup == "bad codes") {
            QVERIFY(QFile::remove(app + QStringLiteral("/Kolvcomp.dbf")));
            QVERIFY(QFile::copy(fixturePath("context/bad-codes/Kolvcomp.dbf"), app + "/Kolvcomp.dbf"));
        }
        if (setup == "fifo") { // a reader that blocked on it would end in the time-out of run()
            QV_SKIP_ON_WINDOWS("Windows has no FIFOs");
            QVERIFY(succeeds("mkfifo", {app + QStringLiteral("/W.xls")}));
        }
        if (setup == "full stdout")
            QV_SKIP_ON_WINDOWS("Windows has no device that is always full");
        args.replaceInStrings(QStringLiteral("APP"), app);
        errEnd.replace(QStringLiteral("APP"), QDir::toNativeSeparators(app));
        QFile::copy(schemaPath(), app + "/ACES_DLR.xsd");
        const QStringList before = QDir(app).entryList();

        const Run r = run(args, kCli, setup == "full stdout" ? "/dev/full" : "");
        QTEST(r.exitCode, "exitCode");
        QVERIFY2(r.err.endsWith(errEnd), qPrintable(r.err));
        if (setup == "full stdout" && args.contains("export")) // the return is not lost unseen
            QVERIFY2(r.err.contains("The return was written to " + aces + "/001/AAACB1234CXM001_"), qPrintable(r.err));
        // Nothing made in a folder that was refused, nor where ../../evil leads.
        if (setup != "full stdout")
            QCOMPARE(QDir(app).entryList(), before);
        QVERIFY(!QFileInfo::exists(QStringLiteral(QV_BINARY_DIR "/src/Data")));
        QVERIFY(!QFileInfo::exists(app + QStringLiteral("/../evil")));
        if (!master.isEmpty()) // the master as it was, byte for byte
            QCOMPARE(readAll(database), master);
    }
};

QV_REGISTER_TEST(CommandLineTest)
#include "CommandLine_test.moc"
