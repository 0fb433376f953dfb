#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/UserInterface.h"

#include <QDir>
#include <QFile>
#include <QTest>

class ErrorLogTest : public QObject
{
    Q_OBJECT

    static QStringList logLines(const TestHome &home)
    {
        QFile f(home.app() + QStringLiteral("/Errors.log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

private slots:
    void init()
    {
        InstallUserInterface(&rec);
        rec.clear();
    }
    void cleanup()
    {
        InstallUserInterface(nullptr);
        FixedClock::reset();
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
        const QStringList lines = logLines(home);
        QCOMPARE(lines.size(), 3);
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

    void folders()
    {
        TestHome home;
        const QString aces = home.app() + QStringLiteral("/ACES");
        QVERIFY(MakeFolder(aces));
        QVERIFY(!MakeFolder(aces)); // already there: false, nothing changes
        QVERIFY(MakeFolder(aces + QStringLiteral("/007")));
        QVERIFY(!MakeFolder(home.app() + QStringLiteral("/missing/parent")));
        QVERIFY(!QDir(home.app() + QStringLiteral("/missing")).exists());
        qputenv("QUORVANT_SYSTEM_DIR", QByteArray("/etc/somewhere/"));
        QCOMPARE(GetWindowsDir(), QStringLiteral("/etc/somewhere")); // no trailing separator
    }

private:
    RecordingUserInterface rec;
};

QV_REGISTER_TEST(ErrorLogTest)
#include "ErrorLog_test.moc"
