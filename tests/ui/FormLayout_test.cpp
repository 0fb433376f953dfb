#include "TestRegistry.h"

#include "ui/FormLayout.h"

#include <QTest>

class FormLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void rectToTwips_data();
    void rectToTwips();
    void scaling_data();
    void scaling();
    void snapAndCentre_data();
    void snapAndCentre();
    void topLevelWindowCentresOnScreenCoordinates();
    void sizeChangeForControls();
    void anchorFromTag_data();
    void anchorFromTag();
    void applyAnchor_data();
    void applyAnchor();
    void displayPosition_data();
    void displayPosition();
};

void FormLayoutTest::rectToTwips_data()
{
    QTest::addColumn<double>("tpp");
    QTest::addColumn<int>("pixel");
    QTest::addColumn<int>("twips");
    QTest::newRow("96 dpi") << 15.0 << 53 << 795;
    QTest::newRow("tie rounds down to even") << 12.5 << 1 << 12;
    QTest::newRow("tie rounds up to even") << 12.5 << 3 << 38;
    QTest::newRow("negative tie") << 12.5 << -1 << -12;
    QTest::newRow("no tie") << 10.4 << 2 << 21;
}

void FormLayoutTest::rectToTwips()
{
    QFETCH(double, tpp);
    QFETCH(int, pixel);
    QFETCH(int, twips);
    EdgeRect r{pixel, pixel, pixel, pixel};
    RectToTwips(r, tpp, tpp);
    QCOMPARE(r.left, twips);
    QCOMPARE(r.top, twips);
    QCOMPARE(r.right, twips);
    QCOMPARE(r.bottom, twips);

    // Across and down use their own factors.
    EdgeRect both{10, 20, 810, 524};
    RectToTwips(both, 15, 10);
    QCOMPARE(both.left, 150);
    QCOMPARE(both.right, 12150);
    QCOMPARE(both.top, 200);
    QCOMPARE(both.bottom, 5240);
}

void FormLayoutTest::scaling_data()
{
    QTest::addColumn<int>("clientWidthPx");
    QTest::addColumn<int>("clientHeightPx");
    QTest::addColumn<bool>("sizable");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<double>("fx");
    QTest::addColumn<double>("fy");
    QTest::addColumn<double>("expectWidth");
    QTest::addColumn<double>("expectHeight");
    QTest::addColumn<double>("expectFont");

    QTest::newRow("design size keeps a fixed window")
        << 800 << 504 << false << 6000.0 << 3000.0 << 8.25 << 1.0 << 1.0 << 6000.0 << 3000.0 << 8.25;
    QTest::newRow("wider client scales a fixed window")
        << 1000 << 504 << false << 6000.0 << 3000.0 << 8.25 << 1.25 << 1.0 << 7500.0 << 3000.0 << 8.25;
    QTest::newRow("taller client scales height and font")
        << 800 << 630 << false << 6000.0 << 3000.0 << 8.0 << 1.0 << 1.25 << 6000.0 << 3750.0 << 10.0;
    QTest::newRow("sizable window keeps its size")
        << 1000 << 630 << true << 6000.0 << 3000.0 << 8.25 << 1.25 << 1.25 << 6000.0 << 3000.0 << 8.25;
}

void FormLayoutTest::scaling()
{
    QFETCH(int, clientWidthPx);
    QFETCH(int, clientHeightPx);
    QFETCH(bool, sizable);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, fontSize);
    ArrangeInput in;
    in.clientWidthPx = clientWidthPx;
    in.clientHeightPx = clientHeightPx;
    // A large client in twips, so no snapping to its edges interferes.
    in.client = EdgeRect{0, 0, 30000, 30000};
    in.width = width;
    in.height = height;
    in.fontSize = fontSize;
    in.sizable = sizable;
    const ArrangeResult r = ArrangeGeometry(in);
    QTEST(r.fx, "fx");
    QTEST(r.fy, "fy");
    QTEST(r.width, "expectWidth");
    QTEST(r.height, "expectHeight");
    QTEST(r.fontSize, "expectFont");
}

void FormLayoutTest::snapAndCentre_data()
{
    QTest::addColumn<int>("clientWidthPx");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("expectWidth");
    QTest::addColumn<double>("expectLeft");

    // Client area 12000 twips wide (800 pixels at 15 twips each): tolerance 60.
    QTest::newRow("100 narrower keeps its width") << 800 << 11900.0 << 11900.0 << 0.0;
    QTest::newRow("40 wider snaps to CW - 60") << 800 << 12040.0 << 11940.0 << 0.0;
    QTest::newRow("60 narrower snaps") << 800 << 11940.0 << 11940.0 << 0.0;
    QTest::newRow("61 narrower keeps") << 800 << 11939.0 << 11939.0 << 0.0;
    QTest::newRow("exactly 60 wider snaps") << 800 << 12060.0 << 11940.0 << 0.0;
    QTest::newRow("much wider gets left 0, not negative") << 800 << 14000.0 << 14000.0 << 0.0;
    QTest::newRow("small window centred") << 800 << 6000.0 << 6000.0 << 3000.0;
    QTest::newRow("left of exactly 60 goes to 0") << 800 << 11880.0 << 11880.0 << 0.0;
    QTest::newRow("left of 62 stays") << 800 << 11876.0 << 11876.0 << 62.0;
}

void FormLayoutTest::snapAndCentre()
{
    QFETCH(int, clientWidthPx);
    QFETCH(double, width);
    ArrangeInput in;
    in.clientWidthPx = clientWidthPx;
    in.clientHeightPx = 504;
    in.client = EdgeRect{300, 900, 300 + 12000, 900 + 7560};
    in.width = width;
    in.height = 3000;
    in.sizable = true;
    in.child = true;
    const ArrangeResult r = ArrangeGeometry(in);
    QTEST(r.width, "expectWidth");
    QTEST(r.left, "expectLeft");
    // Child windows count from the client area's corner, whatever its place on screen.
    QCOMPARE(r.top, (7560.0 - 3000.0) / 2);
}

