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

QV_REGISTER_TEST(XmlOutputTest)
#include "XmlOutput_test.moc"
