#include "TestRegistry.h"

#include "ui/FormLayout.h"

#include <QTest>

Q_DECLARE_METATYPE(ControlBox)

class FormLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void rectToTwips_data()
    {
        QTest::addColumn<double>("tppY");
        QTest::addColumn<int>("pixel");
        QTest::addColumn<int>("down");
        QTest::newRow("tie rounds down to even") << 12.5 << 1 << 12;
        QTest::newRow("tie rounds up to even") << 12.5 << 3 << 38;
        QTest::newRow("negative tie") << 12.5 << -1 << -12;
        QTest::newRow("no tie") << 10.4 << 2 << 21;
    }
    void rectToTwips()
    {
        QFETCH(double, tppY);
        QFETCH(int, pixel);
        QFETCH(int, down);
        EdgeRect r{pixel, pixel, pixel, pixel};
        RectToTwips(r, 15, tppY); // across at 15 twips a pixel, down at the row's own factor
        QCOMPARE(QList<int>({r.left, r.right, r.top, r.bottom}), QList<int>({pixel * 15, pixel * 15, down, down}));
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
        const ArrangeResult r = ArrangeGeometry({.clientWidthPx = clientPx.width(),
                                                 .clientHeightPx = clientPx.height(),
                                                 .client = EdgeRect{0, 0, 30000, 30000},
                                                 .width = 6000,
                                                 .height = 3000,
                                                 .fontSize = 8,
                                                 .sizable = sizable});
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
    // Taller than the client area: it fills the area's height, and controls
    // anchored to its bottom move up into sight.
    void tallerWindowFitsHeight()
    {
        const ArrangeResult r = ArrangeGeometry({.client = EdgeRect{0, 0, 12000, 7560}, .width = 6000, .height = 9000});
        QCOMPARE(r.height, 7500.0);
        QCOMPARE(r.top, 0.0);
        QVERIFY(r.dh < -1500);
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
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("clientLeft");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        // Client area right edge 12000, bottom 9000; window 5000 by 2000.
        QTest::newRow("modal centred") << 1 << 4 << 0 << true << 3450.0 << 3550.0;
        QTest::newRow("modal right edge") << 1 << 7 << 0 << true << 7000.0 << 3500.0;
        QTest::newRow("modeless centred") << 0 << 4 << 0 << true << 3500.0 << 3160.0;
        QTest::newRow("modeless right edge") << 0 << 7 << 0 << true << 6925.0 << 3160.0;
        QTest::newRow("other position") << 1 << 5 << 0 << false << 0.0 << 0.0;
        QTest::newRow("other mode") << 2 << 4 << 0 << false << 0.0 << 0.0;
        QTest::newRow("client not at the screen's left edge") << 1 << 4 << 3000 << true << 4950.0 << 3550.0;
    }
    void displayPosition()
    {
        QFETCH(int, mode);
        QFETCH(int, position);
        QFETCH(int, clientLeft);
        QFETCH(bool, placed);
        const auto p = DisplayFormPosition(mode, position, EdgeRect{clientLeft, 0, 12000, 9000}, 5000, 2000);
        QCOMPARE(p.has_value(), placed);
        if (placed) {
            QTEST(p->left, "left");
            QTEST(p->top, "top");
        }
    }
};

QV_REGISTER_TEST(FormLayoutTest)
#include "FormLayout_test.moc"
