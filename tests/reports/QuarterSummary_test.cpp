#include "CliRun.h"
#include "TableBytes.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "reports/QuarterSummary.h"
#include "returns/Decimal.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QXmlStreamReader>

#include <map>

namespace {
const QStringList kQuarter{"--company", "1", "--period", "14041503"};
const QStringList kExport =
    QStringList{"export"} + kQuarter
    + QStringList{"--registration", "AAACB1234CXM001", "--year", "2014", "--quarter", "Apr-Jun"};

// One goods line of a return file.
struct Goods
{
    bool invoice = true;
    QString cetsh;
    QString unit;
    Decimal quantity;
    Decimal duty;
};

Decimal number(const QString &text)
{
    Decimal d;
    Decimal::fromWholeText(text, &d);
    return d;
}

QList<Goods> readGoods(const QString &returnPath)
{
    QFile file(returnPath);
    QList<Goods> goods;
    file.open(QIODevice::ReadOnly); // else no goods
    QXmlStreamReader xml(&file);
    Goods g;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"INVOICE-PARTICULARS" || name == u"DOCUMENT-DETAIL") {
            g.invoice = name == u"INVOICE-PARTICULARS"; // each of its other fields follows
        } else if (name == u"CETSH-NUMBER") {
            g.cetsh = xml.readElementText();
        } else if (name == u"QUANTITY-CODE") {
            g.unit = xml.readElementText();
        } else if (name == u"QUANTITY") {
            g.quantity = number(xml.readElementText());
        } else if (name == u"AMOUNT-OF-DUTY-INVOLVED") {
            g.duty = number(xml.readElementText());
            goods << g;
        }
    }
    return goods;
}

// The summary CSV the return's lines call for, worked out here.
QStringList expectedCsv(const QList<Goods> &goods)
{
    struct Figures
    {
        QString unit;
        int lines = 0, docs = 0;
        Decimal qtyOut, dutyOut, qtyIn, dutyIn;
    };
    std::map<QString, Figures> byNumber;
    Figures total;
    for (const Goods &g : goods) {
        for (Figures *f : {&byNumber[g.cetsh], &total}) {
            (g.invoice ? f->lines : f->docs) += 1;
            Decimal &qty = g.invoice ? f->qtyOut : f->qtyIn, &duty = g.invoice ? f->dutyOut : f->dutyIn;
            qty = qty + g.quantity;
            duty = duty + g.duty;
        }
        byNumber[g.cetsh].unit = g.unit;
    }
    const auto line = [](const QString &cetsh, const Figures &f) {
        QStringList flags;
        if ((f.dutyOut - f.dutyIn).sign() > 0)
            flags << "duty-exceeds-received";
        if ((f.qtyOut - f.qtyIn).sign() > 0)
            flags << "quantity-exceeds-received";
        return (QStringList() << cetsh << f.unit << QString::number(f.lines) << f.qtyOut.toText(2)
                              << f.dutyOut.toText(2) << QString::number(f.docs) << f.qtyIn.toText(2)
                              << f.dutyIn.toText(2) << (f.dutyIn - f.dutyOut).toText(2) << flags.join(';'))
            .join(',');
    };
    QStringList lines{"cetsh,unit,invoice_lines,quantity_out,duty_out,documents,quantity_in,duty_in,"
                      "duty_difference,flags"};
    for (const auto &[cetsh, f] : byNumber)
        lines << line(cetsh, f);
    lines << line(QStringLiteral("TOTAL"), total);
    return lines;
}

// The table `name` of tests/fixtures/returns/values with every record but `keep` deleted.
bool keepOneRecord(const QString &app, const QString &name, int keep, bool undercount)
{
    TableBytes t(fixturePath(QStringLiteral("returns/values/") + name));
    for (quint32 i = 0; i < t.recordCount(); ++i)
        t.bytes[t.headerLength() + qsizetype(i) * t.recordLength()] = int(i) == keep ? ' ' : '*';
    if (undercount)
        t.setRecordCount(t.recordCount() - 1);
    return t.isValid() && t.write(app + QLatin1Char('/') + name);
}
} // namespace

// The summary and the workbook against the return file `export` writes for
// the same tables: the demo quarter, with one supplier document moved to a
// tariff number no invoice line has.
class QuarterSummaryTest : public QObject
{
    Q_OBJECT

