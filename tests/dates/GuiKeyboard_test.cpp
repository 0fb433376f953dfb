#include "TestRegistry.h"

#include "DatesTestSupport.h"
#include "app/Clock.h"
#include "dates/GuiKeyboard.h"
#include "dates/ucDate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A data-entry window in the keyboard contract; tab order as listed.
struct EntryForm
{
    QWidget window;
    QVBoxLayout *layout = new QVBoxLayout(&window);
    QLineEdit *txtA = box("txtA", "alpha");
    QLineEdit *txtB = box("txtB", "beta");
    QPlainTextEdit *txtMemo = add(new QPlainTextEdit(QStringLiteral("one\ntwo")), "txtMemo");
    QComboBox *cmbKind = add(new QComboBox, "cmbKind");
    ucDate *dtDate = add(new ucDate, "dtDate");
    QLineEdit *txtNum = box("txtNum", "42", "N");
    QLineEdit *txtKeep = box("txtKeep", "keep", "XE");
    QPushButton *cmdOk = add(new QPushButton(QStringLiteral("OK")), "cmdOk");
    int okClicks = 0;

    EntryForm()
    {
        cmbKind->addItems({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
        cmbKind->setCurrentIndex(1);
        dtDate->setText(QStringLiteral("05/03/2014"));
        QObject::connect(cmdOk, &QPushButton::clicked, [this] { ++okClicks; });
        new GuiKeyPreview(&window);
    }
    template<typename T> T *add(T *w, const char *name)
    {
        w->setObjectName(QLatin1String(name));
        layout->addWidget(w);
        return w;
    }
    QLineEdit *box(const char *name, const char *text, const char *tag = "")
    {
        QLineEdit *line = add(new QLineEdit(QLatin1String(text)), name);
        line->setProperty("Tag", QLatin1String(tag));
        return line;
    }
};

} // namespace

class GuiKeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNow(QDateTime(QDate(2014, 3, 20), QTime(10, 0))); }
    void cleanup() { Clock::reset(); }
    void navigation_data();
    void navigation();
    void numericTag();
};

void GuiKeyboardTest::navigation_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focus");    // where the focus is afterwards
    QTest::addColumn<QString>("selected"); // a box whose whole text is selected afterwards
    QTest::addColumn<int>("kind");         // the combo's choice afterwards (it starts at 1)

    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, enter = Qt::Key_Return;
    QTest::newRow("Enter") << "txtA" << enter << none << "txtB" << "txtB" << 1;
    QTest::newRow("keypad Enter") << "txtA" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "txtB" << "txtB" << 1;
    QTest::newRow("Shift+Enter") << "txtA" << enter << int(Qt::ShiftModifier) << "txtB" << "txtB" << 1;
    QTest::newRow("Ctrl+Enter in a box") << "txtA" << enter << ctrl << "txtB" << "txtB" << 1;
    QTest::newRow("Enter in a multi-line box") << "txtMemo" << enter << none << "cmbKind" << "" << 1;
    QTest::newRow("Enter in a combo") << "cmbKind" << enter << none << "txtDate" << "txtDate" << 1;
    QTest::newRow("Ctrl+Enter in a combo") << "cmbKind" << enter << ctrl << "cmbKind" << "" << -1;
    QTest::newRow("Ctrl+Shift+Enter in a combo") << "cmbKind" << enter << int(ctrl | Qt::ShiftModifier) << "txtDate"
                                                 << "txtDate" << 1;
    QTest::newRow("Enter in the date control") << "txtDate" << enter << none << "txtNum" << "txtNum" << 1;
    QTest::newRow("Enter kept by tag E") << "txtKeep" << enter << none << "txtKeep" << "" << 1;
    QTest::newRow("Enter on a button") << "cmdOk" << enter << none << "cmdOk" << "" << 1;
    QTest::newRow("Down") << "txtA" << int(Qt::Key_Down) << none << "txtB" << "txtA" << 1;
    QTest::newRow("Up") << "txtB" << int(Qt::Key_Up) << none << "txtA" << "txtB" << 1;
    QTest::newRow("Down in a multi-line box") << "txtMemo" << int(Qt::Key_Down) << none << "txtMemo" << "" << 1;
    QTest::newRow("Down in the date control") << "txtDate" << int(Qt::Key_Down) << none << "txtDate" << "" << 1;
}

void GuiKeyboardTest::navigation()
{
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focus);
    QFETCH(QString, selected);
    QFETCH(int, kind);

    EntryForm form;
    SHOW_ACTIVE(&form.window);
    auto *from = form.window.findChild<QWidget *>(start);
    from->setFocus(Qt::MouseFocusReason); // no select-all of its own
    QTRY_COMPARE(focusName(), start);
    if (auto *line = qobject_cast<QLineEdit *>(from))
        line->setCursorPosition(1);

    QTest::keyClick(from, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(focusName(), focus);
    if (!selected.isEmpty()) {
        auto *line = form.window.findChild<QLineEdit *>(selected);
        QCOMPARE(line->selectedText(), line->text());
    }
    // Enter starts no new line; a drop-down list reached by Enter keeps its choice.
    QCOMPARE(form.txtMemo->toPlainText(), QStringLiteral("one\ntwo"));
    QCOMPARE(form.cmbKind->currentIndex(), kind);
    QCOMPARE(form.okClicks, start == QLatin1String("cmdOk") ? 1 : 0);
}

void GuiKeyboardTest::numericTag()
{
    EntryForm form;
    SHOW_ACTIVE(&form.window);
    for (QLineEdit *line : {form.txtNum, form.txtKeep}) {
        FOCUS(line);
        line->clear();
        QTest::keyClicks(line, QStringLiteral("1a-B 2.5"));
        QTest::keyClick(line, Qt::Key_Backspace);
        QCOMPARE(line->text(), line == form.txtNum ? QStringLiteral("12.") : QStringLiteral("1a-B 2."));
    }
}

QV_REGISTER_TEST(GuiKeyboardTest)
#include "GuiKeyboard_test.moc"
