#include "TestRegistry.h"

#include "DatesTestSupport.h"
#include "app/Clock.h"
#include "dates/GuiKeyboard.h"
#include "dates/frmCalQV.h"
#include "dates/ucDate.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct DateForm
{
    QWidget window;
    QVBoxLayout *layout = new QVBoxLayout(&window);
    QLineEdit *before = add(new QLineEdit, "before");
    ucDate *ucDt = add(new ucDate, "ucDt");
    QLineEdit *after = add(new QLineEdit, "after");
    QPushButton *cmdGo = add(new QPushButton(QStringLiteral("Go")), "cmdGo");
    int goClicks = 0;

    DateForm()
    {
        QObject::connect(cmdGo, &QPushButton::clicked, [this] { ++goClicks; });
        ucDt->setText(QStringLiteral("05/03/2014"));
        new GuiKeyPreview(&window);
    }
    template<typename T> T *add(T *w, const char *name)
    {
        w->setObjectName(QLatin1String(name));
        layout->addWidget(w);
        return w;
    }
    QLineEdit *box() const { return ucDt->txtDate; }
};

// 18 March 2014, the Tuesday of the fourth week, picked with a double click.
void pickThe18th(QDialog *dialog)
{
    QTableWidget *grid = static_cast<frmCalQV *>(dialog)->flx;
    const QPoint centre = grid->visualItemRect(grid->item(4, 2)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class ucDateTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNow(QDateTime(QDate(2014, 3, 20), QTime(10, 0))); }
    void cleanup() { Clock::reset(); }
    void focusAndTyping();
    void leaving_data();
    void leaving();
    void textProperty();
    void lockedOpensNoCalendar();
    void escapeLeavesBoxUnchanged();
    void pickFillsBoxAndMovesOn();
    void otherFormsStayReachable();
};

