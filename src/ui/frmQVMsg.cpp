#include "frmQVMsg.h"

#include "ui/FormDisplay.h"
#include "ui/FrmImages.h"
#include "ui/WindowKit.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {
QFrame *outline(QWidget *parent, const char *name, double left, double top, double width, double height)
{
    auto *f = PlaceTwips<QFrame>(parent, name, left, top, width, height);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Plain);
    f->setLineWidth(1);
    PaintText(f, kFormTeal);
    return f;
}
} // namespace

frmQVMsg::frmQVMsg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmQVMsg"));
    // The title shows in the title label; the window's own caption stays empty.
    setWindowTitle(QString());
    setFont(ArialFont(8.25, true));
    setFixedSize(TwipsRect(0, 0, 5010, 2700).size());
    PaintBackground(this, kFormTeal);

    gpbMain = PlaceTwips<QFrame>(this, "gpbMain", 30, 375, 4950, 2295);
    gpbMain->setFrameShape(QFrame::StyledPanel);
    PaintBackground(gpbMain, kFormPale);

    Shape1 = outline(gpbMain, "Shape1", 45, 60, 4860, 2220);
    Shape2 = outline(gpbMain, "Shape2", 90, 105, 4770, 1755);

    img = PlaceTwips<QLabel>(gpbMain, "img", 120, 150, 600, 600);
    img->setAlignment(Qt::AlignCenter);

    lblMsgCaption = PlaceTwips<QLabel>(gpbMain, "lblMsgCaption", 720, 225, 3600, 435);
    lblMsgCaption->setText(QStringLiteral("Message Caption"));
    lblMsgCaption->setAlignment(Qt::AlignCenter);
    lblMsgCaption->setTextFormat(Qt::PlainText);
    lblMsgCaption->setFont(ArialFont(9, true));
    PaintText(lblMsgCaption, kFormDarkTeal);

    // Plain text and no buddy: an ampersand is shown, never taken as an access key.
    lblMsg = PlaceTwips<QLabel>(gpbMain, "lblMsg", 180, 735, 4545, 975);
    lblMsg->setText(QStringLiteral("Message "));
    lblMsg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblMsg->setWordWrap(true);
    lblMsg->setTextFormat(Qt::PlainText);

    cmdOk = PlaceTwips<QPushButton>(gpbMain, "cmdOk", 1665, 1875, 855, 375);
    cmdOk->setText(QStringLiteral("&Ok"));
    cmdCancel = PlaceTwips<QPushButton>(gpbMain, "cmdCancel", 2505, 1875, 855, 375);
    cmdCancel->setText(QStringLiteral("&Cancel"));
    // The focused button answers Enter; none is the window's fixed default.
    cmdOk->setAutoDefault(true);
    cmdCancel->setAutoDefault(true);

    connect(cmdOk, &QPushButton::clicked, this, [this] {
        m_result = 0;
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmQVMsg *frmQVMsg::shared()
{
    static QPointer<frmQVMsg> window;
    if (!window)
        window = new frmQVMsg;
    return window;
}

void frmQVMsg::showPicture(const QString &name)
{
    img->setPixmap(FrmImages::pixmap(name, img->size(), devicePixelRatioF()));
}

void frmQVMsg::load()
{
    m_result = 1;
    lblMsgCaption->setText(m_caption);
    lblMsg->setText(m_text);

    // Every load starts from the design state.
    cmdOk->setText(QStringLiteral("&Ok"));
    cmdCancel->setText(QStringLiteral("&Cancel"));
    cmdOk->setVisible(true);
    cmdCancel->setVisible(true);
    QString picture = QStringLiteral("ImgInfo");
    QPushButton *first = cmdOk;

    switch (m_buttons) {
    case MsgButtons::Ok:
        cmdCancel->setVisible(false);
        picture = QStringLiteral("ImgInfo");
        break;
    case MsgButtons::OkCancel:
        picture = QStringLiteral("ImgQuestion");
        break;
    case MsgButtons::YesNo:
        cmdOk->setText(QStringLiteral("&Yes"));
        cmdCancel->setText(QStringLiteral("&No"));
        if (m_defaultNegative)
            first = cmdCancel;
        picture = QStringLiteral("ImgQuestion");
        break;
    }
    if (m_boxType == MsgBoxType::Critical)
        picture = QStringLiteral("ImgCritical");
    showPicture(picture);

    // A lone Ok stands in the middle, wide enough for its caption however large the type.
    const QRect design = TwipsRect(1665, 1875, 855, 375);
    for (QPushButton *b : {cmdOk, cmdCancel})
        b->resize(std::max(design.width(), b->sizeHint().width()), std::max(design.height(), b->sizeHint().height()));
    const int top = design.bottom() + 1 - cmdOk->height();
    if (cmdCancel->isVisibleTo(this)) {
        cmdOk->move(gpbMain->width() / 2 - cmdOk->width(), top);
        cmdCancel->move(gpbMain->width() / 2, top);
    } else {
        cmdOk->move((gpbMain->width() - cmdOk->width()) / 2, top);
    }

    QPushButton *second = (first == cmdOk) ? cmdCancel : cmdOk;
    setTabOrder(first, second);
    first->setDefault(false);
    second->setDefault(false);
    first->setFocus(Qt::ActiveWindowFocusReason);
}

void frmQVMsg::showEvent(QShowEvent *event)
{
    load();
    QDialog::showEvent(event);
}

void frmQVMsg::keyPressEvent(QKeyEvent *event)
{
    // Esc answers as the right-hand button would (Cancel or No); a box with Ok
    // alone is simply closed. Either way the result is 1.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

int ShowQVMsg(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
              bool defaultNegative)
{
    frmQVMsg *box = frmQVMsg::shared();
    box->setMsgCaption(title);
    box->setMsgText(text);
    box->setMsgButtons(buttonStyle);
    box->setDefautNeg(defaultNegative);
    box->setMsgBoxType(boxType);
    // Kept above the main window by the window manager.
    if (QMdiArea *area = ClientArea()) {
        box->winId();
        if (QWindow *handle = box->windowHandle())
            handle->setTransientParent(area->window()->windowHandle());
    }
    DisplayForm(box, FormMode::Modal, FormPosition::Centre);
    return box->msgResult();
}
