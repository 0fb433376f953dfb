#include "TestRegistry.h"

#include "ModalHelper.h"
#include "app/Clock.h"
#include "dates/GuiKeyboard.h"
#include "dates/frmCalQV.h"
#include "dates/ucDate.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct DateForm
{
    QWidget window;
    QLineEdit *before;
    ucDate *ucDt;
    QLineEdit *after;
    QPushButton *cmdGo;
    int goClicks = 0;

    DateForm()
    {
        auto *layout = new QVBoxLayout(&window);
        before = new QLineEdit(&window);
        before->setObjectName(QStringLiteral("before"));
        ucDt = new ucDate(&window);
        ucDt->setObjectName(QStringLiteral("ucDt"));
        after = new QLineEdit(&window);
        after->setObjectName(QStringLiteral("after"));
        cmdGo = new QPushButton(QStringLiteral("Go"), &window);
        cmdGo->setObjectName(QStringLiteral("cmdGo"));
        QObject::connect(cmdGo, &QPushButton::clicked, [this] { ++goClicks; });
        for (QWidget *w : {static_cast<QWidget *>(before), static_cast<QWidget *>(ucDt),
                           static_cast<QWidget *>(after), static_cast<QWidget *>(cmdGo)})
            layout->addWidget(w);
        new GuiKeyPreview(&window);
    }

    QLineEdit *box() const { return ucDt->txtDate; }
};

QString focusName()
{
    QWidget *f = QApplication::focusWidget();
    return f ? f->objectName() : QStringLiteral("(none)");
}

#define SHOW_FORM(form)                                                                                          \
    (form).window.show();                                                                                        \
    QApplication::setActiveWindow(&(form).window);                                                               \
    QVERIFY(QTest::qWaitForWindowActive(&(form).window))

#define FOCUS(widget)                                                                                            \
    (widget)->setFocus(Qt::TabFocusReason);                                                                      \
    QTRY_VERIFY((widget)->hasFocus())

} // namespace

class ucDateTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNow(QDateTime(QDate(2014, 3, 20), QTime(10, 0))); }
    void cleanup() { Clock::reset(); }
    void focusInAndOut();
    void typing_data();
    void typing();
    void leaving_data();
    void leaving();
    void paste_data();
    void paste();
    void setText_data();
    void setText();
    void lockedOpensNoCalendar();
    void escapeLeavesBoxUnchanged();
    void pickFillsBoxAndMovesOn();
    void resizeKeepsButtonWidth();
};

