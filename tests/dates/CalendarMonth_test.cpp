#include "TestRegistry.h"

#include "dates/CalendarMonth.h"

#include <QTest>

class CalendarMonthTest : public QObject
{
    Q_OBJECT

private slots:
    void daysInMonth_data();
    void daysInMonth();
    void weekNumber_data();
    void weekNumber();
    void layout_data();
    void layout();
    void todayOnlyInItsMonth();
    void yearThatCannotBeShown();
    void yearText_data();
    void yearText();
};

void CalendarMonthTest::daysInMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");

    QTest::newRow("January") << 1 << 2014 << 31;
    QTest::newRow("April") << 4 << 2014 << 30;
    QTest::newRow("February 2014") << 2 << 2014 << 28;
    QTest::newRow("February 2012") << 2 << 2012 << 29;
    QTest::newRow("February 2000") << 2 << 2000 << 29;
    QTest::newRow("February 1900") << 2 << 1900 << 28;
    QTest::newRow("February 2100") << 2 << 2100 << 28;
    QTest::newRow("month 0") << 0 << 2014 << 0;
    QTest::newRow("month 13") << 13 << 2014 << 0;
}

void CalendarMonthTest::daysInMonth()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, days);
    QCOMPARE(DaysInMonth(month, year), days);
}

void CalendarMonthTest::weekNumber_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("week");

    QTest::newRow("1 January on a Sunday") << QDate(2012, 1, 1) << 1;
    QTest::newRow("the Monday after") << QDate(2012, 1, 2) << 2;
    QTest::newRow("31 December 2012") << QDate(2012, 12, 31) << 54;
    QTest::newRow("1 January 2013, a Tuesday") << QDate(2013, 1, 1) << 1;
    QTest::newRow("1 March 2014") << QDate(2014, 3, 1) << 9;
    QTest::newRow("ISO would say week 1") << QDate(2014, 12, 29) << 53;
}

void CalendarMonthTest::weekNumber()
{
    QFETCH(QDate, date);
    QFETCH(int, week);
    QCOMPARE(WeekNumber(date), week);
}

void CalendarMonthTest::layout_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    // Every row from 1 to 6 as "week: Mon Tue Wed Thu Fri Sat Sun", "." for an empty cell.
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("March 2014") << 3 << 2014
                                << QStringList{"9: . . . . . 1 2",        "10: 3 4 5 6 7 8 9",
                                               "11: 10 11 12 13 14 15 16", "12: 17 18 19 20 21 22 23",
                                               "13: 24 25 26 27 28 29 30", "14: 31 . . . . . ."};
    QTest::newRow("February 2010") << 2 << 2010
                                   << QStringList{"6: 1 2 3 4 5 6 7",         "7: 8 9 10 11 12 13 14",
                                                  "8: 15 16 17 18 19 20 21",  "9: 22 23 24 25 26 27 28",
                                                  ".: . . . . . . .",         ".: . . . . . . ."};
    QTest::newRow("March 2015") << 3 << 2015
                                << QStringList{"9: . . . . . . 1",         "10: 2 3 4 5 6 7 8",
                                               "11: 9 10 11 12 13 14 15",   "12: 16 17 18 19 20 21 22",
                                               "13: 23 24 25 26 27 28 29",  "14: 30 31 . . . . ."};
    QTest::newRow("December 2012") << 12 << 2012
                                   << QStringList{"49: . . . . . 1 2",        "50: 3 4 5 6 7 8 9",
                                                  "51: 10 11 12 13 14 15 16", "52: 17 18 19 20 21 22 23",
                                                  "53: 24 25 26 27 28 29 30", "54: 31 . . . . . ."};
    QTest::newRow("January 2013") << 1 << 2013
                                  << QStringList{"1: . 1 2 3 4 5 6",         "2: 7 8 9 10 11 12 13",
                                                 "3: 14 15 16 17 18 19 20",  "4: 21 22 23 24 25 26 27",
                                                 "5: 28 29 30 31 . . .",     ".: . . . . . . ."};
    QTest::newRow("February 1900") << 2 << 1900
                                   << QStringList{"5: . . . 1 2 3 4",        "6: 5 6 7 8 9 10 11",
                                                  "7: 12 13 14 15 16 17 18", "8: 19 20 21 22 23 24 25",
                                                  "9: 26 27 28 . . . .",     ".: . . . . . . ."};
}

void CalendarMonthTest::layout()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QStringList, rows);

    MonthLayout grid;
    QString error;
    QVERIFY(LayOutMonth(month, year, QDate(2014, 3, 20), &grid, &error));
    QCOMPARE(QStringList(grid.text[0] + 1, grid.text[0] + 8), DayNames());
    QVERIFY(grid.text[0][0].isEmpty());
    QStringList actual;
    for (int r = 1; r < kCalendarRows; ++r) {
        QStringList cells;
        for (int c = 1; c < kCalendarColumns; ++c)
            cells << (grid.text[r][c].isEmpty() ? QStringLiteral(".") : grid.text[r][c]);
        actual << (grid.text[r][0].isEmpty() ? QStringLiteral(".") : grid.text[r][0]) + QStringLiteral(": ")
                + cells.join(QLatin1Char(' '));
    }
    QCOMPARE(actual, rows);
}

void CalendarMonthTest::todayOnlyInItsMonth()
{
    MonthLayout grid;
    QString error;
    QVERIFY(LayOutMonth(3, 2014, QDate(2014, 3, 20), &grid, &error));
    QVERIFY(grid.hasToday);
    QCOMPARE(grid.today.row, 4);
    QCOMPARE(grid.today.column, 4);
    QCOMPARE(grid.text[grid.today.row][grid.today.column], QStringLiteral("20"));

    QVERIFY(LayOutMonth(3, 2015, QDate(2014, 3, 20), &grid, &error));
    QVERIFY(!grid.hasToday);
    QVERIFY(LayOutMonth(4, 2014, QDate(2014, 3, 20), &grid, &error));
    QVERIFY(!grid.hasToday);
}

void CalendarMonthTest::yearThatCannotBeShown()
{
    MonthLayout grid;
    QString error;
    QVERIFY(!LayOutMonth(3, 0, QDate(2014, 3, 20), &grid, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(grid.text[0][1], QStringLiteral("Mon"));
    QVERIFY(grid.text[1][0].isEmpty());

    error.clear();
    QVERIFY(!LayOutMonth(13, 2014, QDate(2014, 3, 20), &grid, &error));
    QVERIFY(!error.isEmpty());
}

void CalendarMonthTest::yearText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("year");

    QTest::newRow("four digits") << "2014" << true << 2014;
    QTest::newRow("leading zeros") << "0099" << true << 99;
    QTest::newRow("trailing point") << "2014." << true << 2014;
    QTest::newRow("fraction rounds") << "20.6" << true << 21;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("point only") << "." << false << 0;
    QTest::newRow("letters") << "abcd" << false << 0;
}

void CalendarMonthTest::yearText()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, year);
    int result = 0;
    QCOMPARE(YearFromText(text, &result), ok);
    if (ok)
        QCOMPARE(result, year);
}

QV_REGISTER_TEST(CalendarMonthTest)
#include "CalendarMonth_test.moc"
