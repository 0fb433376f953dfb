#include "CliRun.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "reports/SummaryChart.h"
#include "reports/frmQuarterSummary.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

// The summary window on the demo company, opened from the menu; what it saves
// is what the command line prints for the same quarter.
class frmQuarterSummaryTest : public QObject
{
    Q_OBJECT

private slots:
    void showsAndSavesTheQuarter()
    {
        DemoDesktop demo;
        QString error;
        QVERIFY2(demo.open(&error), qPrintable(error));
        TestHome &home = demo.home;
        RecordingUserInterface &rec = demo.rec;

        auto main = std::make_unique<MDIForm1>();
        main->resize(1200, 800);
        SHOW_ACTIVE(main.get());
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
};

QV_REGISTER_TEST(frmQuarterSummaryTest)
#include "frmQuarterSummary_test.moc"
