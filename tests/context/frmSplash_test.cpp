#include "TestRegistry.h"
#include "GuiTestHelpers.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/DateFormat.h"
#include "context/MDIForm1.h"
#include "context/frmSplash.h"
#include "dates/ucDate.h"
#include "ui/GuiEndProgram.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

class FrmSplashTest : public QObject
{
    Q_OBJECT

    int endings = 0;
    std::unique_ptr<MDIForm1> main;
    std::unique_ptr<frmSplash> login;

    void typeInto(QWidget *w, const QString &text) { QTest::keyClicks(w, text); }

private slots:
    void init()
    {
        resetSettings();
        endings = 0;
        SetEndProgramHandler([this] { ++endings; });
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        Clock::setNow(QDateTime(QDate(2014, 7, 3), QTime(10, 0)));
        main = std::make_unique<MDIForm1>();
        main->show();
        login = std::make_unique<frmSplash>(main.get());
        login->show();
        QVERIFY(QTest::qWaitForWindowActive(login.get()));
    }
    void cleanup()
    {
        login.reset();
        main.reset();
        SetEndProgramHandler({});
        Clock::reset();
        ClearStoredShortDateFormat();
        resetSettings();
    }

    void look()
    {
        QCOMPARE(login->LblUpdatedOn->text(), QStringLiteral("Last Updated on :03/07/2014"));
        QCOMPARE(login->ucDate->Text(), QStringLiteral("03/07/2014"));
        QVERIFY(login->ucDate->Locked());
        QCOMPARE(QApplication::focusWidget(), login->CmbUserId);
    }

    void enterMovesOnThenCountsAsOk_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("typed") << "ACCOUNTS" << "secret";
        QTest::newRow("both empty") << "" << "";
    }

    void enterMovesOnThenCountsAsOk()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        typeInto(QApplication::focusWidget(), user);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // Enter in the user id moves on; it neither adds a list entry nor closes.
        QCOMPARE(QApplication::focusWidget(), login->TxtPassWord);
        QCOMPARE(login->CmbUserId->count(), 0);
        QVERIFY(login->isVisible());

        typeInto(login->TxtPassWord, password);
        QTest::keyClick(login->TxtPassWord, Qt::Key_Return);
        QVERIFY(!login->isVisible());
        QCOMPARE(login->result(), int(QDialog::Accepted));
        QCOMPARE(settings().strUserId, user);
        QCOMPARE(main->panelText(1), QStringLiteral("User ID : ") + user);
        QCOMPARE(endings, 0);
    }

    void passwordSelectedOnEntry()
    {
        login->TxtPassWord->setFocus();
        typeInto(login->TxtPassWord, QStringLiteral("abc"));
        QTest::keyClick(login->TxtPassWord, Qt::Key_Home);
        login->CmbUserId->setFocus();
        QTest::keyClick(login->CmbUserId->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE(login->TxtPassWord->selectedText(), QStringLiteral("abc"));

        // Also when reached with the mouse.
        login->TxtPassWord->deselect();
        login->CmbUserId->setFocus();
        QTest::mouseClick(login->TxtPassWord, Qt::LeftButton, {}, QPoint(3, 3));
        QTRY_COMPARE(login->TxtPassWord->selectedText(), QStringLiteral("abc"));
    }

    void cancelEndsTheProgram()
    {
        QTest::mouseClick(login->cmdCancel, Qt::LeftButton);
        QCOMPARE(endings, 1);
        QVERIFY(ProgramEnding());
        QVERIFY(!login->isVisible());
        QCOMPARE(main->panelText(1), QString());
    }
};

QV_REGISTER_TEST(FrmSplashTest)
#include "frmSplash_test.moc"
