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

private slots:
    void init()
    {
        InstallUserInterface(&rec);
        rec.clear();
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    }
    void cleanup()
    {
        closeAllConnections();
        ClearStoredShortDateFormat();
        InstallUserInterface(nullptr);
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
        QVERIFY(Settings().strCompCode.isEmpty());
        QVERIFY(!QDir(home.app() + QStringLiteral("/ACES")).exists());
    }
};

QV_REGISTER_TEST(CompanySelectionCoreTest)
#include "CompanySelectionCore_test.moc"
