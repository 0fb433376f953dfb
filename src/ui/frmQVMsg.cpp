#include "frmQVMsg.h"

#include "ui/FrmImages.h"
#include "ui/GuiFormLayout.h"
#include "ui/GuiTwips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {
const QColor kBack(23, 147, 140);
const QColor kPanel(200, 249, 241);
const QColor kCaptionText(12, 84, 80);

void fillBackground(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QFrame *outline(QWidget *parent, const char *name, const QRect &twips)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Plain);
    f->setLineWidth(1);
    f->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QPalette p = f->palette();
    p.setColor(QPalette::WindowText, kBack);
    f->setPalette(p);
    return f;
}
} // namespace

frmQVMsg::frmQVMsg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmQVMsg"));
    // The title shows in the title label; the window's own caption stays empty.
    setWindowTitle(QString());
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    setFont(font);
    setFixedSize(TwipsRect(0, 0, 5010, 2700).size());
    fillBackground(this, kBack);

    gpbMain = new QFrame(this);
    gpbMain->setObjectName(QStringLiteral("gpbMain"));
    gpbMain->setFrameShape(QFrame::StyledPanel);
    gpbMain->setGeometry(TwipsRect(30, 375, 4950, 2295));
    fillBackground(gpbMain, kPanel);

    Shape1 = outline(gpbMain, "Shape1", QRect(45, 60, 4860, 2220));
    Shape2 = outline(gpbMain, "Shape2", QRect(90, 105, 4770, 1755));

    img = new QLabel(gpbMain);
    img->setObjectName(QStringLiteral("img"));
    img->setGeometry(TwipsRect(120, 150, 600, 600));
    img->setAlignment(Qt::AlignCenter);

    lblMsgCaption = new QLabel(QStringLiteral("Message Caption"), gpbMain);
    lblMsgCaption->setObjectName(QStringLiteral("lblMsgCaption"));
    lblMsgCaption->setGeometry(TwipsRect(720, 225, 3600, 435));
    lblMsgCaption->setAlignment(Qt::AlignCenter);
    lblMsgCaption->setTextFormat(Qt::PlainText);
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSizeF(9);
    captionFont.setBold(true);
    lblMsgCaption->setFont(captionFont);
    QPalette cp = lblMsgCaption->palette();
    cp.setColor(QPalette::WindowText, kCaptionText);
    lblMsgCaption->setPalette(cp);

    // Plain text and no buddy: an ampersand is shown, never taken as an access key.
    lblMsg = new QLabel(QStringLiteral("Message "), gpbMain);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setGeometry(TwipsRect(180, 735, 4545, 975));
    lblMsg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblMsg->setWordWrap(true);
    lblMsg->setTextFormat(Qt::PlainText);

    cmdOk = new QPushButton(QStringLiteral("&Ok"), gpbMain);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(TwipsRect(1665, 1875, 855, 375));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), gpbMain);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(TwipsRect(2505, 1875, 855, 375));
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
    case 0:
        cmdCancel->setVisible(false);
        picture = QStringLiteral("ImgInfo");
        break;
    case 1:
        picture = QStringLiteral("ImgQuestion");
        break;
    case 2:
        cmdOk->setText(QStringLiteral("&Yes"));
        cmdCancel->setText(QStringLiteral("&No"));
        if (m_defaultNegative)
            first = cmdCancel;
        picture = QStringLiteral("ImgQuestion");
        break;
    default:
        break;
    }
    if (m_boxType == 0)
        picture = QStringLiteral("ImgCritical");
    showPicture(picture);

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
    // Esc has no binding here: only the two buttons and the title bar close the box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

int ShowQVMsg(const QString &text, const QString &title, int boxType, int buttonStyle, bool defaultNegative)
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
    DisplayForm(box, 1, 4);
    return box->msgResult();
}
