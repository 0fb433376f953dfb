#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/UserInterface.h"
#include "returns/SchemaValidation.h"

#include <QTest>

class SchemaValidationTest : public QObject
{
    Q_OBJECT

private slots:
    void escaping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ampersand");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("attribute");
        QTest::newRow("ampersand") << "A & B" << "A &amp; B" << "A &amp; B" << "A &amp; B";
        QTest::newRow("already escaped") << "A &amp; B" << "A &amp;amp; B" << "A &amp;amp; B" << "A &amp;amp; B";
        QTest::newRow("angle brackets") << "A < B > C" << "A < B > C" << "A &lt; B &gt; C" << "A &lt; B &gt; C";
        QTest::newRow("quotes") << "5\" 'x'" << "5\" 'x'" << "5\" 'x'" << "5&quot; 'x'";
    }

    void escaping()
    {
        QFETCH(QString, text);
        QFETCH(QString, ampersand);
        QFETCH(QString, element);
        QFETCH(QString, attribute);
        QCOMPARE(EscapeAmpersand(text), ampersand);
        QCOMPARE(EscapeXmlText(text), element);
        QCOMPARE(EscapeXmlAttribute(text), attribute);
    }

    // One row per return file (tests/fixtures/returns); empty: valid.
    void returns_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("complete") << "worked-example.xml" << "";
        QTest::newRow("empty supplier registration") << "empty-supplier-registration.xml" << "";
        QTest::newRow("unescaped ampersand") << "bad/unescaped-ampersand.xml" << "Load XML failed: xmlParseEntityRef: no name (line 43)";
        QTest::newRow("ended early") << "bad/truncated.xml"
                                     << "Load XML failed: Premature end of data in tag INVOICE-PARTICULARS line 11 (line 14)";
        QTest::newRow("not valid, then not well-formed") << "bad/invalid-then-broken.xml" << "Load XML failed: ";
        QTest::newRow("external entity") << "bad/external-entity.xml" << "Load XML failed: Entity 'x' not defined (line 44)";
        QTest::newRow("document type") << "bad/document-type.xml" << "Load XML failed: DTD is prohibited.";
        QTest::newRow("missing element") << "bad/missing-element.xml"
                                         << "Element 'DEALER-NAME': This element is not expected. Expected is ( QUARTER ). (line 5)";
        QTest::newRow("swapped elements") << "bad/swapped-order.xml" << "Element 'ADDRESS': This element is not expected.";
        QTest::newRow("ISO date") << "bad/wrong-date.xml" << "Element 'INVOICE-DATE': [facet 'pattern'] The value '2014-07-11'";
        QTest::newRow("31 June") << "bad/day-past-month-end.xml" << "Element 'DATE': [facet 'pattern'] The value '31/06/2014'";
        QTest::newRow("quarter") << "bad/wrong-quarter.xml" << "Element 'QUARTER': [facet 'enumeration'] The value 'Apr-Jul'";
        QTest::newRow("two-digit year") << "bad/short-year.xml" << "Element 'RETURN-YEAR': [facet 'pattern'] The value '14'";
        QTest::newRow("seven-digit tariff") << "bad/short-tariff.xml" << "Element 'CETSH-NUMBER': [facet 'length']";
        QTest::newRow("one decimal") << "bad/one-decimal.xml" << "Element 'QUANTITY': [facet 'pattern'] The value '100.0'";
        QTest::newRow("nil return") << "bad/nil-return.xml" << "Element 'NIL-RETURN': [facet 'enumeration'] The value 'N'";
        QTest::newRow("serial zero") << "bad/serial-zero.xml" << "Element 'DOCUMENT-DETAIL', attribute 'SL-NO': '0'";
        QTest::newRow("16-character number") << "bad/long-registration.xml" << "Element 'REGISTRATION-NUMBER': [facet 'maxLength']";
        QTest::newRow("return type") << "bad/return-type.xml" << "Element 'RETURN', attribute 'ReturnType': [facet 'enumeration']";
        QTest::newRow("tool version") << "bad/tool-version.xml" << "Element 'RETURN', attribute 'ToolVer': [facet 'enumeration']";
    }

    void returns()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        RecordingUserInterface rec;
        installUserInterface(&rec);
        // Blanks around the path are not part of it.
        const bool ok = ValidateAgainstSchema(QStringLiteral(" ") + fixturePath(QStringLiteral("returns/") + file) + QStringLiteral(" "),
                                              QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd"));
        installUserInterface(nullptr);
        QCOMPARE(ok, expected.isEmpty());
        QCOMPARE(rec.messages.size(), ok ? 0 : 1);
        if (ok)
            return;
        QVERIFY(rec.messages.first().standard);
        QCOMPARE(rec.messages.first().icon, StdIcon::Critical);
        QCOMPARE(rec.messages.first().title, QStringLiteral("Quorvant"));
        QVERIFY2(rec.texts().first().startsWith(expected), qPrintable(rec.texts().first()));
    }

    void schemaProblems_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("xsd");
        QTest::addColumn<QString>("expected");
        QTest::newRow("schema not well-formed") << "worked-example.xml" << "broken-schema.xsd"
                                                << "Load XSD failed: Opening and ending tag mismatch";
        QTest::newRow("schema missing") << "worked-example.xml" << "no-such.xsd" << "Load XSD failed: cannot read ";
        QTest::newRow("schema does not compile") << "worked-example.xml" << "invalid-schema.xsd"
                                                 << "element decl. 'ACES', attribute 'type': The QName value 'NoSuchType' does not resolve";
        QTest::newRow("return missing") << "no-such.xml" << "../../../data/ACES_DLR.xsd" << "Load XML failed: cannot read ";
    }

    void schemaProblems()
    {
        QFETCH(QString, xml);
        QFETCH(QString, xsd);
        QFETCH(QString, expected);
        QString reason;
        QVERIFY(!ValidateXmlFile(fixturePath(QStringLiteral("returns/") + xml), fixturePath(QStringLiteral("returns/") + xsd), &reason));
        QVERIFY2(reason.startsWith(expected), qPrintable(reason));
    }
};

QV_REGISTER_TEST(SchemaValidationTest)
#include "SchemaValidation_test.moc"
