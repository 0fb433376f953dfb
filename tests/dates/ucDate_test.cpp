#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/UserInterface.h"
#include "dates/frmCalQV.h"
#include "dates/ucDate.h"
#include "ui/KeyboardNavigation.h"

#include <QClipboard>
#include <QComboBox>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

// A data-entry window under the shared keyboard handling, tab order as made (the date control's text 05/03/2014),
// beside another form in the same main window.
struct EntryForm
{
    QMdiArea area;
    QWidget *window = new QWidget, *otherForm = new QWidget;
    QLineEdit *other = new QLineEdit(otherForm);
    QPlainTextEdit *txtMemo = new QPlainTextEdit(QStringLiteral("one\ntwo"));
    QComboBox *cmbKind = new QComboBox;
    ucDate *ucDt = new ucDate;
    QLineEdit *box = ucDt->txtDate, *after = new QLineEdit(QStringLiteral("gamma"));
    QPushButton *cmdOk = new QPushButton(QStringLiteral("OK"));
    int okClicks = 0;

    EntryForm()
    {
        auto *layout = new QVBoxLayout(window);
        auto add = [layout](auto *w, const char *name, const char *tag = "") {
            layout->addWidget(w);
            w->setObjectName(QLatin1String(name));
            w->setProperty("Tag", QLatin1String(tag));
            return w;
        };
        add(new QLineEdit(QStringLiteral("alpha")), "txtA");
        add(new QLineEdit(QStringLiteral("beta")), "txtB");
        add(txtMemo, "txtMemo");
        add(cmbKind, "cmbKind")->addItems({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
        add(ucDt, "dtDate")->setText(QStringLiteral("05/03/2014"));
        add(after, "txtC");
        add(new QLineEdit(QStringLiteral("keep")), "txtKeep", "XE");
        QObject::connect(add(cmdOk, "cmdOk"), &QPushButton::clicked, [this] { ++okClicks; });
        cmbKind->setCurrentIndex(1);
        new KeyPreview(window);
        area.addSubWindow(window)->setGeometry(0, 0, 250, 440);
        area.addSubWindow(otherForm)->setGeometry(260, 0, 250, 200);
        area.resize(600, 460);
    }
};

} // namespace

class ucDateTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<EntryForm> form;
    frmCalQV *cal = nullptr;
    RecordingUserInterface rec;

    // What the calendar shows: the date selected (label and value), the month with the column of its first day,
    // the year box and the year shown, the bold cells, and the focus ("picked" or "closed" once it is gone).
    QString calendarState() const
    {
        int first = -1;
        QString bold;
        for (int r = 1; r < cal->flx->rowCount(); ++r) {
            for (int c = 1; c < cal->flx->columnCount(); ++c) {
                const QTableWidgetItem *item = cal->flx->item(r, c);
                first = item && r == 1 && item->text() == QLatin1String("1") ? c : first;
                if (item && item->font().bold())
                    bold += QStringLiteral("%1,%2").arg(r).arg(c);
            }
        }
        const QString focus = cal->isVisible() ? focusName() : cal->OkClicked() ? "picked" : "closed";
        return QStringLiteral("%1 %2 %3@%4 %5/%6 %7 %8")
            .arg(cal->lblDate->text(), cal->SelDate(), cal->cmbMonth->currentText())
            .arg(first)
            .arg(cal->txtYear->text())
            .arg(cal->shownYear())
            .arg(bold.isEmpty() ? QStringLiteral("-") : bold, focus);
    }

private slots:
    void init()
    {
        FixedClock::set(QDateTime(QDate(2014, 3, 20), QTime(10, 0)));
        InstallUserInterface(&rec);
        rec.clear();
        form = std::make_unique<EntryForm>();
        SHOW_ACTIVE(&form->area);
        FOCUS(form->box);
    }
    void cleanup()
    {
        if (cal)
            cal->hide();
        form.reset();
        QVERIFY(rec.messages.isEmpty());
        InstallUserInterface(nullptr);
        FixedClock::reset();
    }

    // Typing over part of a full box replaces that part.
    void typingOverASelection()
    {
        form->box->setSelection(0, 2);
        sendText(form->box, QStringLiteral("2"));
        QCOMPARE(form->box->text(), QStringLiteral("2032014"));
    }

