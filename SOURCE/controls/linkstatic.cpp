#include "controls/linkstatic.h"

#include "platform/ui/openlink.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"

#include <QMouseEvent>

namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 255);

// Blue where it reads on the face; on a dark face, blue lightened until it
// reads as text does, so it still looks like a link.
QColor LinkColorOn(const QColor& face)
{
    constexpr double kReads = 4.5;
    constexpr int kSteps = 16;
    const QColor blue = ColorFromRef(kLinkColour);
    for (int step = 0; step <= kSteps; ++step) {
        const auto toWhite = [step](int v) { return v + (255 - v) * step / kSteps; };
        const QColor colour(toWhite(blue.red()), toWhite(blue.green()), toWhite(blue.blue()));
        if (ContrastRatio(colour, face) >= kReads)
            return colour;
    }
    return blue;
}

}  // namespace

void CLinkStatic::SetLink(const char* target)
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    const QColor face = GetSysColor(COLOR_3DFACE, this);
    pal.setColor(QPalette::WindowText, LinkColorOn(face));
    pal.setColor(QPalette::Window, face);
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
