#include "WindowTestHelpers.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "tariff/TariffImport.h"
#include "tariff/frmSelectFile.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

// Where the tariff import window opens, what it remembers, and what it chooses for the user.
class ImportWindowChoicesTest : public QObject
{
    Q_OBJECT

    static void clickFile(frmSelectFile *form, const QString &folder, const QString &name)
    {
        const QModelIndex index = static_cast<QFileSystemModel *>(form->File2->model())->index(folder + '/' + name);
        QTRY_VERIFY(!form->File2->visualRect(index).isEmpty());
        QTest::mouseClick(form->File2->viewport(), Qt::LeftButton, {}, form->File2->visualRect(index).center());
    }

private slots:
    void opensWhereTheLastWorkbookWasChosen()
    {
        TestHome home;
        QVERIFY(copyDemoInto(home));
        const QString app = QDir::cleanPath(home.app());
        for (const char *folder : {"zeta", "alpha", "Beta"})
            QVERIFY(QDir(app).mkdir(QLatin1String(folder)));
        QVERIFY(QFile::copy(app + "/Tariff.xls", app + "/zeta/Tariff.xls"));
        UserSettings().remove(QStringLiteral("TariffImport/LastFolder"));
        SheetName().clear();
        RecordingUserInterface rec;
        InstallUserInterface(&rec);

        QPointer<frmSelectFile> form = new frmSelectFile;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // The first time in the application folder, its folders by name.
        QCOMPARE(form->dirPath(), app);
        const QAbstractItemModel *dirs = form->Dir2->model();
        // Asked afresh each time: the folders arrive, and are sorted, while this waits.
        const auto listed = [&] {
            const QModelIndex appIndex = form->Dir2->currentIndex();
            QStringList n;
            for (int r = 0; r < dirs->rowCount(appIndex); ++r)
                n << dirs->index(r, 0, appIndex).data().toString();
            return n.join(' ');
        };
        QTRY_COMPARE(listed(), QStringLiteral("001 002 alpha Beta Data zeta"));

        // The only sheet of a workbook is chosen with it; another folder clears the name.
        clickFile(form, app, QStringLiteral("Tariff.xls"));
        QCOMPARE(form->TxtFileName->text(), QStringLiteral("Tariff.xls"));
        QCOMPARE(form->LstFile->currentRow(), 0);
        QCOMPARE(SheetName(), QStringLiteral("Tariff$"));
        form->setDirPath(app + QStringLiteral("/zeta"));
        QCOMPARE(form->TxtFileName->text(), QString());
        clickFile(form, app + QStringLiteral("/zeta"), QStringLiteral("Tariff.xls"));
        QCOMPARE(form->TxtFileName->text(), QStringLiteral("Tariff.xls"));

        // Tab reaches the lists before Update and Close; the file name takes no Tab stop; Esc closes the window.
        FOCUS(form->Drive2);
        QStringList order;
        for (int i = 0; i < 7; ++i) {
            sendKey(form, Qt::Key_Tab);
            order << focusName();
        }
        QCOMPARE(order.join(' '), QStringLiteral("Dir2 File2 LstFile CmdGenerateData CmdClose CmdExit Drive2"));
        sendKey(form, Qt::Key_Escape);
        QTRY_VERIFY(!form);

        // Opened again (as in a later run), where the workbook was chosen.
        frmSelectFile again;
        QCOMPARE(again.dirPath(), app + QStringLiteral("/zeta"));
        InstallUserInterface(nullptr);
    }
};

QV_REGISTER_TEST(ImportWindowChoicesTest)
#include "ImportWindowChoices_test.moc"
