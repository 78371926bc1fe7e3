#include "editing/pictureframe.h"

#include "image/imagefile.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QPainter>

CPictureFrame::CPictureFrame(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

CPictureFrame::~CPictureFrame() = default;

void CPictureFrame::SetFile(const std::string& path, int type)
{
    m_image.reset();
    if (!path.empty()) {
        auto image = std::make_unique<CImageFile>(path, type);
        if (image->GetWidth() > 0 && image->GetHeight() > 0)
            m_image = std::move(image);
    }
    update();
}

void CPictureFrame::Clear()
{
    m_image.reset();
    update();
}

QSize CPictureFrame::sizeHint() const
{
    return {DialogUnitsToPixelsX(this, 60), DialogUnitsToPixelsY(this, 60)};
}

void CPictureFrame::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect area = contentsRect();
    p.fillRect(area, GetSysColor(COLOR_3DFACE, this));
    if (!m_image || area.isEmpty())
        return;
    const double w = m_image->GetWidth();
    const double h = m_image->GetHeight();
    const double scale = std::min(area.width() / w, area.height() / h);
    const int dw = std::max(1, int(w * scale));
    const int dh = std::max(1, int(h * scale));
    p.setClipRect(area);
    m_image->StretchDIB(
        &p, area.left() + (area.width() - dw) / 2, area.top() + (area.height() - dh) / 2, dw, dh);
}
