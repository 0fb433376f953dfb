#include "frmCalQV.h"

#include "CalendarMonth.h"
#include "DateText.h"
#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/Values.h"
#include "ui/KeyboardNavigation.h"
#include "ui/LeaveGuard.h"
#include "ui/WindowKit.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    button->setFont(ArialFont(8.25, true));
    return button;
}

void setBold(QTableWidgetItem *item, bool bold)
{
    if (!item)
        return;
    QFont font = item->font();
    font.setBold(bold);
    item->setFont(font);
}

} // namespace

QModelIndex CalendarGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex target = QTableWidget::moveCursor(action, modifiers);
    if (target.isValid() && target != currentIndex() && moveRequested)
        moveRequested(target.row(), target.column());
    return currentIndex();
}

void CalendarGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid() && moveRequested)
            moveRequested(index.row(), index.column());
    }
    event->accept();
}

void CalendarGrid::mouseMoveEvent(QMouseEvent *event)
{
    event->accept(); // no dragging across days
}

void CalendarGrid::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void CalendarGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && acceptRequested)
        acceptRequested();
    event->accept();
}

void CalendarGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (acceptRequested)
            acceptRequested();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

frmCalQV *frmCalQV::instance()
{
    // Created at first use and kept for the whole run.
    static frmCalQV *window = new frmCalQV;
    return window;
}

frmCalQV::frmCalQV(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("frmCalQV"));
    setWindowTitle(QString());
    setModal(true);
    setFont(ArialFont(8.25));
    PaintBackground(this, kFormPale, Qt::black);
    setFixedSize(TwipsRect(0, 0, 3405, 3525).size());

    cmbMonth = Named(new QComboBox(this), "cmbMonth");
    cmbMonth->setFont(ArialFont(8.25, true));
    for (int m = 1; m <= 12; ++m)
        cmbMonth->addItem(MonthName(m), m);
    cmbMonth->setCurrentIndex(-1);
    cmbMonth->setGeometry(TwipsRect(90, 120, 1275, 330));

    txtYear = Named(new QLineEdit(this), "txtYear");
    txtYear->setProperty("Tag", QStringLiteral("N"));
    txtYear->setFont(ArialFont(8.25, true));
    txtYear->setMaxLength(4); // a fifth digit could only make the box unleavable
    txtYear->setGeometry(TwipsRect(1425, 120, 705, 330));
    txtYear->installEventFilter(this);

    cmdUp = makeButton(this, "cmdUp", QStringLiteral("+"));
    cmdUp->setFocusPolicy(Qt::NoFocus);
    cmdUp->setGeometry(TwipsRect(2145, 135, 210, 150));
    cmdDown = makeButton(this, "cmdDown", QStringLiteral("-"));
    cmdDown->setFocusPolicy(Qt::NoFocus);
    cmdDown->setGeometry(TwipsRect(2145, 285, 210, 150));

    cmdClose = makeButton(this, "cmdClose", QStringLiteral("&Close"));
    cmdClose->setFont(ArialFont(9, true));
    cmdClose->setProperty("CausesValidation", false);
    cmdClose->setGeometry(TwipsRect(2625, 75, 675, 375));

    flx = Named(new CalendarGrid(this), "flx");
    flx->setFont(ArialFont(8.25));
    flx->horizontalHeader()->hide();
    flx->verticalHeader()->hide();
    flx->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    flx->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    flx->setEditTriggers(QAbstractItemView::NoEditTriggers);
    flx->setSelectionMode(QAbstractItemView::NoSelection);
    flx->setTabKeyNavigation(false);
    flx->setTextElideMode(Qt::ElideNone); // a clipped "Mon" reads better than "..."
    flx->setGeometry(TwipsRect(60, 585, 3270, 2400));
    flx->moveRequested = [this](int row, int column) { moveToCell(row, column); };
    flx->acceptRequested = [this] { acceptPick(); };

    lblDate = Named(new QLabel(this), "lblDate");
    lblDate->setFont(ArialFont(8.25, true));
    lblDate->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PaintBackground(lblDate, kFormTeal, Qt::white);
    lblDate->setGeometry(TwipsRect(90, 3090, 1665, 315));

    cmdToday = makeButton(this, "cmdToday", QString());
    cmdToday->setGeometry(TwipsRect(2235, 3090, 1050, 375));

    // Every month name whole, whatever the font's widths: the top row and the
    // window widen by what the list needs beyond its design width.
    cmbMonth->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    if (const int extra = cmbMonth->sizeHint().width() - cmbMonth->width(); extra > 0) {
        cmbMonth->resize(cmbMonth->width() + extra, cmbMonth->height());
        for (QWidget *w :
             {static_cast<QWidget *>(txtYear), static_cast<QWidget *>(cmdUp), static_cast<QWidget *>(cmdDown),
              static_cast<QWidget *>(cmdClose), static_cast<QWidget *>(cmdToday)})
            w->move(w->x() + extra, w->y());
        flx->move(flx->x() + extra / 2, flx->y());
        setFixedSize(width() + extra, height());
    }
    cmdUp->setToolTip(QStringLiteral("Next year"));
    cmdDown->setToolTip(QStringLiteral("Previous year"));
    cmdToday->setToolTip(QStringLiteral("Go to today"));
    cmdClose->setToolTip(QStringLiteral("Close without taking a date (Esc)"));
    flx->setToolTip(QStringLiteral("Double-click a day, or press Enter, to take it"));

    setTabOrder(cmbMonth, txtYear);
    setTabOrder(txtYear, cmdClose);
    setTabOrder(cmdClose, cmdToday);
    setTabOrder(cmdToday, flx);

    connect(cmbMonth, &QComboBox::currentIndexChanged, this, &frmCalQV::onMonthSelected);
    connect(txtYear, &QLineEdit::textChanged, this, &frmCalQV::onYearChanged);
    connect(cmdUp, &QPushButton::clicked, this, &frmCalQV::NextYear);
    connect(cmdDown, &QPushButton::clicked, this, &frmCalQV::PreviousYear);
    connect(cmdClose, &QPushButton::clicked, this, &frmCalQV::reject);
    connect(cmdToday, &QPushButton::clicked, this, [this] { ShowDate(CanonicalDateText(Clock::today())); });

    new KeyPreview(this, KeyPreview::KeyPress);
    new LeaveGuard(txtYear, [this] { return mayLeaveYearBox(); });

    InitGrid();
}

