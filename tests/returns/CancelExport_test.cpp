#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "returns/ExportCommand.h"
#include "ui/DesktopUserInterface.h"
#include "ui/frmPleaseWait.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>

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
} // namespace

// The export stopped at several points of a generated quarter large enough
// for each phase to report part-way; an earlier return of the same name waits.
class CancelExportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir generated;
    std::unique_ptr<TestHome> home;
    ReturnInputs form{"2014", "Apr-Jun", "AAACB1234CXM001", "15/07/2014", "MUMBAI", "EXCISE RETURN"};

    QString target() const { return ReturnOutputPath(form.registrationNumber, Clock::now()); }

private slots:
    void initTestCase()
    {
        QV_SKIP_ON_WINDOWS("python3 writes the generated quarter, and under Wine a test cannot wait for it");
        QVERIFY(makeQuarter(generated.path() + "/q"));
    }

    void init()
    {
        home = std::make_unique<TestHome>();
        QCOMPARE(QProcess::execute("cp", {"-r", generated.path() + "/q/.", home->app()}), 0);
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        QString error;
        QVERIFY2(openFirstCompany(0, &error), qPrintable(error));
        FixedClock::set(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        home->writeFile(QDir(home->app()).relativeFilePath(target()), "an earlier return");
        ClearCancel();
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        ClearCancel();
        FixedClock::reset();
        closeAllConnections();
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
        QCOMPARE(bytesOf(target()), QByteArray("an earlier return"));
        QCOMPARE(QDir(QFileInfo(target()).path()).entryList(QDir::Files), QStringList{QFileInfo(target()).fileName()});

        // The next run goes through, each phase reaching its total once.
        ClearCancel();
        ui = CancelAt();
        QVERIFY(ExportReturn(form).success);
        QVERIFY(bytesOf(target()).size() > 1000000);
        QStringList ends;
        for (const ProgressState &s : ui.reports)
            if (s.done == s.total && s.total > 0)
                ends << s.what;
        QCOMPARE(ends, (QStringList{"Invoice lines", "Supplier documents", "Validating"}));
    }

    // Offscreen, through the desktop indicator: short runs leave it as it was,
    // longer ones show how far and Cancel, clicked as the user clicks. (Esc
    // during a run: see the summary window's test.)
    void indicator()
    {
        DesktopUserInterface ui;
        InstallUserInterface(&ui);
        ShowPleaseWait();
        frmPleaseWait *w = frmPleaseWait::shared();
        const QSize plain = w->size();
        ui.showProgress({"Invoice lines", 5, 10});
        QVERIFY(!w->cmdCancel->isVisible() && w->size() == plain);
        QTest::qWait(int(frmPleaseWait::kPlainMs) + 50);
        ui.showProgress({"Invoice lines", 5, 10});
        QCOMPARE(w->lblProgress->text(), QStringLiteral("Invoice lines: 5 of 10 (50%)"));
        QVERIFY(w->cmdCancel->isVisible() && w->size().height() > plain.height());
        QTimer::singleShot(0, w, [w] { sendClick(w->cmdCancel); });
        ui.showProgress({"Invoice lines", 6, 10});
        QVERIFY(CancelRequested());
        HidePleaseWait();
        QVERIFY(w->size() == plain);
    }
};

QV_REGISTER_TEST(CancelExportTest)
#include "CancelExport_test.moc"
