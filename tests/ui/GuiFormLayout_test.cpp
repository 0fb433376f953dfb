#include "TestRegistry.h"
#include "ModalHelpers.h"

#include "ui/GuiFormLayout.h"
#include "ui/GuiTwips.h"
#include "ui/frmPleaseWait.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <memory>

// A main window whose client area has an exact size in pixels.
class Frame
{
public:
    explicit Frame(QSize client)
    {
        window = std::make_unique<QMainWindow>();
        area = new QMdiArea;
        window->setCentralWidget(area);
        window->show();
        window->move(40, 30);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QSize now = area->viewport()->size();
        window->resize(window->size() + (client - now));
        QTRY_COMPARE(area->viewport()->size(), client);
        SetClientArea(area);
    }
    ~Frame() { SetClientArea(nullptr); }
    // The frame a sub-window of this area puts around its form.
    QMargins subWindowMargins() const
    {
        QMdiSubWindow *probe = area->addSubWindow(new QWidget);
        const QMargins m = probe->contentsMargins();
        area->removeSubWindow(probe);
        delete probe;
        return m;
    }
    std::unique_ptr<QMainWindow> window;
    QMdiArea *area = nullptr;
};

static QWidget *fixedForm(double widthTwips, double heightTwips)
{
    auto *form = new QWidget;
    form->setObjectName(QStringLiteral("frmFixed"));
    form->setFixedSize(TwipsRect(0, 0, widthTwips, heightTwips).size());
    return form;
}

class GuiFormLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void arrangeScalesFixedWindow_data();
    void arrangeScalesFixedWindow();
    void arrangeKeepsSizableWindowAndSnaps();
    void arrangeMovesAnchoredControls();
    void secondArrangeOnlyBringsToFront();
    void displayModalCentresOverClientArea();
    void pleaseWait();
    void hidePleaseWaitWithoutShow();
};

void GuiFormLayoutTest::initTestCase()
{
    // The expected pixel values below assume 15 twips per pixel.
    if (TwipsPerPixelX() != 15.0 || TwipsPerPixelY() != 15.0)
        QSKIP("needs a 96 DPI screen");
}

void GuiFormLayoutTest::arrangeScalesFixedWindow_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("expectWidth");
    QTest::addColumn<int>("expectHeight");
    // Form 6000 by 3000 twips (400 by 200 pixels) including its frame.
    QTest::newRow("1000 pixels wide scales across") << QSize(1000, 504) << 500 << 200;
}

void GuiFormLayoutTest::arrangeScalesFixedWindow()
{
    QFETCH(QSize, client);
    Frame frame(client);
    QWidget *form = fixedForm(6000, 3000);
    form->setWindowTitle(QStringLiteral("Fixed"));
    QFont f = form->font();
    f.setPointSizeF(8);
    form->setFont(f);
    form->setFixedSize(QSize(400, 200).shrunkBy(frame.subWindowMargins()));

    ArrangeForm(form);
    QMdiSubWindow *sub = HostSubWindow(form);
    QVERIFY(sub);
    QVERIFY(sub->isVisible());
    QTEST(sub->width(), "expectWidth");
    QTEST(sub->height(), "expectHeight");
    QCOMPARE(form->font().pointSizeF(), 8.0 * client.height() / 504);
    // Centred in the client area.
    QCOMPARE(sub->x(), (client.width() - sub->width()) / 2);
    QCOMPARE(sub->y(), (client.height() - sub->height()) / 2);
    QCOMPARE(WidgetTag(form), QStringLiteral("R"));
}

void GuiFormLayoutTest::arrangeKeepsSizableWindowAndSnaps()
{
    Frame frame(QSize(1000, 504));
    // Sizable and 2 pixels (30 twips) narrower than the client: snapped to CW - 60 twips.
    auto *form = new QWidget;
    form->resize(300, 100);
    QMdiSubWindow *sub = frame.area->addSubWindow(form);
    sub->resize(998, 200);
    ArrangeForm(form);
    QCOMPARE(sub->width(), 1000 - 4);
    QCOMPARE(sub->height(), 200);
    QCOMPARE(sub->x(), 0); // 2 pixels = 30 twips from the edge: snapped to the corner
    QCOMPARE(sub->y(), 152);
}

