#include "TestRegistry.h"

#include "returns/Decimal.h"

#include <QTest>

class DecimalTest : public QObject
{
    Q_OBJECT

private slots:
    // Reading a number from the start of a text, then writing it as "0.00".
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("twoPlaces");
        QTest::newRow("integer") << "100" << "100.00";
        QTest::newRow("half rounds away from zero") << "2.675" << "2.68";
        QTest::newRow("negative half") << "-2.675" << "-2.68";
        QTest::newRow("below half") << "2.674999" << "2.67";
        QTest::newRow("blanks ignored anywhere") << " 1 2.5 " << "12.50";
        QTest::newRow("stops at a letter") << "12.5kg" << "12.50";
        QTest::newRow("second point stops") << "1.2.3" << "1.20";
        QTest::newRow("no leading number") << "abc" << "0.00";
        QTest::newRow("empty") << "" << "0.00";
        QTest::newRow("point first") << ".5" << "0.50";
        QTest::newRow("exponent") << "1.5e3" << "1500.00";
        QTest::newRow("negative exponent") << "2675e-3" << "2.68";
        QTest::newRow("exponent without digits") << "7e" << "7.00";
        QTest::newRow("shortest text of a double") << "1e-05" << "0.00";
        QTest::newRow("leading zeros") << "007.10" << "7.10";
        QTest::newRow("tiny negative is zero") << "-0.001" << "0.00";
        QTest::newRow("many digits") << "123456789012345678901234567890.125" << "123456789012345678901234567890.13";
        QTest::newRow("plus sign") << "+4" << "4.00";
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, twoPlaces);
        Decimal d;
        QVERIFY(Decimal::fromLeadingText(text, &d));
        QCOMPARE(d.toText(2), twoPlaces);
    }

    void outOfRange()
    {
        Decimal d;
        QVERIFY(!Decimal::fromLeadingText(u"1e999", &d));
        QVERIFY(!Decimal::fromLeadingText(u"1e-999", &d));
        QVERIFY(Decimal::fromLeadingText(u"1.7976931348623157e+308", &d));
    }

    // Duty amounts: four columns summed exactly, rounded to whole rupees.
    void dutySum_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("10.25 + 0.25") << QStringList{"10.25", "0.25", "0", "0"} << "11.00";
        QTest::newRow("11.25 + 0.25") << QStringList{"11.25", "0.25", "0", "0"} << "12.00";
        QTest::newRow("515.6") << QStringList{"500", "10.4", "5.2", "0"} << "516.00";
        QTest::newRow("494.4") << QStringList{"480", "9.6", "4.8", "0"} << "494.00";
        QTest::newRow("floating sum would be below the half") << QStringList{"0.1", "0.2", "0.2", "0"} << "1.00";
        QTest::newRow("credit and debit") << QStringList{"-10.5", "3", "0", "0"} << "-8.00";
        QTest::newRow("cancel out") << QStringList{"5.5", "-5.5", "0", "0"} << "0.00";
        QTest::newRow("text that is no number") << QStringList{"abc", "1.5", "", "0"} << "2.00";
    }

    void dutySum()
    {
        QFETCH(QStringList, parts);
        QFETCH(QString, expected);
        Decimal sum;
        for (const QString &p : parts) {
            Decimal d;
            QVERIFY(Decimal::fromLeadingText(p, &d));
            sum = sum + d;
        }
        QCOMPARE(sum.rounded(0).toText(2), expected);
    }

    void wholeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<QString>("twoPlaces");
        QTest::newRow("padded number") << "  100   " << true << "100.00";
        QTest::newRow("decimal") << "2.675" << true << "2.68";
        QTest::newRow("words") << "ten" << false << "";
        QTest::newRow("number then words") << "10 kg" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("point alone") << "." << false << "";
    }

    void wholeText()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(QString, twoPlaces);
        Decimal d;
        QCOMPARE(Decimal::fromWholeText(text, &d), isNumber);
        if (isNumber)
            QCOMPARE(d.toText(2), twoPlaces);
    }
};

QV_REGISTER_TEST(DecimalTest)
#include "Decimal_test.moc"
