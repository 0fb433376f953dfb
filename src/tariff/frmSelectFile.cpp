#include "frmSelectFile.h"

#include "TariffImport.h"
#include "WorkbookReader.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "ui/FrmImages.h"
#include "ui/KeyboardNavigation.h"
#include "ui/WindowKit.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStorageInfo>
#include <QTreeView>

namespace {
void setPicture(QAbstractButton *button, const char *name)
{
    button->setIcon(FrmImages::icon(QLatin1String(name)));
    button->setIconSize(QSize(20, 20));
}

QLabel *label(QWidget *parent, const char *name, double left, double top, const QString &text)
{
    QLabel *l = PlaceTwips<QLabel>(parent, name, left, top);
    l->setText(text);
    l->adjustSize();
    return l;
}

const QString kLastFolderKey = QStringLiteral("TariffImport/LastFolder");

// A volume can be read when its root is there and the system reports it ready;
// a drive without a medium fails here.
bool volumeReady(const QString &root)
{
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return false;
    const QStorageInfo info(root);
    return info.isValid() && info.isReady();
}
} // namespace

QString frmSelectFile::driveOf(const QString &path)
{
#ifdef Q_OS_WIN
    const QString absolute = QDir::fromNativeSeparators(QFileInfo(path).absoluteFilePath());
    return absolute.left(3); // "C:/"
#else
    const QStorageInfo info(path);
    return info.isValid() ? info.rootPath() : QStringLiteral("/");
#endif
}

frmSelectFile::frmSelectFile(QWidget *parent)
    : QWidget(parent)
{
    SetUpFixedWindow(this, QStringLiteral("frmSelectFile"), QString(), 8625, 7545);

    Frame1 = PlaceTwips<QFrame>(this, "Frame1", 30, 15, 8565, 450);
    Frame1->setProperty("Tag", QStringLiteral("XYR_"));
    // A small workbook before the title, as the window imports from one.
    Image1 = PlaceTwips<QLabel>(Frame1, "Image1", 45, 45, 315, 360);
    Image1->setAlignment(Qt::AlignCenter);
    lbl = PlaceTwips<QLabel>(Frame1, "lbl", 375, 45, 3630, 360);
    lbl->setProperty("Tag", QStringLiteral("XYR_"));
    lbl->setText(QStringLiteral(" Select File"));
    lbl->setFont(ArialFont(15.75, true));
    PaintText(lbl, Qt::white);
    CmdExit = PlaceTwips<QPushButton>(Frame1, "CmdExit", 8115, 30, 435, 405);
    CmdExit->setProperty("Tag", QStringLiteral("_YR_"));

    FrmBack = PlaceTwips<QFrame>(this, "FrmBack", 60, 330, 8505, 7155);
    FrmBack->setProperty("Tag", QStringLiteral("XYRB"));
    FrmBack->setFrameShape(QFrame::StyledPanel);
    Frame1->raise(); // the title strip overlaps the top of FrmBack and stays in front

    lblBDriveName = label(FrmBack, "lblBDriveName", 195, 195, QStringLiteral("Drives :"));
    Drive2 = PlaceTwips<QComboBox>(FrmBack, "Drive2", 165, 435);
    Drive2->resize(TwipsToPixelsX(3840), Drive2->sizeHint().height());
    lblBDirectoryName = label(FrmBack, "lblBDirectoryName", 165, 885, QStringLiteral("Directories :"));
    Dir2 = PlaceTwips<QTreeView>(FrmBack, "Dir2", 150, 1140, 3825, 4650);
    Label2 = label(FrmBack, "Label2", 4110, 900, QStringLiteral("Files (*.xls) :"));
    File2 = PlaceTwips<QListView>(FrmBack, "File2", 4095, 1140, 4245, 2280);
    Label3 = label(FrmBack, "Label3", 4095, 3465, QStringLiteral("File Name :"));
    TxtFileName = PlaceTwips<QLineEdit>(FrmBack, "TxtFileName", 5040, 3435, 3315, 510);
    Label1 = label(FrmBack, "Label1", 4125, 3960, QStringLiteral("Excel Sheet Name :"));
    LstFile = PlaceTwips<QListWidget>(FrmBack, "LstFile", 4095, 4185, 4245, 1605);
    Label4 = label(FrmBack, "Label4", 165, 5865, QStringLiteral("Excel Records :"));
    LblTemps = PlaceTwips<QLabel>(FrmBack, "LblTemps", 1500, 5865, 795, 255);
    Label5 = label(FrmBack, "Label5", 2310, 5880, QStringLiteral(" Transfer Records :"));
    LblRecord = PlaceTwips<QLabel>(FrmBack, "LblRecord", 3975, 5865, 1200, 255);

    Frame3 = PlaceTwips<QFrame>(FrmBack, "Frame3", 3315, 6540, 1905, 570);
    Frame3->setProperty("Tag", QStringLiteral("X__B"));
    CmdGenerateData = PlaceTwips<QPushButton>(Frame3, "CmdGenerateData", 15, 15, 950, 540);
    CmdGenerateData->setText(QStringLiteral("&Update"));
    CmdClose = PlaceTwips<QPushButton>(Frame3, "CmdClose", 960, 15, 950, 540);
    CmdClose->setText(QStringLiteral("&Close"));

    wireControls();
}

