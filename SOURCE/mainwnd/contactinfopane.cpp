#include "mainwnd/contactinfopane.h"

#include "controls/contexthelp.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/contactinfohtml.h"
#include "platform/msgbox.h"
#include "platform/ui/openlink.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>

namespace {

constexpr const char* kTemplatePath = ":/html/610.html";
constexpr u32 IDS_CONTACT_INFO = 59581;
constexpr u32 IDS_INFO_PANE_FAILED = 59582;

}  // namespace

CContactInfoPane::CContactInfoPane(const UserMan& userMan, QWidget* parent)
    : QWidget(parent)
    , m_userMan(userMan)
{
    SetDlgCtrlID(this, kControlId);
    setObjectName(QStringLiteral("ContactInfo"));

    m_closeButton = new QToolButton(this);
    SetDlgCtrlID(m_closeButton, kToolBarId);
    m_closeButton->setObjectName(QStringLiteral("ContactInfoClose"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_closeButton->setToolTip(QString::fromStdString(LoadResString(IDS_CONTACT_INFO)));
    // The command closes this pane: it runs once the click is over, on the
    // container's side, never inside the button's own signal.
    connect(m_closeButton, &QToolButton::clicked, this, [this] {
        if (onCommand)
            QMetaObject::invokeMethod(
                parentWidget() ? static_cast<QObject*>(parentWidget()) : qApp,
                [command = onCommand] { command(kCloseCommand); }, Qt::QueuedConnection);
    });

    m_browser = new QTextBrowser(this);
    SetDlgCtrlID(m_browser, kBrowserId);
    m_browser->setOpenLinks(false);
    m_browser->setContextMenuPolicy(Qt::NoContextMenu);
    m_browser->setFrameShape(QFrame::NoFrame);
    // A long word or address wraps instead of widening the page.
    m_browser->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &CContactInfoPane::OnLink);
    setFocusProxy(m_browser);
    // The page offers no menu of its own: the right button explains the pane.
    EnableContextHelp(this, {{kControlId, 1214}});

    QFile page(QString::fromLatin1(kTemplatePath));
    if (page.open(QIODevice::ReadOnly))
        m_template = page.readAll().toStdString();
    FillHtml(nullptr);
}

void CContactInfoPane::FillHtml(const Contact* contact)
{
    m_pContact = contact;
    if (m_template.empty()) {
        MsgStopText(LoadResString(IDS_INFO_PANE_FAILED), this);
        return;
    }
    const std::string table = contact
        ? MakeContactInfoHtml(*contact, m_userMan.m_infoFields, m_userMan.m_addressFormats)
        : std::string();
    m_browser->setHtml(QString::fromStdString(ContactInfoPage(m_template, table)));
}

void CContactInfoPane::OnLink(const QUrl& url)
{
    OpenLink(url.toString(QUrl::FullyEncoded).toStdString());
}

int CContactInfoPane::CaptionHeight() const
{
    return std::max(21, fontMetrics().height() + 6);
}

void CContactInfoPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int caption = CaptionHeight();
    const int button = caption - 3;
    m_closeButton->setGeometry(width() - button - 1, 1, button, button);
    m_closeButton->setIconSize(QSize(button - 7, button - 7));
    m_browser->setGeometry(0, caption, width(), std::max(0, height() - caption));
}

void CContactInfoPane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int caption = CaptionHeight();
    painter.fillRect(QRect(0, 0, width(), caption), GetSysColor(COLOR_3DFACE, this));
    painter.setPen(GetSysColor(COLOR_3DSHADOW, this));
    painter.drawLine(0, caption - 1, width(), caption - 1);
    painter.setPen(GetSysColor(COLOR_BTNTEXT, this));
    const QRect text(5, 1, width() - 5 - caption, caption - 3);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        fontMetrics().elidedText(
            QString::fromStdString(LoadResString(IDS_CONTACT_INFO)), Qt::ElideRight, text.width()));
}
