#include "ReturnTestData.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/DataConnections.h"
#include "app/DateFormat.h"
#include "app/Startup.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"
#include "returns/ExportCommand.h"
#include "returns/SchemaValidation.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace ReturnTestData;

// Returns written from real FoxPro tables through the table reader.
class FoxProReturnTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;

private slots:
    void init()
    {
        rec.clear();
        installUserInterface(&rec);
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        Clock::setNow(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
    }

    void cleanup()
    {
        installUserInterface(nullptr);
        Clock::reset();
        ClearStoredShortDateFormat();
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
    }

    // The tables appear after the company was chosen, as the accounting system
    // writes them then.
    void workedExampleFromTables()
    {
        TestHome home;
        settings().blnFoxPro = true;
        settings().strCompCode = QStringLiteral("001");
        settings().strCompName = QStringLiteral("A & B TRADERS");
        QVERIFY(QDir().mkpath(home.app() + QStringLiteral("/ACES/001")));
        QVERIFY(QFile::copy(schemaPath(), home.app() + QStringLiteral("/ACES_DLR.xsd")));
        QString error;
        QVERIFY2(OpenFoxProConnection(settings().cnCompany, home.app(), &error), qPrintable(error));
        QVERIFY2(OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(home.app()), &error), qPrintable(error));
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        for (const QString &name : {QStringLiteral("stemp4.DBF"), QStringLiteral("ptemp5.DBF")})
            QVERIFY(QFile::copy(fixturePath(QStringLiteral("returns/foxpro/") + name), home.app() + QLatin1Char('/') + name));

        const ExportResult r = ExportReturn(workedExampleInputs(QString()));
        QCOMPARE(rec.texts(), QStringList{"File Export to XML and validated successfully"});
        QVERIFY(r.success);
        QString where;
        QVERIFY2(sameAsReference(readAll(r.outputPath), QStringLiteral("returns/worked-example.xml"), &where),
                 qPrintable(where));
    }

    // The demo folder from start-up through company selection to a valid return.
    void demoQuarter()
    {
        TestHome home;
        QVERIFY(copyDemoInto(home));
        QVERIFY(QFile::copy(schemaPath(), home.app() + QStringLiteral("/ACES_DLR.xsd")));
        StartupFailure startup;
        QVERIFY2(OpenStartupConnections(&startup), qPrintable(startup.description));
        QList<CompanyEntry> companies;
        SelectionFailure failure;
        QVERIFY2(ListCompanies(&companies, &failure), qPrintable(failure.description));
        QList<PeriodEntry> periods;
        QVERIFY2(ListPeriods(companies.first().code, &periods, &failure), qPrintable(failure.description));
        PeriodEntry period;
        for (const PeriodEntry &p : periods)
            if (p.code == QLatin1String("14041503"))
                period = p;
        QVERIFY2(SelectCompany(companies.first().code, companies.first().name, period, &failure),
                 qPrintable(failure.description));

        const ExportResult r = ExportReturn(workedExampleInputs(QString()));
        QCOMPARE(rec.texts(), QStringList{"File Export to XML and validated successfully"});
        QVERIFY(r.success);
        QCOMPARE(r.outputPath, home.app() + QStringLiteral("/ACES/001/AAACB1234CXM001_201407150305PM.xml"));
        const QByteArray text = readAll(r.outputPath);
        QCOMPARE(text.count("<INVOICE-PARTICULARS "), 22);
        QCOMPARE(text.count("<DOCUMENT-DETAIL "), 12);
        QVERIFY(text.contains("<DEALER-NAME> A &amp; B TRADERS"));
        QVERIFY(text.contains("<DESCRIPTION-OF-GOODS>Hex bolt M12 &amp; nut</DESCRIPTION-OF-GOODS>"));
        // Every line ends in CR LF.
        QCOMPARE(text.count('\n'), text.count("\r\n"));
    }
};

QV_REGISTER_TEST(FoxProReturnTest)
#include "FoxProReturn_test.moc"
