#include "ReturnTestData.h"
#include "TestRegistry.h"

#include "app/Clock.h"
#include "app/DataConnections.h"
#include "app/UserInterface.h"
#include "returns/ExportCommand.h"

#include <QDir>
#include <QTest>

using namespace ReturnTestData;

// The worked example from FoxPro tables written by python3-dbf, read through
// the table reader. The tables appear after the company was chosen, as the
// accounting system writes them then.
class FoxProReturnTest : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleFromTables()
    {
        TestHome home;
        RecordingUserInterface rec;
        installUserInterface(&rec);
        Clock::setNow(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        settings().blnFoxPro = true;
        settings().strCompCode = QStringLiteral("001");
        settings().strCompName = QStringLiteral("A & B TRADERS");
        QVERIFY(QDir().mkpath(home.app() + QStringLiteral("/ACES/001")));
        QVERIFY(QFile::copy(schemaPath(), home.app() + QStringLiteral("/ACES_DLR.xsd")));
        QString error;
        QVERIFY2(OpenFoxProConnection(settings().cnCompany, home.app(), &error), qPrintable(error));
        QVERIFY2(OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(home.app()), &error), qPrintable(error));
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        for (const char *name : {"stemp4.DBF", "ptemp5.DBF"})
            QVERIFY(QFile::copy(fixturePath(QStringLiteral("returns/foxpro/") + QLatin1String(name)), home.app() + QLatin1Char('/') + QLatin1String(name)));

        const ExportResult r = ExportReturn(workedExampleInputs(QString()));
        installUserInterface(nullptr);
        Clock::reset();
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        QCOMPARE(rec.texts(), QStringList{"File Export to XML and validated successfully"});
        QVERIFY(r.success);
        QString where;
        QVERIFY2(sameAsReference(readAll(r.outputPath), QStringLiteral("returns/worked-example.xml"), &where), qPrintable(where));
    }
};

QV_REGISTER_TEST(FoxProReturnTest)
#include "FoxProReturn_test.moc"
