#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/Progress.h"
#include "app/Startup.h"
#include "context/CompanySelection.h"
#include "returns/ExportCommand.h"
#include "ui/DesktopUserInterface.h"
#include "ui/frmPleaseWait.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>

namespace {
// Asks to cancel at the first report of `phase` with at least `after` done.
struct CancelAt : RecordingUserInterface
{
    QString phase;
    qint64 after = 0;
    QList<ProgressState> reports;
    void showProgress(const ProgressState &s) override
    {
        reports << s;
        if (s.what == phase && s.done >= after)
            RequestCancel();
    }
};

// The desktop indicator with messages recorded instead of shown; Esc is
// typed into the work's window at the first report.
struct EscDuringRun : DesktopUserInterface
{
    QStringList texts;
    QWidget *typeInto = nullptr;
    int showMessage(const QString &text, const QString &, int, int, bool) override
    {
        texts << text;
        return 0;
    }
    StdResult standardMessage(const QString &text, const QString &, StdIcon, StdButtons, StdResult d) override
    {
        texts << text;
        return d;
    }
    void showProgress(const ProgressState &s) override
    {
        if (typeInto) // arrives while the work lets events run
            QCoreApplication::postEvent(typeInto, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        typeInto = nullptr;
        DesktopUserInterface::showProgress(s);
    }
};

const QString kEarlier = QStringLiteral("an earlier return\r\n");
} // namespace

// The export stopped at several points of a generated quarter large enough
// for each phase to report part-way.
class CancelExportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir generated;
    std::unique_ptr<TestHome> home;
    ReturnInputs form{"2014", "Apr-Jun", "AAACB1234CXM001", "15/07/2014", "MUMBAI", "EXCISE RETURN", {}, {}};

    QString target() const { return ReturnOutputPath(form.registrationNumber, Clock::now()); }
    QStringList returnFolder() const { return QDir(QFileInfo(target()).path()).entryList(QDir::Files); }

private slots:
    void initTestCase()
    {
        QCOMPARE(
            QProcess::execute("python3", {QV_SOURCE_DIR "/bench/make_quarter.py", "--rows", "30000", "--out",
                                          generated.path() + "/q", "--schema", QV_SOURCE_DIR "/data/ACES_DLR.xsd"}),
            0);
    }

    void init()
    {
        home = std::make_unique<TestHome>();
        QCOMPARE(QProcess::execute("cp", {"-r", generated.path() + "/q/.", home->app()}), 0);
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        StartupFailure startup;
        QVERIFY(OpenStartupConnections(&startup));
        QList<CompanyEntry> companies;
        QList<PeriodEntry> periods;
        SelectionFailure failure;
        QVERIFY(ListCompanies(&companies, &failure) && ListPeriods(companies.at(0).code, &periods, &failure));
        QVERIFY(SelectCompany(companies.at(0).code, companies.at(0).name, periods.at(0), &failure));
        FixedClock::set(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        QVERIFY(QDir().mkpath(QFileInfo(target()).path()));
        QVERIFY(home->writeFile(QDir(home->app()).relativeFilePath(target()), kEarlier.toUtf8()).size());
        ClearCancel();
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        ClearCancel();
        FixedClock::reset();
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        ClearStoredShortDateFormat();
        ResetSettings();
        home.reset();
    }

    void cancelled_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<qint64>("after");
        QTest::newRow("before the first row") << "Invoice lines" << qint64(0);
        QTest::newRow("in the invoice lines") << "Invoice lines" << qint64(1);
        QTest::newRow("in the supplier documents") << "Supplier documents" << qint64(1);
        QTest::newRow("during validation") << "Validating" << qint64(0);
    }

    void cancelled()
    {
        QFETCH(QString, phase);
        QFETCH(qint64, after);
        CancelAt ui;
        ui.phase = phase;
        ui.after = after;
        InstallUserInterface(&ui);
        const ExportResult r = ExportReturn(form);
        QVERIFY(r.cancelled && !r.success && !ui.pleaseWaitVisible);
        QCOMPARE(ui.texts(), QStringList{kExportCancelled});
        QCOMPARE(ui.reports.last().what, phase); // heard in the phase it was asked in
        QVERIFY(ui.reports.last().done >= after);
        QCOMPARE(QString::fromUtf8(readFile(target())), kEarlier);
        QCOMPARE(returnFolder(), QStringList{QFileInfo(target()).fileName()});

        // The next run goes through, each phase reaching its total once.
        ClearCancel();
        ui = CancelAt();
        QVERIFY(ExportReturn(form).success);
        QCOMPARE(returnFolder(), QStringList{QFileInfo(target()).fileName()});
        QVERIFY(readFile(target()).size() > 1000000);
        QStringList ends;
        for (const ProgressState &s : ui.reports)
            if (s.done == s.total)
                ends << s.what + QString::number(s.total > 0);
        QCOMPARE(ends, (QStringList{"Invoice lines1", "Supplier documents1", "Validating1"}));
    }

    // Offscreen, through the desktop indicator: short runs leave it as it was,
    // longer ones show how far and Cancel; Esc anywhere stops the export.
    void indicatorAndEsc()
    {
        QWidget window;
        window.resize(800, 600);
        SHOW_ACTIVE(&window);
        EscDuringRun ui;
        InstallUserInterface(&ui);
        ShowPleaseWait();
        frmPleaseWait *w = frmPleaseWait::shared();
        const QSize plain = w->size();
        ui.showProgress({"Invoice lines", 5, 10});
        QVERIFY(!w->showsProgress() && !w->cmdCancel->isVisible() && w->size() == plain);
        QTest::qWait(int(frmPleaseWait::kPlainMs) + 50);
        ui.showProgress({"Invoice lines", 5, 10});
        QCOMPARE(w->lblProgress->text(), QStringLiteral("Invoice lines: 5 of 10 (50%)"));
        QVERIFY(w->cmdCancel->isVisible() && w->size().height() > plain.height());
        QTest::mouseClick(w->cmdCancel, Qt::LeftButton);
        QVERIFY(CancelRequested());
        HidePleaseWait();
        QVERIFY(!w->showsProgress() && w->size() == plain);

        ui.typeInto = &window;
        const ExportResult r = ExportReturn(form); // clears the earlier Cancel as it shows the indicator
        QVERIFY(r.cancelled);
        QCOMPARE(ui.texts, QStringList{kExportCancelled});
        QVERIFY(!frmPleaseWait::isShown());
        QCOMPARE(QString::fromUtf8(readFile(target())), kEarlier);
        QCOMPARE(returnFolder(), QStringList{QFileInfo(target()).fileName()});
    }

private:
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

QV_REGISTER_TEST(CancelExportTest)
#include "CancelExport_test.moc"