void FormLayoutTest::topLevelWindowCentresOnScreenCoordinates()
{
    ArrangeInput in;
    in.client = EdgeRect{300, 900, 12300, 8460};
    in.width = 6000;
    in.height = 3000;
    in.child = false;
    const ArrangeResult r = ArrangeGeometry(in);
    QCOMPARE(r.left, 300 + 3000.0);
    QCOMPARE(r.top, 900 + (7560.0 - 3000.0) / 2);
    // No snapping for a top-level window.
    in.width = 12040;
    QCOMPARE(ArrangeGeometry(in).width, 12040.0);
}

void FormLayoutTest::sizeChangeForControls()
{
    // A fixed window 4000 by 2000 on a client 1000 by 630 pixels grows by
    // 1000 across and 500 down; its controls follow less the allowances.
    ArrangeInput in;
    in.clientWidthPx = 1000;
    in.clientHeightPx = 630;
    in.client = EdgeRect{0, 0, 15000, 9450};
    in.width = 4000;
    in.height = 2000;
    in.sizable = false;
    const ArrangeResult r = ArrangeGeometry(in);
    QCOMPARE(r.width, 5000.0);
    QCOMPARE(r.height, 2500.0);
    QCOMPARE(r.dw, 933);
    QCOMPARE(r.dh, 440);
    const ControlBox grown = ApplyAnchor(AnchorFromTag(QStringLiteral("XYRB")), ControlBox{100, 200, 3000, 1000},
                                         r.dw, r.dh);
    QCOMPARE(grown, (ControlBox{100, 200, 3933, 1440}));

    // Unchanged size: the allowances alone remain.
    in.clientWidthPx = 800;
    in.clientHeightPx = 504;
    const ArrangeResult same = ArrangeGeometry(in);
    QCOMPARE(same.dw, -67);
    QCOMPARE(same.dh, -60);
}

void FormLayoutTest::anchorFromTag_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("anchor");
    QTest::newRow("XYRB") << "XYRB" << int(Anchor::XYRB);
    QTest::newRow("lower case") << "xyrb" << int(Anchor::XYRB);
    QTest::newRow("_YRB") << "_YRB" << int(Anchor::YRB);
    QTest::newRow("_YR_") << "_YR_" << int(Anchor::YR);
    QTest::newRow("X__B") << "X__B" << int(Anchor::XB);
    QTest::newRow("__RB") << "__RB" << int(Anchor::RB);
    QTest::newRow("_Y_B") << "_Y_B" << int(Anchor::YB);
    QTest::newRow("XY_B") << "XY_B" << int(Anchor::YB);
    QTest::newRow("XYR_") << "XYR_" << int(Anchor::XYR);
    QTest::newRow("inside other letters") << "EN_YR_" << int(Anchor::YR);
    QTest::newRow("earlier code wins") << "X__B _YR_" << int(Anchor::YR);
    QTest::newRow("XYRB before XYR_") << "XYR_XYRB" << int(Anchor::XYRB);
    QTest::newRow("keyboard letters only") << "EN" << int(Anchor::None);
    QTest::newRow("empty") << "" << int(Anchor::None);
    QTest::newRow("line code is no anchor") << "XY" << int(Anchor::None);
}

void FormLayoutTest::anchorFromTag()
{
    QFETCH(QString, tag);
    QTEST(int(AnchorFromTag(tag)), "anchor");
}

void FormLayoutTest::applyAnchor_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    // Control at 100, 200, 1000 by 500; window changed by 300 across, 40 down.
    QTest::newRow("XYRB") << "XYRB" << 100.0 << 200.0 << 1300.0 << 540.0;
    QTest::newRow("_YRB") << "_YRB" << 400.0 << 200.0 << 1000.0 << 540.0;
    QTest::newRow("_YR_") << "_YR_" << 400.0 << 200.0 << 1000.0 << 500.0;
    QTest::newRow("X__B") << "X__B" << 100.0 << 240.0 << 1000.0 << 500.0;
    QTest::newRow("__RB") << "__RB" << 400.0 << 240.0 << 1000.0 << 500.0;
    QTest::newRow("_Y_B") << "_Y_B" << 100.0 << 200.0 << 1000.0 << 540.0;
    QTest::newRow("XYR_") << "XYR_" << 100.0 << 200.0 << 1300.0 << 500.0;
    QTest::newRow("none") << "" << 100.0 << 200.0 << 1000.0 << 500.0;
}

void FormLayoutTest::applyAnchor()
{
    QFETCH(QString, tag);
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, width);
    QFETCH(double, height);
    const ControlBox moved = ApplyAnchor(AnchorFromTag(tag), ControlBox{100, 200, 1000, 500}, 300, 40);
    QCOMPARE(moved, (ControlBox{left, top, width, height}));
}

void FormLayoutTest::displayPosition_data()
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
    QTest::newRow("modal other position") << 1 << 5 << 0 << false << 0.0 << 0.0;
    QTest::newRow("modeless other position") << 0 << 0 << 0 << false << 0.0 << 0.0;
    QTest::newRow("other mode") << 2 << 4 << 0 << false << 0.0 << 0.0;
    // A main window away from the screen's left edge still gets the box over its middle.
    QTest::newRow("modal centred, client not at the left edge") << 1 << 4 << 3000 << true << 4950.0 << 3550.0;
}

void FormLayoutTest::displayPosition()
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

QV_REGISTER_TEST(FormLayoutTest)
#include "FormLayout_test.moc"
