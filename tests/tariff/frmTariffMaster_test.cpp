#include "WindowTestHelpers.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "tariff/frmTariffMaster.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>

// The master of the demo company with one number its quarter uses taken out:
// that number first, then the master; typing in the filter narrows it.
class frmTariffMasterTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTheMasterAndWhatItLacks()
    {
        DemoDesktop demo;
        QString error;
        QVERIFY2(demo.open(&error), qPrintable(error));
        RecordingUserInterface &rec = demo.rec;
        QVERIFY(QSqlQuery(QSqlDatabase::database(Settings().cnProgram))
                    .exec(QStringLiteral("DELETE FROM Import WHERE TariffNo = '74082100'")));

        auto main = std::make_unique<MDIForm1>();
        main->resize(1200, 800);
        SHOW_ACTIVE(main.get());
        main->findChild<QAction *>(QStringLiteral("mnuViewMaster"))->trigger();
        auto *w = qobject_cast<frmTariffMaster *>(main->workingWindow(QStringLiteral("mnuViewMaster")));
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->grdMaster->rowCount(), 1 + 15);
        QCOMPARE(w->grdMaster->item(0, 0)->text(), QStringLiteral("74082100"));
        QCOMPARE(w->grdMaster->item(0, 1)->text(), QStringLiteral("(not in the master)"));
        QCOMPARE(w->lblCount->text(), QStringLiteral("15 tariff numbers"));

        QTest::mouseClick(main->windowHandle(), Qt::LeftButton, {},
                          w->txtFilter->mapTo(main.get(), w->txtFilter->rect().center()));
        QTRY_VERIFY(w->txtFilter->hasFocus());
        for (const char c : {'7', '3', '1', '8'})
            QTest::keyClick(main->windowHandle(), c);
        QCOMPARE(w->txtFilter->text(), QStringLiteral("7318"));
        QCOMPARE(w->grdMaster->rowCount(), 1);
        QCOMPARE(w->grdMaster->item(0, 0)->text(), QStringLiteral("73181500"));
        QCOMPARE(w->lblCount->text(), QStringLiteral("1 of 15 tariff numbers"));
        QVERIFY(rec.messages.isEmpty());
    }
};

QV_REGISTER_TEST(frmTariffMasterTest)
#include "frmTariffMaster_test.moc"
