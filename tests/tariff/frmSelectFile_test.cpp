#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "tariff/TariffImport.h"
#include "tariff/frmSelectFile.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <memory>

namespace {
// Runs a check while a message is up, as a user looking at the screen would.
class PeekingUserInterface : public RecordingUserInterface
{
public:
    int showMessage(const QString &text, const QString &title, int boxType, int buttonStyle,
                    bool defaultNegative) override
    {
        if (onMessage)
            onMessage(text);
        return RecordingUserInterface::showMessage(text, title, boxType, buttonStyle, defaultNegative);
    }
    std::function<void(const QString &)> onMessage;
};

QStringList listed(const QListView *view)
{
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int r = 0; r < view->model()->rowCount(root); ++r)
        names << view->model()->index(r, 0, root).data().toString();
    names.sort();
    return names;
}

QStringList items(const QListWidget *list)
{
    QStringList names;
    for (int r = 0; r < list->count(); ++r)
        names << list->item(r)->text();
    return names;
}

int masterCount()
{
    QSqlQuery q(QSqlDatabase::database(settings().cnProgram));
    return q.exec(QStringLiteral("Select count(*) from Import")) && q.next() ? q.value(0).toInt() : -1;
}

const QStringList kSheets{"Sheet1$", "'My Sheet$'", "Mixed$", "NoTariff$", "NoUnit$", "'Blank numbers$'", "'O''Brien$'"};
} // namespace

class frmSelectFileTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fileClickListsSheets();
    void updateChecksThenImports();
    void sheetNameOutlivesWindow();
    void folderChangeEmptiesSheetList();
    void deviceNotReady_data();
    void deviceNotReady();
    void closeButtons_data();
    void closeButtons();

private:
    frmSelectFile *openForm();
    void clickFile(frmSelectFile *form, const QString &name);
    void clickSheet(frmSelectFile *form, const QString &name);

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_oldCurrent;
    PeekingUserInterface m_ui;
    QPointer<frmSelectFile> m_form;
};

void frmSelectFileTest::init()
{
    m_home = std::make_unique<TestHome>();
    QString error;
    QVERIFY2(OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(m_home->app()), &error), qPrintable(error));
    m_work = std::make_unique<QTemporaryDir>();
    const QDir work(m_work->path());
    QVERIFY(work.mkdir(QStringLiteral("sub")));
    const QList<std::pair<QString, QString>> copies{{"tariff.xls", "tariff.xls"}, {"notaworkbook.xls", "notaworkbook.xls"},
                                                   {"tariff.xls", "COPY.XLS"}, {"tariff.xls", "tariff.xlsx"},
                                                   {"tariff.xls", "sub/other.xls"}};
    for (const auto &[from, to] : copies)
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("tariff/") + from), work.filePath(to)));
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_work->path());
    SheetName().clear();
    m_ui.clear();
    m_ui.onMessage = nullptr;
    installUserInterface(&m_ui);
}

void frmSelectFileTest::cleanup()
{
    delete m_form;
    installUserInterface(nullptr);
    QDir::setCurrent(m_oldCurrent);
    CloseConnection(settings().cnProgram);
    m_work.reset();
    m_home.reset();
}

frmSelectFile *frmSelectFileTest::openForm()
{
    m_form = new frmSelectFile;
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form))
        return nullptr;
    return m_form;
}

void frmSelectFileTest::clickFile(frmSelectFile *form, const QString &name)
{
    auto *model = qobject_cast<QFileSystemModel *>(form->File2->model());
    QVERIFY(model);
    const QModelIndex index = model->index(QDir(form->filePath()).filePath(name));
    QVERIFY(index.isValid());
    QTRY_VERIFY(!form->File2->visualRect(index).isEmpty());
    QTest::mouseClick(form->File2->viewport(), Qt::LeftButton, {}, form->File2->visualRect(index).center());
}

void frmSelectFileTest::clickSheet(frmSelectFile *form, const QString &name)
{
    const QList<QListWidgetItem *> found = form->LstFile->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(form->LstFile->viewport(), Qt::LeftButton, {},
                      form->LstFile->visualItemRect(found.first()).center());
}

