#include "ReturnTestData.h"
#include "TestRegistry.h"

#include "app/Clock.h"
#include "app/UserInterface.h"
#include "context/frmDataCheck.h"
#include "returns/DataCheck.h"
#include "returns/ExportCommand.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <functional>

using namespace ReturnTestData;

namespace {
bool line(int serial, const QString &date, const QString &product, const QString &tariff, const QVariant &duty)
{
    return addInvoiceLine(serial, QStringLiteral("INV/%1").arg(serial), date, product, tariff, 1, {duty, 0, 0, 0});
}

bool document(int serial, const std::function<void(Document &)> &change)
{
    Document d;
    d.serial = serial;
    change(d);
    return addDocument(d);
}

// One bad row beside the worked example's clean ones, and the one problem it is.
struct Case
{
    const char *name;
    std::function<bool()> add;
    DataProblem::Table table;
    QString serial;
    QString column;
    QString problem; // how it starts
};

const QList<Case> &cases()
{
    static const QList<Case> c{
        {"tariff of 7 characters", [] { return line(2, "2014-07-11", "Wire", "7408111", 1); },
         DataProblem::InvoiceLines, "2", "Col05", "Invalid Chapter No.: 7 characters without blanks and dots, not 8"},
        {"tariff not in the master", [] { return line(3, "2014-07-11", "Laptop", "8471.30.10", 1); },
         DataProblem::InvoiceLines, "3", "Col05", "Chapter No. 84713010 is not in the tariff master"},
        {"character XML cannot carry", [] { return line(4, "2014-07-11", "Wire\x01", "74081110", 1); },
         DataProblem::InvoiceLines, "4", "Col04", "Holds a character a return cannot carry (code 0001)"},
        {"no such date", [] { return line(5, "2014-02-30", "Wire", "74081110", 1); }, DataProblem::InvoiceLines,
         "5", "Col03", "Not a date"},
        {"serial zero", [] { return line(0, "2014-07-11", "Wire", "74081110", 1); }, DataProblem::InvoiceLines, "0",
         "Col01", "The serial number (SL-NO) must be a whole number"},
        {"supplier registration", [] { return document(2, [](Document &d) { d.registration = "AAACX9999QXA001"; }); },
         DataProblem::SupplierDocuments, "2", "Col10", "Invalid registration number: characters 11 and 12"},
        {"duty beyond the XML library", [] { return document(3, [](Document &d) { d.duties = {1e30, 0, 0, 0}; }); },
         DataProblem::SupplierDocuments, "3", "Col06-Col09", "Not a number the return can carry"},
        {"quantity as words", [] { return document(4, [](Document &d) { d.quantity = "about 5"; }); },
         DataProblem::SupplierDocuments, "4", "Col11", "Not a number the return can carry (about 5)"},
    };
    return c;
}
} // namespace

class DataCheckTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    TestHome *home = nullptr;

private slots:
    void init()
    {
        home = new TestHome;
        settings().strCompCode = QStringLiteral("001");
        settings().strCompName = QStringLiteral("A & B TRADERS");
        QDir().mkpath(home->app() + QStringLiteral("/ACES/001"));
        home->writeFile(QStringLiteral("stemp4.DBF"), QByteArray());
        home->writeFile(QStringLiteral("ptemp5.DBF"), QByteArray());
        QFile::copy(schemaPath(), home->app() + QStringLiteral("/ACES_DLR.xsd"));
        QString error;
        QVERIFY2(openTables(*home, &error), qPrintable(error));
        QVERIFY(addWorkedExample());
        Clock::setNow(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        rec.clear();
        installUserInterface(&rec);
    }

    void cleanup()
    {
        installUserInterface(nullptr);
        Clock::reset();
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        delete home;
    }

    // Each problem is listed once, and the export cannot pass it silently.
    void oneProblem_data()
    {
        QTest::addColumn<int>("at");
        for (int i = 0; i < cases().size(); ++i)
            QTest::newRow(cases().at(i).name) << i;
    }

    void oneProblem()
    {
        QFETCH(int, at);
        const Case &c = cases().at(at);
        QVERIFY(c.add());
        const DataCheckResult r = CheckQuarterData();
        QVERIFY2(r.checked, qPrintable(r.reason));
        QCOMPARE(r.problems.size(), 1);
        const DataProblem &p = r.problems.first();
        QCOMPARE(p.table, c.table);
        QCOMPARE(p.serial, c.serial);
        QCOMPARE(p.column, c.column);
        QVERIFY2(p.problem.startsWith(c.problem), qPrintable(p.problem));
        QCOMPARE(rec.messages.size(), 0);

        ExportReturn(workedExampleInputs(QString()));
        QVERIFY(!rec.texts().isEmpty());
        QVERIFY2(rec.texts() != QStringList{"File Export to XML and validated successfully"},
                 qPrintable(rec.texts().join(QLatin1Char('|'))));
    }

    void window()
    {
        for (const Case &c : cases())
            QVERIFY(c.add());
        frmDataCheck w;
        for (auto [table, grid] : {std::pair{DataProblem::InvoiceLines, w.flx},
                                   std::pair{DataProblem::SupplierDocuments, w.MSFlexGrid1}}) {
            QStringList expected, listed;
            for (const Case &c : cases())
                if (c.table == table)
                    expected << c.serial + QLatin1Char(' ') + c.column;
            for (int row = 0; row < grid->rowCount(); ++row)
                listed << grid->item(row, 0)->text() + QLatin1Char(' ') + grid->item(row, 2)->text();
            expected.sort();
            listed.sort();
            QCOMPARE(listed, expected);
        }
        QCOMPARE(w.lblStatus->text(), QStringLiteral("8 problems in 6 invoice lines and 4 supplier documents."));

        // Refresh reads again: a missing table, an empty quarter, a clean one.
        QFile::remove(home->app() + QStringLiteral("/ptemp5.DBF"));
        QTest::mouseClick(w.cmdRefresh, Qt::LeftButton);
        QVERIFY2(w.lblStatus->text().startsWith(QStringLiteral("The work table ptemp5.DBF is not in the folder ")),
                 qPrintable(w.lblStatus->text()));
        QCOMPARE(w.flx->rowCount() + w.MSFlexGrid1->rowCount(), 0);
        home->writeFile(QStringLiteral("ptemp5.DBF"), QByteArray());
        QSqlQuery q(QSqlDatabase::database(settings().cnCompany));
        QVERIFY(q.exec(QStringLiteral("DELETE FROM STEMP4")) && q.exec(QStringLiteral("DELETE FROM PTEMP5")));
        QTest::mouseClick(w.cmdRefresh, Qt::LeftButton);
        QCOMPARE(w.lblStatus->text(), QStringLiteral("The work tables hold no rows: this quarter is empty."));
        QVERIFY(addWorkedExample());
        QTest::mouseClick(w.cmdRefresh, Qt::LeftButton);
        QCOMPARE(w.lblStatus->text(), QStringLiteral("No problems in 1 invoice line and 1 supplier document."));
        QCOMPARE(rec.messages.size(), 0);
    }
};

QV_REGISTER_TEST(DataCheckTest)
#include "DataCheck_test.moc"
