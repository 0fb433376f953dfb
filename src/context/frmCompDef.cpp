#include "frmCompDef.h"

#include "app/AppSettings.h"
#include "app/ErrorLog.h"
#include "app/RememberedEntries.h"
#include "app/UserInterface.h"
#include "context/EnterKey.h"
#include "context/MDIForm1.h"
#include "ui/EndProgram.h"
#include "ui/FrmImages.h"
#include "ui/WindowKit.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QFrame *frame(const char *name, QWidget *parent)
{
    auto *f = Named(new QFrame(parent), name);
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Raised);
    return f;
}

void logFailure(const SelectionFailure &f)
{
    LogError(f.number, f.description, QString(), QString(), true);
}
} // namespace

frmCompDef::frmCompDef(QWidget *parent, bool changing)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_changing(changing)
    , m_before(CurrentCompanyChoice())
{
    setObjectName(QStringLiteral("frmCompDef"));
    setWindowTitle(QStringLiteral("Company Selection"));
    PaintBackground(this, kFormTeal, Qt::black);

    Frame1 = frame("Frame1", this);
    PaintBackground(Frame1, kFormPale, kFormDarkTeal);
    Image2 = Named(new QLabel(Frame1), "Image2");
    Image2->setPixmap(FrmImages::pixmap(QStringLiteral("ImgInfo"), QSize(32, 32), devicePixelRatioF()));
    Label2 = Named(new QLabel(QStringLiteral("Company Information"), Frame1), "Label2");
    Label2->setFont(ArialFont(14, true));
    auto *top = new QHBoxLayout(Frame1);
    top->addWidget(Image2);
    top->addWidget(Label2, 1);

    Frame2 = frame("Frame2", this);
    PaintBackground(Frame2, kFormTeal, Qt::black);
    Label1 = Named(new QLabel(QStringLiteral("Select Company :"), Frame2), "Label1");
    Label1->setFont(ArialFont(10, true));
    PaintText(Label1, Qt::white);
    DCCompany = Named(new QComboBox(Frame2), "DCCompany");
    DCCompany->setMinimumWidth(TwipsToPixelsX(4200));

    flx = Named(new QTableWidget(0, 5, Frame2), "flx");
    flx->verticalHeader()->hide();
    flx->setEditTriggers(QAbstractItemView::NoEditTriggers);
    flx->setSelectionBehavior(QAbstractItemView::SelectRows);
    flx->setSelectionMode(QAbstractItemView::SingleSelection);
    flx->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab leaves the grid (its other columns are hidden, and tabbing into them shifted the view).
    flx->setTabKeyNavigation(false);
    flx->setMinimumHeight(TwipsToPixelsY(2400));
    auto *header = new QTableWidgetItem(QStringLiteral(" Select Company Period"));
    flx->setHorizontalHeaderItem(1, header);
    for (int column : {0, 2, 3})
        flx->setColumnHidden(column, true);
    flx->setColumnWidth(4, TwipsToPixelsX(1000));
    flx->horizontalHeader()->setHighlightSections(false);

    auto *pick = new QHBoxLayout;
    pick->addWidget(Label1);
    pick->addWidget(DCCompany, 1);
    auto *middle = new QVBoxLayout(Frame2);
    middle->addLayout(pick);
    middle->addWidget(flx);

    Frame3 = frame("Frame3", this);
    PaintBackground(Frame3, kFormPale, Qt::black);
    cmdSelect = Named(new QPushButton(FrmImages::icon(QStringLiteral("ImgOk")), QStringLiteral("&Select"), Frame3),
                      "cmdSelect");
    cmdClose = new QPushButton(FrmImages::icon(QStringLiteral("ImgClose")),
                               changing ? QStringLiteral("&Cancel") : QStringLiteral("&Close"), Frame3);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton *b : {cmdSelect, cmdClose}) {
        b->setIconSize(QSize(20, 20));
        b->setMinimumWidth(TwipsToPixelsX(1300));
        b->setAutoDefault(false);
    }
    auto *bottom = new QHBoxLayout(Frame3);
    bottom->addStretch();
    bottom->addWidget(cmdSelect);
    bottom->addWidget(cmdClose);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(Frame1);
    outer->addWidget(Frame2, 1);
    outer->addWidget(Frame3);
    resize(TwipsRect(0, 0, 7200, 5600).size());

    setTabOrder(DCCompany, flx);
    setTabOrder(flx, cmdSelect);
    setTabOrder(cmdSelect, cmdClose);
    DCCompany->setFocus();

    DCCompany->installEventFilter(this);
    flx->installEventFilter(this);
    flx->viewport()->installEventFilter(this);
    connect(DCCompany, &QComboBox::activated, this, &frmCompDef::companyPicked);
    connect(cmdSelect, &QPushButton::clicked, this, &frmCompDef::selectClicked);
    connect(cmdClose, &QPushButton::clicked, this, &frmCompDef::closeClicked);

    loadCompanies();
    if (changing)
        offer(CompanyCodeText(m_before.code), m_before.period.code);
    else {
        const RememberedChoice last = RememberedCompanyChoice();
        offer(last.companyCode, last.periodCode);
    }
}