void frmSelectFileTest::fileClickListsSheets()
{
    frmSelectFile *form = openForm();
    QVERIFY(form);
    // The lists start on the current folder and show only 97-2003 workbooks, any letter case.
    QCOMPARE(QDir(form->dirPath()).canonicalPath(), QDir(m_work->path()).canonicalPath());
    QCOMPARE(form->Drive2->currentData().toString(), frmSelectFile::driveOf(m_work->path()));
    QTRY_COMPARE(listed(form->File2), (QStringList{"COPY.XLS", "notaworkbook.xls", "tariff.xls"}));
    bool frameDisabledWhileListing = false;
    QObject::connect(form->TxtFileName, &QLineEdit::textChanged, form,
                     [&] { frameDisabledWhileListing = !form->FrmBack->isEnabled(); });
    clickFile(form, QStringLiteral("tariff.xls"));
    QCOMPARE(items(form->LstFile), kSheets);
    QCOMPARE(form->TxtFileName->text(), QStringLiteral("tariff.xls"));
    QCOMPARE(form->FilePath, QDir(form->filePath()).filePath(QStringLiteral("tariff.xls")));
    QVERIFY(frameDisabledWhileListing);
    QVERIFY(form->FrmBack->isEnabled());
    QVERIFY(m_ui.messages.isEmpty());
    QVERIFY(m_ui.eventsProcessed > 0);

    // A file that is no workbook: FreeXL's reason, an empty list, the frame usable again.
    clickFile(form, QStringLiteral("notaworkbook.xls"));
    QCOMPARE(form->LstFile->count(), 0);
    QVERIFY(form->FrmBack->isEnabled());
    QCOMPARE(m_ui.messages.size(), 1);
    const RecordingUserInterface::Entry &m = m_ui.messages.first();
    QVERIFY2(m.text.contains(QStringLiteral("notaworkbook.xls: read error")), qPrintable(m.text));
    QCOMPARE(m.title, QStringLiteral("Quorvant"));
    QCOMPARE(m.boxType, 2);
    QCOMPARE(m.defaultNegative, true);
    QCOMPARE(m_ui.pleaseWaitHides, 2); // on loading, and after the failed listing
}

void frmSelectFileTest::updateChecksThenImports()
{
    frmSelectFile *form = openForm();
    QVERIFY(form);
    QTest::mouseClick(form->CmdGenerateData, Qt::LeftButton);
    clickFile(form, QStringLiteral("tariff.xls"));
    QTest::mouseClick(form->CmdGenerateData, Qt::LeftButton);
    QCOMPARE(m_ui.texts(), (QStringList{"Please select the file Name", "Please select the Excel Sheet Name"}));
    for (const RecordingUserInterface::Entry &m : std::as_const(m_ui.messages)) {
        QCOMPARE(m.title, QStringLiteral("Quorvant"));
        QCOMPARE(m.boxType, 0);
        QCOMPARE(m.buttonStyle, 0);
        QCOMPARE(m.defaultNegative, true);
    }
    QCOMPARE(m_ui.pleaseWaitShows, 0);
    QCOMPARE(masterCount(), 0);

    clickSheet(form, QStringLiteral("Mixed$"));
    QCOMPARE(SheetName(), QStringLiteral("Mixed$"));
    QStringList seen;
    m_ui.onMessage = [&](const QString &text) {
        seen << QStringLiteral("%1/%2/%3/%4")
                    .arg(form->LblTemps->text(), form->LblRecord->text(), text)
                    .arg(m_ui.pleaseWaitVisible);
    };
    m_ui.clear();
    QTest::mouseClick(form->CmdGenerateData, Qt::LeftButton);
    QCOMPARE(seen, QStringList{"7/5/Imported Successfully/1"});
    QCOMPARE(form->LblTemps->text(), QString());
    QCOMPARE(form->LblRecord->text(), QString());
    QCOMPARE(m_ui.pleaseWaitShows, 1);
    QVERIFY(!m_ui.pleaseWaitVisible);
    QCOMPARE(masterCount(), 5);
    QVERIFY(form->isVisible());
}

void frmSelectFileTest::sheetNameOutlivesWindow()
{
    frmSelectFile *form = openForm();
    QVERIFY(form);
    clickFile(form, QStringLiteral("tariff.xls"));
    clickSheet(form, QStringLiteral("'My Sheet$'"));
    QTest::mouseClick(form->CmdClose, Qt::LeftButton);
    QTRY_VERIFY(m_form.isNull());

    form = openForm();
    QVERIFY(form);
    clickFile(form, QStringLiteral("COPY.XLS"));
    m_ui.clear();
    QTest::mouseClick(form->CmdGenerateData, Qt::LeftButton);
    QCOMPARE(m_ui.texts(), QStringList{"Imported Successfully"});
    QCOMPARE(masterCount(), 2);
}

