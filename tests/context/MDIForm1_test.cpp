#include "TestRegistry.h"
#include "GuiTestHelpers.h"

#include "app/Clock.h"
#include "app/DateFormat.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "context/frmDataCheck.h"
#include "ui/GuiEndProgram.h"
#include "ui/GuiTwips.h"
#include "ui/QtUserInterface.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableWidget>

#include <memory>

class MDIForm1Test : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    int endings = 0;
    std::unique_ptr<MDIForm1> main;

private slots:
    void init()
    {
        rec.clear();
        installUserInterface(&rec);
        endings = 0;
        SetEndProgramHandler([this] { ++endings; });
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        main = std::make_unique<MDIForm1>();
        main->resize(900, 650);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }
    void cleanup()
    {
        main.reset();
        SetEndProgramHandler({});
        installUserInterface(nullptr);
        Clock::reset();
        ClearStoredShortDateFormat();
    }

    void exportToExcelDoesNothing()
    {
        QVERIFY(!main->mnuExporttoExcel->isEnabled());
        main->mnuExporttoExcel->trigger();
        QVERIFY(main->mdiClient->subWindowList().isEmpty());
        QVERIFY(rec.messages.isEmpty());
    }

    void statusBar()
    {
        Clock::setNow(QDateTime(QDate(2014, 7, 3), QTime(9, 5, 7)));
        main->refreshStatus();
        const QList<QLabel *> panels = main->StatusBar1->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(panels.size(), 6);
        const int widths[] = {2540, 2540, 2540, 2540, 2540, 7938};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(panels[i]->sizeHint().width(), TwipsToPixelsX(widths[i]));
        // The panels add up to more than a small screen; they must not widen the window.
        QVERIFY(main->minimumSizeHint().width() < 800);
        QCOMPARE(main->panelText(1), QString());
        QCOMPARE(main->panelText(2), QStringLiteral("03/07/2014"));
        QCOMPARE(main->panelText(3), LongTimeText(QTime(9, 5, 7)));
        QVERIFY(!main->panelText(6).isEmpty());
        main->setUserPanel(QStringLiteral("ACCOUNTS"));
        QCOMPARE(main->panelText(1), QStringLiteral("User ID : ACCOUNTS"));

        // The clock panels follow time on their own.
        Clock::setNow(QDateTime(QDate(2014, 7, 4), QTime(0, 0, 1)));
        QTRY_COMPARE_WITH_TIMEOUT(main->panelText(2), QStringLiteral("04/07/2014"), 2500);
    }

    void exitConfirmations_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("ends");
        QTest::newRow("E&xit, No") << true << 1 << " Quorvant" << false;
        QTest::newRow("E&xit, Yes") << true << 0 << " Quorvant" << true;
        QTest::newRow("closing, No") << false << 1 << "  Quorvant" << false;
        QTest::newRow("closing, Yes") << false << 0 << "  Quorvant" << true;
    }

    void exitConfirmations()
    {
        QFETCH(bool, byMenu);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        main->mnuDataCheck->trigger();
        rec.answers = {answer};
        if (byMenu)
            main->mnuExit->trigger();
        else
            main->close();

        QCOMPARE(rec.messages.size(), 1);
        const RecordingUserInterface::Entry &m = rec.messages[0];
        QCOMPARE(m.text, QStringLiteral("Are You Sure Want Exit?...... "));
        QTEST(m.title, "title");
        QCOMPARE(m.boxType, 3);
        QCOMPARE(m.buttonStyle, 2);
        QCOMPARE(m.defaultNegative, true);
        QCOMPARE(endings, ends ? 1 : 0);
        // No keeps everything as it was; Yes closes without a second question.
        QCOMPARE(main->isVisible(), !ends);
        if (!ends)
            QCOMPARE(main->mdiClient->subWindowList().size(), 1);
    }

    void closingWithTheRealBoxAnswersNoOnEnter()
    {
        QtUserInterface ui;
        installUserInterface(&ui);
        QString title;
        onNextModal([&title](QWidget *box) {
            title = box->findChild<QLabel *>(QStringLiteral("lblMsgCaption"))->text();
            pressKey(box, Qt::Key_Return);
        });
        main->close();
        QCOMPARE(title, QStringLiteral("  Quorvant"));
        QVERIFY(main->isVisible());
        QCOMPARE(endings, 0);

        onNextModal([](QWidget *box) {
            pressKey(box, Qt::Key_Tab);
            pressKey(box, Qt::Key_Return);
        });
        main->mnuExit->trigger();
        QCOMPARE(endings, 1);
        QVERIFY(!main->isVisible());
    }

    void dataCheckOpensOnce()
    {
        main->mnuDataCheck->trigger();
        QWidget *first = main->workingWindow(QStringLiteral("mnuDataCheck"));
        QVERIFY(qobject_cast<frmDataCheck *>(first));
        QVERIFY(first->isVisible());
        auto *check = static_cast<frmDataCheck *>(first);
        QCOMPARE(check->flx->rowCount(), 0);
        QCOMPARE(check->MSFlexGrid1->rowCount(), 0);

        main->mnuDataCheck->trigger();
        QCOMPARE(main->workingWindow(QStringLiteral("mnuDataCheck")), first);
        QCOMPARE(main->mdiClient->subWindowList().size(), 1);

        // Closed, it is made and arranged anew on the next choice.
        main->mdiClient->subWindowList().first()->close();
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuDataCheck")));
        main->mnuDataCheck->trigger();
        QVERIFY(main->workingWindow(QStringLiteral("mnuDataCheck")));
        QCOMPARE(main->mdiClient->subWindowList().size(), 1);
    }

    void openedThroughTheMenuByKeys()
    {
        main->activateWindow();
        QTRY_VERIFY(main->isActiveWindow());
        QTest::keyClick(main.get(), Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(main->mnuReports->isVisible());
        QTest::keyClick(main->mnuReports, Qt::Key_Return); // the first entry, "Data Check"
        QTRY_VERIFY(main->workingWindow(QStringLiteral("mnuDataCheck")));
    }

    void factoriesFromOutside()
    {
        int made = 0;
        MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), [&made] {
            ++made;
            auto *w = new QWidget;
            w->setObjectName(QStringLiteral("frmSelectFile"));
            w->resize(300, 200);
            return w;
        });
        main->mnuExcelImport->trigger();
        main->mnuExcelImport->trigger();
        QCOMPARE(made, 1);
        QCOMPARE(main->workingWindow(QStringLiteral("mnuExcelImport"))->objectName(),
                 QStringLiteral("frmSelectFile"));
        MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), {});

        // An entry nobody wired opens nothing.
        main->mnuExporttoXML->trigger();
        QVERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        QCOMPARE(main->mdiClient->subWindowList().size(), 1);
    }
};

QV_REGISTER_TEST(MDIForm1Test)
#include "MDIForm1_test.moc"
