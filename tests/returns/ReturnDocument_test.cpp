#include "ReturnTestData.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "context/frmDataCheck.h"
#include "reports/QuarterSummary.h"
#include "returns/DataCheck.h"
#include "returns/ExportCommand.h"
#include "returns/ReturnQuarter.h"
#include "returns/SchemaValidation.h"
#include "returns/WorkTables.h"
#include "returns/XmlOutput.h"
#include "sources/DataConnections.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSqlError>
#include <QTableWidget>
#include <QTest>

#include <functional>

using namespace ReturnTestData;

namespace {
const QString kDone = QStringLiteral("File Export to XML and validated successfully");
const QString kBroken = QStringLiteral("Load XML failed: ");

bool line(int serial, const QString &date, const QString &product, const QString &tariff, const QVariant &duty)
{
    return addInvoiceLine(serial, QStringLiteral("INV/%1").arg(serial), date, product, tariff, 1, {duty, 0, 0, 0});
}

QByteArray written(const std::function<void(XmlOutput &)> &write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlOutput out;
    out.start(&buffer, QString());
    write(out);
    out.flush();
    return buffer.data();
}
// One bad row beside the worked example's clean ones, and the one problem the data check finds in it.
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
         DataProblem::InvoiceLines, "3", "Col05", "Tariff number 84713010 is not in the tariff master"},
        {"character XML cannot carry", [] { return line(4, "2014-07-11", "Wire\x01", "74081110", 1); },
         DataProblem::InvoiceLines, "4", "Col04", "Holds a character a return cannot carry (code 0001)"},
        {"serial zero", [] { return line(0, "2014-07-11", "Wire", "74081110", 1); }, DataProblem::InvoiceLines, "0",
         "Col01", "The serial number (SL-NO) must be a whole number"},
        {"supplier registration", [] { return addDocument({.serial = 2, .registration = "AAACX9999QXA001"}); },
         DataProblem::SupplierDocuments, "2", "Col10", "Invalid registration number: characters 11 and 12"},
    };
    return c;
}
} // namespace

// The return as the export command writes and validates it (down to the
// bytes of one element, and the master it reads), and the data check that
// finds its faults beforehand, on the same work tables.
class ReturnDocumentTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    TestHome *home = nullptr;

    QString folder() const { return home->app() + QStringLiteral("/ACES/001"); }
    QString output() const { return folder() + QStringLiteral("/AAACB1234CXM001_201407150305PM.xml"); }
    QString rejected() const { return RejectedReturnPath(output()); }

    // The messages shown, each cut to the length of the one expected in its place.
    QStringList shown(const QStringList &expected) const
    {
        QStringList texts = rec.texts();
        for (qsizetype i = 0; i < qMin(texts.size(), expected.size()); ++i)
            texts[i].truncate(expected[i].size());
        return texts;
    }