void frmSelectFile::wireControls()
{
    setTabOrder(Drive2, Dir2);
    setTabOrder(Dir2, File2);
    setTabOrder(File2, LstFile);
    setTabOrder(LstFile, CmdGenerateData);
    setTabOrder(CmdGenerateData, CmdClose);
    setTabOrder(CmdClose, TxtFileName);
    setTabOrder(TxtFileName, CmdExit);

    // Loading: pictures, colours, no please-wait indicator, a read-only file name.
    setPicture(CmdExit, "ImgExit");
    setPicture(CmdClose, "ImgClose");
    setPicture(CmdGenerateData, "ImgOk");
    Image1->setPixmap(FrmImages::pixmap(QStringLiteral("ImgWorkbook"), QSize(20, 20), devicePixelRatioF()));
    PaintBackground(this, kFormTeal);
    PaintBackground(Frame1, kFormTeal);
    PaintBackground(FrmBack, kFormPale);
    HidePleaseWait();
    ShowReadOnly(TxtFileName);
    new KeyPreview(this); // the window sees every key first
    CloseOnEscape(this, [this] { closeWindow(); });

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirModel->setReadOnly(true);
    // Sorted by name through a proxy: the file system model leaves the folders
    // met on the way to the start folder in the order it found them.
    m_dirSort = new QSortFilterProxyModel(this);
    m_dirSort->setSourceModel(m_dirModel);
    m_dirSort->setSortCaseSensitivity(Qt::CaseInsensitive);
    Dir2->setModel(m_dirSort);
    for (int column = 1; column < m_dirModel->columnCount(); ++column)
        Dir2->hideColumn(column);
    Dir2->setHeaderHidden(true);
    Dir2->setSortingEnabled(true);
    Dir2->sortByColumn(0, Qt::AscendingOrder);
    // The folders around the chosen one arrive, and sort, after it was shown: keep it in view meanwhile.
    connect(m_dirModel, &QFileSystemModel::directoryLoaded, this, [this] {
        if (m_revealing.isValid() && m_revealing.elapsed() < 2000)
            Dir2->scrollTo(Dir2->currentIndex(), QAbstractItemView::PositionAtCenter);
    });

    File2->setSelectionMode(QAbstractItemView::SingleSelection);
    File2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fileModel = nullptr;

    fillDrives();

    connect(Drive2, &QComboBox::currentIndexChanged, this, [this] { Drive2_Change(); });
    connect(Dir2->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (!current.isValid())
            return;
        const QString path = m_dirModel->filePath(m_dirSort->mapToSource(current));
        if (path == m_dirPath)
            return;
        m_dirPath = path;
        Dir2_Change();
    });
    connect(LstFile, &QListWidget::itemSelectionChanged, this, [this] { LstFile_Click(); });
    connect(CmdGenerateData, &QPushButton::clicked, this, [this] { CmdGenerateData_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { closeWindow(); });
    connect(CmdExit, &QPushButton::clicked, this, [this] { closeWindow(); });

    // The lists start where the last workbook was chosen, the first time in the application folder.
    QString current = UserSettings().value(kLastFolderKey).toString();
    if (current.isEmpty() || !QFileInfo(current).isDir())
        current = QFileInfo(AppFolder()).isDir() ? AppFolder() : QDir::currentPath();
    const int drive = Drive2->findData(driveOf(current));
    if (drive >= 0) {
        const QSignalBlocker block(Drive2);
        Drive2->setCurrentIndex(drive);
    }
    setDirPath(current);
}

