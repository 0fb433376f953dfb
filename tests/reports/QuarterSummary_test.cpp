#include "CliRun.h"
#include "TableBytes.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QXmlStreamReader>

#include <map>

namespace {
const QStringList kQuarter{"--company", "1", "--period", "14041503"};
const QStringList kExport =
    QStringList{"export"} + kQuarter
    + QStringList{"--registration", "AAACB1234CXM001", "--year", "2014", "--quarter", "Apr-Jun"};

// One goods line of a return file, amounts in paise.
struct Goods
{
    bool invoice = true;
    QString serial;
    QString cetsh;
    QString unit;
    qint64 quantity = 0;
    qint64 duty = 0;
};

qint64 paise(const QString &amount)
{
    const QStringList parts = amount.split(QLatin1Char('.'));
    const qint64 whole = parts.value(0).toLongLong();
    return whole * 100 + (amount.startsWith(QLatin1Char('-')) ? -1 : 1) * parts.value(1).toLongLong();
}

QString rupees(qint64 p)
{
    const QString sign = p < 0 ? QStringLiteral("-") : QString();
    p = qAbs(p);
    return sign + QStringLiteral("%1.%2").arg(p / 100).arg(p % 100, 2, 10, QLatin1Char('0'));
}

QList<Goods> readGoods(const QString &returnPath)
{
    QFile file(returnPath);
    QList<Goods> goods;
    if (!file.open(QIODevice::ReadOnly))
        return goods;
    QXmlStreamReader xml(&file);
    Goods g;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"INVOICE-PARTICULARS" || name == u"DOCUMENT-DETAIL") {
            g = Goods();
            g.invoice = name == u"INVOICE-PARTICULARS";
            g.serial = xml.attributes().value("SL-NO").toString();
        } else if (name == u"CETSH-NUMBER") {
            g.cetsh = xml.readElementText();
        } else if (name == u"QUANTITY-CODE") {
            g.unit = xml.readElementText();
        } else if (name == u"QUANTITY") {
            g.quantity = paise(xml.readElementText());
        } else if (name == u"AMOUNT-OF-DUTY-INVOLVED") {
            g.duty = paise(xml.readElementText());
            goods << g;
        }
    }
    return goods;
}

// The summary CSV the return's lines call for, worked out here in paise.
QStringList expectedCsv(const QList<Goods> &goods)
{
    struct Figures
    {
        QString unit;
        qint64 lines = 0, qtyOut = 0, dutyOut = 0, docs = 0, qtyIn = 0, dutyIn = 0;
    };
    std::map<QString, Figures> byNumber;
    Figures total;
    for (const Goods &g : goods) {
        for (Figures *f : {&byNumber[g.cetsh], &total}) {
            (g.invoice ? f->lines : f->docs) += 1;
            (g.invoice ? f->qtyOut : f->qtyIn) += g.quantity;
            (g.invoice ? f->dutyOut : f->dutyIn) += g.duty;
        }
        byNumber[g.cetsh].unit = g.unit;
    }
    const auto line = [](const QString &cetsh, const Figures &f) {
        QStringList flags;
        if (f.dutyOut > f.dutyIn)
            flags << "duty-exceeds-received";
        if (f.qtyOut > f.qtyIn)
            flags << "quantity-exceeds-received";
        return QStringList{cetsh,
                           f.unit,
                           QString::number(f.lines),
                           rupees(f.qtyOut),
                           rupees(f.dutyOut),
                           QString::number(f.docs),
                           rupees(f.qtyIn),
                           rupees(f.dutyIn),
                           rupees(f.dutyIn - f.dutyOut),
                           flags.join(QLatin1Char(';'))}
            .join(QLatin1Char(','));
    };
    QStringList lines{"cetsh,unit,invoice_lines,quantity_out,duty_out,documents,quantity_in,duty_in,"
                      "duty_difference,flags"};
    for (const auto &[cetsh, f] : byNumber)
        lines << line(cetsh, f);
    lines << line(QStringLiteral("TOTAL"), total);
    return lines;
}