void frmCalQV::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_bLoading = true;
    InitGrid();
    ShowDate(IsDateText(m_sSelDate) ? m_sSelDate : CanonicalDateText(Clock::today()));
    cmdToday->setText(CanonicalDateText(Clock::today()));
    m_bLoading = false;
}

void frmCalQV::setSelDate(const QString &date)
{
    load();
    if (IsDateText(date))
        ShowDate(date);
}

void frmCalQV::showEvent(QShowEvent *event)
{
    load();
    // Each showing reports only its own pick.
    m_bOkClicked = false;
    cmbMonth->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

void frmCalQV::hideEvent(QHideEvent *event)
{
    m_loaded = false;
    QDialog::hideEvent(event);
}

void frmCalQV::reject()
{
    m_bOkClicked = false;
    QDialog::reject();
}

void frmCalQV::acceptPick()
{
    if (!IsDateText(m_sSelDate))
        return;
    m_bOkClicked = true;
    QDialog::accept();
}

void frmCalQV::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // The pop-up has no frame and stands over panels of the same pale colour:
    // an outline sets it apart.
    QPainter painter(this);
    painter.setPen(kFormDarkTeal);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmCalQV::InitGrid()
{
    flx->clearContents();
    flx->setColumnCount(kCalendarColumns);
    flx->setRowCount(kCalendarRows);
    const QFont weekFont = ArialFont(8);
    for (int r = 0; r < kCalendarRows; ++r) {
        flx->setRowHeight(r, TwipsToPixelsY(330));
        for (int c = 0; c < kCalendarColumns; ++c) {
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled);
            item->setTextAlignment(Qt::AlignCenter);
            item->setFont(c == 0 ? weekFont : flx->font());
            flx->setItem(r, c, item);
        }
    }
    flx->setColumnWidth(0, TwipsToPixelsX(250));
    for (int c = 1; c < kCalendarColumns; ++c)
        flx->setColumnWidth(c, TwipsToPixelsX(400));
    const QStringList days = DayNames();
    for (int c = 1; c < kCalendarColumns; ++c)
        flx->item(0, c)->setText(days.at(c - 1));
}