void frmSelectFile::fillDrives()
{
    const QSignalBlocker block(Drive2);
    Drive2->clear();
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives()) {
        const QString root = drive.absoluteFilePath();
        Drive2->addItem(root.left(2).toLower(), root);
    }
#else
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
              [](const QStorageInfo &a, const QStorageInfo &b) { return a.rootPath() < b.rootPath(); });
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid())
            continue;
        const QString root = volume.rootPath();
        const QString name = volume.displayName();
        Drive2->addItem(name.isEmpty() || name == root ? root : QStringLiteral("%1 [%2]").arg(root, name), root);
    }
#endif
}

void frmSelectFile::setDirPath(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    // The model lists (and watches) the folder it is rooted at; the view still shows the whole tree.
    const QModelIndex index = m_dirSort->mapFromSource(m_dirModel->setRootPath(clean));
    m_dirPath = clean;
    if (index.isValid()) {
        // The current-folder handler sees the path it already has and stays out.
        Dir2->setCurrentIndex(index);
        Dir2->scrollTo(index, QAbstractItemView::PositionAtCenter);
        Dir2->expand(index);
        m_revealing.start();
    }
    Dir2_Change();
}

void frmSelectFile::Drive2_Change()
{
    const QString root = Drive2->currentData().toString();
    while (!volumeReady(root)) {
        if (!askDeviceNotReady()) {
            returnToProgramDrive();
            return;
        }
    }
    setDirPath(root);
}

void frmSelectFile::Dir2_Change()
{
    SheetName().clear();
    LstFile->clear();
    // A name from another folder would say a workbook is chosen here.
    TxtFileName->clear();
    // The folder list shows every volume's tree; the drive list follows it.
    if (QFileInfo(m_dirPath).isDir()) {
        const int drive = Drive2->findData(driveOf(m_dirPath));
        if (drive >= 0 && drive != Drive2->currentIndex()) {
            const QSignalBlocker block(Drive2);
            Drive2->setCurrentIndex(drive);
        }
    }
    const QString drive = Drive2->currentData().toString();
    if (!drive.isEmpty() && !volumeReady(drive)) {
        if (askDeviceNotReady())
            Drive2_Change();
        else
            returnToProgramDrive();
        return;
    }
    // A folder that cannot be listed leaves the file list as it was.
    if (!QFileInfo(m_dirPath).isDir())
        return;
    m_filePath = m_dirPath;
    listFiles();
}

