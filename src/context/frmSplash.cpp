#include "frmSplash.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/RememberedEntries.h"
#include "context/EnterKey.h"
#include "context/MDIForm1.h"
#include "dates/ucDate.h"
#include "ui/EndProgram.h"
#include "ui/FrmImages.h"
#include "ui/WindowKit.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QLabel *label(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}
} // namespace

frmSplash::frmSplash(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Login"));
    PaintBackground(this, kFormPale, Qt::black);

    // The picture side: the product and what it is for.
    auto *banner = Named(new QWidget(this), "Picture1");
    PaintBackground(banner, kFormTeal, Qt::white);
    auto *logo = new QLabel(banner);
    logo->setPixmap(FrmImages::pixmap(QStringLiteral("ImgXML"), QSize(64, 64), devicePixelRatioF()));
    logo->setAlignment(Qt::AlignCenter);
    auto *product = label(kAppTitle, banner);
    product->setFont(ArialFont(20, true));
    product->setAlignment(Qt::AlignCenter);
    auto *purpose = label(QStringLiteral("Quarterly excise returns\nfor dealers and importers"), banner);
    purpose->setAlignment(Qt::AlignCenter);
    auto *bannerLayout = new QVBoxLayout(banner);
    bannerLayout->setContentsMargins(18, 18, 18, 18);
    bannerLayout->addStretch();
    bannerLayout->addWidget(logo);
    bannerLayout->addWidget(product);
    bannerLayout->addWidget(purpose);
    bannerLayout->addStretch();

    const QFont arial = ArialFont(10);

    CmbUserId = Named(new QComboBox(this), "CmbUserId");
    CmbUserId->setEditable(true);
    CmbUserId->setInsertPolicy(QComboBox::NoInsert);
    CmbUserId->setFont(arial);
    CmbUserId->setMinimumWidth(TwipsToPixelsX(2700));

    TxtPassWord = Named(new QLineEdit(this), "TxtPassWord");
    TxtPassWord->setEchoMode(QLineEdit::Password);
    TxtPassWord->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    TxtPassWord->setFont(arial);

    // Today's date, for information only.
    ucDate = Named(new ::ucDate(this), "ucDate");
    ucDate->setText(Clock::today());
    ucDate->setLocked(true);

    cmdOk = Named(new QPushButton(FrmImages::icon(QStringLiteral("ImgOk")), QStringLiteral("&Ok"), this), "cmdOk");
    cmdCancel = Named(new QPushButton(FrmImages::icon(QStringLiteral("ImgCancel")), QStringLiteral("&Cancel"), this),
                      "cmdCancel");
    for (QPushButton *b : {cmdOk, cmdCancel}) {
        b->setIconSize(QSize(20, 20));
        b->setMinimumWidth(TwipsToPixelsX(1300));
        b->setAutoDefault(false);
    }

    LblUpdatedOn = label(QStringLiteral("Last Updated on :03/07/2014"), this);
    LblUpdatedOn->setObjectName(QStringLiteral("LblUpdatedOn"));

    auto *heading = label(QStringLiteral("User Login"), this);
    heading->setFont(ArialFont(12, true));

    auto *form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(10);
    form->addWidget(heading, 0, 0, 1, 2);
    form->addWidget(label(QStringLiteral("User ID :"), this), 1, 0);
    form->addWidget(CmbUserId, 1, 1);
    form->addWidget(label(QStringLiteral("Password :"), this), 2, 0);
    form->addWidget(TxtPassWord, 2, 1);
    form->addWidget(label(QStringLiteral("Date :"), this), 3, 0);
    form->addWidget(ucDate, 3, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    form->addLayout(buttons, 4, 0, 1, 2);
    form->setRowStretch(5, 1);
    form->addWidget(LblUpdatedOn, 6, 0, 1, 2, Qt::AlignRight);

    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 16, 12);
    outer->setSpacing(16);
    outer->addWidget(banner);
    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 16, 0, 0);
    right->addLayout(form);
    outer->addLayout(right, 1);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    wireControls();
}

void frmSplash::wireControls()
{
    setTabOrder(CmbUserId, TxtPassWord);
    setTabOrder(TxtPassWord, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    // The user ID of the last login, selected so that typing replaces it.
    CmbUserId->setEditText(RememberedUserId());
    CmbUserId->lineEdit()->selectAll();
    CmbUserId->setFocus();

    CmbUserId->installEventFilter(this);
    CmbUserId->lineEdit()->installEventFilter(this);
    TxtPassWord->installEventFilter(this);
    connect(cmdOk, &QPushButton::clicked, this, &frmSplash::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSplash::cancelClicked);
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == CmbUserId || watched == CmbUserId->lineEdit()) {
        if (IsEnterKey(event)) {
            focusNextChild();
            return true;
        }
    } else if (watched == TxtPassWord) {
        if (IsEnterKey(event)) {
            cmdOk->click();
            return true;
        }
        if (event->type() == QEvent::FocusIn) {
            // After the line edit's own focus handling, which may place the cursor.
            QTimer::singleShot(0, TxtPassWord, [this] { TxtPassWord->selectAll(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSplash::okClicked()
{
    Settings().strUserId = CmbUserId->currentText();
    RememberUserId(Settings().strUserId);
    accept();
    if (MDIForm1 *main = MDIForm1::instance())
        main->setUserPanel(Settings().strUserId);
}

void frmSplash::cancelClicked()
{
    EndProgram();
    reject();
}
