#include "controls/framedialog.h"

#include "controls/dialogmanager.h"
#include "platform/ui/window.h"

#include <QPainter>
#include <QVBoxLayout>

CFramedDialog::CFramedDialog(int templateId, QWidget* parent)
    : QDialog(parent)
    , m_templateId(templateId)
    , m_caption(new CGradientCaption(this))
    , m_frame(new QWidget(this))
{
    SetDlgCtrlID(m_caption, kCaptionId);
    SetDlgCtrlID(m_frame, kFrameId);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    auto* margin = new QVBoxLayout;
    const int dx = DialogUnitsToPixelsX(this, kFrameInset);
    const int dy = DialogUnitsToPixelsY(this, kFrameInset);
    margin->setContentsMargins(dx, dy, dx, dy);
    margin->addWidget(m_frame, 1);
    layout->addLayout(margin, 1);
    SetScrollsToFit(m_frame);
}

int CFramedDialog::DoModal()
{
    return exec();
}

bool CFramedDialog::OnInitDialog()
{
    if (m_captionPointSize == -1)
        m_captionPointSize = kDefaultCaptionPoints;
    m_caption->SetDialogLook(m_captionPointSize, m_captionBold);
    return true;
}

void CFramedDialog::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CFramedDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect frame(m_frame->mapTo(this, QPoint(0, 0)), m_frame->size());
    const QRegion margin = QRegion(rect()).subtracted(frame);
    for (const QRect& r : margin)
        p.fillRect(r, GetSysColor(COLOR_3DSHADOW, this));
    p.fillRect(frame, GetSysColor(COLOR_3DFACE, this));
}
