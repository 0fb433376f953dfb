#include "TestHelpers.h"
#include "TestRegistry.h"

#include "WindowTestHelpers.h"
#include "dates/KeyboardNavigation.h"
#include "dates/frmCalQV.h"
#include "dates/ucDate.h"

#include <QClipboard>
#include <QHash>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

// A form with the date control (text 05/03/2014) between a box and a button,
// beside another form in the same main window.
struct DateForm
{
    QMdiArea area;
    QWidget *window = new QWidget, *otherForm = new QWidget;
    ucDate *ucDt = new ucDate(window);
    QLineEdit *box = ucDt->txtDate, *after = new QLineEdit(window), *other = new QLineEdit(otherForm);
    QPushButton *cmdGo = new QPushButton(QStringLiteral("Go"), window);
    int goClicks = 0;

    DateForm()
    {
        auto *layout = new QVBoxLayout(window);
        for (QWidget *w : {static_cast<QWidget *>(ucDt), static_cast<QWidget *>(after), static_cast<QWidget *>(cmdGo)})
            layout->addWidget(w);
        after->setObjectName(QStringLiteral("after"));
        QObject::connect(cmdGo, &QPushButton::clicked, [this] { ++goClicks; });
        ucDt->setText(QStringLiteral("05/03/2014"));
        new KeyPreview(window);
        area.addSubWindow(window)->setGeometry(0, 0, 250, 200);
        area.addSubWindow(otherForm)->setGeometry(260, 0, 250, 200);
        area.resize(600, 300);
    }
};

} // namespace

class ucDateTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DateForm> form;

