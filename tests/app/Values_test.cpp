#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/DateFormat.h"
#include "app/Values.h"

#include <QTest>

class ValuesTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { StoreShortDateFormat(QStringLiteral("dd/MM/yyyy")); }
    void cleanup() { ClearStoredShortDateFormat(); }

    void text_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("null") << QVariant() << "";
        QTest::newRow("blank-padded text stays") << QVariant(QStringLiteral("INV/1   ")) << "INV/1   ";
        QTest::newRow("integer") << QVariant(qlonglong(74081110)) << "74081110";
        QTest::newRow("shortest double") << QVariant(10.4) << "10.4";
        QTest::newRow("double sum noise is the driver's") << QVariant(0.1 + 0.2) << "0.30000000000000004";
        QTest::newRow("large double, no exponent loss") << QVariant(74081110.0) << "74081110";
        QTest::newRow("date") << QVariant(QDate(2014, 7, 11)) << "11/07/2014";
        QTest::newRow("midnight datetime is a date")
            << QVariant(QDateTime(QDate(2014, 7, 11), QTime(0, 0))) << "11/07/2014";
        QTest::newRow("boolean") << QVariant(true) << "True";
    }

    void text()
    {
        QFETCH(QVariant, value);
        QTEST(ValueText(value), "text");
    }

    void date_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QDate>("date");
        QTest::newRow("QDate") << QVariant(QDate(2014, 6, 2)) << QDate(2014, 6, 2);
        QTest::newRow("QDateTime") << QVariant(QDateTime(QDate(2014, 6, 2), QTime(15, 5))) << QDate(2014, 6, 2);
        QTest::newRow("ISO") << QVariant(QStringLiteral("2014-06-02")) << QDate(2014, 6, 2);
        QTest::newRow("ISO with time") << QVariant(QStringLiteral("1899-12-31T10:00:00")) << QDate(1899, 12, 31);
        QTest::newRow("day first") << QVariant(QStringLiteral("02/06/2014")) << QDate(2014, 6, 2);
        QTest::newRow("day first, dashes, short") << QVariant(QStringLiteral("2-6-2014")) << QDate(2014, 6, 2);
        QTest::newRow("day first, dots") << QVariant(QStringLiteral("02.06.2014")) << QDate(2014, 6, 2);
        QTest::newRow("impossible day") << QVariant(QStringLiteral("31/04/2014")) << QDate();
        QTest::newRow("not a date") << QVariant(QStringLiteral("INV/1")) << QDate();
        QTest::newRow("null") << QVariant() << QDate();
    }

    void date()
    {
        QFETCH(QVariant, value);
        QTEST(ValueDate(value), "date");
    }
};

QV_REGISTER_TEST(ValuesTest)
#include "Values_test.moc"