bool patchTable(const QString &path, int record, const QByteArray &field, const QByteArray &value)
{
    TableBytes table(path);
    table.setField(record, field, value);
    QFile f(path);
    return table.isValid() && f.open(QIODevice::WriteOnly) && f.write(table.bytes) == table.bytes.size();
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
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("master"));
            db.setDatabaseName(app() + QStringLiteral("/Data/db.sqlite"));
            QVERIFY(db.open() && QSqlQuery(db).exec("INSERT INTO Import VALUES ('25232930', 'MT')"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("master"));
        QVERIFY(patchTable(app() + "/ptemp5.DBF", 11, "COL05", "25232930"));
    }

    void cleanup() { delete home; }

    void figuresMatchTheReturn()
    {
        const Run exported = cli(app(), kExport);
        QCOMPARE(exported.exitCode, 0);
        const QList<Goods> goods = readGoods(exported.out.trimmed());
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
        const QStringList totalCsv = expected.last().split(QLatin1Char(','));
        QCOMPARE(total["duty_in"].toString(), totalCsv[7]);
        QCOMPARE(total["invoice_lines"].toInt(), 22);
        QCOMPARE(total["flags"].toString(), totalCsv[9]);

        // Rows the return cannot carry: a number the master lacks, a damaged quantity.
        QVERIFY(patchTable(app() + "/stemp4.DBF", 1, "COL05", "99999999"));
        QVERIFY(patchTable(app() + "/ptemp5.DBF", 2, "COL11", "1.2.3x"));
        QList<Goods> kept = goods;
        kept.removeIf([](const Goods &g) { return g.serial == (g.invoice ? u"2" : u"3"); });
        const Run partial = cli(app(), QStringList{"summary"} + kQuarter + QStringList{"--format", "csv"});
        QCOMPARE(partial.exitCode, 1);
        QVERIFY2(partial.err.contains("1 invoice line (STEMP4) and 1 supplier document (PTEMP5)"),
                 qPrintable(partial.err));
        QCOMPARE(partial.out.split(QStringLiteral("\r\n")), expectedCsv(kept) + QStringList{""});

        QCOMPARE(cli(app(), QStringList{"summary"} + kQuarter + QStringList{"--format", "xml"}).exitCode, 2);
    }

    void workbookMatchesTheReturn()
    {
        const Run exported = cli(app(), kExport + QStringList{"--xlsx"});
        QCOMPARE(exported.exitCode, 0);
        const QStringList paths = exported.out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(paths.size(), 2);
        QCOMPARE(paths[1], paths[0].chopped(3) + "xlsx");
        const QString csvPath = app() + "/summary.csv";
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(cli(app(), QStringList{"summary"} + kQuarter + QStringList{"--format", "csv"}).out.toUtf8());
        csv.close();
        const auto check = [&](const QString &workbook) {
            QProcess python;
            python.start(QStringLiteral("python3"), {QStringLiteral(QV_SOURCE_DIR "/tests/reports/check_workbook.py"),
                                                     workbook, paths[0], csvPath});
            return python.waitForFinished(60000) && python.exitCode() == 0
                       ? QString()
                       : QString::fromUtf8(python.readAll() + python.readAllStandardError());
        };
        QCOMPARE(check(paths[1]), QString());

        const QString other = app() + "/other.xlsx";
        const Run toXlsx = cli(app(), {"to-xlsx", paths[0], "--out", other});
        QCOMPARE(toXlsx.exitCode, 0);
        QCOMPARE(toXlsx.out, other + "\n");
        QCOMPARE(check(other), QString());

        // Never over the return itself, whatever names it, nor over anything but a file.
        const QByteArray returnText = readAll(paths[0]);
        const QString name = QFileInfo(paths[0]).fileName();
        QVERIFY(QFile::link(QFileInfo(paths[0]).absolutePath(), app() + "/linked"));
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
        QVERIFY(QFileInfo(QStringLiteral("/dev/full")).exists() && !QFileInfo(QStringLiteral("/dev/full")).isFile());
        QCOMPARE(QFileInfo(QStringLiteral("/dev/stdout")).symLinkTarget(), QStringLiteral("/proc/self/fd/1"));
        QCOMPARE(QFileInfo(app() + "/link.xlsx").symLinkTarget(), other);
        // An input with a staging-like name is only read.
        QVERIFY(QFile::copy(paths[0], app() + "/book.xlsx.partial"));
        QCOMPARE(cli(app(), {"to-xlsx", app() + "/book.xlsx.partial", "--out", app() + "/book.xlsx"}).exitCode, 0);
        QCOMPARE(readAll(app() + "/book.xlsx.partial"), returnText);

        // An invalid return gets the validator's word and no workbook.
        QFile broken(app() + "/broken.xml");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        QFile original(paths[0]);
        QVERIFY(original.open(QIODevice::ReadOnly));
        broken.write(original.readAll().replace("<CETSH-NUMBER>74081110<", "<CETSH-NUMBER>7408111<"));
        broken.close();
        const Run refused = cli(app(), {"to-xlsx", broken.fileName()});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("CETSH-NUMBER"), qPrintable(refused.err));
        QVERIFY(!QFile::exists(app() + "/broken.xlsx"));
        QVERIFY(!QFile::exists(app() + "/broken.xlsx.partial"));
    }
};

QV_REGISTER_TEST(QuarterSummaryTest)
#include "QuarterSummary_test.moc"