private slots:
    void init()
    {
        home = new TestHome;
        Settings().strCompCode = QStringLiteral("001");
        Settings().strCompName = QStringLiteral("A & B TRADERS");
        QDir().mkpath(folder());
        // Only their presence is checked, in any letter case.
        home->writeFile(QStringLiteral("STEMP4.dbf"), QByteArray());
        home->writeFile(QStringLiteral("PTemp5.Dbf"), QByteArray());
        QFile::copy(schemaPath(), home->app() + QStringLiteral("/ACES_DLR.xsd"));
        QString error;
        QVERIFY2(openTables(*home, &error), qPrintable(error));
        FixedClock::set(QDateTime(QDate(2014, 7, 15), QTime(15, 5, 42)));
        rec.clear();
        InstallUserInterface(&rec);
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        FixedClock::reset();
        Settings().blnFoxPro = false;
        closeAllConnections();
        delete home;
    }

    // From FoxPro tables written by python3-dbf, read through the table reader.
    // The tables appear after the company was chosen, as the accounting system
    // writes them then; the return replaces a longer one of an earlier export.
    void workedExampleFromFoxProTables()
    {
        CloseConnection(Settings().cnCompany);
        for (const QString name : {"STEMP4.dbf", "PTemp5.Dbf"})
            QVERIFY(QFile::remove(home->app() + QLatin1Char('/') + name));
        Settings().blnFoxPro = true;
        QString error;
        QVERIFY2(OpenFoxProConnection(Settings().cnCompany, home->app(), &error), qPrintable(error));
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        for (const QString name : {"stemp4.DBF", "ptemp5.DBF"})
            QVERIFY(QFile::copy(fixturePath(QStringLiteral("returns/foxpro/") + name),
                                home->app() + QLatin1Char('/') + name));
        home->writeFile(QStringLiteral("ACES/001/AAACB1234CXM001_201407150305PM.xml"), QByteArray(100000, 'x'));

        const ExportResult r = ExportReturn(workedExampleInputs());
        QVERIFY(r.success);
        QCOMPARE(rec.texts(), QStringList{kDone});
        QCOMPARE(rec.messages.first().boxType, MsgBoxType::Information);
        QCOMPARE(rec.pleaseWaitShows, 1);
        QVERIFY(!rec.pleaseWaitVisible);
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList{QFileInfo(output()).fileName()});
        QCOMPARE(bytesOf(output()), bytesOf(fixturePath(QStringLiteral("returns/worked-example.xml"))));
    }

    // Master lookups with bound values; a chapter message ends the document in
    // the failing row, which keeps its first lines, so that validation reports it.
    void tariffNumbers_data()
    {
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<bool>("invoiceLine");
        QTest::addColumn<QString>("outcome"); // number and unit as written, or the chapter message
        const QString invoice = QStringLiteral("\r\nExcise Invoice No. : INV/1\r\nProduct Name : Laptop");
        QTest::newRow("invoice: dots and blanks go; unit of the cleaned number")
            << "8471.30 10" << true << "84713010<NOS";
        QTest::newRow("invoice: null unit") << "84818030" << true << "84818030<U";
        QTest::newRow("invoice: empty unit") << "84818031" << true << "84818031<U";
        QTest::newRow("invoice: last of two master rows") << "72085110" << true << "72085110<MT";
        QTest::newRow("invoice: apostrophe") << "8471'010" << true << "8471'010<PCS'";
        QTest::newRow("invoice: seven characters") << "8471301" << true << "Invalid Chapter No.8471301" + invoice;
        QTest::newRow("invoice: not in the master")
            << "84713099" << true << "Chapter No. does not exits in Master 84713099" + invoice;
        QTest::newRow("invoice: quoted text matches nothing")
            << "1'OR'1'1" << true << "Chapter No. does not exits in Master 1'OR'1'1" + invoice;
        QTest::newRow("supplier: blanks go, master not checked") << "9999 9999" << false << "99999999<U";
        QTest::newRow("supplier: dots stay")
            << "8471.30.10" << false
            << "Invalid Chapter No.8471.30.10\r\nSupplier Name : X Metals\r\nProduct Name : Laptop";
    }

    void tariffNumbers()
    {
        QFETCH(QString, tariff);
        QFETCH(bool, invoiceLine);
        QFETCH(QString, outcome);
        const std::pair<const char *, QVariant> master[] = {
            {"74081110", "KGS"},  {"84713010", "NOS"}, {"84818030", QVariant()}, {"84818031", ""},
            {"8471'010", "PCS'"}, {"72085110", "KGS"}, {"72085110", "MT"}};
        for (const auto &[number, unit] : master)
            QVERIFY(addMaster(QLatin1String(number), unit));
        const QString good = QStringLiteral("74081110"); // for the rows not under test
        QVERIFY(line(1, "2014-07-11", "Laptop", invoiceLine ? tariff : good, 1)
                && line(2, "2014-07-12", "Later", good, 1));
        for (int serial : {1, 2})
            QVERIFY(addDocument({.serial = serial, .product = "Laptop", .tariff = invoiceLine ? good : tariff}));

        const bool ends = outcome.contains(QLatin1String("Chapter No"));
        QCOMPARE(ExportReturn(workedExampleInputs()).success, !ends);
        const QByteArray text = bytesOf(ends ? rejected() : output());
        if (!ends) {
            QCOMPARE(rec.texts(), QStringList{kDone});
            QVERIFY(text.contains(outcome.replace("<", "</CETSH-NUMBER>\r\n<QUANTITY-CODE>").append("<").toUtf8()));
            return;
        }
        QCOMPARE(shown({outcome, kBroken}), (QStringList{outcome, kBroken}));
        QVERIFY2(text.endsWith(invoiceLine ? "<INVOICE-DATE>11/07/2014</INVOICE-DATE>\r\n"
                                           : "<DATE>02/06/2014</DATE>\r\n<ISSUED-BY>X Metals</ISSUED-BY>\r\n"),
                 text.right(100).constData());
    }

    // Every value escaped, numbers exact (2.675 as a double is just below the
    // half), duties rounded half up, "ECC.No." and the number taken from the
    // address (letter case exact), tabs and line breaks kept, a number of ten
    // characters not checked, a bad one reported with the row written all the same.
    void valuesAsWritten()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        const QString date = QStringLiteral("2014-07-11"), tariff = QStringLiteral("74081110");
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV<1>&2"), date, QStringLiteral("<5mm wire> & \"rod\" ü ₹"), tariff,
                               2.675, {10.25, 0.25, 0, 0}));
        QVERIFY(addInvoiceLine(QStringLiteral("9\"&<"), QStringLiteral("INV<2"), date, QStringLiteral("A"), tariff,
                               QStringLiteral(" 12.5 "), {QStringLiteral("1"), QStringLiteral(""), QVariant(), 0}));
        QVERIFY(addDocument({.number = "BE&<77>",
                             .supplier = "Steel & Alloys <India>",
                             .registration = " AAACB 1234CXM001",
                             .quantity = 2.675,
                             .issuedBy = "R&D \"cell\"",
                             .address = "A&B\t<Gate 2>\r\nECC.No.AAACB1234CXM001, ecc.no.AAACB1234CXM001"}));
        QVERIFY(addDocument({.serial = 2, .registration = "AAACB1234C", .quantity = "  12.5  "}));
        QVERIFY(addDocument({.serial = 3, .registration = ""}));
        ReturnInputs in = workedExampleInputs();
        in.remarks = QStringLiteral("R&D <excise> \"return\"");
        in.place = QStringLiteral("P&Q");
        Settings().strCompName = QStringLiteral("A &amp; B <Traders>");
        ExportReturn(in);
        // Well-formed: only the schema objects, first to the serial that is no number.
        const QStringList messages{"Invalid Registration Number= \r\nSupplier Name : X Metals",
                                   "Element 'INVOICE-PARTICULARS', attribute 'SL-NO'"};
        QCOMPARE(shown(messages), messages);
        const QByteArray text = bytesOf(rejected());
        for (const char *lines :
             {"<DEALER-NAME> A &amp;amp; B &lt;Traders&gt;</DEALER-NAME>",
              "<INVOICE-PARTICULARS SL-NO=\"1\">\r\n<INVOICE-NUMBER>INV&lt;1&gt;&amp;2</INVOICE-NUMBER>",
              "<DESCRIPTION-OF-GOODS>&lt;5mm wire&gt; &amp; \"rod\" \xc3\xbc \xe2\x82\xb9</DESCRIPTION-OF-GOODS>",
              "<QUANTITY>2.68</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>11.00</AMOUNT-OF-DUTY-INVOLVED>",
              "<INVOICE-PARTICULARS SL-NO=\"9&quot;&amp;&lt;\">\r\n",
              "<QUANTITY>12.50</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>1.00</AMOUNT-OF-DUTY-INVOLVED>",
              "<INVOICE-BILL-ENTRY-NO>BE&amp;&lt;77&gt;</INVOICE-BILL-ENTRY-NO>",
              "<ISSUED-BY>R&amp;D "
              "\"cell\"</ISSUED-BY>\r\n<REGISTRATION-NUMBER>AAACB1234CXM001</REGISTRATION-NUMBER>\r\n"
              "<NAME>Steel &amp; Alloys &lt;India&gt;</NAME>\r\n"
              "<ADDRESS>A&amp;B\t&lt;Gate 2&gt;\r\n, ecc.no.AAACB1234CXM001</ADDRESS>",
              "<QUANTITY>2.68</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>494.00<",
              "<REGISTRATION-NUMBER>AAACB1234C</REGISTRATION-NUMBER>",
              "<QUANTITY>12.50</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>494.00<",
              "<REGISTRATION-NUMBER></REGISTRATION-NUMBER>",
              "<PLACE>P&amp;Q</PLACE>\r\n<REMARKS>R&amp;D &lt;excise&gt; \"return\"</REMARKS>"})
            QVERIFY2(text.contains(lines), lines);
    }

    // A device failing part-way: reported by the file's name, never taken for
    // a document, and nothing more sent to it; the validator waiting for the
    // rest, abandoned, ends and finds nothing valid.
    void deviceFailsPartWay_data()
    {
        QTest::addColumn<qint64>("shortBy"); // bytes short of the whole document
        QTest::newRow("in the header") << qint64(-1);
        QTest::newRow("between batches") << qint64(500000);
        QTest::newRow("at the last flush") << qint64(5);
    }

    void deviceFailsPartWay()
    {
        QFETCH(qint64, shortBy);
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        for (int i = 1; i <= 3000; ++i)
            QVERIFY(line(i, "2014-07-11", "Wire", "74081110", 1));
        QVERIFY(ExportReturn(workedExampleInputs()).success);
        const QByteArray whole = bytesOf(output());
        FullDevice device(shortBy < 0 ? 10 : whole.size() - shortBy);
        StreamValidator validator(schemaPath());
        validator.start();
        ReturnWriter writer(workedExampleInputs(), QStringLiteral("A & B TRADERS"), Settings().cnCompany,
                            Settings().cnProgram);
        QCOMPARE(writer.write(&device, output(), &validator), WriteOutcome::Failed);
        validator.abandon();
        QString reason;
        QVERIFY(!validator.finish(&reason));
        QCOMPARE(writer.errorString(),
                 QStringLiteral("Could not write the file %1: No space left on device").arg(output()));
        QVERIFY(whole.startsWith(device.data()));
        QCOMPARE_LE(device.writes, device.data().size() / XmlOutput::kBatch + 1); // whole batches, then the failure
    }

    // Every way an export can fail: a message, never a success. The checks
    // before writing (empty fields: see the return window's test) come in their
    // order and show no indicator; afterwards the indicator goes, and only a
    // written file stays for the user to look at.
    void failures_data()
    {
        QTest::addColumn<QString>("trouble"); // a form field's value, files to remove, or SQL
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("stage"); // 0: refused before writing, 1: nothing kept, 2: file kept
        const QString bad = QStringLiteral("Invalid character (code %1) in ");
        QTest::newRow("a blank fills a field, then the number fails")
            << "number= " << QStringList{"Invalid Registration Number=  \r\nSupplier Name : "} << 0;
        QTest::newRow("number leaving the folder")
            << "number=AAACB1234CXM/../../x/001"
            << QStringList{"The Registration Number AAACB1234CXM/../../x/001 holds the character /, which cannot stand "
                           "in a file name."}
            << 0;
        QTest::newRow("no work tables: the first reported")
            << "remove STEMP4.dbf PTemp5.Dbf" << QStringList{"File Not Available (sTemp4)"} << 0;
        QTest::newRow("no ptemp5") << "remove PTemp5.Dbf" << QStringList{"File Not Available (pTemp5)"} << 0;
        QTest::newRow("bell in the remarks")
            << "remarks=EXCISE\aRETURN" << QStringList{bad.arg("0007") + "Remarks"} << 1;
        QTest::newRow("control character in a product")
            << "UPDATE STEMP4 SET Col04 = 'Wire' || char(1)"
            << QStringList{bad.arg("0001") + "table STEMP4, SL-NO 1, column Col04", kBroken} << 2;
        QTest::newRow("escape in an address")
            << "UPDATE PTEMP5 SET col14 = 'Pune' || char(27)"
            << QStringList{bad.arg("001B") + "table PTEMP5, SL-NO 1, column Col14", kBroken} << 2;
        QTest::newRow("control character in a unit")
            << "UPDATE Import SET Unit = 'KG' || char(2)"
            << QStringList{bad.arg("0002") + "table Import, TariffNo 74081110, column Unit", kBroken} << 2;
        QTest::newRow("numeric field holding no number")
            << "UPDATE STEMP4 SET Col08 = CAST('0x1A' AS BLOB)"
            << QStringList{"Not a number (0x1A) in table STEMP4, SL-NO 1, column Col08: the numeric field is damaged",
                           kBroken}
            << 2;
        QTest::newRow("invalid year") << "year=14" << QStringList{"Element 'RETURN-YEAR'"} << 2;
        // Found before the first row: nothing is written.
        QTest::newRow("schema missing") << "remove ACES_DLR.xsd" << QStringList{"Load XSD failed: "} << 0;
        QTest::newRow("company folder missing")
            << "remove ACES/001" << QStringList{"Could not create the file %1: "} << 1;
        QTest::newRow("a folder where the file goes")
            << "in the way" << QStringList{"The return cannot be written as %1: "} << 0;
        QTest::newRow("no STEMP4")
            << "DROP TABLE STEMP4"
            << QStringList{"The query failed: Select * from STEMP4 Order by Col02\r\nno such table: STEMP4"} << 1;
        QTest::newRow("PTEMP5 without Col14") << "ALTER TABLE PTEMP5 RENAME COLUMN col14 TO other"
                                              << QStringList{"The table PTEMP5 has no column Col14."} << 1;
        QTest::newRow("no master")
            << "DROP TABLE Import"
            << QStringList{"The query failed: Select Unit from Import Where TariffNo=? \r\nno such table: Import"} << 1;
    }

    void failures()
    {
        QFETCH(QString, trouble);
        QFETCH(QStringList, messages);
        QFETCH(int, stage);
        QVERIFY(addWorkedExample());
        ReturnInputs in = workedExampleInputs();
        const QHash<QString, QString ReturnInputs::*> fields{{"number", &ReturnInputs::registrationNumber},
                                                             {"remarks", &ReturnInputs::remarks},
                                                             {"year", &ReturnInputs::year}};
        QSqlQuery q(QSqlDatabase::database(trouble.contains(QLatin1String("Import")) ? Settings().cnProgram
                                                                                     : Settings().cnCompany));
        if (fields.contains(trouble.section(QLatin1Char('='), 0, 0)))
            in.*fields.value(trouble.section(QLatin1Char('='), 0, 0)) = trouble.section(QLatin1Char('='), 1);
        else if (trouble.startsWith(QLatin1String("remove ")))
            for (const QString &name : trouble.mid(7).split(QLatin1Char(' '))) {
                const QString path = home->app() + QLatin1Char('/') + name;
                QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
            }
        else if (trouble == QLatin1String("in the way"))
            QVERIFY(QDir().mkpath(output() + QStringLiteral("/inside")));
        else
            QVERIFY(q.exec(trouble));
        const ExportResult r = ExportReturn(in);
        QVERIFY(!r.success);
        messages.replaceInStrings(QStringLiteral("%1"), QDir::toNativeSeparators(output()));
        QCOMPARE(shown(messages), messages);
        QCOMPARE(rec.pleaseWaitShows, stage > 0 ? 1 : 0);
        QVERIFY(!rec.pleaseWaitVisible);
        // Nothing under the return's own name; what was written is kept beside it and named.
        QVERIFY(!QFileInfo(r.outputPath).isFile());
        QCOMPARE(QFileInfo(rejected()).isFile(), stage == 2);
        if (stage == 2)
            QVERIFY2(rec.texts().last().endsWith(QStringLiteral("What was written is kept as %1; it is not a return.")
                                                     .arg(QDir::toNativeSeparators(rejected()))),
                     qPrintable(rec.texts().last()));
        QCOMPARE(QDir(folder()).entryList({QStringLiteral("*.partial")}, QDir::Files), QStringList());
    }

    // Each problem is listed once, by table, row and column, and the export
    // cannot pass it silently.
    void dataCheckOneProblem_data()
    {
        QTest::addColumn<int>("at");
        for (int i = 0; i < cases().size(); ++i)
            QTest::newRow(cases().at(i).name) << i;
    }

    void dataCheckOneProblem()
    {
        QFETCH(int, at);
        const Case &c = cases().at(at);
        QVERIFY(addWorkedExample() && c.add());
        const DataCheckResult r = CheckQuarterData();
        QVERIFY2(r.checked, qPrintable(r.reason));
        QCOMPARE(r.problems.size(), 1);
        const DataProblem &p = r.problems.first();
        QCOMPARE(QStringList({DataProblemTableName(p.table), p.serial, p.column}),
                 QStringList({DataProblemTableName(c.table), c.serial, c.column}));
        QVERIFY2(p.problem.startsWith(c.problem), qPrintable(p.problem));
        QCOMPARE(rec.messages.size(), 0);

        ExportReturn(workedExampleInputs());
        QVERIFY(!rec.texts().isEmpty());
        QVERIFY2(rec.texts() != QStringList{kDone}, qPrintable(rec.texts().join(QLatin1Char('|'))));
    }

    // Without a tariff master the check and the summary say so, as the export
    // does, instead of finding every row missing from it.
    void noTariffMaster()
    {
        QVERIFY(addWorkedExample());
        CloseConnection(Settings().cnProgram);
        QCOMPARE(CheckQuarterData().reason, kTariffMasterMissing);
        QCOMPARE(SummariseQuarter(Settings().cnCompany, Settings().cnProgram).reason, kTariffMasterMissing);
    }

    // Each quarter's first and last day are in it, the days either side are
    // not: for the quarter the return names, the date look before the export
    // and the data check; the summary sums every row whatever its date.
    void quarterBoundaries_data()
    {
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::newRow("Apr-Jun") << "Apr-Jun" << QDate(2014, 4, 1) << QDate(2014, 6, 30);
        QTest::newRow("Jul-Sep") << "Jul-Sep" << QDate(2014, 7, 1) << QDate(2014, 9, 30);
        QTest::newRow("Oct-Dec") << "Oct-Dec" << QDate(2014, 10, 1) << QDate(2014, 12, 31);
        QTest::newRow("Jan-Mar, leap year") << "Jan-Mar" << QDate(2016, 1, 1) << QDate(2016, 3, 31);
    }

    void quarterBoundaries()
    {
        QFETCH(QString, quarter);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        const std::optional<ReturnQuarter> q =
            ReturnQuarterOf(QString::number(first.year() - (first.month() < 4)), quarter);
        QVERIFY(q);
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        const QDate days[] = {first.addDays(-1), first, last, last.addDays(1)};
        for (int i = 0; i < 4; ++i) {
            QVERIFY(line(i + 1, days[i].toString(Qt::ISODate), "Wire", "74081110", 1));
            QVERIFY(addDocument({.serial = i + 1, .date = days[i].toString(Qt::ISODate)}));
        }
        const RowsOutsideQuarter outside = FindRowsOutsideQuarter(Settings().cnCompany, Settings().cnProgram, *q);
        QCOMPARE(outside.invoiceLines, 2);
        QCOMPARE(outside.supplierDocuments, 2);
        QCOMPARE(outside.firstDate, days[0]);
        QStringList dated;
        for (const DataProblem &p : CheckQuarterData(q).problems)
            dated << DataProblemTableName(p.table) + p.serial + QLatin1Char(' ') + p.value;
        const QString before = days[0].toString(QStringLiteral("dd/MM/yyyy"));
        const QString after = days[3].toString(QStringLiteral("dd/MM/yyyy"));
        QCOMPARE(dated,
                 (QStringList{"STEMP41 " + before, "STEMP44 " + after, "PTEMP51 " + before, "PTEMP54 " + after}));
        const QuarterSummary summary = SummariseQuarter(Settings().cnCompany, Settings().cnProgram);
        QCOMPARE(summary.total.invoiceLines + summary.total.documents, 8);
    }

    void dataCheckWindow()
    {
        QVERIFY(addWorkedExample());
        for (const Case &c : cases())
            QVERIFY(c.add());
        frmDataCheck w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.flx->rowCount(), 4); // each table's problems in its own grid
        QCOMPARE(w.MSFlexGrid1->item(0, 0)->text() + ' ' + w.MSFlexGrid1->item(0, 2)->text(),
                 QStringLiteral("2 Registration number (Col10)"));
        QCOMPARE(w.lblStatus->text(), QStringLiteral("5 problems in 5 invoice lines and 2 supplier documents."));
        QCOMPARE(w.grdWarnings->rowCount(), 0);

        // A warning stands apart, under its table's name.
        QVERIFY(addInvoiceLine(8, QStringLiteral("INV/8"), QStringLiteral("2014-07-11"), QStringLiteral("Wire"),
                               QStringLiteral("74081110"), -5));
        sendClick(w.cmdRefresh);
        QCOMPARE(w.lblStatus->text(), QStringLiteral("5 problems and 1 warning in 6 invoice lines and 2 supplier "
                                                     "documents (warnings: the export writes those rows as shown)."));
        QCOMPARE(w.flx->rowCount() + w.MSFlexGrid1->rowCount(), 5);
        QCOMPARE(w.grdWarnings->rowCount(), 1);
        QCOMPARE(w.grdWarnings->item(0, 0)->text() + w.grdWarnings->item(0, 1)->text(), QStringLiteral("STEMP48"));

        // Refresh reads again: a missing table, an empty quarter, a clean one.
        QFile::remove(home->app() + QStringLiteral("/PTemp5.Dbf"));
        sendClick(w.cmdRefresh);
        QVERIFY2(w.lblStatus->text().startsWith(QStringLiteral("The work table ptemp5.DBF is not in the folder ")),
                 qPrintable(w.lblStatus->text()));
        QCOMPARE(w.flx->rowCount() + w.MSFlexGrid1->rowCount(), 0);
        home->writeFile(QStringLiteral("PTemp5.Dbf"), QByteArray());
        QSqlQuery q(QSqlDatabase::database(Settings().cnCompany));
        QVERIFY(q.exec(QStringLiteral("DELETE FROM STEMP4")) && q.exec(QStringLiteral("DELETE FROM PTEMP5")));
        sendClick(w.cmdRefresh);
        QCOMPARE(w.lblStatus->text(), QStringLiteral("The work tables hold no rows: this quarter is empty."));
        QVERIFY(addWorkedExample());
        sendClick(w.cmdRefresh);
        QCOMPARE(w.lblStatus->text(), QStringLiteral("No problems in 1 invoice line and 1 supplier document."));
        QCOMPARE(rec.messages.size(), 0);
    }

    // A return reads one snapshot of the master; once written, the master is
    // free again for the tariff import, and a transaction the caller opened
    // is left to the caller.
    void lookupsHoldTheMasterOnlyWhileWriting()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("otherProcess"));
        other.setDatabaseName(ProgramDatabasePath(home->app()));
        other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QVERIFY(other.open());
        const QString insert = QStringLiteral("INSERT INTO Import (TariffNo, Unit) VALUES ('72085110', 'MT')");
        QString unit;
        {
            TariffMaster master(Settings().cnProgram);
            QVERIFY(GetUnitForTariff(master, QStringLiteral("74081110"), &unit));
            QSqlQuery q(other);
            QVERIFY(!q.exec(insert)); // locked while the return is written
        }
        QSqlQuery q(other);
        QVERIFY2(q.exec(insert), qPrintable(q.lastError().text()));

        QSqlDatabase program = QSqlDatabase::database(Settings().cnProgram);
        QVERIFY(program.transaction());
        {
            TariffMaster master(Settings().cnProgram);
            QVERIFY(GetUnitForTariff(master, QStringLiteral("72085110"), &unit));
            QCOMPARE(unit, QStringLiteral("MT"));
        }
        QVERIFY(!q.exec(insert)); // still the caller's transaction
        QVERIFY(program.rollback());
        QVERIFY2(q.exec(insert), qPrintable(q.lastError().text()));
    }

    // The bytes of one element, some of its text removed (when `removed` is
    // not null): escaping by place and UTF-8 of the first planes are seen in
    // the return's own tests.
    void element_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("four bytes") << QString::fromUtf8("😀") << QString() << QByteArray("\xf0\x9f\x98\x80");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("&") << QString()
                                        << (QString(QChar(0xD800)) + QStringLiteral("&amp;")).toUtf8();
        QTest::newRow("empty") << QString() << QString() << QByteArray();
        QTest::newRow("removed twice, escaped between") << "aXXb&XX"
                                                        << "XX" << QByteArray("ab&amp;");
        QTest::newRow("overlaps removed left to right") << "XXX"
                                                        << "XX" << QByteArray("X");
        QTest::newRow("nothing to remove") << "a&b"
                                           << "" << QByteArray("a&amp;b");
    }

    void element()
    {
        QFETCH(QString, value);
        QFETCH(QString, removed);
        QFETCH(QByteArray, bytes);
        QCOMPARE(written([&](XmlOutput &out) {
                     removed.isNull() ? out.element("T", value) : out.elementWithout("T", value, removed);
                 }),
                 "<T>" + bytes + "</T>\r\n");
    }
};

QV_REGISTER_TEST(ReturnDocumentTest)
#include "ReturnDocument_test.moc"
