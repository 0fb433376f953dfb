#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

// quorvant-cli check on the demo company, run as a user runs it.
class CheckCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("dropFromMaster");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QStringList demo{"check", "--company", "001", "--period", "14041503"};
        QTest::newRow("clean demo quarter") << demo << false << 0 << QString()
                                            << "No problems in 22 invoice lines and 12 supplier documents.\n";
        QTest::newRow("tariff gone from the master")
            << demo << true << 1
            << "STEMP4\t1\tINV/1\tCol05\t7408 1110\tChapter No. 74081110 is not in the tariff master\n"
               "STEMP4\t17\tINV/9\tCol05\t7408 1110\tChapter No. 74081110 is not in the tariff master\n"
            << "2 problems in 22 invoice lines and 12 supplier documents.\n";
        QTest::newRow("no period") << QStringList{"check", "--company", "001"} << false << 2 << QString()
                                   << "--period is required\n";
    }

    void check()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, dropFromMaster);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        TestHome home;
        QVERIFY(copyDemoInto(home));
        if (dropFromMaster) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("master"));
            db.setDatabaseName(home.app() + QStringLiteral("/Data/db.sqlite"));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("DELETE FROM Import WHERE TariffNo = '74081110'")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("master"));

        QProcess p;
        p.start(QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli"), QStringList{"--app-dir", home.app()} + args);
        QVERIFY(p.waitForFinished(60000));
        const QString stdErr = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
        QVERIFY2(stdErr.startsWith(err), qPrintable(stdErr));
    }
};

QV_REGISTER_TEST(CheckCommandTest)
#include "CheckCommand_test.moc"
