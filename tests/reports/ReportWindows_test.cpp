#include "CliRun.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "reports/ReturnWorkbook.h"
#include "reports/SummaryChart.h"
#include "reports/frmQuarterSummary.h"
#include "reports/frmReturns.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {
void clickRow(QTableWidget *grid, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
    QTest::mouseClick(windowOf(grid), Qt::LeftButton, modifiers, grid->viewport()->mapTo(grid->window(), at));
}
} // namespace

// The summary and past-returns windows on the demo company, opened from the menu.
class ReportWindowsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DemoDesktop> demo;
    std::unique_ptr<MDIForm1> main;

private slots:
    void init()
    {
        demo = std::make_unique<DemoDesktop>();
        QString error;
        QVERIFY2(demo->open(&error), qPrintable(error));
        main = std::make_unique<MDIForm1>();
        main->resize(1400, 900);
        SHOW_ACTIVE(main.get());
    }
    void cleanup()
    {
        main.reset();
        demo.reset();
    }

    // What the summary window saves is what the command line prints for the same quarter.
    void summaryShowsAndSavesTheQuarter()
    {
        TestHome &home = demo->home;
        RecordingUserInterface &rec = demo->rec;
        main->mnuQuarterSummary->trigger();
        auto *w = qobject_cast<frmQuarterSummary *>(main->workingWindow(QStringLiteral("mnuQuarterSummary")));
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->grdSummary->rowCount(), 16 + 1);
        QCOMPARE(w->lblStatus->text(), QStringLiteral("16 tariff numbers, 13 flagged: more passed on than received."));
        const auto row = [w](const QString &cetsh) {
            return w->grdSummary->findItems(cetsh, Qt::MatchExactly).value(0);
        };
        QVERIFY(row("73181500") && row("74082100") && row("TOTAL"));
        QCOMPARE(w->grdSummary->item(row("74082100")->row(), 9)->text(), QStringLiteral("duty, quantity"));
        QVERIFY(row("74082100")->background() != row("73181500")->background());
        QVERIFY(row("TOTAL")->font().bold());
        // The chart: the ten chapters with the most duty, the rest as "other", all of the duty in the bars.
        const QList<ChapterDuty> bars = w->chtDuty->chapters();
        QCOMPARE(bars.size(), 11);
        QCOMPARE(bars.last().chapter, QStringLiteral("other"));
        Decimal in, out;
        for (const ChapterDuty &c : bars)
            in = in + c.dutyIn, out = out + c.dutyOut;
        QCOMPARE(in.toText(2), QStringLiteral("11899.00"));
        QCOMPARE(out.toText(2), QStringLiteral("29724.00"));
        for (const auto &[largest, top] :
             {std::pair{0.0, 1.0}, {1.0, 1.0}, {29724.0, 50000.0}, {11899.0, 20000.0}, {2100.0, 2500.0}, {0.3, 0.5}})
            QCOMPARE(SummaryChart::NiceTop(largest), top);

        QCOMPARE(w->suggestedCsvPath(), home.app() + QStringLiteral("/Summary_001_20140401-20150331.csv"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quarter Summary - A & B TRADERS, %1 to %2")
                                       .arg(Settings().strPeriodFrom, Settings().strPeriodTo));
        const QString saved = home.app() + QStringLiteral("/summary.csv");
        QVERIFY(w->saveCsv(saved));
        const Run printed = cli(home.app(), {"summary", "--company", "1", "--period", "14041503", "--format", "csv"});
        QCOMPARE(printed.exitCode, 0);
        QCOMPARE(QString::fromUtf8(readAll(saved)), printed.out);
        QVERIFY(!w->saveCsv(home.app() + QStringLiteral("/no-such-folder/summary.csv")));
        QCOMPARE(rec.messages.size(), 1);

        // Refresh clicked, then Esc while the tables are read: the summary
        // stops and says so, and the window (which Esc closes otherwise) stays.
        EscDuringRun esc;
        esc.typeInto = w;
        InstallUserInterface(&esc);
        sendClick(w->cmdRefresh);
        QVERIFY(w->isVisible());
        QCOMPARE(w->lblStatus->text(), kSummaryCancelled);
        QCOMPARE(w->grdSummary->rowCount(), 0);
        sendClick(w->cmdRefresh); // that Cancel is forgotten as the indicator shows again
        QCOMPARE(w->grdSummary->rowCount(), 16 + 1);
        InstallUserInterface(&rec);
    }

    // Two returns chosen together are compared.
    void returnsListedAndCompared()
    {
        TestHome &home = demo->home;
        RecordingUserInterface &rec = demo->rec;
        QVERIFY(QFile::copy(schemaPath(), home.app() + QStringLiteral("/ACES_DLR.xsd")));
        const QByteArray x = readAll(fixturePath(QStringLiteral("returns/worked-example.xml")));
        const QString base = QStringLiteral("ACES/") + Settings().strCompCode + QStringLiteral("/R_");
        home.writeFile(base + QStringLiteral("201407150900AM.xml"), QByteArray(x).replace("516.00", "500.00"));
        home.writeFile(base + QStringLiteral("201407160900AM.xml"), x);
        home.writeFile(base + QStringLiteral("201407170900AM.xml.rejected"), x.left(400));

        main->findChild<QAction *>(QStringLiteral("mnuReturns"))->trigger();
        auto *w = qobject_cast<frmReturns *>(main->workingWindow(QStringLiteral("mnuReturns")));
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->grdReturns->rowCount(), 2);
        QCOMPARE(w->grdReturns->item(0, 6)->text(), QStringLiteral("R_201407160900AM.xml"));
        QCOMPARE(w->grdReturns->item(1, 5)->text(), QStringLiteral("valid"));
        QCOMPARE(w->grdRejected->rowCount(), 1);
        QCOMPARE(w->grdRejected->item(0, 5)->text(), QStringLiteral("damaged"));
        QVERIFY(w->lblStatus->text().startsWith(QStringLiteral("2 returns in ")));

        clickRow(w->grdReturns, 0);
        clickRow(w->grdReturns, 1, Qt::ControlModifier);
        sendClick(w->cmdCompare);
        QTRY_VERIFY(w->txtComparison && w->txtComparison->isVisible());
        const QString shown = w->txtComparison->toPlainText();
        QVERIFY2(shown.contains(QStringLiteral("~ invoice INV/1 11/07/2014 CETSH 74081110: duty 500.00 -> 516.00")),
                 qPrintable(shown));
        QVERIFY(rec.messages.isEmpty());
        w->txtComparison->close();

        // Damaged since the list opened: validated again, the row says so.
        home.writeFile(base + QStringLiteral("201407160900AM.xml"), x.left(500));
        clickRow(w->grdReturns, 0);
        sendClick(w->cmdValidate);
        QCOMPARE(w->grdReturns->item(0, 5)->text(), QStringLiteral("damaged"));
        QCOMPARE(w->grdReturns->item(1, 5)->text(), QStringLiteral("valid"));
        QCOMPARE(rec.messages.size(), 1);

        // "Export To Excel" is this list, the newest return chosen and Write Workbook at hand;
        // an earlier workbook is written over only on Yes.
        home.writeFile(base + QStringLiteral("201407160900AM.xml"), x);
        w->close();
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuReturns")));
        SHOW_ACTIVE(main.get()); // the comparison window, closed, left none active
        main->mnuExporttoExcel->trigger();
        w = qobject_cast<frmReturns *>(main->workingWindow(QStringLiteral("mnuReturns")));
        QTRY_VERIFY2(w && w->cmdWorkbook->hasFocus(), qPrintable(focusName()));
        const QString workbook =
            ReturnWorkbookPath(w->grdReturns->item(0, 6)->text().prepend(home.app() + '/' + base.chopped(2)));
        for (const bool again : {false, true}) {
            rec.clear();
            rec.answers = {1};
            sendKey(w, Qt::Key_Space);
            QVERIFY(QFile::exists(workbook));
            QCOMPARE(rec.messages.size(), 1);
            QCOMPARE(rec.messages[0].text.contains(QStringLiteral("already exists")), again);
        }
    }
};

QV_REGISTER_TEST(ReportWindowsTest)
#include "ReportWindows_test.moc"
