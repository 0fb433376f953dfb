#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

// The tariff import window: pick a workbook on any volume and one of its
// sheets, then "&Update" replaces the tariff master with that sheet.
class frmSelectFile : public QWidget
{
    Q_OBJECT

public:
    explicit frmSelectFile(QWidget *parent = nullptr);

    // The chosen workbook: the file list's folder and the clicked file's name.
    QString FilePath;

    // The folder shown by Dir2 and listed by File2.
    QString dirPath() const { return m_dirPath; }
    QString filePath() const { return m_filePath; }
    // Moves the folder list to `path`, as a click in it would.
    void setDirPath(const QString &path);
    // The root of the volume that holds `path`, as Drive2 lists it.
    static QString driveOf(const QString &path);

    QFrame *Frame1;
    QLabel *Image1;
    QLabel *lbl;
    QPushButton *CmdExit;
    QFrame *FrmBack;
    QLabel *lblBDriveName;
    QComboBox *Drive2;
    QLabel *lblBDirectoryName;
    QTreeView *Dir2;
    QLabel *Label2;
    QListView *File2;
    QLabel *Label3;
    QLineEdit *TxtFileName;
    QLabel *Label1;
    QListWidget *LstFile;
    QLabel *Label4;
    QLabel *LblTemps;
    QLabel *Label5;
    QLabel *LblRecord;
    QFrame *Frame3;
    QPushButton *CmdGenerateData;
    QPushButton *CmdClose;

private:
    // Tab order, filters and signals, once the controls are placed.
    void wireControls();
    void Drive2_Change();
    void Dir2_Change();
    void File2_Click(const QString &fileName);
    void LstFile_Click();
    void CmdGenerateData_Click();
    void closeWindow();
    // Asks "Specified device is not Ready!!"; true when the user chose Retry.
    bool askDeviceNotReady();
    void returnToProgramDrive();
    void fillDrives();
    void listFiles();

    QFileSystemModel *m_dirModel;
    QSortFilterProxyModel *m_dirSort;
    QElapsedTimer m_revealing; // since the folder list was moved to a folder
    QFileSystemModel *m_fileModel;
    QString m_dirPath;
    QString m_filePath;
};
