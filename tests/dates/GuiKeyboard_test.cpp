#include "TestRegistry.h"

#include "app/Clock.h"
#include "dates/GuiKeyboard.h"
#include "dates/ucDate.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A small data-entry window taking part in the keyboard contract.
struct EntryForm
{
    QWidget window;
    QLineEdit *txtA;
    QLineEdit *txtB;
    QPlainTextEdit *txtMemo;
    QComboBox *cmbKind;
    ucDate *dtDate;
    QLineEdit *txtNum;
    QLineEdit *txtKeep;

    EntryForm()
    {
        auto *layout = new QVBoxLayout(&window);
        txtA = add<QLineEdit>(layout, "txtA");
        txtA->setText(QStringLiteral("alpha"));
        txtB = add<QLineEdit>(layout, "txtB");
        txtB->setText(QStringLiteral("beta"));
        txtMemo = add<QPlainTextEdit>(layout, "txtMemo");
        txtMemo->setPlainText(QStringLiteral("line one\nline two"));
        cmbKind = add<QComboBox>(layout, "cmbKind");
        cmbKind->addItems({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
        cmbKind->setCurrentIndex(1);
        dtDate = add<ucDate>(layout, "dtDate");
        dtDate->setText(QStringLiteral("05/03/2014"));
        txtNum = add<QLineEdit>(layout, "txtNum");
        txtNum->setText(QStringLiteral("42"));
        txtNum->setProperty("Tag", QStringLiteral("N"));
        txtKeep = add<QLineEdit>(layout, "txtKeep");
        txtKeep->setText(QStringLiteral("keep"));
        txtKeep->setProperty("Tag", QStringLiteral("XE"));
        new GuiKeyPreview(&window);
    }

    template<typename T> T *add(QVBoxLayout *layout, const char *name)
    {
        auto *w = new T(&window);
        w->setObjectName(QLatin1String(name));
        layout->addWidget(w);
        return w;
    }

    QWidget *named(const QString &name) { return window.findChild<QWidget *>(name); }
};

QString focusName()
{
    QWidget *f = QApplication::focusWidget();
    return f ? f->objectName() : QStringLiteral("(none)");
}

bool wholeTextSelected(QWidget *w)
{
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return !line->text().isEmpty() && line->selectedText() == line->text();
    return false;
}

} // namespace

class GuiKeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNow(QDateTime(QDate(2014, 3, 20), QTime(10, 0))); }
    void cleanup() { Clock::reset(); }
    void navigation_data();
    void navigation();
    void ctrlEnterClearsCombo();
    void enterLeavesDropDownAndMemoAlone();
    void numericTag_data();
    void numericTag();
};

void GuiKeyboardTest::navigation_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focus");    // where the focus is afterwards
    QTest::addColumn<QString>("selected"); // a box whose whole text is selected afterwards

    const int none = Qt::NoModifier;
    QTest::newRow("Enter moves on") << "txtA" << int(Qt::Key_Return) << none << "txtB" << "txtB";
    QTest::newRow("keypad Enter") << "txtA" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "txtB" << "txtB";
    QTest::newRow("Shift+Enter moves forward") << "txtA" << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "txtB"
                                               << "txtB";
    QTest::newRow("Ctrl+Enter outside a combo") << "txtA" << int(Qt::Key_Return) << int(Qt::ControlModifier)
                                                << "txtB" << "txtB";
    QTest::newRow("Enter in a multi-line box") << "txtMemo" << int(Qt::Key_Return) << none << "cmbKind" << "";
    QTest::newRow("Enter in a combo") << "cmbKind" << int(Qt::Key_Return) << none << "txtDate" << "txtDate";
    QTest::newRow("Enter in the date control") << "txtDate" << int(Qt::Key_Return) << none << "txtNum" << "txtNum";
    QTest::newRow("Enter kept by tag E") << "txtKeep" << int(Qt::Key_Return) << none << "txtKeep" << "";
    QTest::newRow("Down moves on") << "txtA" << int(Qt::Key_Down) << none << "txtB" << "txtA";
    QTest::newRow("Up moves back") << "txtB" << int(Qt::Key_Up) << none << "txtA" << "txtB";
    QTest::newRow("Down in a multi-line box") << "txtMemo" << int(Qt::Key_Down) << none << "txtMemo" << "";
    QTest::newRow("Up in a combo") << "cmbKind" << int(Qt::Key_Up) << none << "cmbKind" << "";
    QTest::newRow("Down in the date control") << "txtDate" << int(Qt::Key_Down) << none << "txtDate" << "";
}

