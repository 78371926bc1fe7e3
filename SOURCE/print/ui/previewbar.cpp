#include "print/ui/previewbar.h"

#include "print/ui/printicons.h"
#include "print/ui/printpreviewwnd.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolBar>

namespace {

struct PreviewButton {
    u32 command;  // 0: a separator
    const char* text;
    PreviewPicture picture;
};

constexpr PreviewButton kButtons[] = {
    {AFX_ID_PREVIEW_PRINT, "&Print...", PP_PRINT},
    {0, nullptr, PP_PRINT},
    {AFX_ID_PREVIEW_PREV, "Pre&v Page", PP_PREVIOUS},
    {AFX_ID_PREVIEW_NEXT, "Ne&xt Page", PP_NEXT},
    {0, nullptr, PP_PRINT},
    {AFX_ID_PREVIEW_NUMPAGE, "", PP_ONE_PAGE},
    {0, nullptr, PP_PRINT},
    {AFX_ID_PREVIEW_ZOOMIN, "Zoom &In", PP_ZOOM_IN},
    {AFX_ID_PREVIEW_ZOOMOUT, "Zoom &Out", PP_ZOOM_OUT},
    {0, nullptr, PP_PRINT},
    {ID_PREVIEW_PAGESETUP, "Page &setup", PP_PAGE_SETUP},
    {0, nullptr, PP_PRINT},
    {AFX_ID_PREVIEW_CLOSE, "&Close", PP_CLOSE},
};

QString ObjectName(u32 id)
{
    return QStringLiteral("cmd%1").arg(id);
}

}  // namespace

CPreviewBar::CPreviewBar(QWidget* parent)
    : QWidget(parent)
    , m_toolBar(new QToolBar(this))
{
    setObjectName(QStringLiteral("previewBar%1").arg(AFX_IDW_PREVIEW_BAR));
    m_toolBar->setObjectName(QStringLiteral("toolBar%1").arg(AFX_IDW_TOOLBAR));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    for (const PreviewButton& button : kButtons) {
        if (!button.command) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_toolBar->addAction(PreviewIcon(button.picture), QString::fromUtf8(button.text));
        action->setObjectName(ObjectName(button.command));
        const u32 id = button.command;
        connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_toolBar);
    layout->addStretch();
    SetNumPageImage(1);
}

QAction* CPreviewBar::Action(u32 id) const
{
    return m_toolBar->findChild<QAction*>(ObjectName(id));
}

void CPreviewBar::SetNumPageImage(int pagesShown)
{
    if (pagesShown == m_nPagesShown)
        return;
    m_nPagesShown = pagesShown;
    if (QAction* action = Action(AFX_ID_PREVIEW_NUMPAGE)) {
        action->setText(pagesShown == 1 ? QStringLiteral("&Two Page") : QStringLiteral("&One Page"));
        action->setIcon(PreviewIcon(pagesShown == 1 ? PP_TWO_PAGES : PP_ONE_PAGE));
    }
}

int CPreviewBar::BarHeight() const
{
    return m_toolBar->sizeHint().height() + 4;
}

void CPreviewBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(rect().topLeft(), rect().topRight());
    painter.drawLine(rect().topLeft(), rect().bottomLeft());
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawLine(rect().bottomLeft(), rect().bottomRight());
    painter.drawLine(rect().topRight(), rect().bottomRight());
}
