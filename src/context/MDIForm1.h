#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>

// The question both exit confirmations ask.
inline const QString kExitQuestion = QStringLiteral("Are You Sure Want Exit?...... ");

class QAction;
class QKeyEvent;
class QLabel;
class QMdiArea;
class QMenu;

// The main window: the client area that holds the working windows, the menu
// and the status bar. Closing it, or "E&xit", ends the program after a
// confirmation.
class MDIForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit MDIForm1(QWidget *parent = nullptr);
    ~MDIForm1() override;

    // The main window while one exists.
    static MDIForm1 *instance();

    // Working windows are made by factories the program registers (see
    // RegisterWorkingWindows), one per menu entry ("mnuExcelImport",
    // "mnuDataCheck", ...). An entry without one opens nothing.
    using WindowFactory = std::function<QWidget *()>;
    static void setWindowFactory(const QString &menuEntry, WindowFactory factory);
    // The open working window of a menu entry, or null.
    QWidget *workingWindow(const QString &menuEntry) const;

    // Panel 1: "User ID : " and the user id.
    void setUserPanel(const QString &userId);
    // The text of a status panel, 1 to 6.
    QString panelText(int panel) const;
    // Date, time and the lock keys, as the clock and keyboard say now.
    void refreshStatus();
    // The title and the status bar follow the company and period chosen.
    void CompanyChosen();
    // File -> "Change &Company…": closes the working windows (asking first where a
    // return window holds typed entries), then the company selection again;
    // its Cancel leaves everything as it was. False when nothing changed.
    bool ChangeCompany();
    // Closes every working window; false when one stayed (declined or busy).
    bool CloseWorkingWindows();

    QMdiArea *mdiClient;
    QMenu *mnuFile;
    QAction *mnuChangeCompany;
    QAction *mnuForget;
    QMenu *mnuImportFile;
    QAction *mnuExcelImport;
    QMenu *mnuReports;
    QAction *mnuDataCheck;
    QAction *mnuExporttoXML;
    QAction *mnuExporttoExcel;
    QAction *mnuQuarterSummary;
    QAction *mnuExit;
    QMenu *mnuWindow;
    QMenu *mnuHelp;
    QAction *mnuManual;
    QAction *mnuAbout;
    QStatusBar *StatusBar1;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openWorkingWindow(const QString &menuEntry);
    void exitChosen();
    void forgetChosen();
    void fillWindowMenu();
    // F1: the manual at the section of the window in front.
    void helpKey();
    bool closeKey(QKeyEvent *event);

    QList<QLabel *> m_panels;
    QHash<QString, QPointer<QWidget>> m_windows;
    QTimer m_clock;
};
