#include "ReturnTestData.h"
#include "TestRegistry.h"
#include "returns/SchemaValidation.h"

#include <QTemporaryDir>
#include <QTest>

using namespace ReturnTestData;

namespace {
// The worked example with `rows` invoice lines; the line numbered `badRow`
// carries a seven-digit tariff number, which only the schema refuses.
QByteArray longReturn(int rows, int badRow = 0)
{
    const QByteArray example = bytesOf(fixturePath(QStringLiteral("returns/worked-example.xml")));
    const qsizetype from = example.indexOf("<INVOICE-PARTICULARS");
    const qsizetype to = example.indexOf("</INVOICE-HEADER>");
    const QByteArray line = example.mid(from, to - from);
    QByteArray out = example.left(from);
    for (int i = 1; i <= rows; ++i) {
        QByteArray copy = line;
        copy.replace("SL-NO=\"1\"", "SL-NO=\"" + QByteArray::number(i) + '"');
        if (i == badRow)
            copy.replace("74081110", "7408111");
        out += copy;
    }
    return out + example.mid(to);
}

QString streamed(const QByteArray &document, const QString &schema, qsizetype chunk)
{
    StreamValidator validator(schema);
    validator.start();
    for (qsizetype at = 0; at < document.size(); at += chunk)
        validator.feed(document.constData() + at, qMin(chunk, document.size() - at));
    QString reason;
    return validator.finish(&reason) ? QStringLiteral("valid") : reason;
}
} // namespace

class StreamValidationTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    // Validated as it is written, a document gets the answer, word for word
    // and with the same line number, that it gets once on disk.
    void sameAnswerAsTheFile_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("schema");
        const QString real = schemaPath();
        for (const char *name : {"worked-example.xml", "bad/truncated.xml", "bad/invalid-then-broken.xml",
                                 "bad/document-type.xml", "bad/missing-element.xml", "bad/external-entity.xml"})
            QTest::newRow(name) << bytesOf(fixturePath(QStringLiteral("returns/") + QLatin1String(name))) << real;
        QTest::newRow("long, valid") << longReturn(20000) << real;
        QTest::newRow("long, invalid past the middle") << longReturn(20000, 15000) << real;
        const QByteArray cut = longReturn(20000);
        QTest::newRow("long, cut short") << cut.left(cut.size() * 2 / 3) << real;
        QTest::newRow("empty") << QByteArray() << real;
        QTest::newRow("schema missing") << longReturn(10) << dir.filePath(QStringLiteral("none.xsd"));
        QTest::newRow("schema broken") << longReturn(10) << fixturePath(QStringLiteral("returns/broken-schema.xsd"));
    }

    void sameAnswerAsTheFile()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, schema);
        const QString path = dir.filePath(QStringLiteral("return.xml"));
        QVERIFY(writeBytes(path, document));
        QString reason;
        const QString expected = ValidateXmlFile(path, schema, &reason) ? QStringLiteral("valid") : reason;
        // Batch sizes that split lines, tags and characters anywhere.
        for (qsizetype chunk : {qsizetype(1) << 16, qsizetype(4093), qsizetype(7)}) {
            if (chunk < 100 && document.size() > 100000)
                continue;
            QCOMPARE(streamed(document, schema, chunk), expected);
        }
    }

    // The validator gives up at the first line while the writer still has
    // 200 MB to go: the writer is never held up, and the answer comes.
    void validatorStopsFirst()
    {
        StreamValidator validator(schemaPath());
        validator.start();
        const QByteArray batch(XmlOutput::kBatch, 'x');
        validator.feed("<ACES><", 7);
        for (int i = 0; i < 3200; ++i)
            validator.feed(batch.constData(), batch.size());
        QString reason;
        QVERIFY(!validator.finish(&reason));
        QVERIFY2(reason.startsWith(QStringLiteral("Load XML failed: ")), qPrintable(reason));
        // Started and never fed: the destructor ends the thread.
        StreamValidator(schemaPath()).start();
    }
};

QV_REGISTER_TEST(StreamValidationTest)
#include "StreamValidation_test.moc"