    void leaving_data()
    {
        QTest::addColumn<QString>("entry"); // typed, or "paste:" and the clipboard's text
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("left");
        QTest::addColumn<QString>("text");
        const QString tab("tab"), enter("enter"), window("window");
        QTest::newRow("valid, Tab") << "1504" << tab << true << "15/04/2014";
        QTest::newRow("only digits typed, no ninth") << "15- 0B.420149" << tab << true << "15/04/2014";
        QTest::newRow("a slash after one digit: a leading zero") << "1a/7/14" << tab << true << "01/07/2014";
        QTest::newRow("slashes typed in place") << "15/04/2014" << tab << true << "15/04/2014";
        QTest::newRow("valid, Enter") << "150499" << enter << true << "15/04/2099";
        QTest::newRow("valid, button by the window system") << "0104" << window << true << "01/04/2014";
        QTest::newRow("empty, Tab") << "" << tab << true << "";
        QTest::newRow("pasted text") << "paste:15/03/2013" << tab << true << "15/03/2013";
        QTest::newRow("31 April, Tab") << "3104" << tab << false << "3104";
        QTest::newRow("31 April, Shift+Tab") << "3104" << QStringLiteral("backtab") << false << "3104";
        QTest::newRow("31 April, Enter") << "3104" << enter << false << "3104";
        QTest::newRow("31 April, click in a box") << "3104" << QStringLiteral("click") << false << "3104";
        QTest::newRow("31 April, click in another form") << "3104" << QStringLiteral("other form") << true << "3104";
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
        QCOMPARE(box->selectedText(), QStringLiteral("05032014")); // digits only while typing, all selected
        box->clear();
        if (entry.startsWith(QLatin1String("paste:"))) {
            QGuiApplication::clipboard()->setText(entry.mid(6));
            sendKey(box, Qt::Key_V, Qt::ControlModifier);
        } else {
            sendText(box, entry);
        }

        const QPoint go = form->cmdOk->mapTo(&form->area, form->cmdOk->rect().center());
        const QHash<QString, std::function<void()>> ways{
            {"tab", [&] { sendKey(box, Qt::Key_Tab); }},
            {"backtab", [&] { sendKey(box, Qt::Key_Backtab, Qt::ShiftModifier); }},
            {"enter", [&] { sendKey(box, Qt::Key_Return); }},
            {"click", [&] { sendClick(form->after); }},
            {"window", [&] { QTest::mouseClick(form->area.windowHandle(), Qt::LeftButton, {}, go); }},
            {"other form", [&] { sendClick(form->other); }},
            {"program", [&] { form->after->setFocus(Qt::OtherFocusReason); }},
        };
        ways.value(how)();
        QTest::qWait(20);

        QTEST(form->ucDt->Text(), "text");
        QCOMPARE(form->okClicks, left && how == QLatin1String("window") ? 1 : 0);
        if (left) {
            QVERIFY(focusName() != QLatin1String("txtDate"));
            return;
        }
        QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
        box->setText(QStringLiteral("1504")); // put right, the box can be left
        sendKey(box, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtC"));
    }

    // A date, a short date, no date (the box stays as it was), nothing.
    void textProperty()
    {
        QStringList shown;
        for (const QVariant &text :
             {QVariant(QDate(2014, 3, 20)), QVariant("5/3/2014"), QVariant("31/04/2014"), QVariant()}) {
            form->ucDt->setProperty("Text", text);
            shown << form->ucDt->Text();
        }
        QCOMPARE(shown, (QStringList{"20/03/2014", "05/03/2014", "05/03/2014", ""}));
    }

    void lockedOpensNoCalendar()
    {
        form->ucDt->setProperty("Locked", true);
        bool opened = true;
        onNextModal([](QWidget *) {}, &opened, 300);
        sendKey(form->box, Qt::Key_F2);
        sendClick(form->ucDt->cmdCal);
        sendText(form->box, QStringLiteral("1"));
        QTest::qWait(400);
        QVERIFY(!opened);
        QCOMPARE(form->box->text(), QStringLiteral("05032014"));
    }

    void calendar_data()
    {
        QTest::addColumn<QString>("typed"); // into the box
        QTest::addColumn<bool>("byF2"); // else the button
        QTest::addColumn<QString>("shown"); // the date it opens on
        QTest::addColumn<bool>("pick"); // else Esc
        QTest::addColumn<QString>("text"); // in the box afterwards
        QTest::newRow("F2 starts from the digits completed") << "1504" << true << "15/04/2014" << false << "1504";
        QTest::newRow("F2 on no date starts from today") << "3104" << true << "20/03/2014" << false << "3104";
        QTest::newRow("button starts from the digits completed") << "1504" << false << "15/04/2014" << false << "1504";
        QTest::newRow("pick 18 March") << "05032014" << true << "05/03/2014" << true << "18/03/2014";
    }
    void calendar()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byF2);
        QFETCH(bool, pick);
        form->box->setText(typed);
        QString selDate;
        QPoint where;
        onNextModal([&](QWidget *calendar) {
            selDate = static_cast<frmCalQV *>(calendar)->SelDate();
            where = calendar->pos();
            if (!pick)
                return sendKey(calendar, Qt::Key_Escape);
            QTableWidget *grid = static_cast<frmCalQV *>(calendar)->flx;
            const QPoint centre = grid->visualItemRect(grid->item(4, 2)).center();
            sendClick(grid->viewport(), centre);
            QTest::mouseDClick(windowOf(grid), Qt::LeftButton, {}, grid->viewport()->mapTo(grid->window(), centre));
        });
        if (byF2)
            sendKey(form->box, Qt::Key_F2);
        else
            sendClick(form->ucDt->cmdCal);
        QTEST(selDate, "shown");
        QCOMPARE(where, form->box->mapToGlobal(QPoint(0, form->box->height())));
        QTEST(form->box->text(), "text");
        QTRY_COMPARE(focusName(), pick ? QStringLiteral("txtC") : QStringLiteral("txtDate"));
    }

    // Enter and the arrows move on through a data-entry window.
    void navigation_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("focus"); // afterwards
        QTest::addColumn<int>("kind"); // the combo's choice afterwards
        QTest::addColumn<QString>("selected"); // a box whose whole text is selected afterwards

        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, enter = Qt::Key_Return, down = Qt::Key_Down,
                  keypad = Qt::KeypadModifier;
        QTest::newRow("Enter") << "txtA" << enter << none << "txtB" << 1 << "txtB";
        QTest::newRow("keypad Enter") << "txtA" << int(Qt::Key_Enter) << keypad << "txtB" << 1 << "txtB";
        QTest::newRow("Enter in a multi-line box") << "txtMemo" << enter << none << "cmbKind" << 1 << "";
        QTest::newRow("Enter in a combo") << "cmbKind" << enter << none << "txtDate" << 1 << "txtDate";
        QTest::newRow("Ctrl+Enter in a combo") << "cmbKind" << enter << ctrl << "cmbKind" << -1 << "";
        QTest::newRow("Ctrl+Shift+Enter in a combo")
            << "cmbKind" << enter << int(ctrl | Qt::ShiftModifier) << "txtDate" << 1 << "txtDate";
        QTest::newRow("Enter in the date control") << "txtDate" << enter << none << "txtC" << 1 << "txtC";
        QTest::newRow("Enter kept by tag E") << "txtKeep" << enter << none << "txtKeep" << 1 << "";
        QTest::newRow("Enter on a button") << "cmdOk" << enter << none << "cmdOk" << 1 << "";
        QTest::newRow("Down") << "txtA" << down << none << "txtB" << 1 << "txtA";
        QTest::newRow("Up") << "txtB" << int(Qt::Key_Up) << none << "txtA" << 1 << "txtB";
        QTest::newRow("Down in a multi-line box") << "txtMemo" << down << none << "txtMemo" << 1 << "";
        QTest::newRow("Down in the date control") << "txtDate" << down << none << "txtDate" << 1 << "";
    }
    void navigation()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, selected);

        auto *from = form->window->findChild<QWidget *>(start);
        from->setFocus(Qt::MouseFocusReason); // no select-all of its own
        QTRY_COMPARE(focusName(), start);
        if (auto *line = qobject_cast<QLineEdit *>(from))
            line->setCursorPosition(1);

        sendKey(from, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(focusName(), "focus");
        if (!selected.isEmpty()) {
            auto *line = form->window->findChild<QLineEdit *>(selected);
            QCOMPARE(line->selectedText(), line->text());
        }
        QCOMPARE(form->txtMemo->toPlainText(), QStringLiteral("one\ntwo"));
        QTEST(form->cmbKind->currentIndex(), "kind");
        QCOMPARE(form->okClicks, start == QLatin1String("cmdOk") ? 1 : 0);
    }

    // The calendar on its own, opened on 5 March 2014 (today is 20 March), after each step in turn: "sel D" and
    // "month N" as the program sets them, "focus W", a key, "type T", "click R,C" and "dclick R,C" on a cell of the
    // grid, "press B" on a button, "show" again. Empty cells, day names and week numbers are never selected.
    void calendarSteps_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("another month selects nothing")
            << QStringList{"focus cmbMonth", "Down"} << "05/03/2014 05/03/2014 April@2 2014/2014 - cmbMonth";
        QTest::newRow("a date shows its month")
            << QStringList{"sel 31/12/2012"} << "31/12/2012 31/12/2012 December@6 2012/2012 6,1 cmbMonth";
        QTest::newRow("Today") << QStringList{"press cmdToday"}
                               << "20/03/2014 20/03/2014 March@6 2014/2014 4,4 cmdToday";
        QTest::newRow("no year after 2099")
            << QStringList{"sel 01/06/2099", "press cmdUp"} << "01/06/2099 01/06/2099 June@1 2099/2099 1,1 cmbMonth";
        QTest::newRow("no year before 1900") << QStringList{"sel 01/06/1901", "focus txtYear", "Down", "Down"}
                                             << "01/06/1901 01/06/1901 June@5 1900/1900 - txtYear";
        QTest::newRow("only digits typed as the year")
            << QStringList{"focus txtYear", "type 2a0-1 9"} << "05/03/2014 05/03/2014 March@5 2019/2019 - txtYear";
        QTest::newRow("three digits are no year") << QStringList{"focus txtYear", "type 2a0-1 9", "Backspace", "Tab"}
                                                  << "05/03/2014 05/03/2014 March@7 201/201 - txtYear";
        QTest::newRow("an emptied year box gets this year back")
            << QStringList{"focus txtYear", "Backspace", "Tab"} << "05/03/2014 05/03/2014 March@6 2014/2014 - cmdClose";
        QTest::newRow("Close leaves a box that may not be left")
            << QStringList{"focus txtYear", "type 0", "press cmdClose"}
            << "05/03/2014 05/03/2014 March@6 0/2014 2,3 closed";
        QTest::newRow("cells that are no day")
            << QStringList{"click 4,2", "click 1,1", "click 6,3", "click 0,3", "click 3,0"}
            << "18/03/2014 18/03/2014 March@6 2014/2014 4,2 flx";
        QTest::newRow("arrows stop at the month's end")
            << QStringList{"click 6,1", "Right", "Down"} << "31/03/2014 31/03/2014 March@6 2014/2014 6,1 flx";
        QTest::newRow("arrow up") << QStringList{"click 6,1", "Up"}
                                  << "24/03/2014 24/03/2014 March@6 2014/2014 5,1 flx";
        QTest::newRow("the current cell after a change of month")
            << QStringList{"click 5,1", "month 3", "click 5,1"} << "28/04/2014 28/04/2014 April@2 2014/2014 5,1 flx";
        QTest::newRow("Enter picks") << QStringList{"focus flx", "Return"}
                                     << "05/03/2014 05/03/2014 March@6 2014/2014 2,3 picked";
        QTest::newRow("each showing reports its own pick") << QStringList{"focus flx", "Return", "show", "Esc"}
                                                           << "05/03/2014 05/03/2014 March@6 2014/2014 2,3 closed";
        QTest::newRow("double click on no day picks the date selected")
            << QStringList{"dclick 6,7"} << "05/03/2014 05/03/2014 March@6 2014/2014 2,3 picked";
    }
    void calendarSteps()
    {
        QFETCH(QStringList, steps);
        cal = frmCalQV::instance();
        cal->setSelDate(QStringLiteral("05/03/2014"));
        SHOW_ACTIVE(cal);
        QWidget *grid = cal->flx->viewport();
        for (const QString &step : steps) {
            const QString verb = step.section(u' ', 0, 0), arg = step.section(u' ', 1);
            const QTableWidgetItem *cell =
                cal->flx->item(arg.section(u',', 0, 0).toInt(), arg.section(u',', 1).toInt());
            const QPoint at = cell ? grid->mapTo(cal, cal->flx->visualItemRect(cell).center()) : QPoint();
            if (verb == QLatin1String("sel"))
                cal->setSelDate(arg);
            else if (verb == QLatin1String("month"))
                cal->cmbMonth->setCurrentIndex(arg.toInt());
            else if (verb == QLatin1String("focus")) {
                FOCUS(cal->findChild<QWidget *>(arg));
            } else if (verb == QLatin1String("type"))
                sendText(cal, arg);
            else if (verb == QLatin1String("click"))
                QTest::mouseClick(cal->windowHandle(), Qt::LeftButton, {}, at);
            else if (verb == QLatin1String("dclick"))
                QTest::mouseDClick(cal->windowHandle(), Qt::LeftButton, {}, at);
            else if (verb == QLatin1String("press"))
                sendClick(cal->findChild<QWidget *>(arg));
            else if (verb == QLatin1String("show")) {
                SHOW_ACTIVE(cal);
            } else
                sendKey(cal, QKeySequence::fromString(step)[0].key(),
                        QKeySequence::fromString(step)[0].keyboardModifiers());
        }
        QTEST(calendarState(), "shown");
    }
};

QV_REGISTER_TEST(ucDateTest)
#include "ucDate_test.moc"
