#include "TestRegistry.h"
#include "returns/Decimal.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

class DecimalTest : public QObject
{
    Q_OBJECT

private slots:
    // Texts that are each one number, summed, rounded to `places`, written as "0.00".
    void sums_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<int>("places");
        QTest::addColumn<QString>("expected");
        QTest::newRow("negative half: away from zero") << QStringList{"-2.675"} << 2 << "-2.68";
        QTest::newRow("below half") << QStringList{"2.674999"} << 2 << "2.67";
        QTest::newRow("blanks around") << QStringList{" \t12.5 \n", "1."} << 2 << "13.50";
        QTest::newRow("exponents") << QStringList{"1.5e3", "2675e-3", "+7E0"} << 2 << "1509.68";
        QTest::newRow("tiny negative is zero") << QStringList{"-0.001"} << 2 << "0.00";
        QTest::newRow("beyond 64 bits") << QStringList{"123456789012345678901234567890.125"} << 2
                                        << "123456789012345678901234567890.13";
        QTest::newRow("binary floating point would fall below the half")
            << QStringList{"0.1", "0.2", "0.2"} << 0 << "1.00";
        QTest::newRow("credit and debit, half away from zero") << QStringList{"-10.5", "+3"} << 0 << "-8.00";
    }

    void sums()
    {
        QFETCH(QStringList, parts);
        QFETCH(int, places);
        QFETCH(QString, expected);
        Decimal sum;
        for (const QString &p : parts) {
            Decimal d;
            QVERIFY(Decimal::fromWholeText(p, &d));
            sum = sum + d;
        }
        QCOMPARE(sum.rounded(places).toText(2), expected);
    }

    // Text that is not wholly one number is none, whatever number it starts
    // with; an exponent beyond any real quantity is told apart.
    void noNumber()
    {
        for (const char *text : {"1,234.50", "(250.00)", "Rs. 500", "12.5 kg", "1 2", "1.2.3", "abc", "", "-", ".",
                                 "0x1A", "inf", "nan", "**********", "7e", "1e999x"}) {
            Decimal d;
            bool outOfRange = true;
            QVERIFY2(!Decimal::fromWholeText(QString::fromLatin1(text), &d, &outOfRange) && !outOfRange, text);
        }
        for (const char *text : {"1e999", "1e-999"}) {
            Decimal d;
            bool outOfRange = false;
            QVERIFY2(!Decimal::fromWholeText(QString::fromLatin1(text), &d, &outOfRange) && outOfRange, text);
        }
    }

    // A double read directly, where that is done at all, gives the number its
    // shortest text stands for: 2.675, never 2.67499999...
    void fromDoubleAsFromText()
    {
        for (double value : {0.1 + 0.2, 2.675, 10408.32, -3.0, -0.0, 1e-7, 999999999999999.0, 1e15, 12345678901234.5,
                             1.0 / 3, 9007199254740993.0, 5e-324, std::numeric_limits<double>::infinity()}) {
            Decimal direct;
            Decimal viaText;
            if (!Decimal::fromDouble(value, &direct))
                continue;
            QVERIFY(Decimal::fromWholeText(QString::number(value, 'g', QLocale::FloatingPointShortest), &viaText));
            for (int places : {0, 2, 9, 20})
                QCOMPARE(direct.toText(places), viaText.toText(places));
        }
    }

    // The duty's quick sum agrees with summing Decimals and rounding them, on
    // halves of both signs, mixed scales and the largest terms it takes.
    void roundedSumAsDecimals()
    {
        const double values[] = {0.5,  -0.5, 2.5,  -2.5,  0.1,  0.2,  1.005, 480.0,  9.6,  4.8,
                                 -7.0, 0.0,  1e-9, 0.125, 33.3, 1e14, -1e14, 99.995, 0.05, 12345678.49};
        QRandomGenerator random(2014);
        for (int round = 0; round < 5000; ++round) {
            qint64 whole[4];
            int scale[4];
            Decimal sum;
            for (int i = 0; i < 4; ++i) {
                const double v = values[random.bounded(int(std::size(values)))];
                Decimal d;
                QVERIFY(Decimal::doubleParts(v, &whole[i], &scale[i]) && Decimal::fromDouble(v, &d));
                sum = sum + d;
            }
            QCOMPARE(Decimal::roundedSum(whole, scale, 4).toText(2), sum.rounded(0).toText(2));
        }
    }
};

QV_REGISTER_TEST(DecimalTest)
#include "Decimal_test.moc"