void frmSelectFileTest::folderChangeEmptiesSheetList()
{
    frmSelectFile *form = openForm();
    QVERIFY(form);
    clickFile(form, QStringLiteral("tariff.xls"));
    clickSheet(form, QStringLiteral("Sheet1$"));
    const QString chosen = form->FilePath;

    auto *dirs = qobject_cast<QFileSystemModel *>(form->Dir2->model());
    QVERIFY(dirs);
    // The current folder is open in the tree with its sub-folders listed.
    const QModelIndex current = dirs->index(form->dirPath());
    QVERIFY(form->Dir2->isExpanded(current));
    QTRY_COMPARE(dirs->rowCount(current), 1);
    const QModelIndex sub = dirs->index(0, 0, current);
    QCOMPARE(sub.data().toString(), QStringLiteral("sub"));
    QTRY_VERIFY(!form->Dir2->visualRect(sub).isEmpty());
    QTest::mouseClick(form->Dir2->viewport(), Qt::LeftButton, {}, form->Dir2->visualRect(sub).center());

    QCOMPARE(QFileInfo(form->dirPath()).fileName(), QStringLiteral("sub"));
    QCOMPARE(form->filePath(), form->dirPath());
    QTRY_COMPARE(listed(form->File2), QStringList{"other.xls"});
    QCOMPARE(form->LstFile->count(), 0);
    QCOMPARE(SheetName(), QStringLiteral("Sheet1$"));
    QCOMPARE(form->FilePath, chosen);
    QCOMPARE(form->TxtFileName->text(), QStringLiteral("tariff.xls"));

    clickFile(form, QStringLiteral("other.xls"));
    QCOMPARE(form->FilePath, QDir(form->dirPath()).filePath(QStringLiteral("other.xls")));
    QCOMPARE(items(form->LstFile), kSheets);
}

void frmSelectFileTest::deviceNotReady_data()
{
    QTest::addColumn<QList<StdResult>>("answers");
    QTest::newRow("cancel") << QList<StdResult>{StdResult::Cancel};
    QTest::newRow("retry, then cancel") << QList<StdResult>{StdResult::Retry, StdResult::Cancel};
}

void frmSelectFileTest::deviceNotReady()
{
    QFETCH(QList<StdResult>, answers);
    frmSelectFile *form = openForm();
    QVERIFY(form);
    // A drive letter whose medium is out: listed, but its root cannot be reached.
    const QString missing = QDir(m_work->path()).filePath(QStringLiteral("no-medium"));
    form->Drive2->addItem(QStringLiteral("no medium"), missing);
    m_ui.standardAnswers = answers;
    form->Drive2->setCurrentIndex(form->Drive2->count() - 1);

    QCOMPARE(m_ui.messages.size(), answers.size());
    for (const RecordingUserInterface::Entry &m : std::as_const(m_ui.messages)) {
        QVERIFY(m.standard);
        QCOMPARE(m.text, QStringLiteral("Specified device is not Ready!!"));
        QCOMPARE(m.title, QStringLiteral("Administrator Area"));
        QCOMPARE(m.icon, StdIcon::Critical);
        QCOMPARE(m.buttons, StdButtons::RetryCancel);
    }
    const QString programDrive = frmSelectFile::driveOf(m_home->app());
    QCOMPARE(form->Drive2->currentData().toString(), programDrive);
    QCOMPARE(form->dirPath(), QDir::cleanPath(programDrive));
    QCOMPARE(form->filePath(), form->dirPath());
}

void frmSelectFileTest::closeButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("close") << "CmdClose";
    QTest::newRow("exit") << "CmdExit";
}

// Inside the main window both buttons take the child window away, not just its contents.
void frmSelectFileTest::closeButtons()
{
    QFETCH(QString, button);
    QMdiArea area;
    m_form = new frmSelectFile;
    QPointer<QMdiSubWindow> child = area.addSubWindow(m_form);
    child->setAttribute(Qt::WA_DeleteOnClose);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QTest::mouseClick(m_form->findChild<QPushButton *>(button), Qt::LeftButton);
    QTRY_VERIFY(m_form.isNull());
    QTRY_VERIFY(child.isNull());
    QVERIFY(m_ui.messages.isEmpty());
}

QV_REGISTER_TEST(frmSelectFileTest)
#include "frmSelectFile_test.moc"
