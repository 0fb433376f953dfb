#include "ReturnTestData.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "returns/ReturnDocument.h"
#include "returns/SchemaValidation.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTest>

using namespace ReturnTestData;

namespace {
// A device that accepts `limit` bytes and then fails, as a full disk does.
class FailDevice : public QIODevice
{
public:
    explicit FailDevice(qint64 limit)
        : m_limit(limit)
    {
        open(QIODevice::WriteOnly);
    }
    QByteArray data;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *bytes, qint64 size) override
    {
        if (data.size() + size > m_limit) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        data.append(bytes, size);
        return size;
    }

private:
    qint64 m_limit;
};

QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &l : lines)
        l.chop(1); // the CR
    return lines;
}
} // namespace

class ReturnDocumentTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    TestHome *home = nullptr;

    QString output() const { return home->app() + QStringLiteral("/ACES/001/AAACB1234CXM001_201407150305PM.xml"); }

    // Writes through the device-level writer into memory.
    WriteOutcome writeToBuffer(const ReturnInputs &in, QByteArray *text, QString *error = nullptr)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ReturnWriter writer(in, settings().cnCompany, settings().cnProgram);
        const WriteOutcome outcome = writer.write(&buffer);
        *text = buffer.data();
        if (error)
            *error = writer.errorString();
        return outcome;
    }

