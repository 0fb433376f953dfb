#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppFolder.h"
#include "app/AppSettings.h"
#include "app/ProgramMain.h"

#include <QDir>
#include <QSettings>
#include <QTest>

// Where the application folder comes from, and what the desktop program asks
// when nothing names one. Each case has its own settings file (XDG_CONFIG_HOME
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
        QVERIFY2(rec.folderQuestions.first().contains(gone), qPrintable(rec.folderQuestions.first()));
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
};

QV_REGISTER_TEST(AppFolderTest)
#include "AppFolder_test.moc"
