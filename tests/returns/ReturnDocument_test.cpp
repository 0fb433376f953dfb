#include "ReturnTestData.h"
#include "TestRegistry.h"

#include "app/UserInterface.h"
#include "returns/SchemaValidation.h"

#include <QDir>
#include <QTest>

using namespace ReturnTestData;

namespace {
// A device that takes `limit` bytes and then fails, as a full disk does.
class FailDevice : public QIODevice
{
public:
    explicit FailDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }
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
} // namespace

class ReturnDocumentTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    TestHome *home = nullptr;

    QString output() const { return home->app() + QStringLiteral("/ACES/001/AAACB1234CXM001_201407150305PM.xml"); }

    WriteOutcome write(QByteArray *text, const ReturnInputs &in)
    {
        rec.pleaseWaitVisible = true;
        const WriteOutcome outcome = WriteReturnDocument(in);
        *text = readAll(in.outputPath);
        return outcome;
    }
    WriteOutcome write(QByteArray *text) { return write(text, workedExampleInputs(output())); }

    bool valid()
    {
        QString reason;
        const bool ok = ValidateXmlFile(output(), schemaPath(), &reason);
        if (!ok)
            qWarning("%s", qPrintable(reason));
        return ok;
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
    }

    void workedExample()
    {
        QVERIFY(addWorkedExample());
        home->writeFile(QStringLiteral("ACES/001/AAACB1234CXM001_201407150305PM.xml"), QByteArray(100000, 'x'));
        QByteArray text;
        QCOMPARE(write(&text), WriteOutcome::Complete);
        QCOMPARE(rec.texts(), QStringList());
        QVERIFY(rec.pleaseWaitVisible); // on success the caller hides it
        QString where;
        QVERIFY2(sameAsReference(text, QStringLiteral("returns/worked-example.xml"), &where), qPrintable(where));
        QVERIFY(valid());
        QCOMPARE(QDir(home->app() + QStringLiteral("/ACES/001")).entryList(QDir::Files).size(), 1);
    }

    void emptyTables()
    {
        QByteArray text;
        QCOMPARE(write(&text), WriteOutcome::Complete);
        QVERIFY(text.contains("<NIL-RETURN>No</NIL-RETURN>\r\n"));
        QVERIFY(text.contains("<INVOICE-HEADER>\r\n</INVOICE-HEADER>\r\n<DOCUMENT-HEADER>\r\n</DOCUMENT-HEADER>\r\n"));
        QVERIFY(valid());
    }

    void rowsInTableOrder()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        for (const auto &[serial, invoice] : {std::pair{7, "INV/2"}, {8, "INV/2"}, {3, "INV/1"}})
            QVERIFY(addInvoiceLine(serial, QLatin1String(invoice), QStringLiteral("2014-05-01"), QStringLiteral("A"),
                                   QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        Document d;
        d.serial = 2;
        QVERIFY(addDocument(d));
        d.serial = 1;
        QVERIFY(addDocument(d));
        QByteArray text;
        QCOMPARE(write(&text), WriteOutcome::Complete);
        QByteArrayList serials;
        for (const QByteArray &line : text.split('\n'))
            if (line.contains("SL-NO="))
                serials << line.trimmed();
        QCOMPARE(serials, (QByteArrayList{"<INVOICE-PARTICULARS SL-NO=\"3\">", "<INVOICE-PARTICULARS SL-NO=\"7\">",
                                          "<INVOICE-PARTICULARS SL-NO=\"8\">", "<DOCUMENT-DETAIL SL-NO=\"1\">",
                                          "<DOCUMENT-DETAIL SL-NO=\"2\">"}));
        QCOMPARE(text.count("<INVOICE-ITEMS>"), 5); // one per line, never grouped by invoice
    }

    void tariffNumbers_data()
    {
        QTest::addColumn<bool>("invoiceLine");
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<QByteArray>("written"); // when the document completes
        QTest::addColumn<QString>("message");    // a chapter message ends the document

        const QString invoice = QStringLiteral("\r\nExcise Invoice No. : INV/1\r\nProduct Name : Laptop");
        const QString supplier = QStringLiteral("\r\nSupplier Name : X Metals\r\nProduct Name : Laptop");
        QTest::newRow("invoice: dots and blanks go; unit of the cleaned number")
            << true << "8471.30 10" << QByteArray("84713010</CETSH-NUMBER>\r\n<QUANTITY-CODE>NOS<") << "";
        QTest::newRow("invoice: null unit") << true << "84818030" << QByteArray("84818030</CETSH-NUMBER>\r\n<QUANTITY-CODE>U<") << "";
        QTest::newRow("invoice: apostrophe") << true << "8471'010" << QByteArray("8471'010</CETSH-NUMBER>\r\n<QUANTITY-CODE>PCS'<") << "";
        QTest::newRow("invoice: seven characters") << true << "8471301" << QByteArray() << "Invalid Chapter No.8471301" + invoice;
        QTest::newRow("invoice: blank") << true << "" << QByteArray() << "Invalid Chapter No." + invoice;
        QTest::newRow("invoice: not in the master")
            << true << "84713099" << QByteArray() << "Chapter No. does not exits in Master 84713099" + invoice;
        QTest::newRow("invoice: quoted text matches nothing")
            << true << "1'OR'1'1" << QByteArray() << "Chapter No. does not exits in Master 1'OR'1'1" + invoice;
        QTest::newRow("supplier: blanks go, master not checked")
            << false << "9999 9999" << QByteArray("99999999</CETSH-NUMBER>\r\n<QUANTITY-CODE>U<") << "";
        QTest::newRow("supplier: dots stay") << false << "8471.30.10" << QByteArray() << "Invalid Chapter No.8471.30.10" + supplier;
        QTest::newRow("supplier: blank") << false << "  " << QByteArray() << "Invalid Chapter No." + supplier;
    }

    void tariffNumbers()
    {
        QFETCH(bool, invoiceLine);
        QFETCH(QString, tariff);
        QFETCH(QByteArray, written);
        QFETCH(QString, message);
        QVERIFY(addMaster(QStringLiteral("84713010"), QStringLiteral("NOS")));
        QVERIFY(addMaster(QStringLiteral("84818030"), QVariant()));
        QVERIFY(addMaster(QStringLiteral("8471'010"), QStringLiteral("PCS'")));
        const QString good = QStringLiteral("84713010");
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("Laptop"),
                               invoiceLine ? tariff : good, 1, {10.0, 0, 0, 0}));
        QVERIFY(addInvoiceLine(2, QStringLiteral("INV/9"), QStringLiteral("2014-07-12"), QStringLiteral("Later"), good, 1,
                               {10.0, 0, 0, 0}));
        Document d;
        d.product = QStringLiteral("Laptop");
        d.tariff = invoiceLine ? good : tariff;
        QVERIFY(addDocument(d));
        d.serial = 2;
        QVERIFY(addDocument(d));

        QByteArray text;
        const WriteOutcome outcome = write(&text);
        const qsizetype documents = text.indexOf("<DOCUMENT-HEADER>");
        if (message.isEmpty()) {
            QCOMPARE(outcome, WriteOutcome::Complete);
            QCOMPARE(rec.texts(), QStringList());
            QVERIFY(invoiceLine ? text.left(documents).contains(written) : text.mid(documents).contains(written));
            QVERIFY(valid());
            return;
        }
        // The document stops in the failing row, keeping its first lines, and
        // stays on disk so that validation reports it.
        QCOMPARE(outcome, WriteOutcome::Ended);
        QCOMPARE(rec.texts(), QStringList{message});
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY2(text.endsWith(invoiceLine ? "<INVOICE-DATE>11/07/2014</INVOICE-DATE>\r\n"
                                           : "<DATE>02/06/2014</DATE>\r\n<ISSUED-BY>X Metals</ISSUED-BY>\r\n"),
                 text.right(100).constData());
        QVERIFY(!text.contains(invoiceLine ? "INV/9" : "<DOCUMENT-DETAIL SL-NO=\"2\">"));
        QString reason;
        QVERIFY(!ValidateXmlFile(output(), schemaPath(), &reason));
        QVERIFY(reason.startsWith(QStringLiteral("Load XML failed: ")));
    }

    void supplierRegistration_data()
    {
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("own number leaves the address, trailing blank stays")
            << "AAACB1234CXM001" << "12 Main Road ECC.No.AAACB1234CXM001" << ""
            << QByteArray("<REGISTRATION-NUMBER>AAACB1234CXM001</REGISTRATION-NUMBER>\r\n<NAME>X Metals</NAME>\r\n"
                          "<ADDRESS>12 Main Road </ADDRESS>\r\n");
        QTest::newRow("blanks inside the number removed") << " AAACB 1234CXM001" << "Pune ECC.No.AAACB1234CXM001, MH" << ""
            << QByteArray("<REGISTRATION-NUMBER>AAACB1234CXM001</REGISTRATION-NUMBER>\r\n<NAME>X Metals</NAME>\r\n"
                          "<ADDRESS>Pune , MH</ADDRESS>\r\n");
        QTest::newRow("letter case must match") << "AAACB1234CXM001" << "Pune ecc.no.AAACB1234CXM001" << ""
                                                << QByteArray("<ADDRESS>Pune ecc.no.AAACB1234CXM001</ADDRESS>");
        QTest::newRow("ten characters not checked") << "AAACB1234C" << "Pune" << ""
                                                    << QByteArray("<REGISTRATION-NUMBER>AAACB1234C</REGISTRATION-NUMBER>");
        QTest::newRow("empty: message, row written") << "" << "Pune" << "Invalid Registration Number= \r\nSupplier Name : X Metals"
            << QByteArray("<REGISTRATION-NUMBER></REGISTRATION-NUMBER>\r\n<NAME>X Metals</NAME>\r\n<ADDRESS>Pune</ADDRESS>\r\n");
    }

    void supplierRegistration()
    {
        QFETCH(QString, registration);
        QFETCH(QString, address);
        QFETCH(QString, message);
        QFETCH(QByteArray, lines);
        Document d;
        d.registration = registration;
        d.address = address;
        QVERIFY(addDocument(d));
        QByteArray text;
        QCOMPARE(write(&text), WriteOutcome::Complete);
        QCOMPARE(rec.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY2(text.contains(lines), text.constData());
    }

    void escapesEveryValue()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV<1>&2"), QStringLiteral("2014-07-11"),
                               QStringLiteral("<5mm wire> & \"rod\" ü ₹"), QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        Document d;
        d.number = QStringLiteral("BE&<77>");
        d.supplier = QStringLiteral("Steel & Alloys <India>");
        d.issuedBy = QStringLiteral("R&D \"cell\"");
        d.address = QStringLiteral("A&B Estate, <Gate 2>");
        QVERIFY(addDocument(d));
        ReturnInputs in = workedExampleInputs(output());
        in.remarks = QStringLiteral("R&D <excise> \"return\"");
        in.place = QStringLiteral("P&Q");
        in.dealerName = QStringLiteral("A &amp; B <Traders>");
        QByteArray text;
        QCOMPARE(write(&text, in), WriteOutcome::Complete);
        for (const char *line : {"<INVOICE-NUMBER>INV&lt;1&gt;&amp;2</INVOICE-NUMBER>",
                                 "<DESCRIPTION-OF-GOODS>&lt;5mm wire&gt; &amp; \"rod\" \xc3\xbc \xe2\x82\xb9</DESCRIPTION-OF-GOODS>",
                                 "<INVOICE-BILL-ENTRY-NO>BE&amp;&lt;77&gt;</INVOICE-BILL-ENTRY-NO>",
                                 "<NAME>Steel &amp; Alloys &lt;India&gt;</NAME>", "<ISSUED-BY>R&amp;D \"cell\"</ISSUED-BY>",
                                 "<ADDRESS>A&amp;B Estate, &lt;Gate 2&gt;</ADDRESS>",
                                 "<REMARKS>R&amp;D &lt;excise&gt; \"return\"</REMARKS>", "<PLACE>P&amp;Q</PLACE>",
                                 "<DEALER-NAME> A &amp;amp; B &lt;Traders&gt;</DEALER-NAME>"})
            QVERIFY2(text.contains(line), line);
        QVERIFY(valid());
        QVERIFY(!text.startsWith("\xef\xbb\xbf"));

        QVERIFY(insert(settings().cnCompany, QStringLiteral("STEMP4"),
                       {QStringLiteral("9\"&<"), QStringLiteral("INV/9"), QStringLiteral("2014-07-11"), QStringLiteral("A"),
                        QStringLiteral("74081110"), 1, 1, 0, 0, 0}));
        QCOMPARE(write(&text), WriteOutcome::Complete);
        QVERIFY(text.contains("<INVOICE-PARTICULARS SL-NO=\"9&quot;&amp;&lt;\">\r\n"));
    }

    // A character XML cannot carry ends the document, naming where it was.
    void charactersXmlCannotCarry_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("invoice product") << "STEMP4" << "Invalid character (code 0001) in table STEMP4, SL-NO 1, column Col04";
        QTest::newRow("supplier address") << "PTEMP5" << "Invalid character (code 001B) in table PTEMP5, SL-NO 4, column Col14";
        QTest::newRow("unit in the master") << "Import" << "Invalid character (code 0002) in table Import, TariffNo 74081110, column Unit";
        QTest::newRow("remarks: nothing is written") << "" << "Invalid character (code 0007) in Remarks";
    }

    void charactersXmlCannotCarry()
    {
        QFETCH(QString, table);
        QFETCH(QString, message);
        QVERIFY(addMaster(QStringLiteral("74081110"), table == QLatin1String("Import") ? QStringLiteral("KG\x02") : QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"),
                               table == QLatin1String("STEMP4") ? QStringLiteral("Wire\x01") : QStringLiteral("Wire"),
                               QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        Document d;
        d.serial = 4;
        d.address = table == QLatin1String("PTEMP5") ? QStringLiteral("Pune\x1b") : QStringLiteral("Pune\tline\r\nnext");
        QVERIFY(addDocument(d));
        ReturnInputs in = workedExampleInputs(output());
        if (table.isEmpty())
            in.remarks = QStringLiteral("EXCISE\aRETURN");
        QByteArray text;
        QCOMPARE(write(&text, in), table.isEmpty() ? WriteOutcome::Failed : WriteOutcome::Ended);
        QCOMPARE(rec.texts(), QStringList{message});
        QVERIFY(!rec.pleaseWaitVisible);
        QCOMPARE(QFile::exists(output()), !table.isEmpty());
    }

    void numbers_data()
    {
        QTest::addColumn<QVariant>("invoiceQuantity");
        QTest::addColumn<QVariantList>("invoiceDuties");
        QTest::addColumn<QVariant>("documentQuantity");
        QTest::addColumn<QByteArray>("invoiceLines");
        QTest::addColumn<QByteArray>("documentQuantityText");
        QTest::newRow("floating 2.675; duties 10.25 + 0.25")
            << QVariant(2.675) << QVariantList{10.25, 0.25, 0, 0} << QVariant(2.675)
            << QByteArray("<QUANTITY>2.68</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>11.00</AMOUNT-OF-DUTY-INVOLVED>") << QByteArray("2.68");
        QTest::newRow("integers; duties 11.25 + 0.25")
            << QVariant(7) << QVariantList{11.25, 0.25, 0, 0} << QVariant(qlonglong(7))
            << QByteArray("<QUANTITY>7.00</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>12.00</AMOUNT-OF-DUTY-INVOLVED>") << QByteArray("7.00");
        QTest::newRow("text values")
            << QVariant(QStringLiteral(" 12.5 kg")) << QVariantList{QStringLiteral("1,000"), QStringLiteral("x"), QVariant(), 0}
            << QVariant(QStringLiteral("  12.5  "))
            << QByteArray("<QUANTITY>12.50</QUANTITY>\r\n<AMOUNT-OF-DUTY-INVOLVED>1.00</AMOUNT-OF-DUTY-INVOLVED>") << QByteArray("12.50");
        QTest::newRow("supplier quantity that is no number")
            << QVariant(1) << QVariantList{0, 0, 0, 0} << QVariant(QStringLiteral("ten & more"))
            << QByteArray("<AMOUNT-OF-DUTY-INVOLVED>0.00</AMOUNT-OF-DUTY-INVOLVED>") << QByteArray("ten &amp; more");
    }

    void numbers()
    {
        QFETCH(QVariant, invoiceQuantity);
        QFETCH(QVariantList, invoiceDuties);
        QFETCH(QVariant, documentQuantity);
        QFETCH(QByteArray, invoiceLines);
        QFETCH(QByteArray, documentQuantityText);
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("A"),
                               QStringLiteral("74081110"), invoiceQuantity, invoiceDuties));
        Document d;
        d.quantity = documentQuantity;
        QVERIFY(addDocument(d));
        QByteArray text;
        QCOMPARE(write(&text), WriteOutcome::Complete);
        const qsizetype split = text.indexOf("<DOCUMENT-HEADER>");
        QVERIFY2(text.left(split).contains(invoiceLines), text.left(split).constData());
        QVERIFY(text.mid(split).contains("<QUANTITY>" + documentQuantityText + "</QUANTITY>"));
    }

    // A device failing part-way: reported, never taken for a document.
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
        QSqlDatabase::database(settings().cnCompany).transaction();
        for (int i = 1; i <= 3000; ++i)
            QVERIFY(addInvoiceLine(i, QStringLiteral("INV/%1").arg(i), QStringLiteral("2014-07-11"), QStringLiteral("Wire"),
                                   QStringLiteral("74081110"), 1, {1, 0, 0, 0}));
        QSqlDatabase::database(settings().cnCompany).commit();
        QByteArray whole;
        QCOMPARE(write(&whole), WriteOutcome::Complete);
        FailDevice device(shortBy < 0 ? 10 : whole.size() - shortBy);
        ReturnWriter writer(workedExampleInputs(output()), settings().cnCompany, settings().cnProgram);
        QCOMPARE(writer.write(&device), WriteOutcome::Failed);
        QCOMPARE(writer.errorString(), QStringLiteral("Could not write the file %1: No space left on device").arg(output()));
        QVERIFY(whole.startsWith(device.data));
    }

    void fileAndTableProblems_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString out = QStringLiteral("/ACES/001/AAACB1234CXM001_201407150305PM.xml");
        QTest::newRow("company folder missing") << "" << "/ACES/999/X.xml" << "Could not create the file %1/ACES/999/X.xml: ";
        QTest::newRow("a folder where the file goes") << "" << out + "/inside" << "Could not delete the file %1" + out + ": ";
        QTest::newRow("no STEMP4") << "DROP TABLE STEMP4" << out
                                   << "The query failed: Select * from STEMP4 Order by Col02\r\nno such table: STEMP4";
        QTest::newRow("PTEMP5 without Col14") << "ALTER TABLE PTEMP5 RENAME COLUMN col14 TO other" << out
                                              << "The table PTEMP5 has no column Col14.";
        QTest::newRow("no master") << "DROP TABLE Import" << out
                                   << "The query failed: Select TariffNo from IMport Where Tariffno =?\r\nno such table: IMport";
    }

    void fileAndTableProblems()
    {
        QFETCH(QString, sql);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QVERIFY(addWorkedExample());
        if (path.endsWith(QLatin1String("/inside")))
            QVERIFY(QDir().mkpath(home->app() + path));
        if (!sql.isEmpty()) {
            QSqlQuery q(QSqlDatabase::database(sql.contains(QLatin1String("Import")) ? settings().cnProgram : settings().cnCompany));
            QVERIFY(q.exec(sql));
        }
        ReturnInputs in = workedExampleInputs(home->app() + path.remove(QStringLiteral("/inside")));
        QByteArray text;
        QCOMPARE(write(&text, in), WriteOutcome::Failed);
        QCOMPARE(rec.messages.size(), 1);
        if (message.contains(QLatin1String("%1")))
            message = message.arg(home->app());
        QVERIFY2(rec.texts().first().startsWith(message), qPrintable(rec.texts().first()));
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY(!QFileInfo(in.outputPath).isFile());
    }
};

QV_REGISTER_TEST(ReturnDocumentTest)
#include "ReturnDocument_test.moc"
