#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/UserInterface.h"
#include "returns/SchemaValidation.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
QString schemaPath()
{
    return QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd");
}
} // namespace

class SchemaValidationTest : public QObject
{
    Q_OBJECT

private slots:
    void escapeAmpersand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ampersand");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("attribute");
        QTest::newRow("plain") << "A & B" << "A &amp; B" << "A &amp; B" << "A &amp; B";
        QTest::newRow("already escaped is escaped again") << "A &amp; B" << "A &amp;amp; B" << "A &amp;amp; B"
                                                          << "A &amp;amp; B";
        QTest::newRow("angle brackets") << "A < B > C" << "A < B > C" << "A &lt; B &gt; C" << "A &lt; B &gt; C";
        QTest::newRow("quotes") << "5\" 'x'" << "5\" 'x'" << "5\" 'x'" << "5&quot; 'x'";
        QTest::newRow("nothing to do") << "Copper wire" << "Copper wire" << "Copper wire" << "Copper wire";
    }

    void escapeAmpersand()
    {
        QFETCH(QString, text);
        QFETCH(QString, ampersand);
        QFETCH(QString, element);
        QFETCH(QString, attribute);
        QCOMPARE(EscapeAmpersand(text), ampersand);
        QCOMPARE(EscapeXmlText(text), element);
        QCOMPARE(EscapeXmlAttribute(text), attribute);
    }

    void validReturnsPass_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("worked example") << "worked-example.xml";
        QTest::newRow("empty supplier registration") << "empty-supplier-registration.xml";
    }

    void validReturnsPass()
    {
        QFETCH(QString, file);
        RecordingUserInterface rec;
        installUserInterface(&rec);
        // Blanks around the path are not part of it.
        QVERIFY(ValidateAgainstSchema(QStringLiteral("  ") + fixturePath(QStringLiteral("returns/") + file)
                                          + QStringLiteral(" "),
                                      schemaPath()));
        QCOMPARE(rec.messages.size(), 0);
        installUserInterface(nullptr);
    }

    // One row per broken return; the message must say what is wrong and where.
    void brokenReturnsFail_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unescaped ampersand") << "unescaped-ampersand.xml" << "Load XML failed: xmlParseEntityRef: no name (line 43)";
        QTest::newRow("ended early") << "truncated.xml"
                                     << "Load XML failed: Premature end of data in tag INVOICE-PARTICULARS line 11 (line 14)";
        QTest::newRow("external entity") << "external-entity.xml" << "Load XML failed: Entity 'x' not defined (line 44)";
        QTest::newRow("document type") << "document-type.xml" << "Load XML failed: DTD is prohibited.";
        QTest::newRow("missing element") << "missing-element.xml"
                                         << "Element 'DEALER-NAME': This element is not expected. Expected is ( QUARTER ). (line 5)";
        QTest::newRow("swapped elements") << "swapped-order.xml" << "Element 'ADDRESS': This element is not expected.";
        QTest::newRow("ISO date") << "wrong-date.xml" << "Element 'INVOICE-DATE': [facet 'pattern'] The value '2014-07-11'";
        QTest::newRow("31 June") << "day-past-month-end.xml" << "Element 'DATE': [facet 'pattern'] The value '31/06/2014'";
        QTest::newRow("quarter") << "wrong-quarter.xml" << "Element 'QUARTER': [facet 'enumeration'] The value 'Apr-Jul'";
        QTest::newRow("two-digit year") << "short-year.xml" << "Element 'RETURN-YEAR': [facet 'pattern'] The value '14'";
        QTest::newRow("seven-digit tariff") << "short-tariff.xml" << "Element 'CETSH-NUMBER': [facet 'length']";
        QTest::newRow("one decimal") << "one-decimal.xml" << "Element 'QUANTITY': [facet 'pattern'] The value '100.0'";
        QTest::newRow("nil return") << "nil-return.xml" << "Element 'NIL-RETURN': [facet 'enumeration'] The value 'N'";
        QTest::newRow("serial zero") << "serial-zero.xml" << "Element 'DOCUMENT-DETAIL', attribute 'SL-NO': '0'";
        QTest::newRow("16-character number") << "long-registration.xml" << "Element 'REGISTRATION-NUMBER': [facet 'maxLength']";
        QTest::newRow("return type") << "return-type.xml" << "Element 'RETURN', attribute 'ReturnType': [facet 'enumeration']";
        QTest::newRow("tool version") << "tool-version.xml" << "Element 'RETURN', attribute 'ToolVer': [facet 'enumeration']";
    }

    void brokenReturnsFail()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        RecordingUserInterface rec;
        installUserInterface(&rec);
        QVERIFY(!ValidateAgainstSchema(fixturePath(QStringLiteral("returns/bad/") + file), schemaPath()));
        installUserInterface(nullptr);
        QCOMPARE(rec.messages.size(), 1);
        const auto &m = rec.messages.first();
        QVERIFY(m.standard);
        QCOMPARE(m.icon, StdIcon::Critical);
        QCOMPARE(m.title, QStringLiteral("Quorvant"));
        QVERIFY2(m.text.startsWith(expected), qPrintable(m.text));
        // The file is left where it was.
        QVERIFY(QFile::exists(fixturePath(QStringLiteral("returns/bad/") + file)));
    }

    void schemaProblems_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("xsd");
        QTest::addColumn<QString>("expected");
        const QString good = fixturePath(QStringLiteral("returns/worked-example.xml"));
        QTest::newRow("schema not well-formed") << good << fixturePath(QStringLiteral("returns/broken-schema.xsd"))
                                                << "Load XSD failed: Opening and ending tag mismatch";
        QTest::newRow("schema missing") << good << fixturePath(QStringLiteral("returns/no-such.xsd"))
                                        << "Load XSD failed: ";
        QTest::newRow("schema does not compile") << good << fixturePath(QStringLiteral("returns/invalid-schema.xsd"))
                                                 << "element decl. 'ACES', attribute 'type': The QName value 'NoSuchType' does not resolve";
        QTest::newRow("return missing") << fixturePath(QStringLiteral("returns/no-such.xml")) << schemaPath()
                                        << "Load XML failed: ";
    }

    void schemaProblems()
    {
        QFETCH(QString, xml);
        QFETCH(QString, xsd);
        QFETCH(QString, expected);
        QString reason;
        QVERIFY(!ValidateXmlFile(xml, xsd, &reason));
        QVERIFY2(reason.startsWith(expected), qPrintable(reason));
    }

    // A file that is not well-formed is reported as not loading, even when a
    // validity error comes first in it.
    void wellFormednessWinsOverValidity()
    {
        QTemporaryDir dir;
        QFile source(fixturePath(QStringLiteral("returns/bad/wrong-quarter.xml")));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray text = source.readAll();
        text.replace("<REMARKS>EXCISE RETURN</REMARKS>", "<REMARKS>R&D</REMARKS>");
        const QString path = dir.filePath(QStringLiteral("mixed.xml"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(text);
        out.close();
        QString reason;
        QVERIFY(!ValidateXmlFile(path, schemaPath(), &reason));
        QVERIFY2(reason.startsWith(QStringLiteral("Load XML failed: ")), qPrintable(reason));
    }
};

QV_REGISTER_TEST(SchemaValidationTest)
#include "SchemaValidation_test.moc"
