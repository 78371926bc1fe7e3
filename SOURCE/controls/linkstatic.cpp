#include "controls/linkstatic.h"

#include "platform/ui/openlink.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"

#include <QMouseEvent>

namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 255);

}  // namespace

void CLinkStatic::SetLink(const char* target)
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorFromRef(kLinkColour));
    pal.setColor(QPalette::Window, GetSysColor(COLOR_3DFACE, this));
    setPalette(pal);
    setAutoFillBackground(true);
    QCursor hand;
    if (LoadCursorResource(IDC_HAND_CURSOR, &hand))
        setCursor(hand);
    m_target = target ? std::string(target) : text().toStdString();
    m_linked = true;
}

void CLinkStatic::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (m_linked && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OpenLink(m_target);
}
