#include "CliRun.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
QJsonObject json(const Run &r)
{
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}
} // namespace

// `returns` and `compare` over returns the test writes as the export names them.
class PastReturnsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir app;
    QString folder() const { return app.path() + QStringLiteral("/ACES/001"); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(QFile::copy(schemaPath(), app.path() + QStringLiteral("/ACES_DLR.xsd")));
    }

    // Every kind of file in one folder: each listed with its state, newest
    // first by the moment in its name, the rejected one apart with its reason.
    void listsEveryFile()
    {
        const QByteArray x = readAll(fixturePath(QStringLiteral("returns/worked-example.xml")));
        const QString base = folder() + QStringLiteral("/AAACB1234CXM001_");
        QVERIFY(writeBytes(base + QStringLiteral("201407151030AM.xml"), x));
        QVERIFY(writeBytes(base + QStringLiteral("201407161200PM.xml"), x.left(700))); // cut short
        QVERIFY(writeBytes(base + QStringLiteral("201407150100PM.xml.rejected"),
                           QByteArray(x).replace("<REMARKS>EXCISE RETURN</REMARKS>", "")));
        QVERIFY(
            writeBytes(folder() + QStringLiteral("/other_201301010101AM.xml"), "<?xml version=\"1.0\"?><invoice/>"));
        QVERIFY(writeBytes(folder() + QStringLiteral("/notes.txt"), "not a return"));

        const Run r = cli(app.path(), {"returns", "--company", "001", "--format", "json"});
        QCOMPARE(r.exitCode, 1); // not every return is valid
        const QJsonArray returns = json(r).value("returns").toArray();
        const QList<QStringList> expected{
            {"AAACB1234CXM001_201407161200PM.xml", "2014-07-16 12:00", "damaged", "2014"},
            {"AAACB1234CXM001_201407151030AM.xml", "2014-07-15 10:30", "valid", "2014"},
            {"other_201301010101AM.xml", "2013-01-01 01:01", "foreign", ""},
        };
        QCOMPARE(returns.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QJsonObject o = returns[i].toObject();
            QCOMPARE((QStringList{o["file"].toString(), o["written"].toString(), o["state"].toString(),
                                  o["year"].toString()}),
                     expected[i]);
            QCOMPARE(o["reason"].toString().isEmpty(), expected[i][2] == QLatin1String("valid"));
        }
        const QJsonArray rejected = json(r).value("rejected").toArray();
        QCOMPARE(rejected.size(), 1);
        QVERIFY2(rejected[0].toObject()["reason"].toString().contains("REMARKS"), qPrintable(r.out));

        const Run text = cli(app.path(), {"returns", "--company", "001"});
        QVERIFY(text.out.contains("Rejected"));
        QCOMPARE(cli(app.path(), {"returns", "--company", "001", "--format", "csv"}).out.count("\r\n"), 5);
        // A company without returns, and codes that would leave the returns' folder.
        for (const auto &[company, exitCode] : {std::pair{"002", 1}, {"../001", 2}, {"..", 2}}) {
            const Run refused = cli(app.path(), {"returns", "--company", company});
            QVERIFY2(refused.exitCode == exitCode && refused.out.isEmpty(), company);
        }
    }

    // The later return has one invoice line more, one document less and another duty on the first line.
    void comparesTwoReturnsOfOneQuarter()
    {
        const QByteArray x = readAll(fixturePath(QStringLiteral("returns/worked-example.xml")));
        const qsizetype from = x.indexOf("<INVOICE-PARTICULARS"), to = x.indexOf("</INVOICE-HEADER>");
        const qsizetype docFrom = x.indexOf("<DOCUMENT-DETAIL"), docTo = x.indexOf("</DOCUMENT-HEADER>");
        QByteArray second = x.mid(from, to - from);
        second.replace("SL-NO=\"1\"", "SL-NO=\"2\"").replace("INV/1", "INV/2");
        QByteArray after = x;
        after.replace(docFrom, docTo - docFrom, "").insert(to, second);
        const QString a = app.path() + QStringLiteral("/a.xml"), b = app.path() + QStringLiteral("/b.xml");
        QVERIFY(writeBytes(a, QByteArray(x).replace("516.00", "500.00")));
        QVERIFY(writeBytes(b, after));

        const Run r = cli(app.path(), {"compare", a, b, "--format", "json"});
        QCOMPARE(r.exitCode, 0);
        QStringList changes;
        for (const QJsonValue &v : json(r).value("changes").toArray()) {
            const QJsonObject o = v.toObject();
            const QJsonObject line = o.contains("after") ? o["after"].toObject() : o["before"].toObject();
            changes << QStringList{o["change"].toString(), o["part"].toString(), line["number"].toString(),
                                   o["before"].toObject()["duty"].toString(), line["duty"].toString()}
                           .join(' ');
        }
        QCOMPARE(changes, (QStringList{"changed invoice INV/1 500.00 516.00", "added invoice INV/2  516.00",
                                       "removed document BE-77 494.00 494.00"}));
        const QJsonObject total = json(r).value("duty").toArray().last().toObject();
        QCOMPARE((QStringList{total["cetsh"].toString(), total["duty_out_before"].toString(),
                              total["duty_out_after"].toString(), total["duty_in_after"].toString()}),
                 (QStringList{"TOTAL", "500.00", "1032.00", "0.00"}));

        // Another quarter is not compared.
        QVERIFY(writeBytes(b, QByteArray(x).replace("Apr-Jun", "Jul-Sep")));
        const Run other = cli(app.path(), {"compare", a, b});
        QCOMPARE(other.exitCode, 1);
        QVERIFY(other.err.contains("different quarters"));
    }
};

QV_REGISTER_TEST(PastReturnsTest)
#include "PastReturns_test.moc"
