#include "CliRun.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "reports/ReturnWorkbook.h"
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

// The demo company's returns as the menu opens them; two chosen together are compared.
class frmReturnsTest : public QObject
{
    Q_OBJECT

private slots:
    void listsAndComparesTheReturns()
    {
        DemoDesktop demo;
        QString error;
        QVERIFY2(demo.open(&error), qPrintable(error));
        TestHome &home = demo.home;
        RecordingUserInterface &rec = demo.rec;
        QVERIFY(QFile::copy(schemaPath(), home.app() + QStringLiteral("/ACES_DLR.xsd")));
        const QByteArray x = readAll(fixturePath(QStringLiteral("returns/worked-example.xml")));
        const QString base = QStringLiteral("ACES/") + Settings().strCompCode + QStringLiteral("/R_");
        home.writeFile(base + QStringLiteral("201407150900AM.xml"), QByteArray(x).replace("516.00", "500.00"));
        home.writeFile(base + QStringLiteral("201407160900AM.xml"), x);
        home.writeFile(base + QStringLiteral("201407170900AM.xml.rejected"), x.left(400));

        auto main = std::make_unique<MDIForm1>();
        main->resize(1400, 900);
        SHOW_ACTIVE(main.get());
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

QV_REGISTER_TEST(frmReturnsTest)
#include "frmReturns_test.moc"
