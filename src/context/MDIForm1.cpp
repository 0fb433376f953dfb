#include "MDIForm1.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/DateFormat.h"
#include "app/RememberedEntries.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"
#include "context/HelpWindows.h"
#include "context/frmCompDef.h"
#include "returns/frmExportToXML.h"
#include "ui/EndProgram.h"
#include "ui/FormDisplay.h"
#include "ui/LockKeys.h"
#include "ui/Twips.h"
#include "ui/WindowKit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

namespace {
QPointer<MDIForm1> g_instance;

QHash<QString, MDIForm1::WindowFactory> &factories()
{
    static QHash<QString, MDIForm1::WindowFactory> f;
    return f;
}

const QString kStatusLine = QStringLiteral("Quarterly excise return for dealers and importers");

// A status panel asks for its design width but gives way on a narrow screen,
// so the panels never make the main window wider than the screen.
class StatusPanel : public QLabel
{
public:
    StatusPanel(int widthTwips, QWidget *parent)
        : QLabel(parent)
        , m_width(TwipsToPixelsX(widthTwips))
    {
    }
    QSize sizeHint() const override { return QSize(m_width, QLabel::sizeHint().height()); }
    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }

private:
    int m_width;
};
} // namespace

MDIForm1::MDIForm1(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(kAppTitle);
    g_instance = this;

    mdiClient = Named(new QMdiArea(this), "mdiClient");
    // A window scaled taller or wider than the client area stays reachable.
    mdiClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiClient->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiClient);
    SetClientArea(mdiClient);

    mnuFile = Named(menuBar()->addMenu(QStringLiteral("&File")), "mnuFile");
    mnuChangeCompany = Named(mnuFile->addAction(QStringLiteral("Change &Company…")), "mnuChangeCompany");
    mnuForget = Named(mnuFile->addAction(QStringLiteral("&Forget Remembered Entries…")), "mnuForget");

    mnuImportFile = Named(menuBar()->addMenu(QStringLiteral("&Import File")), "mnuImportFile");
    mnuExcelImport = Named(mnuImportFile->addAction(QStringLiteral("&Excel Import")), "mnuExcelImport");

    mnuReports = Named(menuBar()->addMenu(QStringLiteral("&Reports")), "mnuReports");
    mnuDataCheck = Named(mnuReports->addAction(QStringLiteral("&Data Check")), "mnuDataCheck");
    mnuExporttoXML = Named(mnuReports->addAction(QStringLiteral("&Export To XML")), "mnuExporttoXML");
    mnuExporttoExcel = Named(mnuReports->addAction(QStringLiteral("Export To E&xcel")), "mnuExporttoExcel");
    mnuQuarterSummary = Named(mnuReports->addAction(QStringLiteral("Quarter &Summary")), "mnuQuarterSummary");
    // Past returns of the company.
    QAction *mnuReturns = Named(mnuReports->addAction(QStringLiteral("&Returns…")), "mnuReturns");
    // The tariff master, to look at.
    QMenu *mnuTariff = Named(menuBar()->addMenu(QStringLiteral("&Tariff")), "mnuTariff");
    QAction *mnuViewMaster = Named(mnuTariff->addAction(QStringLiteral("&View Master")), "mnuViewMaster");

    mnuWindow = Named(menuBar()->addMenu(QStringLiteral("&Window")), "mnuWindow");
    connect(mnuWindow, &QMenu::aboutToShow, this, &MDIForm1::fillWindowMenu);
    fillWindowMenu();

    mnuHelp = Named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    mnuManual = Named(mnuHelp->addAction(QStringLiteral("&Manual")), "mnuManual");
    mnuManual->setShortcut(QKeySequence(Qt::Key_F1));
    mnuAbout = Named(mnuHelp->addAction(QStringLiteral("&About Quorvant")), "mnuAbout");
    connect(mnuManual, &QAction::triggered, this, &MDIForm1::helpKey);
    connect(mnuAbout, &QAction::triggered, this, [this] { ShowAbout(this); });

    mnuExit = Named(menuBar()->addAction(QStringLiteral("E&xit")), "mnuExit");

    for (QAction *entry :
         {mnuExcelImport, mnuDataCheck, mnuExporttoXML, mnuQuarterSummary, mnuReturns, mnuViewMaster}) {
        const QString name = entry->objectName();
        connect(entry, &QAction::triggered, this, [this, name] { openWorkingWindow(name); });
    }
    // The workbook is written from the past-returns list, the newest return chosen.
    connect(mnuExporttoExcel, &QAction::triggered, this, [this] {
        openWorkingWindow(QStringLiteral("mnuReturns"));
        // After the sub-window's activation, which gives the focus back to where it was.
        if (QWidget *list = workingWindow(QStringLiteral("mnuReturns")))
            if (auto *workbook = list->findChild<QWidget *>(QStringLiteral("cmdWorkbook")))
                QTimer::singleShot(0, workbook, [workbook] { workbook->setFocus(Qt::OtherFocusReason); });
    });
    connect(mnuExit, &QAction::triggered, this, &MDIForm1::exitChosen);
    connect(mnuChangeCompany, &QAction::triggered, this, &MDIForm1::ChangeCompany);
    connect(mnuForget, &QAction::triggered, this, &MDIForm1::forgetChosen);

    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    setStatusBar(StatusBar1);
    const int widths[] = {2540, 2540, 2540, 2540, 2540, 7938};
    for (int i = 0; i < 6; ++i) {
        auto *panel = new StatusPanel(widths[i], StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setIndent(4);
        if (i == 3 || i == 4)
            panel->setAlignment(Qt::AlignCenter);
        // The fixed text line gives way first on a narrow screen.
        if (i == 5)
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        StatusBar1->addWidget(panel, i == 5 ? 1 : 0);
        m_panels.append(panel);
    }
    m_panels[5]->setText(kStatusLine);

    // Smaller than this, the menu and the status bar would no longer show.
    setMinimumSize(std::max(menuBar()->sizeHint().width(), TwipsToPixelsX(7200)), TwipsToPixelsY(4320));

    refreshStatus();
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &MDIForm1::refreshStatus);
    m_clock.start();
    qApp->installEventFilter(this);
}

