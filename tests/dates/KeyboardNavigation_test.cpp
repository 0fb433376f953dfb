#include "TestHelpers.h"
#include "TestRegistry.h"

#include "WindowTestHelpers.h"
#include "dates/KeyboardNavigation.h"
#include "dates/ucDate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// A data-entry window under the shared keyboard handling; tab order as made.
struct EntryForm
{
    QWidget window;
    QPlainTextEdit *txtMemo = new QPlainTextEdit(QStringLiteral("one\ntwo"));
    QComboBox *cmbKind = new QComboBox;
    int okClicks = 0;

    EntryForm()
    {
        auto add = [this](auto *w, const char *name, const char *tag = "") {
            w->setParent(&window);
            w->setObjectName(QLatin1String(name));
            w->setProperty("Tag", QLatin1String(tag));
            return w;
        };
        add(new QLineEdit(QStringLiteral("alpha")), "txtA");
        add(new QLineEdit(QStringLiteral("beta")), "txtB");
        add(txtMemo, "txtMemo");
        add(cmbKind, "cmbKind")->addItems({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
        add(new ucDate, "dtDate")->setText(QStringLiteral("05/03/2014"));
        add(new QLineEdit(QStringLiteral("gamma")), "txtC");
        add(new QLineEdit(QStringLiteral("keep")), "txtKeep", "XE");
        QObject::connect(add(new QPushButton(QStringLiteral("OK")), "cmdOk"), &QPushButton::clicked,
                         [this] { ++okClicks; });
        cmbKind->setCurrentIndex(1);
        new KeyPreview(&window);
    }
};

} // namespace

class GuiKeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { FixedClock::set(QDateTime(QDate(2014, 3, 20), QTime(10, 0))); }
    void cleanup() { FixedClock::reset(); }

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

        EntryForm form;
        SHOW_ACTIVE(&form.window);
        auto *from = form.window.findChild<QWidget *>(start);
        from->setFocus(Qt::MouseFocusReason); // no select-all of its own
        QTRY_COMPARE(focusName(), start);
        if (auto *line = qobject_cast<QLineEdit *>(from))
            line->setCursorPosition(1);

        QTest::keyClick(from, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(focusName(), "focus");
        if (!selected.isEmpty()) {
            auto *line = form.window.findChild<QLineEdit *>(selected);
            QCOMPARE(line->selectedText(), line->text());
        }
        QCOMPARE(form.txtMemo->toPlainText(), QStringLiteral("one\ntwo"));
        QTEST(form.cmbKind->currentIndex(), "kind");
        QCOMPARE(form.okClicks, start == QLatin1String("cmdOk") ? 1 : 0);
    }
};

QV_REGISTER_TEST(GuiKeyboardTest)
#include "KeyboardNavigation_test.moc"
