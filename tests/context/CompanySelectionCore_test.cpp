#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/Startup.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"

#include <QDir>
#include <QSqlQuery>
#include <QTest>

class CompanySelectionCoreTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;

    void start(TestHome &home)
    {
        QVERIFY(copyDemoInto(home));
        StartupFailure failure;
        QVERIFY2(OpenStartupConnections(&failure), qPrintable(failure.description));
    }

private slots:
    void init()
    {
        installUserInterface(&rec);
        rec.clear();
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    }
    void cleanup()
    {
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        ClearStoredShortDateFormat();
        installUserInterface(nullptr);
    }

    void demoCompaniesPeriodsAndSelection()
    {
        TestHome home;
        start(home);
        QList<CompanyEntry> companies;
        SelectionFailure failure;
        QVERIFY2(ListCompanies(&companies, &failure), qPrintable(failure.description));
        QCOMPARE(companies.size(), 2);
        QList<PeriodEntry> periods;
        QVERIFY2(ListPeriods(companies[0].code, &periods, &failure), qPrintable(failure.description));
        QCOMPARE(periods.size(), 2);
        const PeriodEntry &p = periods[1];
        QCOMPARE(p.code, QStringLiteral("14041503"));
        QCOMPARE(p.fromText, QStringLiteral("01/04/2014"));
        QCOMPARE(p.toText, QStringLiteral("31/03/2015"));
        QCOMPARE(p.label, QStringLiteral("From       01 Apr 2014       To       31 Mar 2015"));
        QVERIFY(settings().strCompCode.isEmpty()); // nothing is set before "&Select"

        QVERIFY2(SelectCompany(companies[0].code, companies[0].name, p, &failure), qPrintable(failure.description));
        QCOMPARE(settings().strCompCode, QStringLiteral("001"));
        QVERIFY(QDir(home.app() + QStringLiteral("/ACES/001")).exists());
        QSqlQuery q(connection(settings().cnCompany));
        QVERIFY(q.exec(QStringLiteral("Select * from STEMP4 Order by Col02")));
        QVERIFY(q.next());
        QVERIFY(ConnectionIsOpen(settings().cnCompanyPeriod));
    }

    void failuresLeaveSettingsAlone()
    {
        TestHome home;
        start(home);
        SelectionFailure failure;
        QList<PeriodEntry> periods;
        QVERIFY(ListPeriods(2, &periods, &failure));

        // Nothing picked: the program's message, no number to log.
        QVERIFY(!SelectCompany(QVariant(), QString(), periods[0], &failure));
        QCOMPARE(failure.number, 0);
        QCOMPARE(rec.texts(), QStringList{QStringLiteral("Please select the Company")});

        // A company without periods.
        QVERIFY(!SelectCompany(2, QStringLiteral("SHREE GANESH METAL CORPORATION"), PeriodEntry(), &failure));
        QVERIFY(failure.number != 0);

        // A period folder that is missing.
        QVERIFY(QDir(home.app() + QStringLiteral("/002/14041503")).removeRecursively());
        QVERIFY(!SelectCompany(2, QStringLiteral("SHREE GANESH METAL CORPORATION"), periods[1], &failure));
        QVERIFY(failure.description.contains(QStringLiteral("14041503")));

        QVERIFY(settings().strCompName.isEmpty());
        QVERIFY(settings().strCompCode.isEmpty());
        QVERIFY(!QDir(home.app() + QStringLiteral("/ACES")).exists());
    }
};

QV_REGISTER_TEST(CompanySelectionCoreTest)
#include "CompanySelectionCore_test.moc"