MDIForm1::~MDIForm1()
{
    qApp->removeEventFilter(this);
}

MDIForm1 *MDIForm1::instance()
{
    return g_instance.data();
}

void MDIForm1::setWindowFactory(const QString &menuEntry, WindowFactory factory)
{
    if (factory)
        factories().insert(menuEntry, std::move(factory));
    else
        factories().remove(menuEntry);
}

QWidget *MDIForm1::workingWindow(const QString &menuEntry) const
{
    return m_windows.value(menuEntry).data();
}

void MDIForm1::setUserPanel(const QString &userId)
{
    m_panels[0]->setText(QStringLiteral("User ID : ") + userId);
}

QString MDIForm1::panelText(int panel) const
{
    return (panel >= 1 && panel <= m_panels.size()) ? m_panels[panel - 1]->text() : QString();
}

void MDIForm1::refreshStatus()
{
    const QDateTime now = Clock::now();
    m_panels[1]->setText(ShortDateText(now.date()));
    m_panels[2]->setText(LongTimeText(now.time()));
    const LockKeyState keys = CurrentLockKeys();
    m_panels[3]->setText(keys.capsLock ? QStringLiteral("CAPS") : QString());
    m_panels[4]->setText(keys.numLock ? QStringLiteral("NUM") : QString());
}

void MDIForm1::CompanyChosen()
{
    const AppSettings &s = Settings();
    setWindowTitle(s.strCompCode.isEmpty() ? kAppTitle : CompanyCaption());
    m_panels[5]->setText(
        s.strCompCode.isEmpty()
            ? kStatusLine
            : QStringLiteral("%1 [ %2 ]  %3 -- %4").arg(s.strCompName, s.strCompCode, s.strPeriodFrom, s.strPeriodTo));
}

bool MDIForm1::CloseWorkingWindows()
{
    const QList<QMdiSubWindow *> open = mdiClient->subWindowList();
    for (QMdiSubWindow *sub : open) {
        auto *form = qobject_cast<frmExportToXML *>(sub->widget());
        if (form && form->HoldsTypedText()
            && ShowMessage(QStringLiteral("The return window holds entries that are in no return yet. "
                                          "Close it all the same?"),
                           kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true)
                   != 0) {
            mdiClient->setActiveSubWindow(sub);
            return false;
        }
    }
    for (QMdiSubWindow *sub : open) {
        if (!sub->close())
            return false; // busy: an export runs in it
    }
    return true;
}

bool MDIForm1::ChangeCompany()
{
    if (!CloseWorkingWindows())
        return false;
    frmCompDef company(this, true);
    DisplayForm(&company, FormMode::Modal, FormPosition::Centre);
    CompanyChosen();
    return company.result() == QDialog::Accepted;
}

