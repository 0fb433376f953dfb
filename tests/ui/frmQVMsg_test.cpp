#include "TestRegistry.h"
#include "ModalHelpers.h"

#include "ui/FrmImages.h"
#include "ui/QtUserInterface.h"
#include "ui/frmQVMsg.h"

#include <QLabel>
#include <QPushButton>

class FrmQVMsgTest : public QObject
{
    Q_OBJECT
private slots:
    void answerByKeys_data();
    void answerByKeys();
    void lookOfStyles_data();
    void lookOfStyles();
    void closedByTitleBarAnswersOne_data();
    void closedByTitleBarAnswersOne();
    void escapeDoesNotClose();
    void ampersandShowsItself();
    void throughTheSeam();

private:
    struct Look
    {
        bool cancelVisible = false;
        QString okText, cancelText, picture;
        QString focused;
    };
    static int showAndRun(const QString &text, int type, int style, bool neg,
                          std::function<void(QWidget *)> action);
};

int FrmQVMsgTest::showAndRun(const QString &text, int type, int style, bool neg,
                             std::function<void(QWidget *)> action)
{
    onNextModal(std::move(action));
    return ShowQVMsg(text, QStringLiteral("Quorvant"), type, style, neg);
}

void FrmQVMsgTest::answerByKeys_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("defaultNegative");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("result");
    const int enter = Qt::Key_Return;
    QTest::newRow("yes/no default-negative, Enter answers No") << 2 << true << QList<int>{enter} << 1;
    QTest::newRow("yes/no, Enter answers Yes") << 2 << false << QList<int>{enter} << 0;
    QTest::newRow("yes/no default-negative, Space answers No") << 2 << true << QList<int>{int(Qt::Key_Space)} << 1;
    QTest::newRow("yes/no default-negative, Tab then Enter answers Yes")
        << 2 << true << QList<int>{int(Qt::Key_Tab), enter} << 0;
    QTest::newRow("ok alone, Enter") << 0 << true << QList<int>{enter} << 0;
    QTest::newRow("ok/cancel, Enter") << 1 << true << QList<int>{enter} << 0;
    QTest::newRow("ok/cancel, Tab then Enter") << 1 << false << QList<int>{int(Qt::Key_Tab), enter} << 1;
    QTest::newRow("default-negative has no effect on ok/cancel") << 1 << true << QList<int>{enter} << 0;
}

void FrmQVMsgTest::answerByKeys()
{
    QFETCH(int, style);
    QFETCH(bool, defaultNegative);
    QFETCH(QList<int>, keys);
    const int result = showAndRun(QStringLiteral("Are You Sure Want Exit?...... "), 3, style, defaultNegative,
                                  [keys](QWidget *modal) {
                                      for (int key : keys)
                                          pressKey(modal, Qt::Key(key));
                                  });
    QTEST(result, "result");
    QVERIFY(!frmQVMsg::shared()->isVisible());
}

void FrmQVMsgTest::lookOfStyles_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("defaultNegative");
    QTest::addColumn<bool>("cancelVisible");
    QTest::addColumn<QString>("okText");
    QTest::addColumn<QString>("cancelText");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("focused");
    QTest::newRow("ok, note") << 2 << 0 << true << false << "&Ok" << "&Cancel" << "ImgInfo" << "cmdOk";
    QTest::newRow("ok/cancel") << 2 << 1 << true << true << "&Ok" << "&Cancel" << "ImgQuestion" << "cmdOk";
    QTest::newRow("yes/no, No first") << 3 << 2 << true << true << "&Yes" << "&No" << "ImgQuestion" << "cmdCancel";
    QTest::newRow("yes/no, Yes first") << 3 << 2 << false << true << "&Yes" << "&No" << "ImgQuestion" << "cmdOk";
    QTest::newRow("error with yes/no") << 0 << 2 << true << true << "&Yes" << "&No" << "ImgCritical" << "cmdCancel";
    QTest::newRow("error with ok") << 0 << 0 << true << false << "&Ok" << "&Cancel" << "ImgCritical" << "cmdOk";
    // Another style keeps the design buttons, even after a call that changed them.
    QTest::newRow("other style, design state") << 2 << 7 << true << true << "&Ok" << "&Cancel" << "ImgInfo" << "cmdOk";
}

