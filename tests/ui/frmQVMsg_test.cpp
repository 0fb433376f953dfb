#include "TestRegistry.h"

#include "GuiTestHelpers.h"
#include "ui/QtUserInterface.h"
#include "ui/frmQVMsg.h"

#include <QLabel>
#include <QPushButton>

class FrmQVMsgTest : public QObject
{
    Q_OBJECT

    QtUserInterface ui;

    // Asks through the seam and runs `action` on the box; the answer.
    static int ask(int style, bool defaultNegative, std::function<void(frmQVMsg *)> action,
                   const QString &text = QStringLiteral("Are You Sure Want Exit?...... "),
                   const QString &title = QStringLiteral("Quorvant"))
    {
        onNextModal([action](QWidget *box) { action(static_cast<frmQVMsg *>(box)); });
        return ShowMessage(text, title, 3, style, defaultNegative);
    }

private slots:
    void init() { installUserInterface(&ui); }
    void cleanup() { installUserInterface(nullptr); }

    void answers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("defaultNegative");
        QTest::addColumn<QList<int>>("keys"); // 0: closed by its title bar
        QTest::addColumn<int>("result");
        const int enter = Qt::Key_Return, tab = Qt::Key_Tab;
        QTest::newRow("yes/no default-negative, Enter answers No") << 2 << true << QList<int>{enter} << 1;
        QTest::newRow("yes/no, Enter answers Yes") << 2 << false << QList<int>{enter} << 0;
        QTest::newRow("default-negative, Space answers No") << 2 << true << QList<int>{int(Qt::Key_Space)} << 1;
        QTest::newRow("default-negative, Tab then Enter answers Yes") << 2 << true << QList<int>{tab, enter} << 0;
        QTest::newRow("ok alone, Enter") << 0 << true << QList<int>{enter} << 0;
        QTest::newRow("ok/cancel, Tab then Enter") << 1 << false << QList<int>{tab, enter} << 1;
        QTest::newRow("default-negative has no effect on ok/cancel") << 1 << true << QList<int>{enter} << 0;
        QTest::newRow("Esc does not close") << 2 << false << QList<int>{int(Qt::Key_Escape), enter} << 0;
        QTest::newRow("closing an ok box answers 1") << 0 << false << QList<int>{0} << 1;
        QTest::newRow("closing a yes/no box answers 1") << 2 << false << QList<int>{0} << 1;
    }
    void answers()
    {
        QFETCH(int, style);
        QFETCH(bool, defaultNegative);
        QFETCH(QList<int>, keys);
        QCOMPARE(ask(0, false, [](frmQVMsg *box) { pressKey(box, Qt::Key_Return); }), 0); // not to be kept
        int closedAfter = -1; // keys pressed when the box had closed
        const int result = ask(style, defaultNegative, [&](frmQVMsg *box) {
            for (int i = 0; i < keys.size() && box->isVisible(); ++i) {
                keys[i] ? pressKey(box, Qt::Key(keys[i])) : void(box->close());
                closedAfter = box->isVisible() ? -1 : i + 1;
            }
        });
        QCOMPARE(closedAfter, keys.size()); // by the last key, not before, not by the test's own close
        QTEST(result, "result");
    }

    void buttonsFollowTheStyle_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("buttons"); // "-" for a hidden one
        QTest::newRow("ok alone") << 0 << "&Ok -";
        QTest::newRow("ok/cancel") << 1 << "&Ok &Cancel";
        QTest::newRow("yes/no") << 2 << "&Yes &No";
        QTest::newRow("another style") << 7 << "&Ok &Cancel";
    }
    void buttonsFollowTheStyle()
    {
        QFETCH(int, style);
        // After a yes/no box: nothing of it may carry over.
        ask(2, true, [](frmQVMsg *box) { pressKey(box, Qt::Key_Return); });
        QString buttons;
        ask(style, false, [&buttons](frmQVMsg *box) {
            for (QPushButton *b : {box->cmdOk, box->cmdCancel})
                buttons += (buttons.isEmpty() ? QString() : QStringLiteral(" ")) + (b->isVisible() ? b->text() : "-");
        });
        QTEST(buttons, "buttons");
    }

    void ampersandShowsItself()
    {
        QString text, caption;
        bool plain = false;
        ask(0, true, [&](frmQVMsg *box) {
            text = box->lblMsg->text();
            caption = box->lblMsgCaption->text();
            plain = box->lblMsg->textFormat() == Qt::PlainText && !box->lblMsg->buddy()
                && box->lblMsgCaption->textFormat() == Qt::PlainText;
        }, QStringLiteral("Tom & Jerry && Co"), QStringLiteral("R&D"));
        QCOMPARE(text, QStringLiteral("Tom & Jerry && Co"));
        QCOMPARE(caption, QStringLiteral("R&D"));
        QVERIFY(plain);
    }
};

QV_REGISTER_TEST(FrmQVMsgTest)
#include "frmQVMsg_test.moc"
