#include "frmExportToXML.h"

#include "ExportCommand.h"
#include "RegistrationNumber.h"
#include "ReturnQuarter.h"
#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/RememberedEntries.h"
#include "app/UserInterface.h"
#include "dates/ucDate.h"
#include "ui/FrmImages.h"
#include "ui/KeyboardNavigation.h"
#include "ui/WindowKit.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QValidator>

namespace {
// Design sizes in twips.
constexpr double kWidth = 10200;
constexpr double kHeight = 6600;
constexpr double kPanelLeft = 60;
constexpr double kPanelTop = 525;
constexpr double kFieldsTop = 300;

// The key filter of the registration number box, applied to whatever reaches
// the box (typed or pasted): small letters become capitals, other characters
// outside the filter are dropped.
class RegistrationKeys : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override
    {
        QString kept;
        kept.reserve(input.size());
        int cursor = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (const std::optional<QChar> c = FilterRegistrationKey(input.at(i)))
                kept += *c;
            else if (i < pos)
                --cursor;
        }
        input = kept;
        pos = cursor;
        return Acceptable;
    }
};

QString companyFolderText()
{
    return QDir::toNativeSeparators(CompanyOutputFolder() + QLatin1Char('/'));
}
} // namespace

frmExportToXML::frmExportToXML(QWidget *parent)
    : QWidget(parent)
{
    SetUpFixedWindow(this, QStringLiteral("frmExportToXML"), QStringLiteral("Export To XML"), kWidth, kHeight);
    PaintBackground(this, kFormTeal, Qt::black);

    Frame1 = PlaceTwips<QFrame>(this, "Frame1", 30, 15, kWidth - 60, 450);
    Frame1->setProperty("Tag", QStringLiteral("XYR_"));
    PaintBackground(Frame1, kFormTeal, Qt::white);
    LblCaption = PlaceTwips<QLabel>(Frame1, "LblCaption", 375, 45, 3630, 360);
    LblCaption->setProperty("Tag", QStringLiteral("XYR_"));
    LblCaption->setText(QStringLiteral("Export To XML"));
    LblCaption->setFont(ArialFont(15.75, true));
    Label8 = PlaceTwips<QLabel>(Frame1, "Label8", 4200, 105, 5340, 270);
    Label8->setProperty("Tag", QStringLiteral("XYR_"));
    Label8->setText(QStringLiteral("Version 1.0"));
    Label8->setFont(ArialFont(8.25));
    Label8->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CmdExit = PlaceTwips<QPushButton>(Frame1, "CmdExit", kWidth - 60 - 465, 22, 435, 405);
    CmdExit->setProperty("Tag", QStringLiteral("_YR_"));
    CmdExit->setIcon(FrmImages::icon(QStringLiteral("ImgExit")));
    CmdExit->setIconSize(CmdExit->size() - QSize(8, 8));
    CmdExit->setToolTip(QStringLiteral("Close"));
    // Closing never waits for a date being typed: the half-typed date is dropped.
    CmdExit->setProperty("CausesValidation", false);

    Fm = PlaceTwips<QFrame>(this, "Fm", kPanelLeft, kPanelTop, kWidth - 2 * kPanelLeft, kHeight - kPanelTop - 60);
    Fm->setProperty("Tag", QStringLiteral("XYRB"));
    Fm->setFrameShape(QFrame::StyledPanel);
    PaintBackground(Fm, kFormPale, Qt::black);
    m_designPanelWidth = Fm->width();

    m_fields = Named(new QWidget(Fm), "fraFields");
    auto *grid = new QGridLayout(m_fields);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(TwipsToPixelsX(150));
    grid->setVerticalSpacing(TwipsToPixelsY(120));
    int row = 0;
    auto addRow = [&](QLabel *&label, const char *name, const QString &caption, QWidget *field) {
        label = Named(new QLabel(caption, m_fields), name);
        label->setBuddy(field);
        grid->addWidget(label, row, 0, Qt::AlignRight | (row == 5 ? Qt::AlignTop : Qt::AlignVCenter));
        grid->addWidget(field, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        ++row;
    };
    CmbYear = Named(new QComboBox(m_fields), "CmbYear");
    CmbMonth = Named(new QComboBox(m_fields), "CmbMonth");
    txtRegisterNo = Named(new QLineEdit(m_fields), "txtRegisterNo");
    ucDt = Named(new ucDate(m_fields), "ucDt");
    txtPlace = Named(new QLineEdit(m_fields), "txtPlace");
    txtRemarks = Named(new QPlainTextEdit(m_fields), "txtRemarks");
    TxtFileName = Named(new QLineEdit(m_fields), "TxtFileName");
    addRow(lblYear, "lblYear", QStringLiteral("Year :"), CmbYear);
    addRow(lblQuarter, "lblQuarter", QStringLiteral("Quarter :"), CmbMonth);
    addRow(lblRegisterNo, "lblRegisterNo", QStringLiteral("Registration Number :"), txtRegisterNo);
    addRow(lblDate, "lblDate", QStringLiteral("Date :"), ucDt);
    addRow(lblPlace, "lblPlace", QStringLiteral("Place :"), txtPlace);
    addRow(lblRemarks, "lblRemarks", QStringLiteral("Remarks :"), txtRemarks);
    addRow(lblFileName, "lblFileName", QStringLiteral("File Path :"), TxtFileName);

    txtRegisterNo->setMaxLength(30);
    txtRegisterNo->setValidator(new RegistrationKeys(txtRegisterNo));
    txtRemarks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtRemarks->setTabChangesFocus(true);
    txtRemarks->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The path is rebuilt by every export; the box only shows it.
    ShowReadOnly(TxtFileName);

    Frame2 = PlaceTwips<QFrame>(Fm, "Frame2", 0, 5175, 3600, 600);
    Frame2->setProperty("Tag", QStringLiteral("X__B"));
    CmdExport = Named(new QPushButton(FrmImages::icon(QStringLiteral("ImgXML")),
                                      QStringLiteral("&Create && Validate XML File "), Frame2),
                      "CmdExport");
    CmdExport->setIconSize(QSize(TwipsToPixelsX(360), TwipsToPixelsY(360)));
    auto *buttons = new QHBoxLayout(Frame2);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(CmdExport);

    wireControls();
    Form_Load();
    placeFields();
}

void frmExportToXML::wireControls()
{
    setTabOrder(CmbYear, CmbMonth);
    setTabOrder(CmbMonth, txtRegisterNo);
    setTabOrder(txtRegisterNo, ucDt);
    setTabOrder(ucDt, txtPlace);
    setTabOrder(txtPlace, txtRemarks);
    setTabOrder(txtRemarks, TxtFileName);
    setTabOrder(TxtFileName, CmdExport);
    setTabOrder(CmdExport, CmdExit);

    connect(CmdExport, &QPushButton::clicked, this, [this] { CmdExport_Click(); });
    connect(CmdExit, &QPushButton::clicked, this, [this] { CmdExit_Click(); });
    connect(txtRemarks, &QPlainTextEdit::textChanged, this, [this] { limitRemarks(); });
    Fm->installEventFilter(this);
    m_fields->installEventFilter(this);
    new KeyPreview(this);
    CloseOnEscape(this, [this] { CmdExit_Click(); });
}

void frmExportToXML::Form_Load()
{
    const QDate today = Clock::today();
    const ReturnInputs form = DefaultReturnInputs(today);
    for (int year = std::min(2010, today.year()); year <= today.year(); ++year)
        CmbYear->addItem(QString::number(year));
    CmbYear->setCurrentText(form.year);
    CmbMonth->addItems(ReturnQuarterNames());
    CmbMonth->setCurrentText(form.quarter);
    txtRegisterNo->setText(form.registrationNumber);
    ucDt->setText(QVariant(today));
    txtPlace->setText(form.place);
    txtRemarks->setPlainText(form.remarks);
    TxtFileName->setText(companyFolderText());
    TxtFileName->setToolTip(TxtFileName->text());
    // What was typed for this company's last return is offered again.
    const RememberedReturnEntries last = RememberedReturnFields(Settings().strCompCode);
    if (!last.isEmpty()) {
        txtRegisterNo->setText(last.registrationNumber);
        txtPlace->setText(last.place);
        txtRemarks->setPlainText(last.remarks);
    }
    m_written = entries();
    CmbYear->setFocus();
}

QStringList frmExportToXML::entries() const
{
    return {txtRegisterNo->text(), ucDt->Text(), txtPlace->text(), txtRemarks->toPlainText()};
}

bool frmExportToXML::HoldsTypedText() const
{
    return entries() != m_written;
}

void frmExportToXML::CmdExport_Click()
{
    // The please-wait indicator lets window events run: a second click, or
    // the exit button, must not start or end anything while an export runs.
    if (m_exporting)
        return;
    const QScopedValueRollback<bool> running(m_exporting, true);
    ReturnInputs form;
    form.year = CmbYear->currentText();
    form.quarter = CmbMonth->currentText();
    form.registrationNumber = txtRegisterNo->text();
    form.date = ucDt->Text();
    form.place = txtPlace->text();
    form.remarks = txtRemarks->toPlainText();
    // The schema would refuse a return without its date, but only after the whole export.
    if (form.date.trimmed().isEmpty()) {
        ShowMessage(QStringLiteral("Please enter the date"), kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        ucDt->setFocus();
        return;
    }
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    const ExportResult result = ExportReturn(
        form,
        [this](const QString &path) {
            TxtFileName->setText(QDir::toNativeSeparators(path));
            TxtFileName->setToolTip(TxtFileName->text());
        },
        ExportDoubts::Ask);
    if (result.success) {
        m_written = entries();
        RememberReturnFields(Settings().strCompCode, {form.registrationNumber, form.place, form.remarks});
    }
    // The box names a file that is there: the return, the copy kept of a rejected one, or none.
    if (!result.success) {
        const QFileInfo rejected(RejectedReturnPath(result.outputPath));
        const bool kept = rejected.exists() && rejected.lastModified() >= started;
        TxtFileName->setText(kept ? QDir::toNativeSeparators(rejected.filePath()) : QString());
        TxtFileName->setToolTip(TxtFileName->text());
    }
    switch (result.focus) {
    case ExportFocus::RegisterNo:
        txtRegisterNo->setFocus();
        break;
    case ExportFocus::Place:
        txtPlace->setFocus();
        break;
    case ExportFocus::Remarks:
        txtRemarks->setFocus();
        break;
    case ExportFocus::None:
        break;
    }
}

void frmExportToXML::CmdExit_Click()
{
    if (m_exporting)
        return;
    HidePleaseWait();
    CloseWorkingWindow(this);
}

void frmExportToXML::closeEvent(QCloseEvent *event)
{
    // The export runs inside this window's controls: the window stays until it ends.
    if (m_exporting) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

// At most 200 characters, typed or pasted: what goes past the limit is the
// text just put in before the cursor.
void frmExportToXML::limitRemarks()
{
    const QString text = txtRemarks->toPlainText();
    const qsizetype excess = text.size() - kRemarksLength;
    if (excess <= 0)
        return;
    QTextCursor cursor = txtRemarks->textCursor();
    const int end = cursor.position();
    const int start = std::max(0, end - int(excess));
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    if (txtRemarks->toPlainText().size() > kRemarksLength) { // the cursor was not after the new text
        QTextCursor tail(txtRemarks->document());
        tail.setPosition(kRemarksLength);
        tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        tail.removeSelectedText();
    }
}

void frmExportToXML::placeFields()
{
    if (!m_fields || !Frame2) // still being built
        return;
    const double grow = m_designPanelWidth > 0 ? double(Fm->width()) / m_designPanelWidth : 1.0;
    const std::pair<QWidget *, double> widths[] = {
        {CmbYear, 1300},  {CmbMonth, 1300},   {txtRegisterNo, 3600},
        {txtPlace, 3600}, {txtRemarks, 5400}, {TxtFileName, 6900},
    };
    for (const auto &[field, twips] : widths)
        field->setFixedWidth(std::max(field->minimumSizeHint().width(), int(TwipsToPixelsX(twips) * grow)));
    // The date box keeps its own font, as the other fields keep theirs when
    // the window's font is scaled to the screen.
    ucDt->setFixedSize(int(TwipsToPixelsX(1770) * grow), txtPlace->sizeHint().height());
    const QFontMetrics metrics(txtRemarks->font());
    txtRemarks->setFixedHeight(metrics.lineSpacing() * 4 + 2 * txtRemarks->frameWidth()
                               + 2 * int(txtRemarks->document()->documentMargin()));

    // The button frame keeps its bottom, where the layout's anchor puts it.
    const QSize button = Frame2->sizeHint().expandedTo(QSize(TwipsToPixelsX(3600), TwipsToPixelsY(600)));
    const int bottom = Frame2->geometry().bottom();
    Frame2->setGeometry((Fm->width() - button.width()) / 2, bottom - button.height() + 1, button.width(),
                        button.height());

    // The fields stand in the middle of the room above the button.
    const QSize block = m_fields->sizeHint();
    const int room = Frame2->y() - block.height();
    m_fields->setGeometry(std::max(0, (Fm->width() - block.width()) / 2),
                          std::max(TwipsToPixelsY(kFieldsTop), room / 2), block.width(), block.height());
}

bool frmExportToXML::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Fm && event->type() == QEvent::Resize)
        || (watched == m_fields && event->type() == QEvent::LayoutRequest))
        placeFields();
    return QWidget::eventFilter(watched, event);
}

void frmExportToXML::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        placeFields();
    QWidget::changeEvent(event);
}