    TestHome *home = nullptr;
    QString returnPath;
    QList<Goods> goods;

    QString app() const { return home->app(); }

private slots:
    void init()
    {
        home = new TestHome;
        QVERIFY(copyDemoInto(*home));
        QVERIFY(QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd"), app() + "/ACES_DLR.xsd"));
        QVERIFY(onMaster(app(), "INSERT INTO Import VALUES ('25232930', 'MT'), ('7409.11.00', 'NOS')"));
        TableBytes documents(app() + "/ptemp5.DBF");
        documents.setField(11, "COL05", "25232930");
        QVERIFY(documents.isValid() && documents.write(app() + "/ptemp5.DBF"));
        // No double is 96.9 exactly: its workbook cell must still read back as 96.9.
        TableBytes lines(app() + "/stemp4.DBF");
        lines.setField(0, "COL06", "96.900");
        QVERIFY(lines.isValid() && lines.write(app() + "/stemp4.DBF"));
    }

    void cleanup() { delete home; }

    void figuresAndWorkbookMatchTheReturn()
    {
        const Run exported = cli(app(), kExport + QStringList{"--xlsx"});
        QCOMPARE(exported.exitCode, 0);
        const QStringList paths = exported.out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(paths.size(), 2);
        QCOMPARE(paths[1], paths[0].chopped(3) + "xlsx");
        QCOMPARE(workbookDisagrees(app(), paths[1], paths[0]), QString());
        const QList<Goods> goods = readGoods(paths[0]);
        QCOMPARE(goods.size(), 22 + 12);
        const QStringList expected = expectedCsv(goods);
        // The case the fixture must hold: each side alone, and flags.
        QVERIFY(expected.contains("25232930,MT,0,0.00,0.00,1,170.00,210.00,210.00,"));
        QVERIFY(expected.contains("74082100,KGS,2,162.50,637.00,0,0.00,0.00,-637.00,"
                                  "duty-exceeds-received;quantity-exceeds-received"));

        const Run csv = cli(app(), QStringList{"summary"} + kQuarter + QStringList{"--format", "csv"});
        QCOMPARE(csv.exitCode, 0);
        QCOMPARE(csv.err, QString());
        QCOMPARE(csv.out.split(QStringLiteral("\r\n")), expected + QStringList{""});

        const Run json = cli(app(), QStringList{"summary"} + kQuarter + QStringList{"--format", "json"});
        QCOMPARE(json.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(root["entries"].toArray().size(), expected.size() - 2);
        const QJsonObject total = root["total"].toObject();
        const QStringList names = expected.first().split(QLatin1Char(',')), totals = expected.last().split(',');
        for (qsizetype i = 1; i < names.size(); ++i)
            QCOMPARE(total[names[i]].toVariant().toString(), totals[i]);

        QCOMPARE(cli(app(), QStringList{"summary"} + kQuarter + QStringList{"--format", "xml"}).exitCode, 2);

        const QString other = app() + "/other.xlsx";
        const Run toXlsx = cli(app(), {"to-xlsx", paths[0], "--out", other});
        QCOMPARE(toXlsx.exitCode, 0);
        QCOMPARE(toXlsx.out, QDir::toNativeSeparators(other) + "\n");
        QCOMPARE(workbookDisagrees(app(), other, paths[0]), QString());

        // Never over the return itself, whatever names it, nor over anything but a file.
        const QByteArray returnText = readAll(paths[0]);
        const QString name = QFileInfo(paths[0]).fileName();
        QVERIFY(QFile::link(QFileInfo(paths[0]).absolutePath(), app() + "/linked"));
        QV_SKIP_ON_WINDOWS("no FIFOs there, and a test cannot wait for ln under Wine");
        QVERIFY(succeeds(QStringLiteral("ln"), {paths[0], app() + "/hard.xlsx"}));
        QVERIFY(succeeds(QStringLiteral("mkfifo"), {app() + "/fifo.xlsx"}));
        QVERIFY(QFile::link(other, app() + "/link.xlsx"));
        const QList<std::pair<QString, QString>> badTargets{
            {paths[0], "would replace the return itself"},
            {app() + "/linked/" + name, "would replace the return itself"},
            {app() + "/hard.xlsx", "would replace the return itself"},
            {"/dev/full", "it exists and is not a file"},
            {"/dev/stdout", "it is a link to /proc/self/fd/1"},
            {app() + "/fifo.xlsx", "it exists and is not a file"},
            {app() + "/link.xlsx", "it is a link to " + other},
            {app(), "it is a folder; give the workbook a file name, such as " + app() + "/return.xlsx."},
        };
        for (const auto &[out, why] : badTargets) {
            const Run r = cli(app(), {"to-xlsx", paths[0], "--out", out});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains(why), qPrintable(out + ": " + r.err));
        }
        QCOMPARE(readAll(paths[0]), returnText);
        QCOMPARE(QFileInfo(app() + "/link.xlsx").symLinkTarget(), other);
        // An input with a staging-like name is only read.
        QVERIFY(QFile::copy(paths[0], app() + "/book.xlsx.partial"));
        QCOMPARE(cli(app(), {"to-xlsx", app() + "/book.xlsx.partial", "--out", app() + "/book.xlsx"}).exitCode, 0);
        QCOMPARE(readAll(app() + "/book.xlsx.partial"), returnText);

        // An invalid return gets the validator's word and no workbook.
        QVERIFY(writeBytes(app() + "/broken.xml",
                           QByteArray(returnText).replace("<CETSH-NUMBER>74081110<", "<CETSH-NUMBER>7408111<")));
        const Run refused = cli(app(), {"to-xlsx", app() + "/broken.xml"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("CETSH-NUMBER"), qPrintable(refused.err));
        QVERIFY(!QFile::exists(app() + "/broken.xlsx"));
        QVERIFY(!QFile::exists(app() + "/broken.xlsx.partial"));
    }

    // One rule for every value, through all four outputs on the same row of
    // real Visual FoxPro tables: the export writes it (or stops, naming it),
    // the data check lists exactly that (warnings do not fail it), the summary
    // sums what the return carries (or leaves the row out), and the workbook
    // agrees with the return cell by cell.
    void valueRules_data()
    {
        QTest::addColumn<int>("invoiceLine"); // the record of values/stemp4.DBF kept
        QTest::addColumn<int>("document"); // of values/ptemp5.DBF
        QTest::addColumn<QString>("written"); // "quantity|duty|unit" of the row under test, or where the export stops
        QTest::addColumn<QStringList>("listed"); // what the data check says of it
        const QString noValue = QStringLiteral("Warning: no value; written as 0.00");
        const QString notANumber = QStringLiteral("Not a number: the text must be one number and nothing else");
        const QString where = QStringLiteral(" in table STEMP4, SL-NO %1, column Col09");
        const QString zeros(27, u'0');
        const auto row = [](const char *name, int invoiceLine, int document, const QString &written,
                            const QStringList &listed = {}) {
            QTest::newRow(name) << invoiceLine << document << written << listed;
        };
        row("plain", 0, 0, "100.50|516.00|KGS");
        row("N(20,3) and Currency, exactly", 1, 0, "123456789012345.68|1234567890123.00|KGS");
        row("half away from zero, once", 12, 0, "12345678901234.57|1.00|KGS");
        row("nulls", 2, 0, "0.00|16.00|KGS", {noValue, noValue, noValue});
        row("text with a separator", 3, 0, "Not a number (1,234.50)" + where.arg(4), {notANumber});
        row("text in brackets", 4, 0, "Not a number ((250.00))" + where.arg(5), {notANumber});
        row("text number with blanks", 5, 0, "100.50|518.00|KGS");
        row("29 February 2015", 6, 0, "Not a date (29/02/2015) in table STEMP4, SL-NO 7, column Col03",
            {"Not a date; the return needs DD/MM/YYYY"});
        row("blank invoice number", 7, 0, "100.50|516.00|KGS", {"Warning: the invoice number is blank"});
        row("negative quantity", 8, 0, "-5.00|516.00|KGS", {"Warning: a negative number (-5.00)"});
        row("no unit in the master", 9, 0, "100.50|516.00|U",
            {"Warning: tariff number 84818030 has no unit in the tariff master; unit written as U"});
        row("master entry typed with dots", 10, 0, "100.50|516.00|NOS");
        row("beyond the schema", 11, 0, "Number too large for the return (1" + zeros + "510.00)",
            {"Not a number the return can carry (1" + zeros + "510.00)"});
        row("document quantity with a separator", 0, 1,
            "Not a number (1,000.75) in table PTEMP5, SL-NO 2, column Col11", {notANumber});
        row("document not in the master", 0, 2, "100.00|494.00|U",
            {"Warning: tariff number 99999999 is not in the tariff master; unit written as U"});
        row("null Currency", 0, 3, "100.00|14.00|KGS", {noValue});
        row("blank document number", 0, 4, "12.50|494.00|KGS", {"Warning: the document number is blank"});
        row("numeric field holding no number", 13, 0,
            "Not a number (0x1A) in table STEMP4, SL-NO 14, column Col08: the numeric field is damaged",
            {"Not a number: the numeric field is damaged"});
        row("header undercounts", -1, 0, "stemp4.DBF is damaged: the header promises 13 records but the file holds 14");
    }

    void valueRules()
    {
        QFETCH(int, invoiceLine);
        QFETCH(int, document);
        QFETCH(QString, written);
        QFETCH(QStringList, listed);
        QVERIFY(keepOneRecord(app(), "stemp4.DBF", qMax(invoiceLine, 0), invoiceLine < 0));
        QVERIFY(keepOneRecord(app(), "ptemp5.DBF", document, false));
        const bool stops = !written.contains(QLatin1Char('|'));
        const bool damaged = invoiceLine < 0;

        const Run exported = cli(app(), kExport + QStringList{"--xlsx"});
        QCOMPARE(exported.exitCode, stops ? 1 : 0);
        const Run check = cli(app(), QStringList{"check"} + kQuarter);
        QCOMPARE(check.exitCode, stops ? 1 : 0);
        QStringList problems;
        for (const QString &line : check.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            problems << line.section(QLatin1Char('\t'), 5);
        QCOMPARE(problems, listed);
        const Run summary = cli(app(), QStringList{"summary"} + kQuarter + QStringList{"--format", "csv"});
        QCOMPARE(summary.exitCode, stops ? 1 : 0);
        if (stops) {
            QVERIFY2(exported.err.contains(written), qPrintable(exported.err));
            QVERIFY2(summary.err.contains(damaged ? written : QStringLiteral("Left out of the figures")),
                     qPrintable(summary.err));
            QVERIFY2(!damaged || check.err.contains(written), qPrintable(check.err));
            return;
        }
        QVERIFY2(check.err.startsWith(QLatin1String("No problems in 1 invoice line and 1 supplier document")),
                 qPrintable(check.err));
        const QStringList paths = exported.out.trimmed().split(QLatin1Char('\n'));
        const QList<Goods> goods = readGoods(paths[0]);
        QCOMPARE(goods.size(), 2);
        const Goods &g = goods[document > 0 ? 1 : 0];
        QCOMPARE(QStringList({g.quantity.toText(2), g.duty.toText(2), g.unit}).join(QLatin1Char('|')), written);
        QCOMPARE(summary.out.split(QStringLiteral("\r\n")), expectedCsv(goods) + QStringList{""});
        QCOMPARE(workbookDisagrees(app(), paths.value(1), paths[0]), QString());
    }

    // A flag only where more went out than came in; equal figures are no alarm.
    void flagsOnlyWhenOutExceedsIn()
    {
        const auto flags = [](const char *out, const char *in) {
            Decimal o, i;
            Decimal::fromWholeText(QString::fromLatin1(out), &o);
            Decimal::fromWholeText(QString::fromLatin1(in), &i);
            SummaryEntry e;
            e.quantityOut = e.dutyOut = o;
            e.quantityIn = e.dutyIn = i;
            return e.flags().join(QLatin1Char(';'));
        };
        QCOMPARE(flags("5.00", "5.00"), QString());
        QCOMPARE(flags("4.99", "5.00"), QString());
        QCOMPARE(flags("5.01", "5.00"), QStringLiteral("duty-exceeds-received;quantity-exceeds-received"));
    }
};

QV_REGISTER_TEST(QuarterSummaryTest)
#include "QuarterSummary_test.moc"
