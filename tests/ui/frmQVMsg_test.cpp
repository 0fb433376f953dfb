#include "TestRegistry.h"

#include "WindowTestHelpers.h"
#include "ui/DesktopUserInterface.h"
#include "ui/frmQVMsg.h"

#include <QLabel>
#include <QPushButton>

class FrmQVMsgTest : public QObject
{
    Q_OBJECT

    DesktopUserInterface ui;

    // Asks through the seam and runs `action` on the box; the answer. Ampersands
    // must show as typed, not as mnemonics.
    static int ask(int style, bool defaultNegative, std::function<void(frmQVMsg *)> action)
    {
        onNextModal([action](QWidget *box) { action(static_cast<frmQVMsg *>(box)); });
        return ShowMessage(QStringLiteral("Tom & Jerry && Co"), QStringLiteral("R&D"), MsgBoxType::Confirmation, style,
                           defaultNegative);
    }

private slots:
    void init() { InstallUserInterface(&ui); }
    void cleanup() { InstallUserInterface(nullptr); }

    void answers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("defaultNegative");
        QTest::addColumn<QList<int>>("keys"); // 0: closed by its title bar
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("buttons"); // "-" for a hidden one
        const int enter = Qt::Key_Return, tab = Qt::Key_Tab;
        const QString ok = QStringLiteral("&Ok -"), okCancel = QStringLiteral("&Ok &Cancel"),
                      yesNo = QStringLiteral("&Yes &No");
        QTest::newRow("yes/no default-negative, Enter answers No")
            << MsgButtons::YesNo << true << QList<int>{enter} << 1 << yesNo;
        QTest::newRow("default-negative, Space answers No")
            << MsgButtons::YesNo << true << QList<int>{int(Qt::Key_Space)} << 1 << yesNo;
        QTest::newRow("default-negative, Tab then Enter answers Yes")
            << MsgButtons::YesNo << true << QList<int>{tab, enter} << 0 << yesNo;
        QTest::newRow("ok alone, Enter") << MsgButtons::Ok << true << QList<int>{enter} << 0 << ok;
        QTest::newRow("ok/cancel, Tab then Enter")
            << MsgButtons::OkCancel << false << QList<int>{tab, enter} << 1 << okCancel;
        QTest::newRow("default-negative has no effect on ok/cancel")
            << MsgButtons::OkCancel << true << QList<int>{enter} << 0 << okCancel;
        QTest::newRow("another style is ok/cancel") << 7 << false << QList<int>{enter} << 0 << okCancel;
        QTest::newRow("Esc answers No") << MsgButtons::YesNo << false << QList<int>{int(Qt::Key_Escape)} << 1 << yesNo;
        QTest::newRow("closing an ok box answers 1") << MsgButtons::Ok << false << QList<int>{0} << 1 << ok;
    }
    void answers()
    {
        QFETCH(int, style);
        QFETCH(bool, defaultNegative);
        QFETCH(QList<int>, keys);
        // Nothing of the box before may carry over: an ok box before a yes/no one, a
        // default-negative yes/no box before the others.
        const int before = style == MsgButtons::YesNo ? MsgButtons::Ok : MsgButtons::YesNo;
        QCOMPARE(ask(before, true, [](frmQVMsg *box) { pressKey(box, Qt::Key_Return); }),
                 before == MsgButtons::YesNo ? 1 : 0);
        int closedAfter = -1; // keys pressed when the box had closed
        QString buttons, text;
        bool plain = false;
        const int result = ask(style, defaultNegative, [&](frmQVMsg *box) {
            for (QPushButton *b : {box->cmdOk, box->cmdCancel})
                buttons += (buttons.isEmpty() ? QString() : QStringLiteral(" ")) + (b->isVisible() ? b->text() : "-");
            text = box->lblMsg->text() + QLatin1Char('|') + box->lblMsgCaption->text();
            plain = box->lblMsg->textFormat() == Qt::PlainText && !box->lblMsg->buddy()
                    && box->lblMsgCaption->textFormat() == Qt::PlainText;
            for (int i = 0; i < keys.size() && box->isVisible(); ++i) {
                keys[i] ? pressKey(box, Qt::Key(keys[i])) : void(box->close());
                closedAfter = box->isVisible() ? -1 : i + 1;
            }
        });
        QCOMPARE(closedAfter, keys.size()); // by the last key, not before, not by the test's own close
        QTEST(result, "result");
        QTEST(buttons, "buttons");
        QCOMPARE(text, QStringLiteral("Tom & Jerry && Co|R&D"));
        QVERIFY(plain);
    }
};

QV_REGISTER_TEST(FrmQVMsgTest)
#include "frmQVMsg_test.moc"