private slots:
    void init()
    {
        FixedClock::set(QDateTime(QDate(2014, 3, 20), QTime(10, 0)));
        form = std::make_unique<DateForm>();
        SHOW_ACTIVE(&form->area);
        FOCUS(form->box);
    }
    void cleanup()
    {
        form.reset();
        FixedClock::reset();
    }

    void focusAndTyping()
    {
        QCOMPARE(form->box->selectedText(), QStringLiteral("05032014"));
        sendText(form->box, QStringLiteral("15- 0B.4"));
        QCOMPARE(form->box->text(), QStringLiteral("1504"));
        sendText(form->box, QStringLiteral("20149"));
        QCOMPARE(form->box->text(), QStringLiteral("15042014")); // no ninth digit
        // A slash after one digit of the day or the month: a leading zero.
        form->box->selectAll();
        sendText(form->box, QStringLiteral("1a/7/14"));
        QCOMPARE(form->box->text(), QStringLiteral("010714"));
        sendKey(form->box, Qt::Key_Tab);
        QCOMPARE(form->ucDt->Text(), QStringLiteral("01/07/2014"));
        FOCUS(form->box);
        sendText(form->box, QStringLiteral("15/04/2014"));
        QCOMPARE(form->box->text(), QStringLiteral("15042014"));
        form->box->setSelection(0, 2);
        QTest::keyClicks(form->box, QStringLiteral("2"));
        QCOMPARE(form->box->text(), QStringLiteral("2042014"));
    }

    void leaving_data()
    {
        QTest::addColumn<QString>("entry"); // typed, or "paste:" and the clipboard's text
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("left");
        QTest::addColumn<QString>("text");
        const QString tab("tab"), enter("enter"), window("window"), button("button");
        QTest::newRow("valid, Tab") << "1504" << tab << true << "15/04/2014";
        QTest::newRow("valid, Enter") << "150499" << enter << true << "15/04/2099";
        QTest::newRow("valid, button by the window system") << "0104" << window << true << "01/04/2014";
        QTest::newRow("empty, Tab") << "" << tab << true << "";
        QTest::newRow("pasted text") << "paste:15/03/2013" << tab << true << "15/03/2013";
        QTest::newRow("31 April, Tab") << "3104" << tab << false << "3104";
        QTest::newRow("31 April, Shift+Tab") << "3104" << QStringLiteral("backtab") << false << "3104";
        QTest::newRow("31 April, Enter") << "3104" << enter << false << "3104";
        QTest::newRow("31 April, click in a box") << "3104" << QStringLiteral("click") << false << "3104";
        QTest::newRow("31 April, click in another form") << "3104" << QStringLiteral("other form") << true << "3104";
        QTest::newRow("month 13, button") << "1513" << button << false << "1513";
        QTest::newRow("month 13, button by the window system") << "1513" << window << false << "1513";
        QTest::newRow("29 February 2014, set by program") << "290214" << QStringLiteral("program") << false << "290214";
        QTest::newRow("pasted dashes") << "paste:15-03-2014" << tab << false << "15-03-2014";
    }
    void leaving()
    {
        QFETCH(QString, entry);
        QFETCH(QString, how);
        QFETCH(bool, left);
        QLineEdit *box = form->box;
        box->clear();
        if (entry.startsWith(QLatin1String("paste:"))) {
            QGuiApplication::clipboard()->setText(entry.mid(6));
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(box, entry);
        }

        const QPoint go = form->cmdGo->mapTo(&form->area, form->cmdGo->rect().center());
        const QHash<QString, std::function<void()>> ways{
            {"tab", [&] { sendKey(box, Qt::Key_Tab); }},
            {"backtab", [&] { sendKey(box, Qt::Key_Backtab, Qt::ShiftModifier); }},
            {"enter", [&] { sendKey(box, Qt::Key_Return); }},
            {"click", [&] { sendClick(form->after); }},
            {"button", [&] { QTest::mouseClick(form->cmdGo, Qt::LeftButton); }},
            {"window", [&] { QTest::mouseClick(form->area.windowHandle(), Qt::LeftButton, {}, go); }},
            {"other form", [&] { QTest::mouseClick(form->other, Qt::LeftButton); }},
            {"program", [&] { form->after->setFocus(Qt::OtherFocusReason); }},
        };
        ways.value(how)();
        QTest::qWait(20);

        QTEST(form->ucDt->Text(), "text");
        QCOMPARE(form->goClicks, left && how == QLatin1String("window") ? 1 : 0);
        if (left) {
            QVERIFY(focusName() != QLatin1String("txtDate"));
            return;
        }
        QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
        box->setText(QStringLiteral("1504")); // put right, the box can be left
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("after"));
    }

    void textProperty()
    {
        ucDate control;
        control.setProperty("Text", QDate(2014, 3, 20));
        QCOMPARE(control.Text(), QStringLiteral("20/03/2014"));
        control.setText(QStringLiteral("5/3/2014"));
        QCOMPARE(control.Text(), QStringLiteral("05/03/2014"));
        control.setText(QStringLiteral("31/04/2014")); // no date: the box stays as it was
        QCOMPARE(control.Text(), QStringLiteral("05/03/2014"));
        control.setText(QString());
        QCOMPARE(control.Text(), QString());
    }

    void lockedOpensNoCalendar()
    {
        form->ucDt->setProperty("Locked", true);
        bool opened = true;
        onNextModal([](QWidget *) {}, &opened, 300);
        QTest::keyClick(form->box, Qt::Key_F2);
        QTest::mouseClick(form->ucDt->cmdCal, Qt::LeftButton);
        QTest::keyClicks(form->box, QStringLiteral("1"));
        QTest::qWait(400);
        QVERIFY(!opened);
        QCOMPARE(form->box->text(), QStringLiteral("05032014"));
    }

    void calendar_data()
    {
        QTest::addColumn<QString>("typed"); // empty: the box's own digits
        QTest::addColumn<bool>("byF2"); // else the button
        QTest::addColumn<QString>("shown"); // the date it opens on
        QTest::addColumn<bool>("pick"); // else Esc
        QTest::addColumn<QString>("text"); // in the box afterwards
        QTest::newRow("F2 starts from the digits completed") << "1504" << true << "15/04/2014" << false << "1504";
        QTest::newRow("F2 on no date starts from today") << "3104" << true << "20/03/2014" << false << "3104";
        QTest::newRow("button starts from the digits completed") << "1504" << false << "15/04/2014" << false << "1504";
        QTest::newRow("pick 18 March") << "" << true << "05/03/2014" << true << "18/03/2014";
    }
    void calendar()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byF2);
        QFETCH(bool, pick);
        if (!typed.isEmpty())
            form->box->setText(typed);
        QString selDate;
        QPoint where;
        onNextModal([&](QWidget *calendar) {
            selDate = static_cast<frmCalQV *>(calendar)->SelDate();
            where = calendar->pos();
            if (!pick)
                return QTest::keyClick(calendar, Qt::Key_Escape);
            QTableWidget *grid = static_cast<frmCalQV *>(calendar)->flx;
            const QPoint centre = grid->visualItemRect(grid->item(4, 2)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
        });
        if (byF2)
            sendKey(form->box, Qt::Key_F2);
        else
            sendClick(form->ucDt->cmdCal);
        QTEST(selDate, "shown");
        QCOMPARE(where, form->box->mapToGlobal(QPoint(0, form->box->height())));
        QTEST(form->box->text(), "text");
        QTRY_COMPARE(focusName(), pick ? QStringLiteral("after") : QStringLiteral("txtDate"));
    }
};

QV_REGISTER_TEST(ucDateTest)
#include "ucDate_test.moc"
