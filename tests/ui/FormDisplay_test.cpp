#include "TestRegistry.h"

#include "WindowTestHelpers.h"
#include "ui/FormDisplay.h"
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

    // A fixed window larger than the client area keeps its design size and its
    // anchored button where it was (the area scrolls); a sizable one is made to fit.
    void tooSmallAnArea()
    {
        Frame frame(QSize(300, 200));
        QWidget *fixed = frame.fixedForm(QSize(400, 300)), *sizable = new QWidget;
        auto *button = new QLabel(fixed);
        button->setGeometry(150, 240, 60, 20);
        SetWidgetTag(button, QStringLiteral("X__B"));
        ArrangeForm(fixed);
        QCOMPARE(HostSubWindow(fixed)->size(), QSize(400, 300));
        QCOMPARE(button->geometry(), QRect(150, 240, 60, 20));
        sizable->resize(500, 400);
        ArrangeForm(sizable);
        QVERIFY(QRect(QPoint(0, 0), frame.area->viewport()->size()).contains(HostSubWindow(sizable)->geometry()));
    }

    // A sizable window snaps to the client area; a window already arranged only comes to the front.
    void arrangeOnceThenOnlyBringToFront()
    {
        Frame frame(QSize(1000, 504));
        QWidget *fixed = frame.fixedForm(QSize(400, 200)), *sizable = new QWidget;
        QMdiSubWindow *sizableSub = frame.area->addSubWindow(sizable);
        sizableSub->resize(998, 200); // 30 twips narrower than the client: snapped to 60 narrower
        ArrangeForm(fixed);
        ArrangeForm(sizable);
        QCOMPARE(sizableSub->geometry(), QRect(0, 152, 1000 - 4, 200));
        QCOMPARE(frame.area->activeSubWindow(), sizableSub);
        QMdiSubWindow *sub = HostSubWindow(fixed);
        const QSize arranged = sub->size();
        sub->move(5, 5);
        ArrangeForm(fixed);
        QCOMPARE(frame.area->activeSubWindow(), sub);
        QCOMPARE(sub->geometry(), QRect(QPoint(5, 5), arranged));
    }

    void displayModalCentresOverClientArea()
    {
        Frame frame(QSize(800, 504));
        QDialog dialog;
        dialog.setFixedSize(200, 100);
        QPoint shownAt;
        onNextModal([&](QWidget *modal) { shownAt = modal->pos(); });
        DisplayForm(&dialog, 1, 4);
        const QPoint centre = frame.area->viewport()->mapToGlobal(QPoint(400, 252));
        // 50 twips left and 50 down of the centre.
        QCOMPARE(shownAt, QPoint(TwipsToPixelsX(PixelsToTwipsX(centre.x()) - 1500 - 50),
                                 TwipsToPixelsY(PixelsToTwipsY(centre.y()) - 750 + 50)));
    }

    void pleaseWait()
    {
        Frame frame(QSize(800, 504));
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
};

QV_REGISTER_TEST(GuiFormLayoutTest)
#include "FormDisplay_test.moc"
