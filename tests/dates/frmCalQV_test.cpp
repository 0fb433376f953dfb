#include "TestRegistry.h"

#include "app/Clock.h"
#include "app/UserInterface.h"
#include "dates/frmCalQV.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QColor kTodayCell(192, 192, 255);

// Rows 1 to 6 as "week: Mon ... Sun", "." for an empty cell.
QStringList gridRows(QTableWidget *grid)
{
    QStringList rows;
    for (int r = 1; r < 7; ++r) {
        QStringList cells;
        for (int c = 0; c < 8; ++c) {
            const QString text = grid->item(r, c) ? grid->item(r, c)->text() : QString();
            cells << (text.isEmpty() ? QStringLiteral(".") : text);
        }
        rows << cells.first() + QStringLiteral(": ") + cells.mid(1).join(QLatin1Char(' '));
    }
    return rows;
}

QList<QPoint> highlighted(QTableWidget *grid)
{
    QList<QPoint> cells;
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (grid->item(r, c) && grid->item(r, c)->background().color() == kTodayCell
                && grid->item(r, c)->background().style() != Qt::NoBrush)
                cells << QPoint(c, r);
    return cells;
}

QList<QPoint> boldCells(QTableWidget *grid)
{
    QList<QPoint> cells;
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (grid->item(r, c) && grid->item(r, c)->font().bold())
                cells << QPoint(c, r);
    return cells;
}

void clickCell(frmCalQV *calendar, int row, int column)
{
    const QPoint centre = calendar->flx->visualItemRect(calendar->flx->item(row, column)).center();
    QTest::mouseClick(calendar->flx->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class frmCalQVTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void monthLayout_data();
    void monthLayout();
    void todayHighlightOnlyInTodaysMonth();
    void yearBounds_data();
    void yearBounds();
    void yearBox();
    void cellMoves();
    void clickOnCurrentCellAfterMonthChange();
    void todayButton();
    void acceptAndClose();
    void keepsItsDateBetweenShowings();

private:
    frmCalQV *m_calendar = nullptr;
    RecordingUserInterface m_recorder;
};

void frmCalQVTest::init()
{
    Clock::setNow(QDateTime(QDate(2014, 3, 20), QTime(10, 0)));
    installUserInterface(&m_recorder);
    m_recorder.clear();
    m_calendar = frmCalQV::instance();
    m_calendar->setSelDate(QStringLiteral("05/03/2014"));
    m_calendar->show();
    QApplication::setActiveWindow(m_calendar);
    QVERIFY(QTest::qWaitForWindowActive(m_calendar));
}

void frmCalQVTest::cleanup()
{
    m_calendar->hide();
    QVERIFY(m_recorder.messages.isEmpty());
    installUserInterface(nullptr);
    Clock::reset();
}

void frmCalQVTest::monthLayout_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QPoint>("selected"); // column, row

    QTest::newRow("March 2014") << "01/03/2014"
                                << QStringList{"9: . . . . . 1 2",        "10: 3 4 5 6 7 8 9",
                                               "11: 10 11 12 13 14 15 16", "12: 17 18 19 20 21 22 23",
                                               "13: 24 25 26 27 28 29 30", "14: 31 . . . . . ."}
                                << QPoint(6, 1);
    QTest::newRow("February 2010") << "28/02/2010"
                                   << QStringList{"6: 1 2 3 4 5 6 7",        "7: 8 9 10 11 12 13 14",
                                                  "8: 15 16 17 18 19 20 21", "9: 22 23 24 25 26 27 28",
                                                  ".: . . . . . . .",        ".: . . . . . . ."}
                                   << QPoint(7, 4);
    QTest::newRow("March 2015") << "31/03/2015"
                                << QStringList{"9: . . . . . . 1",        "10: 2 3 4 5 6 7 8",
                                               "11: 9 10 11 12 13 14 15",  "12: 16 17 18 19 20 21 22",
                                               "13: 23 24 25 26 27 28 29", "14: 30 31 . . . . ."}
                                << QPoint(2, 6);
    QTest::newRow("December 2012") << "31/12/2012"
                                   << QStringList{"49: . . . . . 1 2",        "50: 3 4 5 6 7 8 9",
                                                  "51: 10 11 12 13 14 15 16", "52: 17 18 19 20 21 22 23",
                                                  "53: 24 25 26 27 28 29 30", "54: 31 . . . . . ."}
                                   << QPoint(1, 6);
}