void frmCalQV::FillMonth()
{
    InitGrid();
    MonthLayout layout;
    QString error;
    const bool ok = LayOutMonth(m_iMonth, m_lYear, Clock::today(), &layout, &error);
    for (int r = 1; r < kCalendarRows; ++r) {
        for (int c = 0; c < kCalendarColumns; ++c)
            flx->item(r, c)->setText(layout.text[r][c]);
    }
    m_gridMonth = m_iMonth;
    m_gridYear = m_lYear;
    if (!ok) {
        LogError(ErrCalendarMonth, error, QString(), QString(), true);
        return;
    }
    if (layout.hasToday) {
        QTableWidgetItem *today = flx->item(layout.today.row, layout.today.column);
        today->setBackground(kFormTeal);
        today->setForeground(Qt::white);
    }
}

void frmCalQV::SetMonthBox(int month)
{
    const int index = cmbMonth->findText(MonthName(month));
    if (index >= 0)
        cmbMonth->setCurrentIndex(index);
}

void frmCalQV::SetYearBox(int year)
{
    txtYear->setText(QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
}

void frmCalQV::ShowDate(const QString &date)
{
    const QDate d = DateFromText(date);
    if (!d.isValid())
        return;
    SetMonthBox(d.month());
    SetYearBox(d.year());
    FillMonth();
    CalendarCell cell;
    if (CellOfDay(d.day(), d.month(), d.year(), &cell))
        moveToCell(cell.row, cell.column);
}

void frmCalQV::moveToCell(int row, int column)
{
    // Header cells and empty cells never become current. A move onto the current
    // cell still renews the selection: after a change of month that cell holds
    // another day.
    if (row < 1 || row >= kCalendarRows || column < 1 || column >= kCalendarColumns)
        return;
    QTableWidgetItem *target = flx->item(row, column);
    if (!target || target->text().isEmpty())
        return;
    setBold(flx->item(flx->currentRow(), flx->currentColumn()), false);
    setBold(target, true);
    m_iDay = target->text().toInt();
    m_sSelDate = CanonicalDateText(QDate(m_gridYear, m_gridMonth, 1).addDays(m_iDay - 1));
    lblDate->setText(m_sSelDate);
    lblDate->repaint();
    flx->setCurrentCell(row, column);
}

void frmCalQV::onMonthSelected(int index)
{
    if (index >= 0)
        m_iMonth = cmbMonth->itemData(index).toInt();
    if (m_bLoading)
        return;
    int year = 0;
    if (index >= 0 && YearFromText(txtYear->text(), &year) && year > 0)
        FillMonth();
}

void frmCalQV::onYearChanged(const QString &text)
{
    // While the box holds no year (emptied, "0", "."), the grid stays as it was.
    int year = 0;
    if (!YearFromText(text, &year) || year < 1)
        return;
    m_lYear = year;
    if (!m_bLoading)
        FillMonth();
}

bool frmCalQV::mayLeaveYearBox()
{
    if (txtYear->text().trimmed().isEmpty())
        SetYearBox(Clock::today().year());
    return txtYear->text().size() == 4;
}

void frmCalQV::NextYear()
{
    int year = 0;
    if (YearFromText(txtYear->text(), &year) && IsYearInRange(qint64(year) + 1))
        SetYearBox(year + 1);
}

void frmCalQV::PreviousYear()
{
    int year = 0;
    if (YearFromText(txtYear->text(), &year) && IsYearInRange(qint64(year) - 1))
        SetYearBox(year - 1);
}

bool frmCalQV::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtYear) {
        if (event->type() == QEvent::FocusIn) {
            txtYear->selectAll();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Up) {
                NextYear();
                return true;
            }
            if (key == Qt::Key_Down) {
                PreviousYear();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
