#include "TestRegistry.h"

#include "DatesTestSupport.h"
#include "app/Clock.h"
#include "app/UserInterface.h"
#include "dates/frmCalQV.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The bold cells, or those with today's colour, as (column, row).
QList<QPoint> marked(QTableWidget *grid, bool todayColour = false)
{
    QList<QPoint> cells;
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < grid->columnCount(); ++c) {
            const QTableWidgetItem *i = grid->item(r, c);
            if (todayColour ? i->background().style() != Qt::NoBrush && i->background().color() == QColor(192, 192, 255)
                            : i->font().bold())
                cells << QPoint(c, r);
        }
    }
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
    void todayHighlightOnlyInTodaysMonth();
    void yearBounds_data();
    void yearBounds();
    void yearBox();
    void cellMoves();
    void acceptAndClose();

private:
    frmCalQV *cal = nullptr;
    RecordingUserInterface m_recorder;
};

void frmCalQVTest::init()
{
    Clock::setNow(QDateTime(QDate(2014, 3, 20), QTime(10, 0)));
    installUserInterface(&m_recorder);
    cal = frmCalQV::instance();
    cal->setSelDate(QStringLiteral("05/03/2014"));
    SHOW_ACTIVE(cal);
}

void frmCalQVTest::cleanup()
{
    cal->hide();
    QVERIFY(m_recorder.messages.isEmpty()); // the calendar has nothing to report here
    installUserInterface(nullptr);
    Clock::reset();
}

void frmCalQVTest::todayHighlightOnlyInTodaysMonth()
{
    QCOMPARE(marked(cal->flx, true), QList<QPoint>{QPoint(4, 4)}); // Thursday 20 March
    FOCUS(cal->cmbMonth);
    QTest::keyClick(cal->cmbMonth, Qt::Key_Down);
    QCOMPARE(cal->flx->item(1, 2)->text(), QStringLiteral("1")); // April starts on a Tuesday
    QVERIFY(marked(cal->flx, true).isEmpty());
    QCOMPARE(cal->lblDate->text(), QStringLiteral("05/03/2014")); // a new month selects nothing

    QTest::keyClick(cal->cmbMonth, Qt::Key_Up);
    QCOMPARE(marked(cal->flx, true), QList<QPoint>{QPoint(4, 4)});
    QTest::mouseClick(cal->cmdUp, Qt::LeftButton);
    QVERIFY(marked(cal->flx, true).isEmpty());

    cal->setSelDate(QStringLiteral("31/12/2012"));
    QCOMPARE(cal->cmbMonth->currentText(), QStringLiteral("December"));
    QCOMPARE(cal->txtYear->text(), QStringLiteral("2012"));
    QCOMPARE(cal->flx->item(6, 0)->text(), QStringLiteral("54"));
    QCOMPARE(cal->lblDate->text(), QStringLiteral("31/12/2012"));
    QCOMPARE(marked(cal->flx), QList<QPoint>{QPoint(1, 6)});
    QCOMPARE(cal->cmdToday->text(), QStringLiteral("20/03/2014"));
    QTest::mouseClick(cal->cmdToday, Qt::LeftButton);
    QVERIFY(cal->isVisible());
    QCOMPARE(cal->SelDate(), QStringLiteral("20/03/2014"));
    QCOMPARE(marked(cal->flx), QList<QPoint>{QPoint(4, 4)});
}

void frmCalQVTest::yearBounds_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("year");

    QTest::newRow("+ from 2099") << "01/06/2099" << "+" << "2099";
    QTest::newRow("Up from 2099") << "01/06/2099" << "Up" << "2099";
    QTest::newRow("- from 1900") << "01/06/1900" << "-" << "1900";
    QTest::newRow("Down from 1900") << "01/06/1900" << "Down" << "1900";
    QTest::newRow("Down from 1901") << "01/06/1901" << "Down" << "1900";
}