void GuiFormLayoutTest::arrangeMovesAnchoredControls()
{
    Frame frame(QSize(1000, 630));
    // The sub-window is 3990 by 1995 twips (266 by 133 pixels).
    QWidget *form = new QWidget;
    form->setFixedSize(QSize(266, 133).shrunkBy(frame.subWindowMargins()));
    auto *grows = new QLabel(form);
    grows->setGeometry(10, 10, 100, 50);
    SetWidgetTag(grows, QStringLiteral("XYRB"));
    auto *moves = new QLabel(form);
    moves->setGeometry(150, 10, 60, 20);
    SetWidgetTag(moves, QStringLiteral("_YR_"));
    auto *stays = new QLabel(form);
    stays->setGeometry(10, 80, 60, 20);

    ArrangeForm(form);
    QMdiSubWindow *sub = HostSubWindow(form);
    // 3990 * 1.25 = 4987.5 twips; 1995 * 1.25 = 2493.75 twips.
    const int dw = RoundEven(3990 * 1.25 - 67) - 3990;
    const int dh = RoundEven(1995 * 1.25 - 60) - 1995;
    QCOMPARE(dw, 930);
    QCOMPARE(dh, 439);
    QCOMPARE(sub->width(), TwipsToPixelsX(3990 * 1.25));
    QCOMPARE(grows->geometry(), TwipsRect(150, 150, 1500 + dw, 750 + dh));
    QCOMPARE(moves->geometry(), TwipsRect(2250 + dw, 150, 900, 300));
    QCOMPARE(stays->geometry(), QRect(10, 80, 60, 20));
}

void GuiFormLayoutTest::secondArrangeOnlyBringsToFront()
{
    Frame frame(QSize(1000, 504));
    QWidget *first = fixedForm(6000, 3000);
    QWidget *second = fixedForm(3000, 1500);
    ArrangeForm(first);
    ArrangeForm(second);
    QMdiSubWindow *sub = HostSubWindow(first);
    const QRect arranged = sub->geometry();
    QCOMPARE(frame.area->activeSubWindow(), HostSubWindow(second));

    sub->move(5, 5);
    ArrangeForm(first);
    QCOMPARE(frame.area->activeSubWindow(), sub);
    // Not scaled or placed a second time.
    QCOMPARE(sub->geometry(), QRect(QPoint(5, 5), arranged.size()));
    QCOMPARE(WidgetTag(first), QStringLiteral("R"));

    // Closed and opened anew: a new window, arranged again.
    sub->close();
    QTRY_VERIFY(frame.area->subWindowList().size() == 1);
}

void GuiFormLayoutTest::displayModalCentresOverClientArea()
{
    Frame frame(QSize(800, 504));
    QDialog dialog;
    dialog.setFixedSize(200, 100);
    QPoint shownAt;
    onNextModal([&](QWidget *modal) {
        shownAt = modal->pos();
        modal->close();
    });
    DisplayForm(&dialog, 1, 4);
    const QRect client(frame.area->viewport()->mapToGlobal(QPoint(0, 0)), QSize(800, 504));
    // 50 twips left and 50 down of the centre: 3.33 pixels each way.
    const QPoint expected(TwipsToPixelsX(PixelsToTwipsX(client.left() + 400) - 1500 - 50),
                          TwipsToPixelsY(PixelsToTwipsY(client.top() + 252) - 750 + 50));
    QCOMPARE(shownAt, expected);
}

void GuiFormLayoutTest::pleaseWait()
{
    Frame frame(QSize(800, 504));
    ShowPleaseWaitWindow();
    ShowPleaseWaitWindow();
    frmPleaseWait *w = frmPleaseWait::shared();
    QVERIFY(w->isVisible());
    QCOMPARE(w->parentWidget(), frame.area->viewport());
    QCOMPARE(w->lblPleaseWait->text(), QStringLiteral("Please Wait ...."));
    const QSize s = w->size();
    QCOMPARE(w->pos(), QPoint(TwipsToPixelsX(6000 - PixelsToTwipsX(s.width()) / 2),
                              TwipsToPixelsY(3780 - PixelsToTwipsY(s.height()) / 2 - 340)));
    // One hide removes it however many shows came before.
    HidePleaseWaitWindow();
    QVERIFY(!frmPleaseWait::isShown());
}

void GuiFormLayoutTest::hidePleaseWaitWithoutShow()
{
    Frame frame(QSize(800, 504));
    const auto visibleBefore = QApplication::topLevelWidgets().size();
    HidePleaseWaitWindow();
    QVERIFY(!frmPleaseWait::isShown());
    QCOMPARE(QApplication::topLevelWidgets().size(), visibleBefore);
}

QV_REGISTER_TEST(GuiFormLayoutTest)
#include "GuiFormLayout_test.moc"