void frmCalQVTest::monthLayout()
{
    QFETCH(QString, date);
    QFETCH(QStringList, rows);
    QFETCH(QPoint, selected);

    m_calendar->setSelDate(date);
    QCOMPARE(gridRows(m_calendar->flx), rows);
    QStringList header;
    for (int c = 0; c < 8; ++c)
        header << m_calendar->flx->item(0, c)->text();
    QCOMPARE(header.join(QLatin1Char(',')), QStringLiteral(",Mon,Tue,Wed,Thu,Fri,Sat,Sun"));
    QCOMPARE(m_calendar->lblDate->text(), date);
    QCOMPARE(m_calendar->SelDate(), date);
    QCOMPARE(m_calendar->cmbMonth->currentData().toInt(), date.mid(3, 2).toInt());
    QCOMPARE(m_calendar->txtYear->text(), date.right(4));
    QCOMPARE(boldCells(m_calendar->flx), QList<QPoint>{selected});
    QCOMPARE(QPoint(m_calendar->flx->currentColumn(), m_calendar->flx->currentRow()), selected);
}

void frmCalQVTest::todayHighlightOnlyInTodaysMonth()
{
    // 20 March 2014 is the Thursday of the fourth week.
    QCOMPARE(highlighted(m_calendar->flx), QList<QPoint>{QPoint(4, 4)});

    m_calendar->cmbMonth->setFocus();
    QTRY_VERIFY(m_calendar->cmbMonth->hasFocus());
    QTest::keyClick(m_calendar->cmbMonth, Qt::Key_Down);
    QCOMPARE(m_calendar->cmbMonth->currentText(), QStringLiteral("April"));
    QCOMPARE(m_calendar->flx->item(1, 2)->text(), QStringLiteral("1"));
    QVERIFY(highlighted(m_calendar->flx).isEmpty());
    // A change of month leaves the selected date alone.
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("05/03/2014"));

    QTest::keyClick(m_calendar->cmbMonth, Qt::Key_Up);
    QCOMPARE(highlighted(m_calendar->flx), QList<QPoint>{QPoint(4, 4)});

    QTest::mouseClick(m_calendar->cmdUp, Qt::LeftButton);
    QCOMPARE(m_calendar->txtYear->text(), QStringLiteral("2015"));
    QVERIFY(highlighted(m_calendar->flx).isEmpty());
}

void frmCalQVTest::yearBounds_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("year");

    QTest::newRow("+ from 2098") << "01/06/2098" << "+" << "2099";
    QTest::newRow("+ from 2099") << "01/06/2099" << "+" << "2099";
    QTest::newRow("Up from 2099") << "01/06/2099" << "Up" << "2099";
    QTest::newRow("- from 1901") << "01/06/1901" << "-" << "1900";
    QTest::newRow("- from 1900") << "01/06/1900" << "-" << "1900";
    QTest::newRow("Down from 1900") << "01/06/1900" << "Down" << "1900";
    QTest::newRow("Down from 2014") << "01/06/2014" << "Down" << "2013";
}

void frmCalQVTest::yearBounds()
{
    QFETCH(QString, date);
    QFETCH(QString, action);
    QFETCH(QString, year);

    m_calendar->setSelDate(date);
    if (action == QLatin1String("+")) {
        QTest::mouseClick(m_calendar->cmdUp, Qt::LeftButton);
    } else if (action == QLatin1String("-")) {
        QTest::mouseClick(m_calendar->cmdDown, Qt::LeftButton);
    } else {
        m_calendar->txtYear->setFocus();
        QTRY_VERIFY(m_calendar->txtYear->hasFocus());
        QTest::keyClick(m_calendar->txtYear, action == QLatin1String("Up") ? Qt::Key_Up : Qt::Key_Down);
    }
    QCOMPARE(m_calendar->txtYear->text(), year);
    QCOMPARE(m_calendar->shownYear(), year.toInt());
}

void frmCalQVTest::yearBox()
{
    QLineEdit *box = m_calendar->txtYear;
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    QCOMPARE(box->selectedText(), QStringLiteral("2014"));

    // Only digits, "." and Backspace reach the box; typing shows each year as it grows.
    QTest::keyClicks(box, QStringLiteral("2a0-1 9"));
    QCOMPARE(box->text(), QStringLiteral("2019"));
    QCOMPARE(m_calendar->flx->item(1, 5)->text(), QStringLiteral("1")); // 1 March 2019, a Friday

    // Three digits keep the focus; Close still leaves.
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(box->hasFocus());

    // An emptied box is refilled with this year on the way out.
    box->clear();
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(box->text(), QStringLiteral("2014"));
    QVERIFY(m_calendar->cmdClose->hasFocus());

    // A leading 0 is no year yet: the grid stays and nothing is reported.
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("0"));
    QCOMPARE(gridRows(m_calendar->flx).first(), QStringLiteral("9: . . . . . 1 2"));

    QTest::mouseClick(m_calendar->cmdClose, Qt::LeftButton);
    QVERIFY(!m_calendar->isVisible());
    QVERIFY(!m_calendar->OkClicked());
}

