#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/Startup.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>

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

    // Codes read from a company list that would lead out of the returns'
    // folder: the company cannot be chosen, with the reason.
    void codesThatCannotNameAFolder_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("reason");
        QTest::newRow("path") << "../../evil"
                              << "The company code ../../evil cannot name a folder: it holds the character /.";
        QTest::newRow("parent") << ".."
                                << "The company code .. cannot name a folder: it holds \"..\".";
        QTest::newRow("Windows character") << "A|B"
                                           << "The company code A|B cannot name a folder: it holds the character |.";
    }

    void codesThatCannotNameAFolder()
    {
        QFETCH(QString, code);
        QFETCH(QString, reason);
        TestHome home;
        QVERIFY(copyDemoInto(home) && QFile::remove(home.app() + QStringLiteral("/Kolvcomp.dbf")));
        QVERIFY(
            QFile::copy(fixturePath(QStringLiteral("context/bad-codes/Kolvcomp.dbf")), home.app() + "/Kolvcomp.dbf"));
        StartupFailure startup;
        QVERIFY2(OpenStartupConnections(&startup), qPrintable(startup.description));
        QList<CompanyEntry> companies;
        QList<PeriodEntry> periods;
        SelectionFailure failure;
        QVERIFY(ListCompanies(&companies, &failure) && ListPeriods(QStringLiteral("001"), &periods, &failure));
        const auto bad = std::find_if(companies.cbegin(), companies.cend(),
                                      [&](const CompanyEntry &c) { return CompanyCodeText(c.code) == code; });
        QVERIFY(bad != companies.cend() && !periods.isEmpty());

        QList<PeriodEntry> none;
        QVERIFY(!ListPeriods(bad->code, &none, &failure));
        QCOMPARE(failure.description, reason);
        // Not even with another company's period at hand.
        QVERIFY(!SelectCompany(bad->code, bad->name, periods[0], &failure));
        QCOMPARE(failure.description, reason);
        QVERIFY(settings().strCompCode.isEmpty());
        QVERIFY(!QDir(home.app() + QStringLiteral("/ACES")).exists());
    }
};

QV_REGISTER_TEST(CompanySelectionCoreTest)
#include "CompanySelectionCore_test.moc"
