#include "QueryRows.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "context/CompanySelection.h"
#include "context/Startup.h"
#include "sources/JetSqlite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Jet mode through the same start-up and selection code as the other modes:
// "Access.inf" in the system folder, the data folder on NaturePath.inf's first
// line, the company list in its nKolvSet.mdb and each period's DbData.mdb
// below it. The files are Access-written fixtures standing in for the
// accounting system's own.
class DatabaseModeJetTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!JetFilesReadable())
            QSKIP("This build reads no Access files");
    }
    void cleanup()
    {
        const AppSettings &s = Settings();
        for (const QString &name : {s.cnKolvSet, s.cnProgram, s.cnCompany})
            CloseConnection(name);
    }

    // Without the company list file start-up stops. nwind.mdb then stands in
    // for it: it opens, but holds no company list; the period database of
    // company 7 is a second fixture.
    void startupThenSelection()
    {
        TestHome home;
        QTemporaryDir data;
        home.systemFile(QStringLiteral("Access.inf"), "");
        home.systemFile(QStringLiteral("NaturePath.inf"), data.path().toUtf8() + "\r\n");
        StartupFailure failure;
        QVERIFY(!OpenStartupConnections(&failure));
        QVERIFY2(failure.description.contains(QStringLiteral("nKolvSet.mdb was not found")),
                 qPrintable(failure.description));
        QVERIFY(!ConnectionIsOpen(Settings().cnKolvSet));

        QVERIFY(
            QFile::copy(fixturePath(QStringLiteral("jet/nwind.mdb")), data.filePath(QStringLiteral("nKolvSet.mdb"))));
        QVERIFY(QDir().mkpath(data.filePath(QStringLiteral("7/14041503"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("jet/DateTestDatabase.mdb")),
                            data.filePath(QStringLiteral("7/14041503/DbData.mdb"))));
        QVERIFY2(OpenStartupConnections(&failure), qPrintable(failure.description));
        QVERIFY(Settings().blnKolvSet);
        QVERIFY(!Settings().blnFoxPro);
        QCOMPARE(Settings().strDataPath, data.path());
        // No company list in this file: the selection says so instead of listing nothing.
        QList<CompanyEntry> companies;
        SelectionFailure why;
        QVERIFY(!ListCompanies(&companies, &why));
        QVERIFY2(why.description.contains(QStringLiteral("kolvcomp")), qPrintable(why.description));

        const PeriodEntry period{QDate(2014, 4, 1), QDate(2015, 3, 31), {}, {}, {}, QStringLiteral("14041503")};
        QVERIFY(!SelectCompany(QStringLiteral("8"), QStringLiteral("NO DATABASE"), period, &why));
        QVERIFY2(why.description.contains(QStringLiteral("DbData.mdb was not found")), qPrintable(why.description));
        QVERIFY(Settings().strCompCode.isEmpty());

        QVERIFY2(SelectCompany(QStringLiteral("7"), QStringLiteral("SEVEN"), period, &why),
                 qPrintable(why.description));
        QCOMPARE(Settings().strCompCode, QStringLiteral("7"));
        QCOMPARE(queryRows(Settings().cnCompany, QStringLiteral("select ShortTextCol from DateTest where IDCol = 1")),
                 QStringList{"Hello"});
    }
};

QV_REGISTER_TEST(DatabaseModeJetTest)
#include "DatabaseModeJet_test.moc"