void ucDateTest::focusAndTyping()
{
    DateForm form;
    SHOW_ACTIVE(&form.window);
    FOCUS(form.before);
    QTest::keyClick(form.before, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("txtDate"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05032014"));
    QCOMPARE(form.box()->selectedText(), QStringLiteral("05032014"));
    QTest::keyClick(form.box(), Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("after"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05/03/2014"));

    FOCUS(form.box());
    QTest::keyClicks(form.box(), QStringLiteral("1a/5- 0B.4")); // replaces the selection; digits only
    QCOMPARE(form.box()->text(), QStringLiteral("1504"));
    QTest::keyClicks(form.box(), QStringLiteral("20149"));
    QCOMPARE(form.box()->text(), QStringLiteral("15042014")); // no ninth digit
    form.box()->setSelection(0, 2);
    QTest::keyClicks(form.box(), QStringLiteral("2"));
    QCOMPARE(form.box()->text(), QStringLiteral("2042014")); // unless text is selected
}

void ucDateTest::leaving_data()
{
    QTest::addColumn<QString>("entry"); // typed, or "paste:" and the clipboard's text
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("left");
    QTest::addColumn<QString>("text");

    QTest::newRow("valid, Tab") << "1504" << "tab" << true << "15/04/2014";
    QTest::newRow("valid, Enter") << "150499" << "enter" << true << "15/04/2099";
    QTest::newRow("valid, button") << "0104" << "window" << true << "01/04/2014";
    QTest::newRow("empty, Tab") << "" << "tab" << true << "";
    QTest::newRow("pasted text") << "paste:15/03/2013" << "tab" << true << "15/03/2013";
    QTest::newRow("pasted digits") << "paste:150314" << "tab" << true << "15/03/2014";
    QTest::newRow("31 April, Tab") << "3104" << "tab" << false << "3104";
    QTest::newRow("31 April, Shift+Tab") << "3104" << "backtab" << false << "3104";
    QTest::newRow("31 April, Enter") << "3104" << "enter" << false << "3104";
    QTest::newRow("31 April, click in a box") << "3104" << "click" << false << "3104";
    QTest::newRow("month 13, button") << "1513" << "button" << false << "1513";
    QTest::newRow("month 13, button by the window system") << "1513" << "window" << false << "1513";
    QTest::newRow("29 February 2014, set by program") << "290214" << "program" << false << "290214";
    QTest::newRow("pasted dashes") << "paste:15-03-2014" << "tab" << false << "15-03-2014";
}

void ucDateTest::leaving()
{
    QFETCH(QString, entry);
    QFETCH(QString, how);
    QFETCH(bool, left);
    QFETCH(QString, text);

    DateForm form;
    SHOW_ACTIVE(&form.window);
    FOCUS(form.box());
    form.box()->clear();
    if (entry.startsWith(QLatin1String("paste:"))) {
        QGuiApplication::clipboard()->setText(entry.mid(6));
        QTest::keyClick(form.box(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.box()->text(), entry.mid(6));
    } else {
        QTest::keyClicks(form.box(), entry);
    }

    if (how == QLatin1String("tab") || how == QLatin1String("enter"))
        QTest::keyClick(form.box(), how == QLatin1String("tab") ? Qt::Key_Tab : Qt::Key_Return);
    else if (how == QLatin1String("backtab"))
        QTest::keyClick(form.box(), Qt::Key_Backtab, Qt::ShiftModifier);
    else if (how == QLatin1String("click") || how == QLatin1String("button"))
        QTest::mouseClick(how == QLatin1String("click") ? static_cast<QWidget *>(form.after) : form.cmdGo, Qt::LeftButton);
    else if (how == QLatin1String("window"))
        QTest::mouseClick(form.window.windowHandle(), Qt::LeftButton, {},
                          form.cmdGo->mapTo(&form.window, form.cmdGo->rect().center()));
    else
        form.after->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);

    QCOMPARE(form.ucDt->Text(), text);
    QCOMPARE(form.goClicks, left && how == QLatin1String("window") ? 1 : 0);
    if (left) {
        QVERIFY(focusName() != QLatin1String("txtDate"));
        return;
    }
    QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
    form.box()->setText(QStringLiteral("1504")); // put right, the box can be left
    QTest::keyClick(form.box(), Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("after"));
}

void ucDateTest::textProperty()
{
    ucDate control;
    control.setProperty("Text", QDate(2014, 3, 20));
    QCOMPARE(control.Text(), QStringLiteral("20/03/2014"));
    control.setText(QStringLiteral("5/3/2014"));
    QCOMPARE(control.Text(), QStringLiteral("05/03/2014"));
    control.setText(QStringLiteral("31/04/2014")); // no date: the box stays as it was
    QCOMPARE(control.Text(), QStringLiteral("05/03/2014"));
    control.setText(QString());
    QCOMPARE(control.property("Text").toString(), QString());
}

void ucDateTest::lockedOpensNoCalendar()
{
    DateForm form;
    form.ucDt->setProperty("Locked", true);
    SHOW_ACTIVE(&form.window);
    FOCUS(form.box());
    bool opened = true;
    OnModal([](QDialog *) {}, &opened, 300);
    QTest::keyClick(form.box(), Qt::Key_F2);
    QTest::mouseClick(form.ucDt->cmdCal, Qt::LeftButton);
    QTest::qWait(400);
    QVERIFY(!opened);
    QTest::keyClicks(form.box(), QStringLiteral("1"));
    QCOMPARE(form.box()->text(), QStringLiteral("05032014"));
}

void ucDateTest::escapeLeavesBoxUnchanged()
{
    DateForm form;
    SHOW_ACTIVE(&form.window);
    FOCUS(form.before);

    // Opens the calendar, notes its date and place, and leaves it with Esc.
    QString selDate;
    QPoint where;
    auto openAndEscape = [&](const std::function<void()> &open) {
        bool shown = false;
        OnModal(
            [&](QDialog *dialog) {
                selDate = static_cast<frmCalQV *>(dialog)->SelDate();
                where = dialog->pos();
                QTest::keyClick(dialog, Qt::Key_Escape);
            },
            &shown);
        open();
        return shown;
    };
    auto button = [&] { QTest::mouseClick(form.ucDt->cmdCal, Qt::LeftButton); };

    QVERIFY(openAndEscape(button));
    QCOMPARE(selDate, QStringLiteral("05/03/2014"));
    QCOMPARE(where, form.box()->mapToGlobal(QPoint(0, form.box()->height())));
    QVERIFY(!frmCalQV::instance()->OkClicked());
    QCOMPARE(form.ucDt->Text(), QStringLiteral("05/03/2014"));
    QTRY_COMPARE(focusName(), QStringLiteral("before"));

    // While digits are typed, F2 starts from today and the button from the digits completed.
    FOCUS(form.box());
    form.box()->setText(QStringLiteral("1504"));
    QVERIFY(openAndEscape([&] { QTest::keyClick(form.box(), Qt::Key_F2); }));
    QCOMPARE(selDate, QStringLiteral("20/03/2014"));
    QVERIFY(openAndEscape(button));
    QCOMPARE(selDate, QStringLiteral("15/04/2014"));
    QCOMPARE(form.ucDt->Text(), QStringLiteral("1504"));
    QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
}

void ucDateTest::pickFillsBoxAndMovesOn()
{
    DateForm form;
    SHOW_ACTIVE(&form.window);
    FOCUS(form.box());
    OnModal(pickThe18th);
    QTest::keyClick(form.box(), Qt::Key_F2);
    QVERIFY(frmCalQV::instance()->OkClicked());
    QCOMPARE(form.ucDt->Text(), QStringLiteral("18/03/2014"));
    QTRY_COMPARE(focusName(), QStringLiteral("after"));

    // Each later showing ended without a pick (window manager's close, hidden)
    // reports no pick, though the one before picked.
    for (bool hide : {false, true}) {
        FOCUS(form.box());
        QVERIFY(frmCalQV::instance()->OkClicked());
        OnModal([hide](QDialog *dialog) { hide ? dialog->hide() : void(dialog->close()); });
        QTest::keyClick(form.box(), Qt::Key_F2);
        QVERIFY(!frmCalQV::instance()->OkClicked());
        QCOMPARE(form.ucDt->Text(), QStringLiteral("18032014"));
        QApplication::setActiveWindow(&form.window);
        QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
        OnModal(pickThe18th);
        QTest::keyClick(form.box(), Qt::Key_F2);
    }
}

void ucDateTest::otherFormsStayReachable()
{
    // Two forms in one main window: an unfinished date holds its own form only.
    QMdiArea area;
    auto *first = new QWidget, *second = new QWidget;
    auto *dt = new ucDate(first);
    auto *sameForm = new QLineEdit(first);
    sameForm->move(0, 40);
    auto *otherForm = new QLineEdit(second);
    area.addSubWindow(first)->setGeometry(0, 0, 250, 120);
    area.addSubWindow(second)->setGeometry(260, 0, 250, 120);
    area.resize(600, 300);
    SHOW_ACTIVE(&area);
    FOCUS(dt->txtDate);
    QTest::keyClicks(dt->txtDate, QStringLiteral("3104"));

    QTest::mouseClick(sameForm, Qt::LeftButton);
    QTRY_VERIFY(dt->txtDate->hasFocus());
    QTest::mouseClick(otherForm, Qt::LeftButton);
    QTest::qWait(50);
    QVERIFY(otherForm->hasFocus());
    QCOMPARE(dt->Text(), QStringLiteral("3104"));
}

QV_REGISTER_TEST(ucDateTest)
#include "ucDate_test.moc"