void frmCalQVTest::cellMoves()
{
    QCOMPARE(boldCells(m_calendar->flx), QList<QPoint>{QPoint(3, 2)});

    clickCell(m_calendar, 4, 2);
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("18/03/2014"));
    QCOMPARE(boldCells(m_calendar->flx), QList<QPoint>{QPoint(2, 4)});

    // Empty cells, the day names and the week numbers are refused.
    for (const QPoint &cell : {QPoint(1, 1), QPoint(3, 6), QPoint(3, 0), QPoint(0, 3)}) {
        clickCell(m_calendar, cell.y(), cell.x());
        QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("18/03/2014"));
        QCOMPARE(QPoint(m_calendar->flx->currentColumn(), m_calendar->flx->currentRow()), QPoint(2, 4));
    }

    // Arrow keys move the same way: 31 March has no neighbours but the 24th above it.
    clickCell(m_calendar, 6, 1);
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("31/03/2014"));
    QTest::keyClick(m_calendar->flx, Qt::Key_Right);
    QTest::keyClick(m_calendar->flx, Qt::Key_Left);
    QTest::keyClick(m_calendar->flx, Qt::Key_Down);
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("31/03/2014"));
    QTest::keyClick(m_calendar->flx, Qt::Key_Up);
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("24/03/2014"));
    QCOMPARE(boldCells(m_calendar->flx), QList<QPoint>{QPoint(1, 5)});
}

void frmCalQVTest::clickOnCurrentCellAfterMonthChange()
{
    clickCell(m_calendar, 4, 2); // 18 March
    m_calendar->cmbMonth->setCurrentIndex(3); // April
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("18/03/2014"));
    QVERIFY(boldCells(m_calendar->flx).isEmpty());

    // The same cell now holds 22 April; clicking it selects that day.
    clickCell(m_calendar, 4, 2);
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("22/04/2014"));
    QCOMPARE(boldCells(m_calendar->flx), QList<QPoint>{QPoint(2, 4)});
}

void frmCalQVTest::todayButton()
{
    QCOMPARE(m_calendar->cmdToday->text(), QStringLiteral("20/03/2014"));
    m_calendar->setSelDate(QStringLiteral("07/06/2015"));
    QTest::mouseClick(m_calendar->cmdToday, Qt::LeftButton);
    QVERIFY(m_calendar->isVisible());
    QCOMPARE(m_calendar->SelDate(), QStringLiteral("20/03/2014"));
    QCOMPARE(m_calendar->cmbMonth->currentText(), QStringLiteral("March"));
    QCOMPARE(m_calendar->txtYear->text(), QStringLiteral("2014"));
    QCOMPARE(boldCells(m_calendar->flx), QList<QPoint>{QPoint(4, 4)});
}

void frmCalQVTest::acceptAndClose()
{
    // Enter in the grid accepts the selected date.
    m_calendar->flx->setFocus();
    QTRY_VERIFY(m_calendar->flx->hasFocus());
    QTest::keyClick(m_calendar->flx, Qt::Key_Return);
    QVERIFY(!m_calendar->isVisible());
    QVERIFY(m_calendar->OkClicked());
    QCOMPARE(m_calendar->SelDate(), QStringLiteral("05/03/2014"));

    // Esc leaves without a pick.
    m_calendar->show();
    QVERIFY(!m_calendar->OkClicked());
    QTest::keyClick(m_calendar->cmbMonth, Qt::Key_Escape);
    QVERIFY(!m_calendar->isVisible());
    QVERIFY(!m_calendar->OkClicked());

    // A double click on an empty cell accepts the date already selected.
    m_calendar->show();
    const QPoint empty = m_calendar->flx->visualItemRect(m_calendar->flx->item(6, 7)).center();
    QTest::mouseClick(m_calendar->flx->viewport(), Qt::LeftButton, {}, empty);
    QTest::mouseDClick(m_calendar->flx->viewport(), Qt::LeftButton, {}, empty);
    QVERIFY(!m_calendar->isVisible());
    QVERIFY(m_calendar->OkClicked());
    QCOMPARE(m_calendar->SelDate(), QStringLiteral("05/03/2014"));
}

void frmCalQVTest::keepsItsDateBetweenShowings()
{
    QVERIFY(frmCalQV::instance() == m_calendar);
    clickCell(m_calendar, 4, 2);
    m_calendar->hide();
    QCOMPARE(m_calendar->SelDate(), QStringLiteral("18/03/2014"));

    m_calendar->show();
    QApplication::setActiveWindow(m_calendar);
    QVERIFY(QTest::qWaitForWindowActive(m_calendar));
    QCOMPARE(m_calendar->lblDate->text(), QStringLiteral("18/03/2014"));
    QCOMPARE(boldCells(m_calendar->flx), QList<QPoint>{QPoint(2, 4)});
    QTRY_VERIFY(m_calendar->cmbMonth->hasFocus());

    // A text that is no date changes nothing.
    m_calendar->setSelDate(QStringLiteral("18032014"));
    QCOMPARE(m_calendar->SelDate(), QStringLiteral("18/03/2014"));
}

QV_REGISTER_TEST(frmCalQVTest)
#include "frmCalQV_test.moc"
