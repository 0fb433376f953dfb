#include "TestRegistry.h"

#include "app/Clock.h"
#include "dates/DateText.h"

#include <QTest>

class DateTextTest : public QObject
{
    Q_OBJECT

private slots:
    void completes_data();
    void completes();
    void readsTodayFromTheClock();
    void dateTexts_data();
    void dateTexts();
};

void DateTextTest::completes_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("output");

    // Lengths that complete (today is 20 March 2014).
    QTest::newRow("day only") << "15" << true << "15/03/2014";
    QTest::newRow("one-digit month") << "153" << true << "15/03/2014";
    QTest::newRow("one-digit month May") << "315" << true << "31/05/2014";
    QTest::newRow("day and month") << "1504" << true << "15/04/2014";
    QTest::newRow("two-digit year") << "150414" << true << "15/04/2014";
    QTest::newRow("two-digit year is 20xx") << "150499" << true << "15/04/2099";
    QTest::newRow("two-digit year 1999 is 2099") << "150399" << true << "15/03/2099";
    QTest::newRow("four-digit year") << "15041999" << true << "15/04/1999";
    QTest::newRow("leap day 2000") << "290200" << true << "29/02/2000";
    QTest::newRow("leap day 2016") << "29022016" << true << "29/02/2016";
    QTest::newRow("31 December") << "31122099" << true << "31/12/2099";

    // Blanks.
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("blanks") << "   " << true << "";
    QTest::newRow("blanks around digits") << " 1504 " << true << "15/04/2014";

    // Lengths that fail: the output is the input as passed.
    QTest::newRow("one digit") << "1" << false << "1";
    QTest::newRow("five digits") << "15041" << false << "15041";
    QTest::newRow("seven digits") << "1504199" << false << "1504199";
    QTest::newRow("nine digits") << "150419991" << false << "150419991";
    QTest::newRow("canonical text") << "15/04/2014" << false << "15/04/2014";

    // Month check.
    QTest::newRow("month 13") << "1513" << false << "1513";
    QTest::newRow("month 13 two-digit year") << "151300" << false << "151300";
    QTest::newRow("month 0") << "1500" << false << "1500";
    QTest::newRow("month 0 one digit") << "150" << false << "150";

    // Calendar check.
    QTest::newRow("day 0") << "00" << false << "00";
    QTest::newRow("day 32") << "32" << false << "32";
    QTest::newRow("31 April") << "3104" << false << "3104";
    QTest::newRow("29 February 2014") << "290214" << false << "290214";
    QTest::newRow("29 February 2100") << "29022100" << false << "29022100";
    QTest::newRow("29 February this year") << "2902" << false << "2902";

    // Pasted text that is no run of digits.
    QTest::newRow("letters") << "ab" << false << "ab";
    QTest::newRow("dashes") << "15-03-14" << false << "15-03-14";
    QTest::newRow("digits with a blank") << "1 0414" << false << "1 0414";
    QTest::newRow("year below 100") << "15040015" << false << "15040015";
}

void DateTextTest::completes()
{
    QFETCH(QString, input);
    QFETCH(bool, valid);
    QFETCH(QString, output);

    QString result = QStringLiteral("untouched");
    QCOMPARE(CompleteDateText(input, result, QDate(2014, 3, 20)), valid);
    QCOMPARE(result, output);
}

void DateTextTest::readsTodayFromTheClock()
{
    Clock::setNow(QDateTime(QDate(2016, 2, 10), QTime(9, 0)));
    QString result;
    QVERIFY(CompleteDateText(QStringLiteral("29"), result));
    QCOMPARE(result, QStringLiteral("29/02/2016"));
    Clock::setNow(QDateTime(QDate(2015, 12, 31), QTime(23, 59)));
    QVERIFY(!CompleteDateText(QStringLiteral("2902"), result));
    QVERIFY(CompleteDateText(QStringLiteral("0101"), result));
    QCOMPARE(result, QStringLiteral("01/01/2015"));
    Clock::reset();
}

void DateTextTest::dateTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");

    QTest::newRow("canonical") << "05/03/2014" << QDate(2014, 3, 5);
    QTest::newRow("short parts") << "5/3/2014" << QDate(2014, 3, 5);
    QTest::newRow("dashes") << "05-03-2014" << QDate(2014, 3, 5);
    QTest::newRow("mixed separators") << "05-03/2014" << QDate();
    QTest::newRow("edit text") << "05032014" << QDate();
    QTest::newRow("two-digit year") << "05/03/14" << QDate();
    QTest::newRow("31 April") << "31/04/2014" << QDate();
    QTest::newRow("29 February 1900") << "29/02/1900" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void DateTextTest::dateTexts()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(DateFromText(text), date);
    QCOMPARE(IsDateText(text), date.isValid());
}

QV_REGISTER_TEST(DateTextTest)
#include "DateText_test.moc"