void FrmQVMsgTest::lookOfStyles()
{
    QFETCH(int, type);
    QFETCH(int, style);
    QFETCH(bool, defaultNegative);
    // A previous yes/no box with ok hidden state must not leak into this one.
    showAndRun(QStringLiteral("before"), 2, 0, false, [](QWidget *m) { pressKey(m, Qt::Key_Return); });

    Look seen;
    showAndRun(QStringLiteral("look"), type, style, defaultNegative, [&seen](QWidget *modal) {
        auto *box = qobject_cast<frmQVMsg *>(modal);
        QVERIFY(box);
        seen.cancelVisible = box->cmdCancel->isVisible();
        seen.okText = box->cmdOk->text();
        seen.cancelText = box->cmdCancel->text();
        const QImage shown = box->img->pixmap().toImage();
        for (const QString &name : FrmImages::names()) {
            if (FrmImages::pixmap(name, box->img->size(), box->devicePixelRatioF()).toImage() == shown)
                seen.picture = name;
        }
        seen.focused = keyTarget(modal)->objectName();
        box->close();
    });
    QTEST(seen.cancelVisible, "cancelVisible");
    QTEST(seen.okText, "okText");
    QTEST(seen.cancelText, "cancelText");
    QTEST(seen.picture, "picture");
    QTEST(seen.focused, "focused");
}

void FrmQVMsgTest::closedByTitleBarAnswersOne_data()
{
    QTest::addColumn<int>("style");
    QTest::newRow("ok alone") << 0;
    QTest::newRow("yes/no") << 2;
}

void FrmQVMsgTest::closedByTitleBarAnswersOne()
{
    QFETCH(int, style);
    // The previous answer was 0; closing must not keep it.
    QCOMPARE(showAndRun(QStringLiteral("x"), 2, style, false, [](QWidget *m) { pressKey(m, Qt::Key_Return); }), 0);
    const int result = showAndRun(QStringLiteral("x"), 2, style, false, [](QWidget *modal) { modal->close(); });
    QCOMPARE(result, 1);
}

void FrmQVMsgTest::escapeDoesNotClose()
{
    bool stillOpen = false;
    const int result = showAndRun(QStringLiteral("x"), 3, 2, false, [&stillOpen](QWidget *modal) {
        pressKey(modal, Qt::Key_Escape);
        stillOpen = modal->isVisible();
        pressKey(modal, Qt::Key_Return);
    });
    QVERIFY(stillOpen);
    QCOMPARE(result, 0);
}

void FrmQVMsgTest::ampersandShowsItself()
{
    QString text, caption;
    bool plain = false;
    onNextModal([&](QWidget *modal) {
        auto *box = qobject_cast<frmQVMsg *>(modal);
        text = box->lblMsg->text();
        caption = box->lblMsgCaption->text();
        plain = box->lblMsg->textFormat() == Qt::PlainText && !box->lblMsg->buddy()
            && box->lblMsgCaption->textFormat() == Qt::PlainText;
        pressKey(modal, Qt::Key_Return);
    });
    ShowQVMsg(QStringLiteral("Tom & Jerry && Co"), QStringLiteral("R&D"), 2, 0, true);
    QCOMPARE(text, QStringLiteral("Tom & Jerry && Co"));
    QCOMPARE(caption, QStringLiteral("R&D"));
    QVERIFY(plain);
}

void FrmQVMsgTest::throughTheSeam()
{
    QtUserInterface ui;
    installUserInterface(&ui);
    QString shown;
    onNextModal([&shown](QWidget *modal) {
        if (auto *box = qobject_cast<frmQVMsg *>(modal))
            shown = box->lblMsg->text();
        pressKey(modal, Qt::Key_Return);
    });
    const int result = ShowMessage(QStringLiteral("Please select the Company"), QStringLiteral("Quorvant"), 0, 0, true);
    installUserInterface(nullptr);
    QCOMPARE(shown, QStringLiteral("Please select the Company"));
    QCOMPARE(result, 0);
}

QV_REGISTER_TEST(FrmQVMsgTest)
#include "frmQVMsg_test.moc"
