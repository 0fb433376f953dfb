#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/AppFolder.h"
#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/Folders.h"
#include "desktop/ProgramMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

// Where the application folder comes from, what the desktop program asks
// when nothing names one, and the error log kept in it. Each case has its own settings file (XDG_CONFIG_HOME
// is private to the test).
class AppFolderTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    QTemporaryDir scratch;

    QString folder(const QString &name) const
    {
        const QString path = scratch.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    static void forget()
    {
        SetAppFolderOverride(QString());
        SetSettledAppFolder(QString());
        UserSettings().clear();
    }

private slots:
    void init()
    {
        forget();
        qunsetenv("QUORVANT_HOME");
        rec.clear();
        InstallUserInterface(&rec);
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        forget();
        FixedClock::reset();
    }

    // First match wins: --app-dir, QUORVANT_HOME, the folder chosen before.
    void order_data()
    {
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("environment");
        QTest::addColumn<bool>("remembered");
        QTest::addColumn<int>("source");
        QTest::newRow("all three") << true << true << true << int(AppFolderSource::Option);
        QTest::newRow("environment before remembered") << false << true << true << int(AppFolderSource::Environment);
        QTest::newRow("remembered") << false << false << true << int(AppFolderSource::Remembered);
        QTest::newRow("none") << false << false << false << int(AppFolderSource::None);
    }

    void order()
    {
        QFETCH(bool, option);
        QFETCH(bool, environment);
        QFETCH(bool, remembered);
        if (option)
            SetAppFolderOverride(folder("option"));
        if (environment)
            qputenv("QUORVANT_HOME", folder("environment").toLocal8Bit());
        if (remembered)
            QVERIFY(RememberAppFolder(folder("remembered")));
        const AppFolderChoice c = ResolveAppFolder();
        QTEST(int(c.source), "source");
        QCOMPARE(c.problem, QString());
    }

    // Asked once, remembered, not asked again; --choose-app-dir asks again.
    void askedOnceThenRemembered()
    {
        const QString chosen = folder("accounts");
        rec.folderAnswers << chosen;
        QString problem;
        QCOMPARE(SettleAppFolder(false, &problem), AppFolderOutcome::Ready);
        QCOMPARE(rec.folderQuestions, QStringList{AppFolderQuestion(QString())});
        QCOMPARE(AppFolder(), chosen);

        SetSettledAppFolder(QString());
        QCOMPARE(SettleAppFolder(false, &problem), AppFolderOutcome::Ready);
        QCOMPARE(rec.folderQuestions.size(), 1);
        QCOMPARE(AppFolder(), chosen);

        const QString other = folder("other");
        rec.folderAnswers << other;
        QCOMPARE(SettleAppFolder(true, &problem), AppFolderOutcome::Ready);
        QCOMPARE(rec.folderQuestions.size(), 2);
        QCOMPARE(RememberedAppFolder(), other);
    }

    // A folder chosen before that is gone is asked for again, by its path.
    void rememberedFolderGone()
    {
        const QString gone = folder("gone");
        QVERIFY(RememberAppFolder(gone));
        QVERIFY(QDir(gone).removeRecursively());
        QString problem;
        QCOMPARE(SettleAppFolder(false, &problem), AppFolderOutcome::Cancelled);
        QCOMPARE(rec.folderQuestions.size(), 1);
        QVERIFY2(rec.folderQuestions.first().contains(QDir::toNativeSeparators(gone)),
                 qPrintable(rec.folderQuestions.first()));
        QCOMPARE(RememberedAppFolder(), gone); // Cancel changes nothing
    }

    // Cancel in the folder chooser ends the program quietly, nothing made.
    void cancelEndsQuietly()
    {
        QCOMPARE(Main(), 0);
        QCOMPARE(rec.folderQuestions.size(), 1);
        QCOMPARE(rec.messages.size(), 0);
        QCOMPARE(RememberedAppFolder(), QString());
    }

    void commandLineNeverAsks()
    {
        QVERIFY(!CliAppFolderProblem().isEmpty()); // its words: the command-line test's "no folder at all"
        QCOMPARE(rec.folderQuestions.size(), 0);
        QVERIFY(RememberAppFolder(folder("remembered")));
        QCOMPARE(CliAppFolderProblem(), QString());
        QCOMPARE(AppFolder(), scratch.filePath("remembered"));
    }

    // Number 0 is no error: nothing logged, nothing shown. A shown error is a
    // standard warning whose empty source makes an empty first line.
    void linesAppendInOrderWithTheirFields()
    {
        TestHome home;
        LogError(0, QStringLiteral("nothing"), QStringLiteral("src"), QString(), true);
        QVERIFY(!QFile::exists(home.app() + QStringLiteral("/Errors.log")));
        LogError(13, QStringLiteral("Type mismatch"), QStringLiteral("Error in Main"), QString(), false);
        LogError(3146, QStringLiteral("ODBC--call failed."), QString(), QString(), false);
        QVERIFY(rec.messages.isEmpty());
        LogError(3024, QStringLiteral("Could not find file"), QString(), QString(), true);
        const QStringList lines =
            QString::fromUtf8(bytesOf(home.app() + QStringLiteral("/Errors.log"))).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(3), QStringList{QString()}); // three lines, each ended
        QVERIFY(lines[0].endsWith(QStringLiteral("13\tType mismatch\tError in Main\t")));
        QVERIFY(lines[1].endsWith(QStringLiteral("3146\tODBC--call failed.\t\t")));
        QCOMPARE(rec.messages.size(), 1);
        const auto &m = rec.messages[0];
        QVERIFY(m.standard && m.icon == StdIcon::Exclamation && m.title == QStringLiteral("Quorvant"));
        QCOMPARE(m.text, QStringLiteral("\r\n3024\r\nCould not find file"));
        QCOMPARE(rec.cursorRestores, 3); // one for each error logged
        QCOMPARE(ErrorLogLine(QStringLiteral("05/03/2014 10:00:00"), 13, QStringLiteral("Type mismatch"),
                              QStringLiteral("Error in Main"), QString()),
                 QStringLiteral("05/03/2014 10:00:0013\tType mismatch\tError in Main\t"));
    }

    // The logger's own failure is shown, and then the error it was given:
    // an unwritable log must not hide why the program stops.
    void unwritableLogStillShowsTheError()
    {
        TestHome home;
        QDir(home.app()).mkdir(QStringLiteral("Errors.log")); // a folder where the file should be
        LogError(5, QStringLiteral("Invalid procedure call"), QStringLiteral("Error in Main"), QString(), true);
        QCOMPARE(rec.messages.size(), 2);
        QVERIFY(!rec.messages[0].text.contains(QStringLiteral("Invalid procedure call")));
        QCOMPARE(rec.messages[1].text, QStringLiteral("Error in Main\r\n5\r\nInvalid procedure call"));
    }

    // Names that Windows keeps for devices, or cuts short, cannot name a company's folder there; on Linux they are
    // ordinary names and stay allowed.
    void reservedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why"); // empty: allowed
        // Refused on every system: a company's folder must survive a copy to Windows.
        for (const auto &[name, why] : {std::pair{"CON", "it names the device CON"},
                                        {"nul.txt", "it names the device NUL"},
                                        {"com1 .log", "it names the device COM1"},
                                        {"Lpt9", "it names the device LPT9"},
                                        {"001.", "it ends in a dot or a blank"},
                                        {"001 ", "it ends in a dot or a blank"},
                                        {"CONSOLE", ""},
                                        {"COM10", ""},
                                        {"AUXILIARY.dbf", ""}})
            QTest::newRow(name) << QString(name) << QString(why);
    }
    void reservedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        QCOMPARE(FolderNameProblem(QStringLiteral("company code"), name),
                 why.isEmpty() ? QString()
                               : QStringLiteral("The company code %1 cannot name a folder: %2.").arg(name, why));
    }
};

QV_REGISTER_TEST(AppFolderTest)
#include "AppFolder_test.moc"
