#include "TestRegistry.h"
#include "app/Values.h"
#include "dates/CalendarMonth.h"
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
        QTest::newRow("five digits") << "15041" << false << "15041";
        QTest::newRow("seven digits") << "1504199" << false << "1504199";
        QTest::newRow("nine digits") << "150419991" << false << "150419991";
        QTest::newRow("month 13") << "151300" << false << "151300";
        QTest::newRow("day 32") << "32" << false << "32";
        QTest::newRow("31 April") << "3104" << false << "3104";
        QTest::newRow("29 February 2014") << "290214" << false << "290214";
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

    // Every date shape through the readers that take it: the typed day-first
    // text, a database value, the reader's quick road (which must agree with
    // ValueDate wherever it answers) and the data check's ISO-at-midnight.
    void shapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("dayFirst");
        QTest::addColumn<QDate>("value");
        QTest::addColumn<QDate>("midnight");
        const QDate d(2014, 3, 5), none;
        QTest::newRow("canonical") << "05/03/2014" << d << d << none;
        QTest::newRow("short, slashes") << " 5/3/2014 " << d << d << none;
        QTest::newRow("dashes") << "05-03-2014" << d << d << none;
        QTest::newRow("dots") << "5.3.2014" << d << d << none;
        QTest::newRow("mixed separators") << "05/03-2014" << none << d << none;
        QTest::newRow("time after day first") << "05/03/2014 10:30" << none << d << none;
        QTest::newRow("letters after day first") << "05/03/2014x" << none << none << none;
        QTest::newRow("five-digit year") << "05/03/20145" << none << none << none;
        QTest::newRow("two-digit year") << "05/03/14" << none << none << none;
        QTest::newRow("year 15") << "15/04/0015" << none << QDate(15, 4, 15) << none;
        QTest::newRow("31 April") << "31/04/2014" << none << none << none;
        QTest::newRow("29 February 2015") << "29/02/2015" << none << none << none;
        QTest::newRow("ISO") << "2014-03-05" << none << d << d;
        QTest::newRow("ISO, short month") << "2014-3-5" << none << d << none;
        QTest::newRow("ISO midnight") << "2014-03-05 00:00:00.000" << none << d << d;
        QTest::newRow("ISO T midnight") << "2014-03-05T00:00" << none << d << d;
        QTest::newRow("ISO with a time") << "2014-03-05 10:30:00" << none << d << none;
        QTest::newRow("ISO, junk after") << "2014-03-05x" << none << none << none;
        QTest::newRow("ISO 30 February") << "2014-02-30" << none << none << none;
        QTest::newRow("ISO year 999") << "0999-01-01" << none << QDate(999, 1, 1) << QDate(999, 1, 1);
        QTest::newRow("digits only") << "05032014" << none << none << none;
        QTest::newRow("empty") << "" << none << none << none;
    }
    void shapes()
    {
        QFETCH(QString, text);
        QTEST(DayFirstDate(text), "dayFirst");
        QTEST(ValueDate(text), "value");
        QTEST(IsoDateAtMidnight(text), "midnight");
        int y = 0, m = 0, d = 0;
        const QByteArray utf8 = text.toUtf8();
        const bool quick = IsoDateDigits(utf8.constData(), utf8.size(), &y, &m, &d);
        QCOMPARE(IsoDateDigits(text, &y, &m, &d), quick);
        if (quick)
            QCOMPARE(QDate(y, m, d), ValueDate(text));
        if (text.size() == 10 && text[4] == QLatin1Char('-')) // it refuses no ISO day ValueDate takes, from 1000 on
            QCOMPARE(quick, ValueDate(text).isValid() && ValueDate(text).year() >= 1000);
    }

    void daysInMonth()
    {
        // April; February in a leap year, in a century that is one and in one that is not; no month 13.
        const QList<int> days{DaysInMonth(4, 2014), DaysInMonth(2, 2012), DaysInMonth(2, 2000), DaysInMonth(2, 2100),
                              DaysInMonth(13, 2014)};
        QCOMPARE(days, (QList<int>{30, 29, 29, 28, 0}));
    }

    void layout_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        // Rows 1 to 6 as "week: Mon Tue Wed Thu Fri Sat Sun", "." for an empty cell.
        QTest::addColumn<QString>("rows");
        QTest::newRow("March 2014") << 3 << 2014
                                    << "9: . . . . . 1 2 | 10: 3 4 5 6 7 8 9 | 11: 10 11 12 13 14 15 16 | "
                                       "12: 17 18 19 20 21 22 23 | 13: 24 25 26 27 28 29 30 | 14: 31 . . . . . .";
        QTest::newRow("February 2010") << 2 << 2010
                                       << "6: 1 2 3 4 5 6 7 | 7: 8 9 10 11 12 13 14 | 8: 15 16 17 18 19 20 21 | "
                                          "9: 22 23 24 25 26 27 28 | .: . . . . . . . | .: . . . . . . .";
        QTest::newRow("March 2015") << 3 << 2015
                                    << "9: . . . . . . 1 | 10: 2 3 4 5 6 7 8 | 11: 9 10 11 12 13 14 15 | "
                                       "12: 16 17 18 19 20 21 22 | 13: 23 24 25 26 27 28 29 | 14: 30 31 . . . . .";
        QTest::newRow("December 2012") << 12 << 2012
                                       << "49: . . . . . 1 2 | 50: 3 4 5 6 7 8 9 | 51: 10 11 12 13 14 15 16 | "
                                          "52: 17 18 19 20 21 22 23 | 53: 24 25 26 27 28 29 30 | 54: 31 . . . . . .";
    }
    void layout()
    {
        QFETCH(int, month);
        QFETCH(int, year);
        MonthLayout grid;
        QString error;
        QVERIFY(LayOutMonth(month, year, QDate(2014, 3, 20), &grid, &error));
        QStringList rows;
        for (int r = 1; r < kCalendarRows; ++r) {
            QStringList cells;
            for (int c = 0; c < kCalendarColumns; ++c)
                cells << (grid.text[r][c].isEmpty() ? QStringLiteral(".") : grid.text[r][c]);
            rows << cells.first() + QStringLiteral(": ") + cells.mid(1).join(QLatin1Char(' '));
        }
        QTEST(rows.join(QStringLiteral(" | ")), "rows");
        QCOMPARE(grid.hasToday, month == 3 && year == 2014);
    }
};

QV_REGISTER_TEST(DateTextTest)
#include "DateText_test.moc"
