#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/UserInterface.h"
#include "returns/SchemaValidation.h"

#include <QDir>
#include <QTest>

class SchemaValidationTest : public QObject
{
    Q_OBJECT

private slots:
    // Files in tests/fixtures/returns; the message's start, empty when valid.
    void validate_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<QString>("expected");
        const QString real = QStringLiteral("../../../data/ACES_DLR.xsd");
        QTest::newRow("empty supplier registration") << "empty-supplier-registration.xml" << real << "";
        QTest::newRow("ended early")
            << "bad/truncated.xml" << real
            << "Load XML failed: Premature end of data in tag INVOICE-PARTICULARS line 11 (line 14)";
        QTest::newRow("not valid, then not well-formed")
            << "bad/invalid-then-broken.xml" << real << "Load XML failed: EntityRef: expecting ';' (line 43)";
        QTest::newRow("external entity") << "bad/external-entity.xml" << real
                                         << "Load XML failed: Entity 'x' not defined (line 44)";
        QTest::newRow("document type") << "bad/document-type.xml" << real << "Load XML failed: DTD is prohibited.";
        QTest::newRow("missing element")
            << "bad/missing-element.xml" << real
            << "Element 'DEALER-NAME': This element is not expected. Expected is ( QUARTER ). (line 5)";
        QTest::newRow("31 June") << "bad/day-past-month-end.xml" << real
                                 << "Element 'DATE': [facet 'pattern'] The value '31/06/2014'";
        QTest::newRow("seven-digit tariff")
            << "bad/short-tariff.xml" << real << "Element 'CETSH-NUMBER': [facet 'length']";
        QTest::newRow("return missing") << "no-such.xml" << real
                                        << "Load XML failed: "
                                               + QDir::toNativeSeparators(fixturePath("returns/no-such.xml"))
                                               + " cannot be opened: No such file or directory";
        QTest::newRow("schema not well-formed") << "worked-example.xml"
                                                << "broken-schema.xsd"
                                                << "Load XSD failed: Opening and ending tag mismatch";
        QTest::newRow("schema does not compile")
            << "worked-example.xml"
            << "invalid-schema.xsd"
            << "element decl. 'ACES', attribute 'type': The QName value 'NoSuchType' does not resolve";
    }

    void validate()
    {
        QFETCH(QString, file);
        QFETCH(QString, schema);
        QFETCH(QString, expected);
        RecordingUserInterface rec;
        InstallUserInterface(&rec);
        // Blanks around the path are not part of it.
        const bool ok =
            ValidateAgainstSchema(QLatin1Char(' ') + fixturePath(QStringLiteral("returns/") + file) + QLatin1Char(' '),
                                  fixturePath(QStringLiteral("returns/") + schema));
        InstallUserInterface(nullptr);
        QCOMPARE(ok, expected.isEmpty());
        QCOMPARE(rec.messages.size(), ok ? 0 : 1);
        if (ok)
            return;
        QVERIFY(rec.messages.first().standard);
        QCOMPARE(rec.messages.first().icon, StdIcon::Critical);
        QVERIFY2(rec.texts().first().startsWith(expected), qPrintable(rec.texts().first()));
    }
};

QV_REGISTER_TEST(SchemaValidationTest)
#include "SchemaValidation_test.moc"
