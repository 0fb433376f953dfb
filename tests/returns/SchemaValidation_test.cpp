#include "ReturnTestData.h"
#include "TestRegistry.h"
#include "app/UserInterface.h"
#include "returns/SchemaValidation.h"

#include <QDir>
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
    return validator.finish(&reason) ? QString() : reason;
}
} // namespace

class SchemaValidationTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    // A file in tests/fixtures/returns, or a document written for the test;
    // the message's start, empty when valid. Validated as it is written, a
    // document gets the answer, word for word and with the same line number,
    // that it gets once on disk.
    void validate_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &file, const QString &expected, const QString &schema = {},
                            const QByteArray &document = {}) {
            QTest::newRow(name) << file << document << (schema.isEmpty() ? "../../../data/ACES_DLR.xsd" : schema)
                                << expected;
        };
        const QString xml = QStringLiteral("Load XML failed: ");
        row("worked example", "worked-example.xml", "");
        row("empty supplier registration", "empty-supplier-registration.xml", "");
        row("ended early", "bad/truncated.xml",
            xml + "Premature end of data in tag INVOICE-PARTICULARS line 11 (line 14)");
        row("not valid, then not well-formed", "bad/invalid-then-broken.xml",
            xml + "EntityRef: expecting ';' (line 43)");
        row("external entity", "bad/external-entity.xml", xml + "Entity 'x' not defined (line 44)");
        row("document type", "bad/document-type.xml", xml + "DTD is prohibited.");
        row("missing element", "bad/missing-element.xml",
            "Element 'DEALER-NAME': This element is not expected. Expected is ( QUARTER ). (line 5)");
        row("31 June", "bad/day-past-month-end.xml", "Element 'DATE': [facet 'pattern'] The value '31/06/2014'");
        row("seven-digit tariff", "bad/short-tariff.xml", "Element 'CETSH-NUMBER': [facet 'length']");
        row("return missing", "no-such.xml",
            xml + QDir::toNativeSeparators(fixturePath("returns/no-such.xml"))
                + " cannot be opened: No such file or directory");
        row("schema not well-formed", "worked-example.xml", "Load XSD failed: Opening and ending tag mismatch",
            "broken-schema.xsd");
        row("schema does not compile", "worked-example.xml",
            "element decl. 'ACES', attribute 'type': The QName value 'NoSuchType' does not resolve",
            "invalid-schema.xsd");
        row("schema missing", "worked-example.xml", "Load XSD failed: ", "none.xsd");
        row("long, valid", "", "", {}, longReturn(20000));
        row("long, invalid past the middle", "", "Element 'CETSH-NUMBER': [facet 'length']", {},
            longReturn(20000, 15000));
        const QByteArray cut = longReturn(20000);
        row("long, cut short", "", xml, {}, cut.left(cut.size() * 2 / 3));
        row("empty", "", xml, {}, QByteArray(""));
    }

    void validate()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, document);
        QFETCH(QString, schema);
        QFETCH(QString, expected);
        const QString path = file.isEmpty() ? dir.filePath(QStringLiteral("return.xml"))
                                            : fixturePath(QStringLiteral("returns/") + file);
        if (file.isEmpty())
            QVERIFY(writeBytes(path, document));
        schema = fixturePath(QStringLiteral("returns/") + schema);
        RecordingUserInterface rec;
        InstallUserInterface(&rec);
        // Blanks around the path are not part of it.
        const bool ok = ValidateAgainstSchema(QLatin1Char(' ') + path + QLatin1Char(' '), schema);
        InstallUserInterface(nullptr);
        QCOMPARE(ok, expected.isEmpty());
        QCOMPARE(rec.messages.size(), ok ? 0 : 1);
        const QString reason = ok ? QString() : rec.texts().first();
        if (!ok) {
            QVERIFY(rec.messages.first().standard);
            QCOMPARE(rec.messages.first().icon, StdIcon::Critical);
            QVERIFY2(reason.startsWith(expected), qPrintable(reason));
        }
        if (!QFile::exists(path))
            return;
        document = bytesOf(path);
        // Batch sizes that split lines, tags and characters anywhere.
        for (qsizetype chunk : {qsizetype(1) << 16, qsizetype(4093), qsizetype(7)}) {
            if (chunk < 100 && document.size() > 100000)
                continue;
            QCOMPARE(streamed(document, schema, chunk), reason);
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

QV_REGISTER_TEST(SchemaValidationTest)
#include "SchemaValidation_test.moc"