void frmCompDef::offer(const QString &code, const QString &periodCode)
{
    if (code.isEmpty())
        return;
    for (int i = 0; i < DCCompany->count(); ++i) {
        QList<PeriodEntry> periods;
        SelectionFailure failure;
        // A company that cannot be listed now is simply not offered; picking it says why.
        if (CompanyCodeText(DCCompany->itemData(i)) != code || !ListPeriods(DCCompany->itemData(i), &periods, &failure))
            continue;
        DCCompany->setCurrentIndex(i);
        showPeriods(periods);
        for (int row = 0; row < periods.size(); ++row) {
            if (periods[row].code == periodCode) {
                flx->setCurrentCell(row, 1);
                flx->setFocus(); // Enter takes it
            }
        }
        return;
    }
}

void frmCompDef::loadCompanies()
{
    QList<CompanyEntry> companies;
    SelectionFailure failure;
    if (!ListCompanies(&companies, &failure)) {
        logFailure(failure);
        return;
    }
    for (const CompanyEntry &c : companies)
        DCCompany->addItem(c.name, c.code);
    DCCompany->setCurrentIndex(-1);
}

void frmCompDef::companyPicked()
{
    QList<PeriodEntry> periods;
    SelectionFailure failure;
    if (!ListPeriods(DCCompany->currentData(), &periods, &failure)) {
        // No grid left from another company to select by mistake.
        showPeriods({});
        logFailure(failure);
        return;
    }
    showPeriods(periods);
}

void frmCompDef::showPeriods(const QList<PeriodEntry> &periods)
{
    m_periods = periods;
    flx->clearContents();
    flx->setRowCount(int(periods.size()));
    for (int row = 0; row < periods.size(); ++row) {
        const PeriodEntry &p = periods[row];
        auto *label = new QTableWidgetItem(p.label);
        label->setTextAlignment(Qt::AlignCenter);
        flx->setItem(row, 1, label);
        flx->setItem(row, 2, new QTableWidgetItem(p.fromText));
        flx->setItem(row, 3, new QTableWidgetItem(p.toText));
    }
    if (!periods.isEmpty())
        flx->setCurrentCell(0, 1);
}

void frmCompDef::selectClicked()
{
    const int row = flx->currentRow();
    const PeriodEntry period = (row >= 0 && row < m_periods.size()) ? m_periods[row] : PeriodEntry();
    SelectionFailure failure;
    // An empty choice is answered by the selection itself ("Please select the Company").
    if (!SelectCompany(DCCompany->currentData(), DCCompany->currentText(), period, &failure)) {
        m_failed = m_failed || failure.number != 0;
        logFailure(failure);
        return;
    }
    RememberCompanyChoice({Settings().strCompCode, period.code});
    accept();
    if (MDIForm1 *main = MDIForm1::instance())
        main->CompanyChosen();
}

void frmCompDef::closeClicked()
{
    if (m_changing) {
        // A failed selection may have reopened the connections on another company: back to the earlier one.
        SelectionFailure failure;
        if (m_failed && !SelectCompany(m_before.code, m_before.name, m_before.period, &failure))
            logFailure(failure);
        m_leaving = true;
        QDialog::reject();
        return;
    }
    if (ShowMessage(kExitQuestion, QStringLiteral("  ") + kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true)
        != 0)
        return;
    EndProgram();
    m_leaving = true;
    QDialog::reject();
}

void frmCompDef::reject()
{
    if (m_leaving || ProgramEnding()) {
        QDialog::reject();
        return;
    }
    closeClicked();
}

bool frmCompDef::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DCCompany && IsEnterKey(event)) {
        focusNextChild();
        return true;
    }
    if (watched == flx) {
        if (IsEnterKey(event)) {
            cmdSelect->click();
            return true;
        }
    }
    // The period column fills the grid; the last column stays out of view.
    if (watched == flx->viewport() && event->type() == QEvent::Resize)
        flx->setColumnWidth(1, flx->viewport()->width() - TwipsToPixelsX(30));
    return QDialog::eventFilter(watched, event);
}