private slots:
    void init()
    {
        home = new TestHome;
        QDir().mkpath(home->app() + QStringLiteral("/ACES/001"));
        QString error;
        QVERIFY2(openTables(*home, &error), qPrintable(error));
        rec.clear();
        installUserInterface(&rec);
    }

    void cleanup()
    {
        installUserInterface(nullptr);
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        delete home;
        home = nullptr;
    }

    void workedExample()
    {
        QVERIFY(addWorkedExample());
        rec.pleaseWaitVisible = true;
        QCOMPARE(WriteReturnDocument(workedExampleInputs(output())), WriteOutcome::Complete);
        QCOMPARE(rec.texts(), QStringList());
        QVERIFY(rec.pleaseWaitVisible); // hiding it is the caller's business on success
        QString where;
        QVERIFY2(sameAsReference(readAll(output()), QStringLiteral("returns/worked-example.xml"), &where),
                 qPrintable(QStringLiteral("actual output left in ") + where));
        QVERIFY(ValidateAgainstSchema(output(), schemaPath()));
        // Nothing but the return is left in the folder.
        QCOMPARE(QDir(home->app() + QStringLiteral("/ACES/001")).entryList(QDir::Files).size(), 1);
    }

    void rewritesAnEarlierFile()
    {
        QVERIFY(addWorkedExample());
        QFile old(output());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
        old.close();
        QCOMPARE(WriteReturnDocument(workedExampleInputs(output())), WriteOutcome::Complete);
        QVERIFY(readAll(output()).startsWith("<ACES "));
        QVERIFY(!readAll(output()).contains('x' + QByteArray(10, 'x')));
    }

    void emptyTables()
    {
        QByteArray text;
        QCOMPARE(writeToBuffer(workedExampleInputs(output()), &text), WriteOutcome::Complete);
        QVERIFY(text.contains("<NIL-RETURN>No</NIL-RETURN>\r\n"));
        QVERIFY(text.contains("<INVOICE-HEADER>\r\n</INVOICE-HEADER>\r\n<DOCUMENT-HEADER>\r\n</DOCUMENT-HEADER>\r\n"));
        QFile f(output());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        QVERIFY(ValidateAgainstSchema(output(), schemaPath()));
    }

    void rowsInTableOrder()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        // Two lines of one invoice, and an earlier invoice stored after them.
        QVERIFY(addInvoiceLine(7, QStringLiteral("INV/2"), QStringLiteral("2014-05-01"), QStringLiteral("A"),
                               QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        QVERIFY(addInvoiceLine(8, QStringLiteral("INV/2"), QStringLiteral("2014-05-01"), QStringLiteral("B"),
                               QStringLiteral("74081110"), 2, {2, 0, 0, 0}));
        QVERIFY(addInvoiceLine(3, QStringLiteral("INV/1"), QStringLiteral("2014-04-01"), QStringLiteral("C"),
                               QStringLiteral("74081110"), 3, {3, 0, 0, 0}));
        Document d;
        d.serial = 2;
        QVERIFY(addDocument(d));
        d.serial = 1;
        d.number = QStringLiteral("BE-1");
        QVERIFY(addDocument(d));
        QByteArray text;
        QCOMPARE(writeToBuffer(workedExampleInputs(output()), &text), WriteOutcome::Complete);
        QList<QByteArray> serials;
        for (const QByteArray &line : linesOf(text))
            if (line.contains("SL-NO="))
                serials << line;
        QCOMPARE(serials, (QList<QByteArray>{"<INVOICE-PARTICULARS SL-NO=\"3\">", "<INVOICE-PARTICULARS SL-NO=\"7\">",
                                             "<INVOICE-PARTICULARS SL-NO=\"8\">", "<DOCUMENT-DETAIL SL-NO=\"1\">",
                                             "<DOCUMENT-DETAIL SL-NO=\"2\">"}));
        QCOMPARE(text.count("<INVOICE-ITEMS>"), 5);
        QCOMPARE(text.count("<INVOICE-NUMBER>INV/2</INVOICE-NUMBER>"), 2);
    }

    // Tariff numbers: cleaned, checked and looked up, one row per case.
    void tariffNumbers_data()
    {
        QTest::addColumn<bool>("invoiceLine");
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<QString>("cetsh");   // written when the document completes
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("message"); // a chapter message ends the document

        QTest::newRow("invoice: dots and blanks removed, unit of the cleaned number")
            << true << "8471.30 10" << "84713010" << "NOS" << "";
        QTest::newRow("invoice: known number with a null unit") << true << "84818030" << "84818030" << "U" << "";
        QTest::newRow("invoice: seven characters")
            << true << "8471301" << "" << ""
            << "Invalid Chapter No.8471301\r\nExcise Invoice No. : INV/1\r\nProduct Name : Laptop";
        QTest::newRow("invoice: blank tariff")
            << true << "" << "" << "" << "Invalid Chapter No.\r\nExcise Invoice No. : INV/1\r\nProduct Name : Laptop";
        QTest::newRow("invoice: not in the master")
            << true << "84713099" << "" << ""
            << "Chapter No. does not exits in Master 84713099\r\nExcise Invoice No. : INV/1\r\nProduct Name : Laptop";
        QTest::newRow("invoice: apostrophe is looked up as it is")
            << true << "8471'010" << "8471'010" << "PCS'" << "";
        QTest::newRow("invoice: quoted text matches nothing")
            << true << "1'OR'1'1" << "" << ""
            << "Chapter No. does not exits in Master 1'OR'1'1\r\nExcise Invoice No. : INV/1\r\nProduct Name : Laptop";
        QTest::newRow("supplier: blanks removed") << false << "8471 3010" << "84713010" << "NOS" << "";
        QTest::newRow("supplier: not checked against the master") << false << "99999999" << "99999999" << "U" << "";
        QTest::newRow("supplier: dots stay")
            << false << "8471.30.10" << "" << ""
            << "Invalid Chapter No.8471.30.10\r\nSupplier Name : X Metals\r\nProduct Name : Laptop";
        QTest::newRow("supplier: blank tariff")
            << false << "  " << "" << "" << "Invalid Chapter No.\r\nSupplier Name : X Metals\r\nProduct Name : Laptop";
    }

    void tariffNumbers()
    {
        QFETCH(bool, invoiceLine);
        QFETCH(QString, tariff);
        QFETCH(QString, cetsh);
        QFETCH(QString, unit);
        QFETCH(QString, message);
        QVERIFY(addMaster(QStringLiteral("84713010"), QStringLiteral("NOS")));
        QVERIFY(addMaster(QStringLiteral("84818030"), QVariant()));
        QVERIFY(addMaster(QStringLiteral("8471'010"), QStringLiteral("PCS'")));
        const QString invoiceTariff = invoiceLine ? tariff : QStringLiteral("84713010");
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("Laptop"),
                               invoiceTariff, 1, {10.0, 0, 0, 0}));
        QVERIFY(addInvoiceLine(2, QStringLiteral("INV/9"), QStringLiteral("2014-07-12"), QStringLiteral("Later"),
                               QStringLiteral("84713010"), 1, {10.0, 0, 0, 0}));
        Document d;
        d.product = QStringLiteral("Laptop");
        d.tariff = invoiceLine ? QStringLiteral("84713010") : tariff;
        QVERIFY(addDocument(d));
        d.serial = 2;
        d.product = QStringLiteral("Later");
        QVERIFY(addDocument(d));

        rec.pleaseWaitVisible = true;
        const WriteOutcome outcome = WriteReturnDocument(workedExampleInputs(output()));
        const QByteArray text = readAll(output());
        if (message.isEmpty()) {
            QCOMPARE(outcome, WriteOutcome::Complete);
            QCOMPARE(rec.texts(), QStringList());
            const QByteArray items = invoiceLine ? text.left(text.indexOf("</INVOICE-HEADER>"))
                                                 : text.mid(text.indexOf("<DOCUMENT-HEADER>"));
            QVERIFY(items.contains("<CETSH-NUMBER>" + cetsh.toUtf8() + "</CETSH-NUMBER>\r\n<QUANTITY-CODE>"
                                   + EscapeXmlText(unit).toUtf8() + "</QUANTITY-CODE>"));
            QVERIFY(ValidateAgainstSchema(output(), schemaPath()));
            return;
        }
        // The document stops at the failing row, which keeps its first lines,
        // and stays on disk so that validation reports it.
        QCOMPARE(outcome, WriteOutcome::Ended);
        QCOMPARE(rec.texts(), QStringList{message});
        QCOMPARE(rec.messages.first().boxType, 0);
        QVERIFY(!rec.pleaseWaitVisible);
        const QByteArray ending = invoiceLine
                                      ? QByteArray("<INVOICE-PARTICULARS SL-NO=\"1\">\r\n<INVOICE-NUMBER>INV/1</INVOICE-NUMBER>\r\n"
                                                   "<INVOICE-DATE>11/07/2014</INVOICE-DATE>\r\n")
                                      : QByteArray("<DOCUMENT-DETAIL SL-NO=\"1\">\r\n<INVOICE-BILL-ENTRY-NO>BE-77</INVOICE-BILL-ENTRY-NO>\r\n"
                                                   "<DATE>02/06/2014</DATE>\r\n<ISSUED-BY>X Metals</ISSUED-BY>\r\n");
        QVERIFY2(text.endsWith(ending), text.right(200).constData());
        QVERIFY(!text.contains(invoiceLine ? "INV/9" : "<DOCUMENT-DETAIL SL-NO=\"2\">"));
        rec.clear();
        QVERIFY(!ValidateAgainstSchema(output(), schemaPath()));
        QVERIFY(rec.texts().value(0).startsWith(QStringLiteral("Load XML failed: ")));
    }

    void supplierRegistration_data()
    {
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("address loses its own number, keeps the trailing blank")
            << "AAACB1234CXM001" << "12 Main Road ECC.No.AAACB1234CXM001" << QStringList()
            << QByteArray("<REGISTRATION-NUMBER>AAACB1234CXM001</REGISTRATION-NUMBER>\r\n<NAME>X Metals</NAME>\r\n"
                          "<ADDRESS>12 Main Road </ADDRESS>\r\n");
        QTest::newRow("blanks inside the number are removed everywhere")
            << " AAACB 1234CXM001" << "Pune ECC.No.AAACB1234CXM001, MH" << QStringList()
            << QByteArray("<REGISTRATION-NUMBER>AAACB1234CXM001</REGISTRATION-NUMBER>\r\n<NAME>X Metals</NAME>\r\n"
                          "<ADDRESS>Pune , MH</ADDRESS>\r\n");
        QTest::newRow("letter case must match")
            << "AAACB1234CXM001" << "Pune ecc.no.AAACB1234CXM001" << QStringList()
            << QByteArray("<ADDRESS>Pune ecc.no.AAACB1234CXM001</ADDRESS>\r\n");
        QTest::newRow("ten characters are not checked")
            << "AAACB1234C" << "Pune" << QStringList()
            << QByteArray("<REGISTRATION-NUMBER>AAACB1234C</REGISTRATION-NUMBER>\r\n");
        QTest::newRow("empty number: message, row written")
            << "" << "Pune" << QStringList{"Invalid Registration Number= \r\nSupplier Name : X Metals"}
            << QByteArray("<REGISTRATION-NUMBER></REGISTRATION-NUMBER>\r\n<NAME>X Metals</NAME>\r\n<ADDRESS>Pune</ADDRESS>\r\n");
        QTest::newRow("invalid code: message, row written")
            << "AAACB1234CXA001" << "Pune"
            << QStringList{"Invalid Registration Number= AAACB1234CXA001\r\nSupplier Name : X Metals"}
            << QByteArray("<REGISTRATION-NUMBER>AAACB1234CXA001</REGISTRATION-NUMBER>\r\n");
    }

    void supplierRegistration()
    {
        QFETCH(QString, registration);
        QFETCH(QString, address);
        QFETCH(QStringList, messages);
        QFETCH(QByteArray, lines);
        Document d;
        d.registration = registration;
        d.address = address;
        QVERIFY(addDocument(d));
        QByteArray text;
        QCOMPARE(writeToBuffer(workedExampleInputs(output()), &text), WriteOutcome::Complete);
        QCOMPARE(rec.texts(), messages);
        QVERIFY2(text.contains(lines), text.constData());
    }

    // Every value is escaped for XML, so such a return is valid.
    void escapesEveryValue()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV<1>&2"), QStringLiteral("2014-07-11"),
                               QStringLiteral("<5mm wire> & \"rod\""), QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        Document d;
        d.number = QStringLiteral("BE&<77>");
        d.supplier = QStringLiteral("Steel & Alloys <India>");
        d.product = QStringLiteral("Ball valve 1\"");
        d.issuedBy = QStringLiteral("R&D \"cell\"");
        d.address = QStringLiteral("A&B Estate, <Gate 2>");
        QVERIFY(addDocument(d));
        ReturnInputs in = workedExampleInputs(output());
        in.remarks = QStringLiteral("R&D <excise> \"return\"");
        in.place = QStringLiteral("P&Q");
        in.dealerName = QStringLiteral("A &amp; B <Traders>");
        QCOMPARE(WriteReturnDocument(in), WriteOutcome::Complete);
        const QByteArray text = readAll(output());
        for (const char *line : {"<INVOICE-NUMBER>INV&lt;1&gt;&amp;2</INVOICE-NUMBER>",
                                 "<DESCRIPTION-OF-GOODS>&lt;5mm wire&gt; &amp; \"rod\"</DESCRIPTION-OF-GOODS>",
                                 "<INVOICE-BILL-ENTRY-NO>BE&amp;&lt;77&gt;</INVOICE-BILL-ENTRY-NO>",
                                 "<NAME>Steel &amp; Alloys &lt;India&gt;</NAME>",
                                 "<DESCRIPTION-OF-GOODS>Ball valve 1\"</DESCRIPTION-OF-GOODS>",
                                 "<ISSUED-BY>R&amp;D \"cell\"</ISSUED-BY>",
                                 "<ADDRESS>A&amp;B Estate, &lt;Gate 2&gt;</ADDRESS>",
                                 "<REMARKS>R&amp;D &lt;excise&gt; \"return\"</REMARKS>",
                                 "<PLACE>P&amp;Q</PLACE>",
                                 "<DEALER-NAME> A &amp;amp; B &lt;Traders&gt;</DEALER-NAME>"})
            QVERIFY2(text.contains(line), line);
        QVERIFY(ValidateAgainstSchema(output(), schemaPath()));
        QCOMPARE(rec.texts(), QStringList());
    }

    void serialNumberAttributeIsEscaped()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(insert(settings().cnCompany, QStringLiteral("STEMP4"),
                       {QStringLiteral("1\"&<"), QStringLiteral("INV/1"), QStringLiteral("2014-07-11"),
                        QStringLiteral("A"), QStringLiteral("74081110"), 1, 1, 0, 0, 0}));
        QByteArray text;
        QCOMPARE(writeToBuffer(workedExampleInputs(output()), &text), WriteOutcome::Complete);
        QVERIFY(text.contains("<INVOICE-PARTICULARS SL-NO=\"1&quot;&amp;&lt;\">\r\n"));
    }

    // A character XML cannot carry ends the document, naming where it was.
    void charactersXmlCannotCarry_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("invoice product") << "STEMP4" << "Invalid character (code 0001) in table STEMP4, SL-NO 1, column Col04";
        QTest::newRow("supplier address") << "PTEMP5" << "Invalid character (code 001B) in table PTEMP5, SL-NO 4, column Col14";
        QTest::newRow("unit in the master") << "Import" << "Invalid character (code 0002) in table Import, TariffNo 74081110, column Unit";
    }

    void charactersXmlCannotCarry()
    {
        QFETCH(QString, table);
        QFETCH(QString, message);
        QVERIFY(addMaster(QStringLiteral("74081110"),
                          table == QLatin1String("Import") ? QStringLiteral("KG\x02") : QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"),
                               table == QLatin1String("STEMP4") ? QStringLiteral("Wire\x01") : QStringLiteral("Wire"),
                               QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        Document d;
        d.serial = 4;
        d.address = QStringLiteral("Pune\tline\r\nnext\x1b");
        if (table != QLatin1String("PTEMP5"))
            d.address = QStringLiteral("Pune\tline\r\nnext"); // tab and line ends are fine
        QVERIFY(addDocument(d));
        rec.pleaseWaitVisible = true;
        const WriteOutcome outcome = WriteReturnDocument(workedExampleInputs(output()));
        QCOMPARE(outcome, WriteOutcome::Ended);
        QCOMPARE(rec.texts(), QStringList{message});
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY(!ValidateXmlFile(output(), schemaPath(), &message));
        QVERIFY(message.startsWith(QStringLiteral("Load XML failed: ")));
    }

    void formValueXmlCannotCarry()
    {
        ReturnInputs in = workedExampleInputs(output());
        in.remarks = QStringLiteral("EXCISE\x07RETURN");
        rec.pleaseWaitVisible = true;
        QCOMPARE(WriteReturnDocument(in), WriteOutcome::Failed);
        QCOMPARE(rec.texts(), QStringList{"Invalid character (code 0007) in Remarks"});
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY(!QFile::exists(output()));
    }

    // Quantities and duties in exact decimals.
    void numbers_data()
    {
        QTest::addColumn<QVariant>("invoiceQuantity");
        QTest::addColumn<QVariantList>("invoiceDuties");
        QTest::addColumn<QVariant>("documentQuantity");
        QTest::addColumn<QByteArray>("invoiceLines");
        QTest::addColumn<QByteArray>("documentLines");
        QTest::newRow("floating quantity 2.675, duties 10.25 + 0.25")
            << QVariant(2.675) << QVariantList{10.25, 0.25, 0, 0} << QVariant(2.675)
            << QByteArray("<QUANTITY>2.68</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>11.00</AMOUNT-OF-DUTY-INVOLVED>")
            << QByteArray("<QUANTITY>2.68</QUANTITY>");
        QTest::newRow("duties 11.25 + 0.25, integer quantity")
            << QVariant(7) << QVariantList{11.25, 0.25, 0, 0} << QVariant(qlonglong(7))
            << QByteArray("<QUANTITY>7.00</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>12.00</AMOUNT-OF-DUTY-INVOLVED>")
            << QByteArray("<QUANTITY>7.00</QUANTITY>");
        QTest::newRow("text values")
            << QVariant(QStringLiteral(" 12.5 kg")) << QVariantList{QStringLiteral("1,000"), QStringLiteral("x"), QVariant(), 0}
            << QVariant(QStringLiteral("  12.5  "))
            << QByteArray("<QUANTITY>12.50</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>1.00</AMOUNT-OF-DUTY-INVOLVED>")
            << QByteArray("<QUANTITY>12.50</QUANTITY>");
        QTest::newRow("supplier quantity that is no number is written as it is")
            << QVariant(1) << QVariantList{0, 0, 0, 0} << QVariant(QStringLiteral("ten & more"))
            << QByteArray("<AMOUNT-OF-DUTY-INVOLVED>0.00</AMOUNT-OF-DUTY-INVOLVED>")
            << QByteArray("<QUANTITY>ten &amp; more</QUANTITY>");
    }

    void numbers()
    {
        QFETCH(QVariant, invoiceQuantity);
        QFETCH(QVariantList, invoiceDuties);
        QFETCH(QVariant, documentQuantity);
        QFETCH(QByteArray, invoiceLines);
        QFETCH(QByteArray, documentLines);
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("A"),
                               QStringLiteral("74081110"), invoiceQuantity, invoiceDuties));
        Document d;
        d.quantity = documentQuantity;
        QVERIFY(addDocument(d));
        QByteArray text;
        QCOMPARE(writeToBuffer(workedExampleInputs(output()), &text), WriteOutcome::Complete);
        const qsizetype split = text.indexOf("<DOCUMENT-HEADER>");
        QVERIFY2(text.left(split).contains(invoiceLines), text.left(split).constData());
        QVERIFY2(text.mid(split).contains(documentLines), text.mid(split).constData());
    }

    void numberOutOfRange()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(5, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("A"),
                               QStringLiteral("74081110"), 1, {0, QStringLiteral("1e999"), 0, 0}));
        QByteArray text;
        QCOMPARE(writeToBuffer(workedExampleInputs(output()), &text), WriteOutcome::Ended);
        QCOMPARE(rec.texts(), QStringList{"Number out of range (1e999) in table STEMP4, SL-NO 5, column Col08"});
    }

    void utf8WithoutByteOrderMark()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("Kupferdraht ü ₹"),
                               QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        QCOMPARE(WriteReturnDocument(workedExampleInputs(output())), WriteOutcome::Complete);
        const QByteArray text = readAll(output());
        QVERIFY(text.startsWith("<ACES xmlns:xsi="));
        QVERIFY(text.contains("<DESCRIPTION-OF-GOODS>Kupferdraht \xc3\xbc \xe2\x82\xb9</DESCRIPTION-OF-GOODS>\r\n"));
        QVERIFY(ValidateAgainstSchema(output(), schemaPath()));
    }

    // A device that fails part-way: the writer reports it and never claims a document.
    void deviceFailsPartWay_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<qint64>("shortBy"); // bytes short of the whole document; -1: only 10 bytes fit
        QTest::newRow("in the header") << 1 << qint64(-1);
        QTest::newRow("between row batches") << 3000 << qint64(500000);
        QTest::newRow("at the last flush") << 3000 << qint64(5);
    }

    void deviceFailsPartWay()
    {
        QFETCH(int, rows);
        QFETCH(qint64, shortBy);
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QSqlDatabase::database(settings().cnCompany).transaction();
        for (int i = 1; i <= rows; ++i)
            QVERIFY(addInvoiceLine(i, QStringLiteral("INV/%1").arg(i), QStringLiteral("2014-07-11"),
                                   QStringLiteral("Wire"), QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        QSqlDatabase::database(settings().cnCompany).commit();
        QByteArray whole;
        QCOMPARE(writeToBuffer(workedExampleInputs(output()), &whole), WriteOutcome::Complete);
        const qint64 limit = shortBy < 0 ? 10 : whole.size() - shortBy;
        FailDevice device(limit);
        ReturnWriter writer(workedExampleInputs(output()), settings().cnCompany, settings().cnProgram);
        QCOMPARE(writer.write(&device), WriteOutcome::Failed);
        QVERIFY2(writer.errorString().contains(QStringLiteral("No space left on device")),
                 qPrintable(writer.errorString()));
        QVERIFY(writer.errorString().contains(output()));
        QVERIFY(whole.startsWith(device.data));
    }

    void fileProblems()
    {
        QVERIFY(addWorkedExample());
        // The company folder is missing: the file cannot be created.
        ReturnInputs in = workedExampleInputs(home->app() + QStringLiteral("/ACES/999/X_1.xml"));
        rec.pleaseWaitVisible = true;
        QCOMPARE(WriteReturnDocument(in), WriteOutcome::Failed);
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY2(rec.texts().first().startsWith(QStringLiteral("Could not create the file ") + in.outputPath),
                 qPrintable(rec.texts().first()));
        QVERIFY(!rec.pleaseWaitVisible);

        // A folder stands where the file should go: it cannot be deleted.
        rec.clear();
        QVERIFY(QDir().mkpath(output() + QStringLiteral("/inside")));
        QCOMPARE(WriteReturnDocument(workedExampleInputs(output())), WriteOutcome::Failed);
        QVERIFY2(rec.texts().value(0).startsWith(QStringLiteral("Could not delete the file ") + output()),
                 qPrintable(rec.texts().value(0)));
    }

    void tableProblems_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::newRow("no STEMP4") << "DROP TABLE STEMP4" << "The query failed: Select * from STEMP4 Order by Col02\r\nno such table: STEMP4";
        QTest::newRow("no PTEMP5") << "DROP TABLE PTEMP5" << "The query failed: Select * from PTEMP5 ORDER BY COL01\r\nno such table: PTEMP5";
        QTest::newRow("PTEMP5 without Col14")
            << "ALTER TABLE PTEMP5 RENAME COLUMN col14 TO other" << "The table PTEMP5 has no column Col14.";
    }

    void tableProblems()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        QSqlQuery q(QSqlDatabase::database(settings().cnCompany));
        QVERIFY(q.exec(sql));
        rec.pleaseWaitVisible = true;
        QCOMPARE(WriteReturnDocument(workedExampleInputs(output())), WriteOutcome::Failed);
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY2(rec.texts().first().startsWith(message), qPrintable(rec.texts().first()));
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY(!QFile::exists(output()));
    }

    void masterUnavailable()
    {
        QVERIFY(addWorkedExample());
        QSqlQuery q(QSqlDatabase::database(settings().cnProgram));
        QVERIFY(q.exec(QStringLiteral("DROP TABLE Import")));
        QCOMPARE(WriteReturnDocument(workedExampleInputs(output())), WriteOutcome::Failed);
        QVERIFY2(rec.texts().value(0).startsWith(QStringLiteral("The query failed: Select TariffNo from IMport")),
                 qPrintable(rec.texts().value(0)));
    }
};

QV_REGISTER_TEST(ReturnDocumentTest)
#include "ReturnDocument_test.moc"
