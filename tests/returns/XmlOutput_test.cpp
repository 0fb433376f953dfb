#include "ReturnTestData.h"
#include "TestRegistry.h"

#include "returns/XmlOutput.h"

#include <QBuffer>
#include <QTest>

namespace {
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
} // namespace

using ReturnTestData::FullDevice;

class XmlOutputTest : public QObject
{
    Q_OBJECT

private slots:
    // The bytes of one element: escaping by place, UTF-8 of every plane.
    void element_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("attribute");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("markup in text") << "A & B <x> \"q\" 'a'" << false
                                        << QByteArray("A &amp; B &lt;x&gt; \"q\" 'a'");
        QTest::newRow("quotation mark in an attribute") << "9\"&" << true << QByteArray("9&quot;&amp;");
        QTest::newRow("two, three and four bytes")
            << QString::fromUtf8("ü ₹ 😀") << false << QByteArray("\xc3\xbc \xe2\x82\xb9 \xf0\x9f\x98\x80");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("&") << false
                                        << (QString(QChar(0xD800)) + QStringLiteral("&amp;")).toUtf8();
        QTest::newRow("empty") << QString() << false << QByteArray();
    }

    void element()
    {
        QFETCH(QString, value);
        QFETCH(bool, attribute);
        QFETCH(QByteArray, bytes);
        const QByteArray got = written([&](XmlOutput &out) {
            out.element("T", value, attribute ? XmlOutput::Escape::Attribute : XmlOutput::Escape::Text);
        });
        QCOMPARE(got, "<T>" + bytes + "</T>\r\n");
    }

    void elementWithout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("removed");
        QTest::newRow("at the end, blank kept") << "Pune ECC.No.X1" << QByteArray("Pune ") << "ECC.No.X1";
        QTest::newRow("twice, escaped between") << "aXXb&XX" << QByteArray("ab&amp;") << "XX";
        QTest::newRow("overlaps taken left to right") << "XXX" << QByteArray("X") << "XX";
        QTest::newRow("letter case exact") << "xx" << QByteArray("xx") << "XX";
        QTest::newRow("nothing to remove") << "a&b" << QByteArray("a&amp;b") << "";
    }

    void elementWithout()
    {
        QFETCH(QString, text);
        QFETCH(QString, removed);
        QFETCH(QByteArray, bytes);
        QCOMPARE(written([&](XmlOutput &out) { out.elementWithout("A", text, removed); }), "<A>" + bytes + "</A>\r\n");
    }

    // Batches go out once full; a device that stops taking bytes is reported
    // once, by the file's name, and nothing more is sent to it.
    void batches()
    {
        FullDevice device(3 * XmlOutput::kBatch);
        XmlOutput out;
        out.start(&device, QStringLiteral("/x/return.xml"));
        const QString line(1000, QLatin1Char('a'));
        int flushes = 0;
        for (int i = 0; i < 1000 && !out.failed(); ++i) {
            out.element("L", line);
            const qsizetype before = out.pending();
            if (!out.flushIfFull())
                break;
            flushes += out.pending() < before;
            QVERIFY(out.pending() < XmlOutput::kBatch);
        }
        QVERIFY(out.failed());
        QCOMPARE(flushes, 2); // the third batch does not fit
        QCOMPARE(out.errorString(), QStringLiteral("Could not write the file /x/return.xml: No space left on device"));
        const int writes = device.writes;
        QVERIFY(!out.flush());
        QCOMPARE(device.writes, writes);
        QCOMPARE(device.data().size() % (line.size() + 9), 0); // whole elements only: "<L>", "</L>" and CR LF
    }
};

QV_REGISTER_TEST(XmlOutputTest)
#include "XmlOutput_test.moc"
