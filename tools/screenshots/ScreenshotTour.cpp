#include "ScreenshotTour.h"

#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "context/frmCompDef.h"
#include "context/frmSplash.h"
#include "tariff/frmSelectFile.h"
#include "ui/frmPleaseWait.h"
#include "ui/frmQVMsg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {
frmSelectFile *importWindow()
{
    return qobject_cast<frmSelectFile *>(MDIForm1::instance()->workingWindow(QStringLiteral("mnuExcelImport")));
}

QModelIndex tariffWorkbookIndex()
{
    const QAbstractItemView *files = importWindow()->File2;
    for (int r = 0; r < files->model()->rowCount(files->rootIndex()); ++r) {
        const QModelIndex index = files->model()->index(r, 0, files->rootIndex());
        if (index.data().toString() == QLatin1String("Tariff.xls"))
            return index;
    }
    return {};
}

// Steps wait for their window, let it paint, then act. Acts that open a
// modal window queue the click, so the tour keeps running inside it.
class Tour : public QObject
{
public:
    explicit Tour(const QString &folder)
        : m_folder(folder)
    {
        QDir().mkpath(folder);
        m_total.start();
        connect(&m_timer, &QTimer::timeout, this, &Tour::tick);
        m_timer.start(100);
    }

    void step(std::function<bool()> ready, std::function<void()> act)
    {
        m_steps.push_back({std::move(ready), std::move(act)});
    }

private:
    struct Step
    {
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void tick()
    {
        if (m_total.elapsed() > 60000) {
            std::fprintf(stderr, "screenshot tour stalled at step %d\n", int(m_next) + 1);
            m_timer.stop();
            QCoreApplication::exit(2);
            return;
        }
        if (m_next >= m_steps.size()) {
            m_timer.stop();
            return;
        }
        if (!m_steps[m_next].ready()) {
            m_readySince.invalidate();
            return;
        }
        if (!m_readySince.isValid()) {
            m_readySince.start();
            return;
        }
        if (m_readySince.elapsed() < 700) // let the window paint
            return;
        m_readySince.invalidate();
        const std::function<void()> act = m_steps[m_next++].act;
        act();
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    QString m_folder;
    QTimer m_timer;
    QElapsedTimer m_total;
    QElapsedTimer m_readySince;

public:
    void save(const QString &name) const
    {
        QPixmap shot;
        if (QGuiApplication::platformName() == QLatin1String("xcb") && QGuiApplication::primaryScreen())
            shot = QGuiApplication::primaryScreen()->grabWindow(0);
        if (shot.isNull()) {
            QWidget *w = QApplication::activeModalWidget();
            if (!w)
                w = MDIForm1::instance();
            if (w)
                shot = w->window()->grab();
        }
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (shot.save(path))
            std::fprintf(stderr, "saved %s\n", qPrintable(path));
        else
            std::fprintf(stderr, "could not save %s\n", qPrintable(path));
    }
};

template <typename T> T *modal()
{
    return qobject_cast<T *>(QApplication::activeModalWidget());
}

void key(QWidget *target, Qt::Key k, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

void type(QWidget *target, const QString &text)
{
    for (const QChar c : text)
        key(target, Qt::Key(c.toUpper().unicode()), QString(c));
}

void queueClick(QPushButton *button)
{
    QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
}

QWidget *focusIn(QWidget *window)
{
    QWidget *f = window->focusWidget();
    return f ? f : window;
}
} // namespace

void StartScreenshotTour(const QString &folder)
{
    auto *tour = new Tour(folder);
    tour->setParent(qApp);

    tour->step([] { return modal<frmSplash>() != nullptr; },
               [] {
                   frmSplash *login = modal<frmSplash>();
                   type(login->CmbUserId->lineEdit(), QStringLiteral("ACCOUNTS"));
                   key(login->CmbUserId->lineEdit(), Qt::Key_Return);
                   type(login->TxtPassWord, QStringLiteral("secret"));
               });
    tour->step([] { return modal<frmSplash>() != nullptr; },
               [tour] {
                   tour->save(QStringLiteral("login"));
                   key(modal<frmSplash>()->TxtPassWord, Qt::Key_Return);
               });
    // "&Select" with nothing picked: the program's message box.
    tour->step([] { return modal<frmCompDef>() != nullptr; }, [] { queueClick(modal<frmCompDef>()->cmdSelect); });
    tour->step([] { return modal<frmQVMsg>() != nullptr; },
               [tour] {
                   tour->save(QStringLiteral("message-box"));
                   key(focusIn(modal<frmQVMsg>()), Qt::Key_Return);
               });
    tour->step([] { return modal<frmCompDef>() != nullptr; },
               [] {
                   frmCompDef *company = modal<frmCompDef>();
                   company->DCCompany->setFocus();
                   key(company->DCCompany, Qt::Key_Down);
               });
    tour->step([] { return modal<frmCompDef>() && modal<frmCompDef>()->flx->rowCount() > 0; },
               [tour] {
                   tour->save(QStringLiteral("company-selection"));
                   frmCompDef *company = modal<frmCompDef>();
                   company->flx->setFocus();
                   key(company->flx, Qt::Key_Return);
               });
    tour->step([] { return !QApplication::activeModalWidget() && MDIForm1::instance(); },
               [] { MDIForm1::instance()->mnuDataCheck->trigger(); });
    tour->step(
        [] {
            QWidget *check = MDIForm1::instance()->workingWindow(QStringLiteral("mnuDataCheck"));
            return check && check->isVisible();
        },
        [] {
            MDIForm1 *main = MDIForm1::instance();
            const QRect entry = main->menuBar()->actionGeometry(main->mnuReports->menuAction());
            main->mnuReports->popup(main->menuBar()->mapToGlobal(entry.bottomLeft()));
        });
    tour->step([] { return MDIForm1::instance()->mnuReports->isVisible(); },
               [tour] {
                   tour->save(QStringLiteral("main-window"));
                   MDIForm1 *main = MDIForm1::instance();
                   // Without a window manager the title bar is not drawn; say what it reads.
                   std::fprintf(stderr, "main window title: %s\n", qPrintable(main->windowTitle()));
                   main->mnuReports->hide();
               });
    // The data check window on the demo quarter, then the return window and its export.
    tour->step([] { return !MDIForm1::instance()->mnuReports->isVisible(); },
               [tour] {
                   tour->save(QStringLiteral("data-check"));
                   MDIForm1::instance()->mnuExporttoXML->trigger();
               });
    tour->step(
        [] {
            QWidget *w = MDIForm1::instance()->workingWindow(QStringLiteral("mnuExporttoXML"));
            return w && w->isVisible();
        },
        [] {
            QWidget *w = MDIForm1::instance()->workingWindow(QStringLiteral("mnuExporttoXML"));
            auto *number = w->findChild<QLineEdit *>(QStringLiteral("txtRegisterNo"));
            number->setFocus();
            type(number, QStringLiteral("aaacb1234cxm001"));
        });
    tour->step([] { return true; },
               [tour] {
                   tour->save(QStringLiteral("export-to-xml"));
                   QWidget *w = MDIForm1::instance()->workingWindow(QStringLiteral("mnuExporttoXML"));
                   queueClick(w->findChild<QPushButton *>(QStringLiteral("CmdExport")));
               });
    // The demo holds rows of another quarter: the question first, answered Yes.
    tour->step([] { return modal<frmQVMsg>() != nullptr; },
               [tour] {
                   tour->save(QStringLiteral("export-question"));
                   key(focusIn(modal<frmQVMsg>()), Qt::Key_Tab);
                   key(focusIn(modal<frmQVMsg>()), Qt::Key_Return);
               });
    tour->step([] { return modal<frmQVMsg>() != nullptr; },
               [tour] {
                   tour->save(QStringLiteral("export-done"));
                   key(focusIn(modal<frmQVMsg>()), Qt::Key_Return);
               });
    // The quarter summary, then the return just written as a workbook (not opened).
    tour->step([] { return !QApplication::activeModalWidget(); },
               [] { MDIForm1::instance()->mnuQuarterSummary->trigger(); });
    tour->step(
        [] {
            QWidget *w = MDIForm1::instance()->workingWindow(QStringLiteral("mnuQuarterSummary"));
            return w && w->isVisible();
        },
        [tour] {
            tour->save(QStringLiteral("quarter-summary"));
            QMetaObject::invokeMethod(MDIForm1::instance()->mnuExporttoExcel, &QAction::trigger, Qt::QueuedConnection);
        });
    tour->step([] { return modal<QInputDialog>() != nullptr; },
               [tour] {
                   tour->save(QStringLiteral("export-to-excel"));
                   modal<QInputDialog>()->accept();
               });
    tour->step([] { return modal<frmQVMsg>() != nullptr; },
               [tour] {
                   tour->save(QStringLiteral("excel-written"));
                   frmQVMsg *box = modal<frmQVMsg>();
                   key(focusIn(box), Qt::Key_Tab);
                   key(focusIn(box), Qt::Key_Return);
               });
    tour->step([] { return !QApplication::activeModalWidget(); },
               [] { MDIForm1::instance()->mnuExcelImport->trigger(); });
    tour->step(
        [] {
            QWidget *w = MDIForm1::instance()->workingWindow(QStringLiteral("mnuExcelImport"));
            return w && w->isVisible();
        },
        [tour] {
            tour->save(QStringLiteral("excel-import"));
            importWindow()->setDirPath(AppFolder());
        });
    // The demo's Tariff.xls chosen in the file list: its sheets fill the sheet list.
    tour->step([] { return tariffWorkbookIndex().isValid(); },
               [] { importWindow()->File2->setCurrentIndex(tariffWorkbookIndex()); });
    tour->step([] { return importWindow()->LstFile->count() > 0; },
               [tour] {
                   tour->save(QStringLiteral("excel-import-sheets"));
                   ShowPleaseWait();
               });
    tour->step([] { return frmPleaseWait::isShown(); },
               [tour] {
                   tour->save(QStringLiteral("please-wait"));
                   HidePleaseWait();
                   QMetaObject::invokeMethod(MDIForm1::instance()->mnuExit, &QAction::trigger, Qt::QueuedConnection);
               });
    tour->step([] { return modal<frmQVMsg>() != nullptr; },
               [tour] {
                   tour->save(QStringLiteral("exit-confirmation"));
                   frmQVMsg *box = modal<frmQVMsg>();
                   key(focusIn(box), Qt::Key_Tab);
                   key(focusIn(box), Qt::Key_Return);
               });
}