void GuiKeyboardTest::navigation()
{
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focus);
    QFETCH(QString, selected);

    EntryForm form;
    form.window.show();
    QApplication::setActiveWindow(&form.window);
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    QWidget *from = form.named(start);
    QVERIFY(from);
    from->setFocus(Qt::MouseFocusReason); // no select-all of its own
    QTRY_COMPARE(focusName(), start);
    if (auto *line = qobject_cast<QLineEdit *>(from))
        line->setCursorPosition(1);

    QTest::keyClick(from, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(focusName(), focus);
    if (!selected.isEmpty())
        QVERIFY2(wholeTextSelected(form.named(selected)), qPrintable(selected));
}

void GuiKeyboardTest::ctrlEnterClearsCombo()
{
    EntryForm form;
    form.window.show();
    QApplication::setActiveWindow(&form.window);
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    form.cmbKind->setFocus();
    QTRY_VERIFY(form.cmbKind->hasFocus());

    QTest::keyClick(form.cmbKind, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(form.cmbKind->currentIndex(), -1);
    QCOMPARE(form.cmbKind->currentText(), QString());
    QVERIFY(form.cmbKind->hasFocus());

    // Ctrl+Shift+Enter is not Ctrl alone: it moves on and keeps the list's choice.
    form.cmbKind->setCurrentIndex(2);
    QTest::keyClick(form.cmbKind, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form.cmbKind->currentIndex(), 2);
    QCOMPARE(focusName(), QStringLiteral("txtDate"));
}

void GuiKeyboardTest::enterLeavesDropDownAndMemoAlone()
{
    EntryForm form;
    form.window.show();
    QApplication::setActiveWindow(&form.window);
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    form.txtMemo->setFocus();
    QTRY_VERIFY(form.txtMemo->hasFocus());

    QTest::keyClick(form.txtMemo, Qt::Key_Return);
    QCOMPARE(form.txtMemo->toPlainText(), QStringLiteral("line one\nline two"));
    QVERIFY(form.cmbKind->hasFocus());
    QCOMPARE(form.cmbKind->currentIndex(), 1);

    // Reaching the date control, the box shows its digits, all selected.
    QTest::keyClick(form.cmbKind, Qt::Key_Return);
    QCOMPARE(form.dtDate->txtDate->text(), QStringLiteral("05032014"));
    QCOMPARE(form.dtDate->txtDate->selectedText(), QStringLiteral("05032014"));
    QTest::keyClick(form.dtDate->txtDate, Qt::Key_Return);
    QVERIFY(form.txtNum->hasFocus());
    QCOMPARE(form.dtDate->Text(), QStringLiteral("05/03/2014"));
}

void GuiKeyboardTest::numericTag_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");

    QTest::newRow("digits and point") << "txtNum" << "12.5" << "12.5";
    QTest::newRow("letters dropped") << "txtNum" << "1a2B" << "12";
    QTest::newRow("signs and blanks dropped") << "txtNum" << "-1 +2/" << "12";
    QTest::newRow("no tag takes all") << "txtA" << "1a-2 b" << "1a-2 b";
    QTest::newRow("tag without N takes all") << "txtKeep" << "x.9" << "x.9";
}

void GuiKeyboardTest::numericTag()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, text);

    EntryForm form;
    form.window.show();
    QApplication::setActiveWindow(&form.window);
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    auto *line = qobject_cast<QLineEdit *>(form.named(box));
    QVERIFY(line);
    line->setFocus();
    QTRY_VERIFY(line->hasFocus());
    line->clear();
    QTest::keyClicks(line, typed);
    QCOMPARE(line->text(), text);

    // Backspace always passes.
    QTest::keyClick(line, Qt::Key_Backspace);
    QCOMPARE(line->text(), text.chopped(1));
}

QV_REGISTER_TEST(GuiKeyboardTest)
#include "GuiKeyboard_test.moc"
