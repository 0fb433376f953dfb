#include "WindowTestHelpers.h"
#include "TestRegistry.h"

#include "ui/FrmImages.h"
#include "ui/WindowKit.h"
#include "ui/frmQVMsg.h"

#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <array>

// The message box's buttons stand in the middle, whole; a focused button shows it.
class ButtonFramesTest : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxButtonsCentredAndWhole()
    {
        for (int style : {MsgButtons::Ok, MsgButtons::YesNo}) {
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
};

QV_REGISTER_TEST(ButtonFramesTest)
#include "ButtonFrames_test.moc"
