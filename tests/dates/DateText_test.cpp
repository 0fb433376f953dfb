#include "TestRegistry.h"

#include "dates/DateText.h"

#include <QTest>

class DateTextTest : public QObject
{
    Q_OBJECT

private slots:
    void completes_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("output"); // a failure gives the input back as passed

        // Today being 20 March 2014.
        QTest::newRow("day only") << "15" << true << "15/03/2014";
        QTest::newRow("one-digit month") << "315" << true << "31/05/2014";
        QTest::newRow("day and month") << "1504" << true << "15/04/2014";
        QTest::newRow("two-digit year is 20xx") << "150399" << true << "15/03/2099";
        QTest::newRow("four-digit year") << "15041999" << true << "15/04/1999";
        QTest::newRow("leap day 2000") << "290200" << true << "29/02/2000";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("blanks") << "   " << true << "";
        QTest::newRow("one digit") << "1" << false << "1";
        QTest::newRow("five digits") << "15041" << false << "15041";
        QTest::newRow("seven digits") << "1504199" << false << "1504199";
        QTest::newRow("nine digits") << "150419991" << false << "150419991";
        QTest::newRow("month 0") << "1500" << false << "1500";
        QTest::newRow("month 13") << "151300" << false << "151300";
        QTest::newRow("day 0") << "00" << false << "00";
        QTest::newRow("day 32") << "32" << false << "32";
        QTest::newRow("31 April") << "3104" << false << "3104";
        QTest::newRow("29 February 2014") << "290214" << false << "290214";
        QTest::newRow("29 February 2100") << "29022100" << false << "29022100";
        QTest::newRow("letters") << "ab" << false << "ab";
        QTest::newRow("dashes") << "15-03-14" << false << "15-03-14";
        QTest::newRow("year 15") << "15040015" << false << "15040015";
    }
    void completes()
    {
        QFETCH(QString, input);
        QFETCH(bool, valid);
        QFETCH(QString, output);
        QString result = QStringLiteral("untouched");
        QCOMPARE(CompleteDateText(input, result, QDate(2014, 3, 20)), valid);
        QCOMPARE(result, output);
        if (valid && !output.isEmpty())
            QVERIFY(IsDateText(output));
    }
};

QV_REGISTER_TEST(DateTextTest)
#include "DateText_test.moc"
