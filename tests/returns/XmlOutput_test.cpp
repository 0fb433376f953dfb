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

class XmlOutputTest : public QObject
{
    Q_OBJECT

private slots:
    // The bytes of one element: escaping by place and UTF-8 of the first
    // planes are seen in the return's own tests.
    void element_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("four bytes") << QString::fromUtf8("😀") << QByteArray("\xf0\x9f\x98\x80");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("&")
                                        << (QString(QChar(0xD800)) + QStringLiteral("&amp;")).toUtf8();
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void element()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, bytes);
        QCOMPARE(written([&](XmlOutput &out) { out.element("T", value); }), "<T>" + bytes + "</T>\r\n");
    }

    void elementWithout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("removed");
        QTest::newRow("twice, escaped between") << "aXXb&XX" << QByteArray("ab&amp;") << "XX";
        QTest::newRow("overlaps taken left to right") << "XXX" << QByteArray("X") << "XX";
        QTest::newRow("nothing to remove") << "a&b" << QByteArray("a&amp;b") << "";
    }

    void elementWithout()
    {
        QFETCH(QString, text);
        QFETCH(QString, removed);
        QFETCH(QByteArray, bytes);
        QCOMPARE(written([&](XmlOutput &out) { out.elementWithout("A", text, removed); }), "<A>" + bytes + "</A>\r\n");
    }
};

QV_REGISTER_TEST(XmlOutputTest)
#include "XmlOutput_test.moc"
