#include "CliRun.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>

namespace {
const QString kDesktop = QStringLiteral(QV_BINARY_DIR "/src/quorvant" QV_EXE_SUFFIX);
const QStringList kExport{"export",          "--company", "1",    "--period",  "14041503", "--registration",
                          "AAACB1234CXM001", "--year",    "2014", "--quarter", "Apr-Jun"};
} // namespace

// The conventions both programs keep: help and version on standard output
// with exit 0, usage errors on standard error with exit 2, and the
// application folder never guessed; quorvant-cli's commands on the demo, as
// they are, with a fault in their data or where their surroundings fail (the
// application folder, standard output, the returns' folder, the master's
// database, the company list); and copies of it installed elsewhere.
class CommandLineTest : public QObject
{
    Q_OBJECT

    TestHome *home = nullptr;

    QStringList returnsWritten() const
    {
        return QDir(home->app() + QStringLiteral("/ACES/001")).entryList(QDir::Files);
    }

private slots:
    void init()
    {
        home = new TestHome;
        QVERIFY(copyDemoInto(*home));
        QVERIFY(QFile::copy(schemaPath(), home->app() + QStringLiteral("/ACES_DLR.xsd")));
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

    // Each command's result on the demo, as it is or with one fault put in
    // (in the program's surroundings or in its data): no return is written,
    // nothing made in a folder that was refused. "APP" stands for the
    // application folder, given with --app-dir unless the row gives one.
    // Damaged tables get the reader's own reason, not the query's; a FIFO
    // where a file is read would block for ever, and is refused at once.
    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setup"); // "damaged table", "fifo", "read-only ACES", "full Data", ...
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // a part of standard error
        QTest::newRow("companies")
            << QStringList{"companies"} << "" << 0
            << "001\tA & B TRADERS\n\t13041403\t01/04/2013\t31/03/2014\n\t14041503\t01/04/2014\t31/03/2015\n"
               "002\tSHREE GANESH METAL CORPORATION\n\t13041403\t01/04/2013\t31/03/2014\n"
               "\t14041503\t01/04/2014\t31/03/2015\n"
            << "";
        const QStringList check{"check", "--company", "001", "--period", "14041503"};
        // The demo's 84818030 has no unit in the master: a warning, which alone leaves the check passed.
        QTest::newRow("check, clean demo quarter")
            << check << "" << 0
            << "STEMP4\t16\tINV/9\tCol05\t84818030\tWarning: tariff number 84818030 has no unit in the tariff master; "
               "unit written as U\n"
            << "No problems in 22 invoice lines and 12 supplier documents; 1 warning (warnings: the export writes "
               "those rows as shown).\n";
        const QStringList base = kExport.mid(0, 5);
        const auto exportOf = [](const char *company) {
            return kExport.mid(0, 2) + QStringList{company} + kExport.mid(3);
        };
        QTest::newRow("bad registration") << base + QStringList{"--registration", "AAACB1234CXA001"} << "" << 1 << ""
                                          << "Invalid Registration Number= AAACB1234CXA001\nSupplier Name : ";
        QTest::newRow("unknown company") << exportOf("9") << "" << 1 << ""
                                         << "No company with the code 9";
        QTest::newRow("registration missing") << base << "" << 2 << ""
                                              << "--registration is required";
        QTest::newRow("quarter") << base + QStringList{"--registration", "AAACB1234CXM001", "--quarter", "Apr-Jul"}
                                 << "" << 2 << ""
                                 << "--quarter must be one of Apr-Jun, Jul-Sep, Oct-Dec, Jan-Mar";
        QTest::newRow("date") << base + QStringList{"--registration", "AAACB1234CXM001", "--date", "31/04/2014"} << ""
                              << 2 << ""
                              << "--date needs a real date as DD/MM/YYYY, not 31/04/2014";
        QTest::newRow("validate without a file") << QStringList{"validate"} << "" << 2 << ""
                                                 << "FILE is needed";
        for (const QStringList &args : {check, kExport})
            QTest::newRow(qPrintable(args.first() + ", damaged table")) << args << "damaged table" << 1 << ""
                                                                        << "stemp4.DBF is damaged: ";
        // The schema is loaded before the first row: nothing is written.
        QTest::newRow("export, FIFO for the schema") << kExport << "fifo" << 1 << ""
                                                     << "Load XSD failed: APP/ACES_DLR.xsd is not a regular file";
        QTest::newRow("validate, schema includes a FIFO")
            << QStringList{"validate", "APP/ACES/x.xml"} << "fifo include" << 1 << ""
            << "Load XSD failed: APP/part.xsd is not a regular file";
        QTest::newRow("validate a FIFO") << QStringList{"validate", "APP/return.xml", "--schema", schemaPath()}
                                         << "fifo" << 1 << ""
                                         << "Load XML failed: APP/return.xml is not a regular file";
        QTest::newRow("FIFO for a workbook")
            << QStringList{"import-tariff", "--workbook", "APP/W.xls", "--list-sheets"} << "fifo" << 1 << ""
            << "APP/W.xls is not a regular file\n";
        // A lost tariff master is never made again, empty, by any command but the import.
        const QString missing =
            QStringLiteral("The tariff master (Data/db.sqlite) is missing; import it with Tariff \u2192 Import.\n");
        QTest::newRow("companies, no master") << QStringList{"companies"} << "no master" << 1 << "" << missing;
        QTest::newRow("check, empty master") << check << "empty master" << 1 << "" << missing;
        QTest::newRow("export, master without its table") << kExport << "master table dropped" << 1 << "" << missing;
        // The folder is settled before any command runs: the import, which would make Data/db.sqlite, stands for all.
        const QStringList import{"import-tariff", "--workbook", fixturePath("tariff/tariff.xls"), "--sheet", "Sheet1$"};
        QTest::newRow("missing folder") << QStringList{"--app-dir", "APP/nope"} + import << "" << 2 << ""
                                        << "The application folder " + QDir::toNativeSeparators("APP/nope")
                                               + " does not exist\n";
        QTest::newRow("a file for a folder")
            << QStringList{"--app-dir", "APP/KOLV.Bat"} + import << "" << 2 << ""
            << "The application folder " + QDir::toNativeSeparators("APP/KOLV.Bat") + " is not a folder\n";
        QTest::newRow("empty folder name") << QStringList{"--app-dir", ""} + import << "" << 2 << ""
                                           << "--app-dir needs a folder\n";
        QTest::newRow("export, full stdout") << kExport << "full stdout" << 1 << ""
                                             << "Could not write to standard output: No space left on device\n";
        QTest::newRow("read-only returns folder")
            << kExport << "read-only ACES" << 1 << ""
            << "The folder APP/ACES/001 cannot be created: Read-only file system\n";
        const QString notSaved =
            QStringLiteral("The tariff master could not be saved: APP/Data/db.sqlite cannot be written: %1\n"
                           "The tariff master has not been changed.\n");
        QTest::newRow("read-only database")
            << import << "read-only Data" << 1 << "" << notSaved.arg("Read-only file system");
        QTest::newRow("full database") << import << "full Data" << 1 << "" << notSaved.arg("No space left on device");
        QTest::newRow("company code leaving the folder")
            << exportOf("../../evil") << "bad codes" << 1 << ""
            << "The company code ../../evil cannot name a folder: it holds the character /.\n";
    }

    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, setup);
        QFETCH(QString, err);
        const QString app = home->app();
        const QString master = app + QStringLiteral("/Data/db.sqlite");
        if (setup == "damaged table")
            home->writeFile(QStringLiteral("stemp4.DBF"), QByteArray("\x03\x72\x01\x01\xff\xff\xff\x7f", 8));
        if (setup.startsWith("fifo"))
            QV_SKIP_ON_WINDOWS("Windows has no FIFOs");
        if (setup == "fifo") {
            QVERIFY(QFile::remove(app + QStringLiteral("/ACES_DLR.xsd")));
            QVERIFY(succeeds("mkfifo", {app + "/ACES_DLR.xsd", app + "/return.xml", app + "/W.xls"}));
        }
        if (setup == "fifo include") {
            QByteArray schema = readAll(app + QStringLiteral("/ACES_DLR.xsd"));
            const qsizetype body = schema.indexOf('>', schema.indexOf("<xs:schema")) + 1;
            QVERIFY(body > 0);
            schema.insert(body, "<xs:include schemaLocation=\"part.xsd\"/>");
            home->writeFile(QStringLiteral("ACES_DLR.xsd"), schema);
            home->writeFile(QStringLiteral("ACES/x.xml"), QByteArray("<ACES/>"));
            QVERIFY(succeeds(QStringLiteral("mkfifo"), {app + "/part.xsd"}));
        }
        if (setup == "no master")
            QVERIFY(QFile::remove(master));
        if (setup == "empty master")
            QVERIFY(QFile::resize(master, 0));
        if (setup == "master table dropped")
            QVERIFY(onMaster(app, QStringLiteral("DROP TABLE Import")));
        if (setup == "bad codes") {
            QVERIFY(QFile::remove(app + QStringLiteral("/Kolvcomp.dbf")));
            QVERIFY(QFile::copy(fixturePath("context/bad-codes/Kolvcomp.dbf"), app + "/Kolvcomp.dbf"));
        }
        if (setup == "full stdout")
            QV_SKIP_ON_WINDOWS("Windows has no device that is always full");
        // A small file system of its own, read-only or full (chmod does not stop root).
        const QString mounted = app + (setup.endsWith("ACES") ? QStringLiteral("/ACES") : QStringLiteral("/Data"));
        const bool mount = setup.startsWith("read-only") || setup == "full Data";
        const QByteArray masterBefore = readAll(master);
        if (mount && (!QDir().mkpath(mounted) || !mountTmpfs(mounted, QStringLiteral("size=64k"))))
            QSKIP("mounting a tmpfs is not permitted here");
        const auto unmounted = qScopeGuard([&] {
            if (mount)
                unmount(mounted);
        });
        if (setup.endsWith("Data"))
            QVERIFY(writeBytes(master, masterBefore));
        if (setup == "full Data") {
            QFile filler(mounted + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {}
        }
        if (setup.startsWith("read-only"))
            QVERIFY(succeeds("mount", {"-o", "remount,ro", mounted}));
        if (args.value(0) != "--app-dir")
            args = QStringList{"--app-dir", app} + args;
        // Nothing made in a folder that was refused (a failed export may leave the returns' folder).
        const auto entries = [&] {
            return QDir(app).entryList().filter(QRegularExpression(QStringLiteral("^(?!ACES$)")));
        };
        const QStringList before = entries();

        const Run r =
            run(args.replaceInStrings(QStringLiteral("APP"), app), kCli, setup == "full stdout" ? "/dev/full" : "");
        QTEST(r.exitCode, "exitCode");
        QTEST(r.out, "out");
        err.replace(QStringLiteral("APP"), QDir::toNativeSeparators(app));
        QVERIFY2(r.err.contains(err) && !r.err.contains(QStringLiteral("still in use")), qPrintable(r.err));
        QCOMPARE(readAll(master), masterBefore);
        QCOMPARE(QFile::exists(master), setup != "no master");
        if (setup == "full stdout") { // the return is not lost unseen
            QVERIFY2(r.err.contains("The return was written to " + app + "/ACES/001/AAACB1234CXM001_"),
                     qPrintable(r.err));
            return;
        }
        QCOMPARE(returnsWritten(), QStringList());
        QCOMPARE(entries(), before);
        QVERIFY(!QFileInfo::exists(QStringLiteral(QV_BINARY_DIR "/src/Data")));
        QVERIFY(!QFileInfo::exists(app + QStringLiteral("/../evil")));
    }

    // An installed program takes the schema from its data folder when the
    // application folder holds none, and the application folder's first. The
    // export prints the return's path alone, and writes the options as given.
    // As on the old platform, a program installed inside the accounting data
    // folder works there without being told.
    void installedPrograms()
    {
        const Run inside = run({QStringLiteral("companies")}, installedCopy(home->app()));
        QVERIFY2(inside.out.startsWith(QStringLiteral("001\tA & B TRADERS\n")), qPrintable(inside.out + inside.err));
        QTemporaryDir prefix;
        QVERIFY(QDir().mkpath(prefix.path() + "/bin") && QDir().mkpath(prefix.path() + "/share/quorvant"));
        const QString program = installedCopy(prefix.path() + QStringLiteral("/bin"));
        QVERIFY(QFile::copy(schemaPath(), prefix.path() + QStringLiteral("/share/quorvant/ACES_DLR.xsd")));
        QVERIFY(QFile::remove(home->app() + QStringLiteral("/ACES_DLR.xsd")));
        const QStringList options{"--quarter", "Jul-Sep", "--remarks", "R&D <quarter>", "--date", "5/3/2014"};
        const Run r = cli(home->app(), kExport.mid(0, 9) + options, program);
        QVERIFY2(r.exitCode == 0 && r.err.contains("File Export to XML and validated successfully"), qPrintable(r.err));
        QCOMPARE(returnsWritten().size(), 1);
        const QString path = home->app() + QStringLiteral("/ACES/001/") + returnsWritten().first();
        QCOMPARE(r.out, QDir::toNativeSeparators(path) + QLatin1Char('\n'));
        const QByteArray text = readAll(path);
        for (const char *written : {"<QUARTER>Jul-Sep</QUARTER>\r\n", "<REMARKS>R&amp;D &lt;quarter&gt;</REMARKS>\r\n",
                                    "<DATE>05/03/2014</DATE>\r\n<PLACE>MUMBAI</PLACE>\r\n"})
            QVERIFY2(text.contains(written), written);

        home->writeFile(QStringLiteral("ACES_DLR.xsd"), QByteArray("<not a schema"));
        const Run own = cli(home->app(), {"validate", path}, program);
        QCOMPARE(own.exitCode, 1);
        QVERIFY2(own.err.startsWith(QStringLiteral("Load XSD failed: ")), qPrintable(own.err));
    }
};

QV_REGISTER_TEST(CommandLineTest)
#include "CommandLine_test.moc"
