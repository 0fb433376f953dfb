#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "ui/DesktopUserInterface.h"
#include "ui/FrmImages.h"
#include "ui/WindowKit.h"
#include "ui/frmQVMsg.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <array>

// The message box: its answers, its buttons in the middle and whole; a focused button shows it.
class ButtonFramesTest : public QObject
{
    Q_OBJECT

    DesktopUserInterface ui;

    // Asks through the seam and runs `action` on the box; the answer. Ampersands
    // must show as typed, not as mnemonics.
    static int ask(MsgButtons style, bool defaultNegative, std::function<void(frmQVMsg *)> action)
    {
        onNextModal([action](QWidget *box) { action(static_cast<frmQVMsg *>(box)); });
        return ShowMessage(QStringLiteral("Tom & Jerry && Co"), QStringLiteral("R&D"), MsgBoxType::Confirmation, style,
                           defaultNegative);
    }

private slots:
    void init() { InstallUserInterface(&ui); }
    void cleanup() { InstallUserInterface(nullptr); }

    void messageBoxButtonsCentredAndWhole()
    {
        for (MsgButtons style : {MsgButtons::Ok, MsgButtons::YesNo}) {
            frmQVMsg box;
            QFont large = box.font();
            large.setPointSizeF(large.pointSizeF() * 1.5); // type grown as at scale 1.5
            box.setFont(large);
            box.setMsgButtons(style);
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            const int middle = box.gpbMain->width() / 2;
            for (QPushButton *b : {box.cmdOk, box.cmdCancel})
                QVERIFY(!b->isVisible()
                        || (b->width() >= b->sizeHint().width() && b->geometry().bottom() < box.gpbMain->height()));
            if (style == MsgButtons::Ok)
                QVERIFY(qAbs(box.cmdOk->geometry().center().x() - middle) <= 1);
            else
                QVERIFY(box.cmdOk->geometry().right() < middle && box.cmdCancel->x() >= middle);
        }
    }

    // Focus set by the program, not by Tab, still shows.
    void focusedButtonShowsAFrame()
    {
        const QString before = QApplication::style()->name();
        InstallFocusFrames();
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *first = new QPushButton(QStringLiteral("&Yes"), &window);
        auto *second = new QPushButton(QStringLiteral("&Yes"), &window);
        layout->addWidget(first);
        layout->addWidget(second);
        SHOW_ACTIVE(&window);
        FOCUS(first);
        const bool differ = first->grab().toImage() != second->grab().toImage();
        QApplication::setStyle(before);
        QVERIFY(differ);
    }

    // Amounts in windows: the locale's grouping (Indian above the thousands in India), plain where it has none.
    void localeAmounts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("shown");
        for (const auto &[tag, locale, plain, shown] : {std::array{"India", "en_IN", "-12345678.50", "-1,23,45,678.50"},
                                                        {"Britain", "en_GB", "12345678.50", "12,345,678.50"},
                                                        {"Germany", "de_DE", "1234.5", "1.234,5"},
                                                        {"short", "en_IN", "999.00", "999.00"},
                                                        {"C", "C", "12345678.50", "12345678.50"},
                                                        {"no amount", "en_IN", "TOTAL", "TOTAL"}})
            QTest::newRow(tag) << QString(locale) << QString(plain) << QString(shown);
    }
    void localeAmounts()
    {
        QFETCH(QString, locale);
        QFETCH(QString, plain);
        QTEST(LocaleAmount(plain, QLocale(locale)), "shown");
    }

    void everyPictureDraws_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"ImgInfo", "ImgQuestion", "ImgCritical", "ImgExit", "ImgClose", "ImgOk", "ImgCancel",
                                 "ImgXML", "ImgWorkbook"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyPictureDraws()
    {
        QFETCH(QString, name);
        const QImage image = FrmImages::pixmap(name, QSize(40, 40), 2.0).toImage();
        QCOMPARE(image.size(), QSize(80, 80));
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200;
        // Something was drawn, and not a filled square.
        QVERIFY2(opaque > 400 && opaque < 80 * 80, qPrintable(QString::number(opaque)));
    }

    void answers_data()
    {
        QTest::addColumn<MsgButtons>("style");
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
        QTest::newRow("Esc answers No") << MsgButtons::YesNo << false << QList<int>{int(Qt::Key_Escape)} << 1 << yesNo;
        QTest::newRow("closing an ok box answers 1") << MsgButtons::Ok << false << QList<int>{0} << 1 << ok;
    }
    void answers()
    {
        QFETCH(MsgButtons, style);
        QFETCH(bool, defaultNegative);
        QFETCH(QList<int>, keys);
        // Nothing of the box before may carry over: an ok box before a yes/no one, a
        // default-negative yes/no box before the others.
        const MsgButtons before = style == MsgButtons::YesNo ? MsgButtons::Ok : MsgButtons::YesNo;
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

QV_REGISTER_TEST(ButtonFramesTest)
#include "ButtonFrames_test.moc"