void frmCalQVTest::yearBounds()
{
    QFETCH(QString, date);
    QFETCH(QString, action);
    QFETCH(QString, year);

    cal->setSelDate(date);
    if (action == QLatin1String("+") || action == QLatin1String("-")) {
        QTest::mouseClick(action == QLatin1String("+") ? cal->cmdUp : cal->cmdDown, Qt::LeftButton);
    } else {
        FOCUS(cal->txtYear);
        QTest::keyClick(cal->txtYear, action == QLatin1String("Up") ? Qt::Key_Up : Qt::Key_Down);
    }
    QCOMPARE(cal->txtYear->text(), year);
    QCOMPARE(cal->shownYear(), year.toInt());
}

void frmCalQVTest::yearBox()
{
    QLineEdit *box = cal->txtYear;
    FOCUS(box);
    QTest::keyClicks(box, QStringLiteral("2a0-1 9")); // only digits, "." and Backspace get in
    QCOMPARE(box->text(), QStringLiteral("2019"));
    QCOMPARE(cal->flx->item(1, 5)->text(), QStringLiteral("1")); // 1 March 2019, a Friday

    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(box->hasFocus()); // three characters keep the focus
    box->clear();
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(box->text(), QStringLiteral("2014")); // an emptied box gets this year back
    QVERIFY(cal->cmdClose->hasFocus());

    // Close leaves even from a box that may not be left.
    FOCUS(box);
    QTest::keyClicks(box, QStringLiteral("0"));
    QTest::mouseClick(cal->cmdClose, Qt::LeftButton);
    QVERIFY(!cal->isVisible());
    QVERIFY(!cal->OkClicked());
}

void frmCalQVTest::cellMoves()
{
    clickCell(cal, 4, 2);
    QCOMPARE(cal->lblDate->text(), QStringLiteral("18/03/2014"));
    QCOMPARE(marked(cal->flx), QList<QPoint>{QPoint(2, 4)});
    // Empty cells, day names and week numbers are refused, by mouse and by keys.
    for (const QPoint &cell : {QPoint(1, 1), QPoint(3, 6), QPoint(3, 0), QPoint(0, 3)})
        clickCell(cal, cell.y(), cell.x());
    clickCell(cal, 6, 1);
    QTest::keyClick(cal->flx, Qt::Key_Right);
    QTest::keyClick(cal->flx, Qt::Key_Down);
    QCOMPARE(cal->lblDate->text(), QStringLiteral("31/03/2014"));
    QTest::keyClick(cal->flx, Qt::Key_Up);
    QCOMPARE(cal->lblDate->text(), QStringLiteral("24/03/2014"));
    QCOMPARE(marked(cal->flx), QList<QPoint>{QPoint(1, 5)});

    // After a change of month, a click on the current cell selects the day it now holds.
    cal->cmbMonth->setCurrentIndex(3);
    QVERIFY(marked(cal->flx).isEmpty());
    clickCell(cal, 5, 1);
    QCOMPARE(cal->lblDate->text(), QStringLiteral("28/04/2014"));
}

void frmCalQVTest::acceptAndClose()
{
    FOCUS(cal->flx);
    QTest::keyClick(cal->flx, Qt::Key_Return);
    QVERIFY(!cal->isVisible());
    QVERIFY(cal->OkClicked());

    cal->show();
    QVERIFY(!cal->OkClicked());
    QCOMPARE(cal->lblDate->text(), QStringLiteral("05/03/2014")); // kept between showings
    QTest::keyClick(cal->cmbMonth, Qt::Key_Escape);
    QVERIFY(!cal->isVisible());
    QVERIFY(!cal->OkClicked());

    // A double click on an empty cell accepts the date already selected.
    cal->show();
    const QPoint empty = cal->flx->visualItemRect(cal->flx->item(6, 7)).center();
    QTest::mouseClick(cal->flx->viewport(), Qt::LeftButton, {}, empty);
    QTest::mouseDClick(cal->flx->viewport(), Qt::LeftButton, {}, empty);
    QVERIFY(!cal->isVisible());
    QVERIFY(cal->OkClicked());
    QCOMPARE(cal->SelDate(), QStringLiteral("05/03/2014"));
}

QV_REGISTER_TEST(frmCalQVTest)
#include "frmCalQV_test.moc"
