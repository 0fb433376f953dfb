#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "ui/FormDisplay.h"
#include "ui/FormLayout.h"
#include "ui/Twips.h"
#include "ui/frmPleaseWait.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// A main window whose client area has an exact size in pixels.
struct Frame
{
    QMainWindow window;
    QMdiArea *area = new QMdiArea;

    explicit Frame(QSize client)
    {
        window.setCentralWidget(area);
        window.show();
        window.move(40, 30);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(window.size() + (client - area->viewport()->size()));
        QTRY_COMPARE(area->viewport()->size(), client);
        SetClientArea(area);
    }
    ~Frame() { SetClientArea(nullptr); }

    // A fixed-size form whose sub-window, frame included, is `outer` pixels.
    QWidget *fixedForm(QSize outer)
    {
        QMdiSubWindow *probe = area->addSubWindow(new QWidget);
        const QMargins frame = probe->contentsMargins();
        delete probe;
        auto *form = new QWidget;
        form->setFixedSize(outer.shrunkBy(frame));
        return form;
    }
};

} // namespace

Q_DECLARE_METATYPE(ControlBox)

// The arithmetic of arranging a window (in twips), then as applied to real windows.
class GuiFormLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (TwipsPerPixelX() != 15.0 || TwipsPerPixelY() != 15.0)
            QSKIP("the expected pixels assume 15 twips per pixel");
    }

    void fixedWindowScalesAndMovesAnchoredControls()
    {
        Frame frame(QSize(1000, 630));
        QWidget *form = frame.fixedForm(QSize(266, 133)); // 3990 by 1995 twips
        QFont font = form->font();
        font.setPointSizeF(8);
        form->setFont(font);
        auto *grows = new QLabel(form), *moves = new QLabel(form), *stays = new QLabel(form);
        grows->setGeometry(10, 10, 100, 50);
        SetWidgetTag(grows, QStringLiteral("XYRB"));
        moves->setGeometry(150, 10, 60, 20);
        SetWidgetTag(moves, QStringLiteral("_YR_"));
        stays->setGeometry(10, 80, 60, 20);

        ArrangeForm(form);
        QMdiSubWindow *sub = HostSubWindow(form);
        QVERIFY(sub && sub->isVisible());
        // 1.25 times 3990 by 1995 twips, centred in 15000 by 9450.
        QCOMPARE(sub->geometry(), TwipsRect((15000 - 4987.5) / 2, (9450 - 2493.75) / 2, 4987.5, 2493.75));
        QCOMPARE(form->font().pointSizeF(), 10.0);
        // Grown by 4987.5 - 67 - 3990 = 930 and 2493.75 - 60 - 1995 = 439, rounded to even.
        QCOMPARE(grows->geometry(), TwipsRect(150, 150, 1500 + 930, 750 + 439));
        QCOMPARE(moves->geometry(), TwipsRect(2250 + 930, 150, 900, 300));
        QCOMPARE(stays->geometry(), QRect(10, 80, 60, 20));
    }

    // A fixed window larger than the client area keeps its design size and its anchored button where it was (the
    // area scrolls), and once arranged it only comes to the front; a sizable window snaps to the area or is made to
    // fit.
    void arrangeInTheClientArea()
    {
        Frame frame(QSize(700, 504));
        QWidget *fixed = frame.fixedForm(QSize(400, 600)), *snaps = new QWidget, *large = new QWidget;
        auto *button = new QLabel(fixed);
        button->setGeometry(150, 540, 60, 20);
        SetWidgetTag(button, QStringLiteral("X__B"));
        QMdiSubWindow *snapsSub = frame.area->addSubWindow(snaps);
        snapsSub->resize(698, 200); // 30 twips narrower than the client: snapped to 60 narrower
        large->resize(800, 700);
        for (QWidget *form : {fixed, large, snaps})
            ArrangeForm(form);
        QMdiSubWindow *sub = HostSubWindow(fixed);
        QCOMPARE(sub->size(), QSize(400, 600));
        QCOMPARE(button->geometry(), QRect(150, 540, 60, 20));
        QVERIFY(QRect(QPoint(0, 0), frame.area->viewport()->size()).contains(HostSubWindow(large)->geometry()));
        QCOMPARE(snapsSub->geometry(), QRect(0, 152, 700 - 4, 200));
        QCOMPARE(frame.area->activeSubWindow(), snapsSub);
        sub->move(5, 5);
        ArrangeForm(fixed);
        QCOMPARE(frame.area->activeSubWindow(), sub);
        QCOMPARE(sub->geometry(), QRect(5, 5, 400, 600));
    }

    // A modal window centred over the client area; the indicator over its middle, shown once however often asked.
    void centredOverTheClientArea()
    {
        Frame frame(QSize(800, 504));
        QDialog dialog;
        dialog.setFixedSize(200, 100);
        QPoint shownAt;
        onNextModal([&](QWidget *modal) { shownAt = modal->pos(); });
        DisplayForm(&dialog, FormMode::Modal, FormPosition::Centre);
        const QPoint centre = frame.area->viewport()->mapToGlobal(QPoint(400, 252));
        // 50 twips left and 50 down of the centre.
        QCOMPARE(shownAt, QPoint(TwipsToPixelsX(PixelsToTwipsX(centre.x()) - 1500 - 50),
                                 TwipsToPixelsY(PixelsToTwipsY(centre.y()) - 750 + 50)));

        const auto windows = QApplication::topLevelWidgets().size();
        HidePleaseWaitWindow(); // before any show: nothing appears
        QVERIFY(!frmPleaseWait::isShown());
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);

        ShowPleaseWaitWindow();
        ShowPleaseWaitWindow();
        frmPleaseWait *w = frmPleaseWait::shared();
        QVERIFY(w->isVisible());
        QCOMPARE(w->parentWidget(), frame.area->viewport());
        QCOMPARE(w->pos(), QPoint(TwipsToPixelsX(6000 - PixelsToTwipsX(w->width()) / 2),
                                  TwipsToPixelsY(3780 - PixelsToTwipsY(w->height()) / 2 - 340)));
        HidePleaseWaitWindow(); // one hide, however many shows came before
        QVERIFY(!frmPleaseWait::isShown());
    }
    // A 6000 by 3000 twip window in client areas of several sizes.
    void scaling_data()
    {
        QTest::addColumn<QSize>("clientPx");
        QTest::addColumn<bool>("sizable");
        QTest::addColumn<QSizeF>("arranged");
        QTest::addColumn<double>("font"); // from 8 points
        // What anchored controls follow: the change of size less the border allowances.
        QTest::addColumn<int>("dw");
        QTest::addColumn<int>("dh");
        const QSizeF window(6000, 3000);
        QTest::newRow("design client: factor 1") << QSize(800, 504) << false << window << 8.0 << -67 << -60;
        QTest::newRow("1000 pixels wide") << QSize(1000, 504) << false << QSizeF(7500, 3000) << 8.0 << 1433 << -60;
        QTest::newRow("taller scales height and font")
            << QSize(800, 630) << false << QSizeF(6000, 3750) << 10.0 << -67 << 690;
        QTest::newRow("sizable window keeps its size") << QSize(1000, 630) << true << window << 8.0 << -67 << -60;
    }
    void scaling()
    {
        QFETCH(QSize, clientPx);
        QFETCH(bool, sizable);
        // A client area too large to snap to.
        ArrangeInput in{.client = EdgeRect{0, 0, 30000, 30000}, .width = 6000, .height = 3000, .fontSize = 8};
        in.clientWidthPx = clientPx.width();
        in.clientHeightPx = clientPx.height();
        in.sizable = sizable;
        const ArrangeResult r = ArrangeGeometry(in);
        QTEST(QSizeF(r.width, r.height), "arranged");
        QTEST(r.fontSize, "font");
        QTEST(r.dw, "dw");
        QTEST(r.dh, "dh");
    }

    void snapAndCentre_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("expectWidth");
        QTest::addColumn<double>("expectLeft");
        // The client area is 12000 twips wide: within 60 of it, a window gets 11940.
        QTest::newRow("exactly 60 wider snaps") << 12060.0 << 11940.0 << 0.0;
        QTest::newRow("61 narrower keeps") << 11939.0 << 11939.0 << 0.0;
        QTest::newRow("much wider gets left 0, not negative") << 14000.0 << 14000.0 << 0.0;
        QTest::newRow("small window centred") << 6000.0 << 6000.0 << 3000.0;
        QTest::newRow("left of exactly 60 goes to 0") << 11880.0 << 11880.0 << 0.0;
        QTest::newRow("left of 62 stays") << 11876.0 << 11876.0 << 62.0;
    }
    // Taller than the client area: it fills the area's height, and controls anchored to its bottom move up into sight.
    void tallerWindowFitsHeight()
    {
        const ArrangeResult r = ArrangeGeometry({.client = EdgeRect{0, 0, 12000, 7560}, .width = 6000, .height = 9000});
        QVERIFY(r.height == 7500.0 && r.top == 0.0 && r.dh < -1500);
    }

    void snapAndCentre()
    {
        QFETCH(double, width);
        ArrangeInput in{.client = EdgeRect{300, 900, 300 + 12000, 900 + 7560}, .width = width, .height = 3000};
        const ArrangeResult r = ArrangeGeometry(in);
        QTEST(r.width, "expectWidth");
        QTEST(r.left, "expectLeft");
        // A child window counts from the client area's corner, wherever that is on screen.
        QCOMPARE(r.top, (7560.0 - 3000.0) / 2);

        // A top-level window is placed in screen coordinates and never snapped.
        in.child = false;
        const ArrangeResult top = ArrangeGeometry(in);
        QCOMPARE(top.width, width);
        QCOMPARE(top.top, 900 + (7560.0 - 3000.0) / 2);
    }

    void anchors_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<ControlBox>("box");
        // A control at 100, 200, 1000 by 500; the window grew by 300 across, 40 down.
        QTest::newRow("XYRB") << "XYRB" << ControlBox{100, 200, 1300, 540};
        QTest::newRow("_YRB") << "_YRB" << ControlBox{400, 200, 1000, 540};
        QTest::newRow("_YR_") << "_YR_" << ControlBox{400, 200, 1000, 500};
        QTest::newRow("X__B") << "X__B" << ControlBox{100, 240, 1000, 500};
        QTest::newRow("__RB") << "__RB" << ControlBox{400, 240, 1000, 500};
        QTest::newRow("_Y_B") << "_Y_B" << ControlBox{100, 200, 1000, 540};
        QTest::newRow("XY_B") << "XY_B" << ControlBox{100, 200, 1000, 540};
        QTest::newRow("XYR_") << "XYR_" << ControlBox{100, 200, 1300, 500};
        QTest::newRow("lower case") << "xyrb" << ControlBox{100, 200, 1300, 540};
        QTest::newRow("inside other letters") << "EN_YR_" << ControlBox{400, 200, 1000, 500};
        QTest::newRow("earlier code in the list wins") << "X__B _YR_" << ControlBox{400, 200, 1000, 500};
        QTest::newRow("XYRB before XYR_") << "XYR_XYRB" << ControlBox{100, 200, 1300, 540};
        QTest::newRow("line code is no anchor") << "XY" << ControlBox{100, 200, 1000, 500};
    }
    void anchors()
    {
        QFETCH(QString, tag);
        QTEST(ApplyAnchor(AnchorFromTag(tag), ControlBox{100, 200, 1000, 500}, 300, 40), "box");
    }

    void displayPosition_data()
    {
        QTest::addColumn<FormMode>("mode");
        QTest::addColumn<FormPosition>("position");
        QTest::addColumn<int>("clientLeft");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        // Client area right edge 12000, bottom 9000; window 5000 by 2000.
        QTest::newRow("modal centred") << FormMode::Modal << FormPosition::Centre << 0 << 3450.0 << 3550.0;
        QTest::newRow("modal right edge") << FormMode::Modal << FormPosition::RightEdge << 0 << 7000.0 << 3500.0;
        QTest::newRow("modeless centred") << FormMode::Modeless << FormPosition::Centre << 0 << 3500.0 << 3160.0;
        QTest::newRow("modeless right edge") << FormMode::Modeless << FormPosition::RightEdge << 0 << 6925.0 << 3160.0;
        QTest::newRow("client not at the screen's left edge")
            << FormMode::Modal << FormPosition::Centre << 3000 << 4950.0 << 3550.0;
    }
    void displayPosition()
    {
        QFETCH(FormMode, mode);
        QFETCH(FormPosition, position);
        QFETCH(int, clientLeft);
        const TwipPoint p = DisplayFormPosition(mode, position, EdgeRect{clientLeft, 0, 12000, 9000}, 5000, 2000);
        QTEST(p.left, "left");
        QTEST(p.top, "top");
    }
};

QV_REGISTER_TEST(GuiFormLayoutTest)
#include "FormDisplay_test.moc"
