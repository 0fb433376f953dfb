#include "ContextHelpers.h"
#include "TestRegistry.h"
#include "GuiTestHelpers.h"

#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "context/frmCompDef.h"
#include "ui/GuiEndProgram.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

class FrmCompDefTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    int endings = 0;
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIForm1> main;
    std::unique_ptr<frmCompDef> window;

    void open(bool withFixtures)
    {
        home = std::make_unique<TestHome>();
        QString error;
        QVERIFY2(startOnDemo(*home, withFixtures, &error), qPrintable(error));
        main = std::make_unique<MDIForm1>();
        main->show();
        window = std::make_unique<frmCompDef>(main.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // Picks a company the way a user does: the list gets the focus and the
    // arrow key moves through it.
    void pick(int index)
    {
        window->DCCompany->setFocus();
        if (window->DCCompany->currentIndex() > index)
            QTest::keyClick(window->DCCompany, Qt::Key_Home);
        while (window->DCCompany->currentIndex() < index)
            QTest::keyClick(window->DCCompany, Qt::Key_Down);
    }

    QStringList standardTexts() const
    {
        QStringList out;
        for (const auto &m : rec.messages)
            if (m.standard)
                out << m.text;
        return out;
    }

    QString errorLog() const
    {
        QFile f(home->app() + QStringLiteral("/Errors.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void init()
    {
        rec.clear();
        installUserInterface(&rec);
        endings = 0;
        SetEndProgramHandler([this] { ++endings; });
    }
    void cleanup()
    {
        window.reset();
        main.reset();
        closeAllConnections();
        home.reset();
        SetEndProgramHandler({});
        installUserInterface(nullptr);
        ClearStoredShortDateFormat();
        resetSettings();
    }

    void loadsCompaniesAndGrid()
    {
        open(false);
        QCOMPARE(window->DCCompany->count(), 2);
        QCOMPARE(window->DCCompany->itemText(0), QStringLiteral("A & B TRADERS"));
        QCOMPARE(window->DCCompany->currentText(), QString());
        QCOMPARE(window->flx->columnCount(), 5);
        QCOMPARE(window->flx->rowCount(), 0);
        QCOMPARE(window->flx->horizontalHeaderItem(1)->text(), QStringLiteral(" Select Company Period"));
        for (int hidden : {0, 2, 3})
            QVERIFY(window->flx->isColumnHidden(hidden));
    }

    void pickAndSelectByKeys()
    {
        open(false);
        pick(0);
        QCOMPARE(window->flx->rowCount(), 2);
        QCOMPARE(window->flx->item(1, 1)->text(), QStringLiteral("From       01 Apr 2014       To       31 Mar 2015"));
        QCOMPARE(window->flx->item(1, 2)->text(), QStringLiteral("01/04/2014"));
        QCOMPARE(window->flx->item(1, 3)->text(), QStringLiteral("31/03/2015"));
        QCOMPARE(window->flx->currentRow(), 0);
        // Picking alone sets nothing.
        QVERIFY(settings().strCompCode.isEmpty());

        // Enter in the list moves on to the grid; Down picks the second period;
        // Enter in the grid selects.
        QTest::keyClick(window->DCCompany, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), window->flx);
        QTest::keyClick(window->flx, Qt::Key_Down);
        QCOMPARE(window->flx->currentRow(), 1);
        QTest::keyClick(window->flx, Qt::Key_Return);

        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
        QCOMPARE(settings().strCompCode, QStringLiteral("001"));
        QCOMPARE(settings().strCompName, QStringLiteral("A & B TRADERS"));
        QCOMPARE(main->windowTitle(), QStringLiteral("A & B TRADERS [ 001 ] [ 01/04/2014 -- 31/03/2015 ]"));
        QVERIFY(QDir(home->app() + QStringLiteral("/ACES/001")).exists());
        QVERIFY(rec.messages.isEmpty());
    }

    void codeSevenIsPadded()
    {
        open(true);
        pick(2);
        QCOMPARE(window->DCCompany->currentText(), QStringLiteral("D'SOUZA STEELS"));
        QCOMPARE(window->flx->rowCount(), 1);
        QTest::mouseClick(window->cmdSelect, Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(settings().strCompCode, QStringLiteral("007"));
        QCOMPARE(main->windowTitle(), QStringLiteral("D'SOUZA STEELS [ 007 ] [ 01/04/2014 -- 31/03/2015 ]"));
        QVERIFY(QDir(home->app() + QStringLiteral("/ACES/007")).exists());
    }

    void badChoicesKeepTheWindowOpen_data()
    {
        QTest::addColumn<int>("company"); // -1: nothing picked
        QTest::addColumn<QString>("program");  // the program's own message, if any
        QTest::addColumn<bool>("logged");
        QTest::newRow("nothing picked") << -1 << "Please select the Company" << false;
        QTest::newRow("company without periods") << 4 << "" << true;
        QTest::newRow("company folder missing") << 3 << "" << true;
    }

    void badChoicesKeepTheWindowOpen()
    {
        QFETCH(int, company);
        QFETCH(QString, program);
        QFETCH(bool, logged);
        open(true);
        // A good company first, so a failing pick cannot leave its periods behind.
        pick(0);
        QCOMPARE(window->flx->rowCount(), 2);
        if (company >= 0)
            pick(company);
        else
            window->DCCompany->setCurrentIndex(-1);
        if (company >= 0)
            QCOMPARE(window->flx->rowCount(), 0);

        QTest::mouseClick(window->cmdSelect, Qt::LeftButton);
        QVERIFY(window->isVisible());
        QStringList own;
        for (const auto &m : rec.messages)
            if (!m.standard)
                own << m.text;
        QCOMPARE(own, program.isEmpty() ? QStringList() : QStringList{program});
        QCOMPARE(!standardTexts().isEmpty(), logged);
        QCOMPARE(!errorLog().isEmpty(), logged);
        QVERIFY(settings().strCompCode.isEmpty());
        QVERIFY(settings().strCompName.isEmpty());
        QCOMPARE(main->windowTitle(), QStringLiteral("Quorvant"));
        QVERIFY(!QDir(home->app() + QStringLiteral("/ACES")).exists());

        // Still usable: a good company goes through.
        rec.clear();
        pick(0);
        QTest::mouseClick(window->cmdSelect, Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(settings().strCompCode, QStringLiteral("001"));
    }

    void unreadableCompanyList()
    {
        home = std::make_unique<TestHome>();
        QString error;
        QVERIFY2(startOnDemo(*home, false, &error), qPrintable(error));
        QFile list(home->app() + QStringLiteral("/Kolvcomp.dbf"));
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write("not a table");
        list.close();
        window = std::make_unique<frmCompDef>();
        QCOMPARE(window->DCCompany->count(), 0);
        QCOMPARE(standardTexts().size(), 1);
        QVERIFY(errorLog().contains(QStringLiteral("Kolvcomp")));
        // The user can still leave.
        window->show();
        rec.answers = {0};
        QTest::mouseClick(window->cmdClose, Qt::LeftButton);
        QCOMPARE(endings, 1);
    }

    void closeAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No stays") << 1;
        QTest::newRow("Yes ends") << 0;
    }

    void closeAsksFirst()
    {
        QFETCH(int, answer);
        open(false);
        rec.answers = {answer};
        QTest::mouseClick(window->cmdClose, Qt::LeftButton);
        QCOMPARE(rec.messages.size(), 1);
        const auto &m = rec.messages[0];
        QCOMPARE(m.text, QStringLiteral("Are You Sure Want Exit?...... "));
        QCOMPARE(m.title, QStringLiteral("  Quorvant"));
        QCOMPARE(m.boxType, 3);
        QCOMPARE(m.buttonStyle, 2);
        QVERIFY(m.defaultNegative);
        QCOMPARE(endings, answer == 0 ? 1 : 0);
        QCOMPARE(window->isVisible(), answer != 0);
    }
};

QV_REGISTER_TEST(FrmCompDefTest)
#include "frmCompDef_test.moc"
