#include "TestHelpers.h"
#include "TestRegistry.h"

#include "WindowTestHelpers.h"
#include "app/UserInterface.h"
#include "dates/frmCalQV.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class frmCalQVTest : public QObject
{
    Q_OBJECT

    frmCalQV *cal = nullptr;
    RecordingUserInterface rec;

    void click(int row, int column, bool twice = false)
    {
        const QPoint centre = cal->flx->visualItemRect(cal->flx->item(row, column)).center();
        QTest::mouseClick(cal->flx->viewport(), Qt::LeftButton, {}, centre);
        if (twice)
            QTest::mouseDClick(cal->flx->viewport(), Qt::LeftButton, {}, centre);
    }

private slots:
    void init()
    {
        FixedClock::set(QDateTime(QDate(2014, 3, 20), QTime(10, 0)));
        InstallUserInterface(&rec);
        cal = frmCalQV::instance();
        cal->setSelDate(QStringLiteral("05/03/2014"));
        SHOW_ACTIVE(cal);
    }
    void cleanup()
    {
        cal->hide();
        QVERIFY(rec.messages.isEmpty());
        InstallUserInterface(nullptr);
        FixedClock::reset();
    }

    void todayMonthsAndYears()
    {
        FOCUS(cal->cmbMonth);
        QTest::keyClick(cal->cmbMonth, Qt::Key_Down);
        QCOMPARE(cal->flx->item(1, 2)->text(), QStringLiteral("1")); // April starts on a Tuesday
        QCOMPARE(cal->lblDate->text(), QStringLiteral("05/03/2014")); // a new month selects nothing
        cal->setSelDate(QStringLiteral("31/12/2012"));
        QCOMPARE(cal->cmbMonth->currentText(), QStringLiteral("December"));
        QTest::mouseClick(cal->cmdToday, Qt::LeftButton);
        QVERIFY(cal->isVisible());
        QCOMPARE(cal->SelDate(), QStringLiteral("20/03/2014"));

        // Years stay within 1900 to 2099, by the buttons and by the arrow keys.
        cal->setSelDate(QStringLiteral("01/06/2099"));
        QTest::mouseClick(cal->cmdUp, Qt::LeftButton);
        QCOMPARE(cal->shownYear(), 2099);
        cal->setSelDate(QStringLiteral("01/06/1901"));
        FOCUS(cal->txtYear);
        QTest::keyClick(cal->txtYear, Qt::Key_Down);
        QTest::keyClick(cal->txtYear, Qt::Key_Down);
        QCOMPARE(cal->txtYear->text(), QStringLiteral("1900"));
        QCOMPARE(cal->shownYear(), 1900);
    }

    void yearBox()
    {
        QLineEdit *box = cal->txtYear;
        FOCUS(box);
        QTest::keyClicks(box, QStringLiteral("2a0-1 9")); // only digits, "." and Backspace get in
        QCOMPARE(box->text(), QStringLiteral("2019"));
        QCOMPARE(cal->flx->item(1, 5)->text(), QStringLiteral("1")); // 1 March 2019, a Friday
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Tab);
        QVERIFY(box->hasFocus()); // three digits are no year
        box->clear();
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(box->text(), QStringLiteral("2014")); // an emptied box gets this year back
        QVERIFY(cal->cmdClose->hasFocus());

        // Close leaves even from a box that may not be left, clicked as the window system does.
        FOCUS(box);
        box->setText(QStringLiteral("0"));
        QTest::mouseClick(cal->windowHandle(), Qt::LeftButton, {}, cal->cmdClose->geometry().center());
        QVERIFY(!cal->isVisible());
        QVERIFY(!cal->OkClicked());
    }

    void cellMoves()
    {
        click(4, 2);
        // Empty cells, day names and week numbers are refused, by mouse and by keys.
        for (const QPoint &cell : {QPoint(1, 1), QPoint(3, 6), QPoint(3, 0), QPoint(0, 3)})
            click(cell.y(), cell.x());
        QCOMPARE(cal->lblDate->text(), QStringLiteral("18/03/2014"));
        click(6, 1);
        QVERIFY(!cal->flx->item(4, 2)->font().bold());
        QVERIFY(cal->flx->item(6, 1)->font().bold());
        QTest::keyClick(cal->flx, Qt::Key_Right);
        QTest::keyClick(cal->flx, Qt::Key_Down);
        QCOMPARE(cal->lblDate->text(), QStringLiteral("31/03/2014"));
        QTest::keyClick(cal->flx, Qt::Key_Up);
        QCOMPARE(cal->lblDate->text(), QStringLiteral("24/03/2014"));

        // After a change of month, a click on the current cell selects the day it now holds.
        cal->cmbMonth->setCurrentIndex(3);
        click(5, 1);
        QCOMPARE(cal->lblDate->text(), QStringLiteral("28/04/2014"));
    }

    void acceptAndClose()
    {
        FOCUS(cal->flx);
        QTest::keyClick(cal->flx, Qt::Key_Return);
        QVERIFY(!cal->isVisible());
        QVERIFY(cal->OkClicked());
        cal->show();
        QTest::keyClick(cal->cmbMonth, Qt::Key_Escape);
        QVERIFY(!cal->isVisible());
        QVERIFY(!cal->OkClicked()); // each showing reports only its own pick

        // A double click on an empty cell accepts the date already selected.
        cal->show();
        click(6, 7, true);
        QVERIFY(!cal->isVisible());
        QVERIFY(cal->OkClicked());
        QCOMPARE(cal->SelDate(), QStringLiteral("05/03/2014"));
    }
};

QV_REGISTER_TEST(frmCalQVTest)
#include "frmCalQV_test.moc"