// A fresh list for each folder: a file system model once rooted in a folder
// keeps showing it among the files of the folder around it.
void frmSelectFile::listFiles()
{
    QFileSystemModel *old = m_fileModel;
    QItemSelectionModel *oldSelection = File2->selectionModel();
    m_fileModel = new QFileSystemModel(this);
    m_fileModel->setFilter(QDir::Files);
    m_fileModel->setNameFilters({QStringLiteral("*.xls")});
    m_fileModel->setNameFilterDisables(false);
    m_fileModel->setReadOnly(true);
    File2->setModel(m_fileModel);
    delete oldSelection;
    delete old;
    m_fileModel->sort(0, Qt::AscendingOrder);
    // A file is chosen by a click or by moving the selection with the keyboard.
    connect(File2->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList chosen = File2->selectionModel()->selectedIndexes();
        if (!chosen.isEmpty())
            File2_Click(m_fileModel->fileName(chosen.first()));
    });
    m_fileModel->setRootPath(m_filePath);
    File2->setRootIndex(m_fileModel->index(m_filePath));
}

bool frmSelectFile::askDeviceNotReady()
{
    return StandardMessage(QStringLiteral("Specified device is not Ready!!"), QStringLiteral("Administrator Area"),
                           StdIcon::Critical, StdButtons::RetryCancel, StdResult::Cancel)
           == StdResult::Retry;
}

void frmSelectFile::returnToProgramDrive()
{
    const QString home = driveOf(AppFolder());
    int index = Drive2->findData(home);
    if (index < 0) {
        const QSignalBlocker block(Drive2);
        Drive2->addItem(home, home);
        index = Drive2->count() - 1;
    }
    if (index != Drive2->currentIndex()) {
        Drive2->setCurrentIndex(index); // runs the drive change for it
        return;
    }
    // Already there: asking again about the program's own drive would never end.
    if (volumeReady(home))
        setDirPath(home);
}

void frmSelectFile::File2_Click(const QString &fileName)
{
    QWidget *focus = focusWidget();
    // A sheet chosen in the last workbook is no choice in this one, even where a sheet has the same name.
    SheetName().clear();
    LstFile->clear();
    FrmBack->setEnabled(false);
    DoEvents();

    TxtFileName->setText(fileName);
    FilePath = JoinPath(m_filePath, fileName);
    QStringList names;
    QString error;
    if (ListWorkbookSheets(FilePath, &names, &error)) {
        LstFile->addItems(names);
        QSettings settings = UserSettings();
        settings.setValue(kLastFolderKey, m_filePath);
    } else {
        ShowMessage(error, kAppTitle, MsgBoxType::Information, MsgButtons::Ok, true);
        HidePleaseWait();
    }
    FrmBack->setEnabled(true);
    if (focus)
        focus->setFocus();
    // The only sheet needs no choosing.
    if (LstFile->count() == 1)
        LstFile->setCurrentRow(0);
}

void frmSelectFile::LstFile_Click()
{
    const QList<QListWidgetItem *> chosen = LstFile->selectedItems();
    if (chosen.isEmpty())
        return;
    DoEvents();
    SheetName() = chosen.first()->text();
}

void frmSelectFile::CmdGenerateData_Click()
{
    if (FilePath.isEmpty()) {
        ShowMessage(QStringLiteral("Please select the file Name"), kAppTitle, MsgBoxType::Critical, MsgButtons::Ok,
                    true);
        return;
    }
    if (SheetName().isEmpty()) {
        ShowMessage(QStringLiteral("Please select the Excel Sheet Name"), kAppTitle, MsgBoxType::Critical,
                    MsgButtons::Ok, true);
        return;
    }
    if (TxtFileName->text().isEmpty()) {
        ShowMessage(QStringLiteral("Please select the File Name"), kAppTitle, MsgBoxType::Critical, MsgButtons::Ok,
                    true);
        return;
    }
    TariffImportProgress progress;
    progress.sheetRows = [this](qint64 rows) { LblTemps->setText(QString::number(rows)); };
    progress.rowsCopied = [this](qint64 rows) { LblRecord->setText(QString::number(rows)); };
    progress.cleared = [this] {
        LblTemps->clear();
        LblRecord->clear();
    };
    WhilePleaseWait([&] { return ImportTariff(FilePath, SheetName(), progress, TariffReplace::Ask); });
}

void frmSelectFile::closeWindow()
{
    CloseWorkingWindow(this);
}