void ucDateTest::focusInAndOut()
{
    DateForm form;
    form.ucDt->setText(QStringLiteral("05/03/2014"));
    SHOW_FORM(form);
    FOCUS(form.before);

    QTest::keyClick(form.before, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("txtDate"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05032014"));
    QCOMPARE(form.box()->selectedText(), QStringLiteral("05032014"));

    QTest::keyClick(form.box(), Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("after"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05/03/2014"));

    QTest::keyClick(form.after, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusName(), QStringLiteral("txtDate"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05032014"));
}

void ucDateTest::typing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");

    QTest::newRow("eight digits") << "15032014" << "15032014";
    QTest::newRow("ninth digit refused") << "150320141" << "15032014";
    QTest::newRow("letters refused") << "1a5B" << "15";
    QTest::newRow("separators and blanks refused") << "1/5-0 4." << "1504";
}

void ucDateTest::typing()
{
    QFETCH(QString, typed);
    QFETCH(QString, text);

    DateForm form;
    SHOW_FORM(form);
    FOCUS(form.box());
    QTest::keyClicks(form.box(), typed);
    QCOMPARE(form.box()->text(), text);

    QTest::keyClick(form.box(), Qt::Key_Backspace);
    QCOMPARE(form.box()->text(), text.chopped(1));

    // With text selected a digit replaces the selection, even at eight digits.
    form.box()->setText(QStringLiteral("15032014"));
    QTest::keyClick(form.box(), Qt::Key_Home);
    QTest::keyClick(form.box(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(form.box(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(form.box(), QStringLiteral("2"));
    QCOMPARE(form.box()->text(), QStringLiteral("2032014"));
}

void ucDateTest::leaving_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("left");
    QTest::addColumn<QString>("text");

    QTest::newRow("valid, Tab") << "1504" << "tab" << true << "15/04/2014";
    QTest::newRow("valid, Enter") << "150499" << "enter" << true << "15/04/2099";
    QTest::newRow("valid, button") << "15" << "button" << true << "15/03/2014";
    QTest::newRow("empty, Tab") << "" << "tab" << true << "";
    QTest::newRow("31 April, Tab") << "3104" << "tab" << false << "3104";
    QTest::newRow("31 April, Shift+Tab") << "3104" << "backtab" << false << "3104";
    QTest::newRow("31 April, Enter") << "3104" << "enter" << false << "3104";
    QTest::newRow("31 April, click in a box") << "3104" << "click" << false << "3104";
    QTest::newRow("month 13, button") << "1513" << "button" << false << "1513";
    QTest::newRow("month 13, button through the window") << "1513" << "window" << false << "1513";
    QTest::newRow("valid, button through the window") << "0104" << "window" << true << "01/04/2014";
    QTest::newRow("29 February 2014, set by program") << "290214" << "program" << false << "290214";
    QTest::newRow("one digit, Tab") << "1" << "tab" << false << "1";
}

void ucDateTest::leaving()
{
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(bool, left);
    QFETCH(QString, text);

    DateForm form;
    SHOW_FORM(form);
    FOCUS(form.box());
    QTest::keyClicks(form.box(), typed);

    if (how == QLatin1String("tab"))
        QTest::keyClick(form.box(), Qt::Key_Tab);
    else if (how == QLatin1String("backtab"))
        QTest::keyClick(form.box(), Qt::Key_Backtab, Qt::ShiftModifier);
    else if (how == QLatin1String("enter"))
        QTest::keyClick(form.box(), Qt::Key_Return);
    else if (how == QLatin1String("click"))
        QTest::mouseClick(form.after, Qt::LeftButton);
    else if (how == QLatin1String("button"))
        QTest::mouseClick(form.cmdGo, Qt::LeftButton);
    else if (how == QLatin1String("window"))
        QTest::mouseClick(form.window.windowHandle(), Qt::LeftButton, {},
                          form.cmdGo->mapTo(&form.window, form.cmdGo->rect().center()));
    else
        form.after->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);

    QCOMPARE(form.ucDt->Text(), text);
    if (!left) {
        QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
        QCOMPARE(form.goClicks, 0);
        // Once the date is put right the box can be left.
        form.box()->clear();
        QTest::keyClicks(form.box(), QStringLiteral("1504"));
        QTest::keyClick(form.box(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("after"));
        QCOMPARE(form.ucDt->Text(), QStringLiteral("15/04/2014"));
    } else {
        QVERIFY(focusName() != QLatin1String("txtDate"));
        const bool button = how == QLatin1String("button") || how == QLatin1String("window");
        QCOMPARE(form.goClicks, button ? 1 : 0);
    }
}

void ucDateTest::paste_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("left");
    QTest::addColumn<QString>("text");

    QTest::newRow("canonical text") << "15/03/2013" << true << "15/03/2013";
    QTest::newRow("digits") << "150314" << true << "15/03/2014";
    QTest::newRow("dashes") << "15-03-2014" << false << "15-03-2014";
    QTest::newRow("31 April") << "31/04/2014" << false << "31/04/2014";
    QTest::newRow("words") << "today" << false << "today";
}

void ucDateTest::paste()
{
    QFETCH(QString, clipboard);
    QFETCH(bool, left);
    QFETCH(QString, text);

    DateForm form;
    SHOW_FORM(form);
    FOCUS(form.box());
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::keyClick(form.box(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.box()->text(), clipboard);

    QTest::keyClick(form.box(), Qt::Key_Tab);
    QCOMPARE(form.ucDt->Text(), text);
    QCOMPARE(focusName(), left ? QStringLiteral("after") : QStringLiteral("txtDate"));
}

void ucDateTest::setText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("today") << QVariant(QDate(2014, 3, 20)) << "20/03/2014";
    QTest::newRow("date and time") << QVariant(QDateTime(QDate(2014, 3, 5), QTime(13, 0))) << "05/03/2014";
    QTest::newRow("day-first text") << QVariant(QStringLiteral("5/3/2014")) << "05/03/2014";
    QTest::newRow("ISO text") << QVariant(QStringLiteral("2014-03-05")) << "05/03/2014";
    QTest::newRow("empty") << QVariant(QString()) << "";
    QTest::newRow("not a date keeps the box") << QVariant(QStringLiteral("soon")) << "01/01/2000";
    QTest::newRow("31 April keeps the box") << QVariant(QStringLiteral("31/04/2014")) << "01/01/2000";
}

void ucDateTest::setText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);

    ucDate control;
    control.setText(QStringLiteral("01/01/2000"));
    control.setText(value);
    QCOMPARE(control.Text(), text);
    QCOMPARE(control.property("Text").toString(), text);
}

void ucDateTest::lockedOpensNoCalendar()
{
    DateForm form;
    form.ucDt->setText(QStringLiteral("05/03/2014"));
    form.ucDt->setProperty("Locked", true);
    QVERIFY(form.ucDt->Locked());
    SHOW_FORM(form);
    FOCUS(form.box());

    bool opened = true;
    OnModal([](QDialog *) {}, &opened, 300);
    QTest::keyClick(form.box(), Qt::Key_F2);
    QTest::mouseClick(form.ucDt->cmdCal, Qt::LeftButton);
    QTest::qWait(400);
    QVERIFY(!opened);

    QTest::keyClicks(form.box(), QStringLiteral("1"));
    QCOMPARE(form.box()->text(), QStringLiteral("05032014"));
    QTest::keyClick(form.box(), Qt::Key_Tab);
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05/03/2014"));
}

void ucDateTest::escapeLeavesBoxUnchanged()
{
    DateForm form;
    form.ucDt->setText(QStringLiteral("05/03/2014"));
    SHOW_FORM(form);
    FOCUS(form.before);

    bool shown = false;
    QString selDate;
    QPoint where;
    OnModal(
        [&](QDialog *dialog) {
            auto *calendar = qobject_cast<frmCalQV *>(dialog);
            if (!calendar)
                return;
            selDate = calendar->SelDate();
            where = calendar->pos();
            QTest::keyClick(calendar, Qt::Key_Escape);
        },
        &shown);
    QTest::mouseClick(form.ucDt->cmdCal, Qt::LeftButton);

    QVERIFY(shown);
    QCOMPARE(selDate, QStringLiteral("05/03/2014"));
    QCOMPARE(where, form.box()->mapToGlobal(QPoint(0, form.box()->height())));
    QVERIFY(!frmCalQV::instance()->isVisible());
    QVERIFY(!frmCalQV::instance()->OkClicked());
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05/03/2014"));
    QTRY_COMPARE(focusName(), QStringLiteral("before"));

    // F2 while digits are being typed opens the calendar on today.
    FOCUS(form.box());
    form.box()->clear();
    QTest::keyClicks(form.box(), QStringLiteral("1504"));
    OnModal(
        [&](QDialog *dialog) {
            selDate = static_cast<frmCalQV *>(dialog)->SelDate();
            QTest::keyClick(dialog, Qt::Key_Escape);
        },
        &shown);
    QTest::keyClick(form.box(), Qt::Key_F2);
    QVERIFY(shown);
    QCOMPARE(selDate, QStringLiteral("20/03/2014"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("1504"));
    QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));

    // The button starts from the digits typed, completed.
    OnModal(
        [&](QDialog *dialog) {
            selDate = static_cast<frmCalQV *>(dialog)->SelDate();
            QTest::keyClick(dialog, Qt::Key_Escape);
        },
        &shown);
    QTest::mouseClick(form.ucDt->cmdCal, Qt::LeftButton);
    QVERIFY(shown);
    QCOMPARE(selDate, QStringLiteral("15/04/2014"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("1504"));
    QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
}

void ucDateTest::pickFillsBoxAndMovesOn()
{
    DateForm form;
    form.ucDt->setText(QStringLiteral("05/03/2014"));
    SHOW_FORM(form);
    FOCUS(form.box());

    bool shown = false;
    OnModal(
        [](QDialog *dialog) {
            auto *calendar = static_cast<frmCalQV *>(dialog);
            // 18 March 2014 is the Tuesday of the fourth week.
            QTableWidgetItem *item = calendar->flx->item(4, 2);
            if (!item || item->text() != QLatin1String("18"))
                return;
            const QPoint centre = calendar->flx->visualItemRect(item).center();
            QTest::mouseClick(calendar->flx->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(calendar->flx->viewport(), Qt::LeftButton, {}, centre);
        },
        &shown);
    QTest::keyClick(form.box(), Qt::Key_F2);

    QVERIFY(shown);
    QVERIFY(frmCalQV::instance()->OkClicked());
    QCOMPARE(form.ucDt->Text(), QStringLiteral("18/03/2014"));
    QTRY_COMPARE(focusName(), QStringLiteral("after"));

    // The next showing, closed without a pick, reports no pick and changes nothing.
    FOCUS(form.box());
    OnModal([](QDialog *dialog) { dialog->close(); }, &shown);
    QTest::keyClick(form.box(), Qt::Key_F2);
    QVERIFY(shown);
    QVERIFY(!frmCalQV::instance()->OkClicked());
    QCOMPARE(form.ucDt->Text(), QStringLiteral("18032014"));
    QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
}

void ucDateTest::resizeKeepsButtonWidth()
{
    ucDate control;
    control.show();
    control.resize(200, 30);
    const int button = control.cmdCal->width();
    control.resize(300, 40);
    QCOMPARE(control.cmdCal->width(), button);
    QCOMPARE(control.cmdCal->height(), 40);
    QCOMPARE(control.txtDate->height(), 40);
    // Box, line, button from left to right, the button reaching just past the edge.
    QVERIFY(control.txtDate->geometry().right() < control.Line1->x());
    QVERIFY(control.Line1->x() < control.cmdCal->x());
    QVERIFY(control.cmdCal->geometry().right() >= control.width() - 1);
}

QV_REGISTER_TEST(ucDateTest)
#include "ucDate_test.moc"