void MDIForm1::forgetChosen()
{
    if (ShowMessage(QStringLiteral("Forget the user ID, the company and period chosen last and the registration "
                                   "numbers, places and remarks typed for each company? (Stored in %1)")
                        .arg(QDir::toNativeSeparators(UserSettings().fileName())),
                    kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true)
        == 0)
        ForgetRememberedEntries();
}

void MDIForm1::fillWindowMenu()
{
    mnuWindow->clear();
    const QList<QMdiSubWindow *> open = mdiClient->subWindowList();
    QAction *cascade = mnuWindow->addAction(QStringLiteral("&Cascade"), mdiClient, &QMdiArea::cascadeSubWindows);
    QAction *tile = mnuWindow->addAction(QStringLiteral("&Tile"), mdiClient, &QMdiArea::tileSubWindows);
    QAction *closeAll = mnuWindow->addAction(QStringLiteral("Close &All"), this, &MDIForm1::CloseWorkingWindows);
    cascade->setObjectName(QStringLiteral("mnuCascade"));
    tile->setObjectName(QStringLiteral("mnuTile"));
    closeAll->setObjectName(QStringLiteral("mnuCloseAll"));
    for (QAction *a : {cascade, tile, closeAll})
        a->setEnabled(!open.isEmpty());
    if (!open.isEmpty())
        mnuWindow->addSeparator();
    for (int i = 0; i < open.size(); ++i) {
        QMdiSubWindow *sub = open[i];
        // A window without a caption (the tariff import) goes by its menu entry's words.
        QString name = sub->windowTitle();
        if (name.isEmpty())
            if (QAction *opener = findChild<QAction *>(m_windows.key(sub->widget())))
                name = opener->text().remove(QLatin1Char('&'));
        QAction *entry = mnuWindow->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name), this,
                                              [this, sub = QPointer<QMdiSubWindow>(sub)] {
                                                  if (sub)
                                                      mdiClient->setActiveSubWindow(sub);
                                              });
        entry->setCheckable(true);
        entry->setChecked(sub == mdiClient->activeSubWindow());
    }
}

void MDIForm1::helpKey()
{
    const QMdiSubWindow *active = mdiClient->activeSubWindow();
    ShowManual(active && active->widget() ? active->widget()->objectName() : QStringLiteral("start"));
}

void MDIForm1::openWorkingWindow(const QString &menuEntry)
{
    QPointer<QWidget> &window = m_windows[menuEntry];
    if (!window) {
        const WindowFactory factory = factories().value(menuEntry);
        if (!factory)
            return;
        window = factory();
        if (!window)
            return;
    }
    ArrangeForm(window);
}

void MDIForm1::exitChosen()
{
    if (ShowMessage(kExitQuestion, QLatin1Char(' ') + kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true)
        != 0)
        return;
    EndProgram();
    close();
}

void MDIForm1::closeEvent(QCloseEvent *event)
{
    if (ProgramEnding()) {
        event->accept();
        return;
    }
    if (ShowMessage(kExitQuestion, QStringLiteral("  ") + kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true)
        != 0) {
        event->ignore();
        return;
    }
    event->accept();
    EndProgram();
}

bool MDIForm1::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this && closeKey(static_cast<QKeyEvent *>(event)))
        return true;
    // The lock panels follow the keys at once, not only on the next tick.
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock)
            QTimer::singleShot(0, this, &MDIForm1::refreshStatus);
    }
    return QMainWindow::eventFilter(watched, event);
}

// Ctrl+F4 closes the active working window on every desktop (some know only
// Ctrl+W); Esc closes it also when the focus is on its frame rather than in it.
bool MDIForm1::closeKey(QKeyEvent *event)
{
    QMdiSubWindow *active = mdiClient->activeSubWindow();
    if (!active || !active->widget())
        return false;
    const bool ctrlF4 = event->key() == Qt::Key_F4 && event->modifiers() == Qt::ControlModifier;
    if (!ctrlF4) {
        // Inside the window its own Esc shortcut has answered before a key press arrives.
        if (event->type() != QEvent::KeyPress || event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier)
            return false;
        for (QShortcut *own : active->widget()->findChildren<QShortcut *>(Qt::FindDirectChildrenOnly)) {
            if (own->key() == QKeySequence(Qt::Key_Escape) && own->isEnabled()) {
                emit own->activated();
                return true;
            }
        }
    }
    event->accept();
    if (event->type() == QEvent::KeyPress)
        active->close(); // the window's own close checks still run
    return true;
}
