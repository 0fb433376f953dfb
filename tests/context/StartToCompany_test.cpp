#include "ContextHelpers.h"
#include "TestRegistry.h"
#include "GuiTestHelpers.h"

#include "app/AppSettings.h"
#include "app/GuiMain.h"
#include "context/MDIForm1.h"
#include "context/frmCompDef.h"
#include "context/frmSplash.h"
#include "ui/GuiEndProgram.h"
#include "ui/QtUserInterface.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>

// The program's start as a user meets it: the main window, the login and the
// company selection over it, all driven by keys and the mouse.
class StartToCompanyTest : public QObject
{
    Q_OBJECT

    QtUserInterface ui;
    int endings = 0;

private slots:
    void init()
    {
        installUserInterface(&ui);
        endings = 0;
        SetEndProgramHandler([this] { ++endings; });
    }
    void cleanup()
    {
        delete MDIForm1::instance();
        closeAllConnections();
        SetEndProgramHandler({});
        installUserInterface(nullptr);
        ClearStoredShortDateFormat();
        resetSettings();
    }

    void loginThenCompanyGivesTheTitle()
    {
        TestHome home;
        QVERIFY(copyDemoInto(home));
        QVERIFY(overlayTree(fixturePath(QStringLiteral("context")), home.app()));
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));

        QStringList seen;
        onNextModal([&seen](QWidget *modal) {
            seen << modal->objectName();
            QTest::keyClicks(keyTarget(modal), QStringLiteral("ACCOUNTS"));
            pressKey(modal, Qt::Key_Return); // to the password
            QTest::keyClicks(keyTarget(modal), QStringLiteral("x"));
            onNextModal([&seen](QWidget *company) {
                seen << company->objectName();
                auto *window = qobject_cast<frmCompDef *>(company);
                // Company code 7 is the third entry of the list.
                for (int i = 0; i < 3; ++i)
                    pressKey(company, Qt::Key_Down);
                pressKey(company, Qt::Key_Return); // on to the period grid
                QTest::mouseClick(window->flx->viewport(), Qt::LeftButton, {},
                                  window->flx->visualItemRect(window->flx->item(0, 1)).center());
                QTest::mouseClick(window->cmdSelect, Qt::LeftButton);
            });
            pressKey(modal, Qt::Key_Return); // counts as OK
        });
        QCOMPARE(Main(), -1);

        QCOMPARE(seen, (QStringList{QStringLiteral("frmSplash"), QStringLiteral("frmCompDef")}));
        MDIForm1 *main = MDIForm1::instance();
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->windowTitle(), QStringLiteral("D'SOUZA STEELS [ 007 ] [ 01/04/2014 -- 31/03/2015 ]"));
        QCOMPARE(main->panelText(1), QStringLiteral("User ID : ACCOUNTS"));
        QCOMPARE(settings().strCompCode, QStringLiteral("007"));
        QVERIFY(QDir(home.app() + QStringLiteral("/ACES/007")).exists());
        QCOMPARE(endings, 0);
    }

    void cancelInTheLoginEndsBeforeCompanies()
    {
        TestHome home;
        QVERIFY(copyDemoInto(home));
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        QStringList seen;
        onNextModal([&seen](QWidget *modal) {
            seen << modal->objectName();
            QTest::mouseClick(qobject_cast<frmSplash *>(modal)->cmdCancel, Qt::LeftButton);
        });
        QCOMPARE(Main(), 0);
        QCOMPARE(seen, QStringList{QStringLiteral("frmSplash")});
        QCOMPARE(endings, 1);
    }
};

QV_REGISTER_TEST(StartToCompanyTest)
#include "StartToCompany_test.moc"
