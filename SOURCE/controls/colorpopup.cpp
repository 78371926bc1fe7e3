#include "controls/colorpopup.h"

#include "controls/colorbutton.h"
#include "controls/flatdraw.h"
#include "platform/msgbox.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

const std::array<COLORREF, CColorPopup::kPaletteSize> CColorPopup::kPalette
    = {0xFFFFFF, 0x000000, 0xC0C0C0, 0x808080, 0x0000FF, 0x000080, 0x00FFFF, 0x008080, 0x00FF00, 0x008000,
        0xFFFF00, 0x808000, 0xFF0000, 0x800000, 0xFF00FF, 0x800080, 0xC0DCC0, 0x7F7F7F, 0xE0E0E0, 0xA0A0A0};

COLORREF CColorPopup::s_currentColor = 0xC0C0C0;
std::array<COLORREF, 16> CColorPopup::s_customColors = [] {
    std::array<COLORREF, 16> colours;
    colours.fill(0xFFFFFF);
    return colours;
}();

namespace {

bool RunDesktopColorDialog(QWidget* owner, COLORREF& colour, std::array<COLORREF, 16>& custom)
{
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, ColorFromRef(custom[size_t(i)]));
    QColorDialog dialog(ColorFromRef(colour), owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    colour = RefFromColor(dialog.selectedColor());
    for (int i = 0; i < 16; ++i)
        custom[size_t(i)] = RefFromColor(QColorDialog::customColor(i));
    return true;
}

CColorPopup::ColorDialogRunner& Runner()
{
    static CColorPopup::ColorDialogRunner runner = RunDesktopColorDialog;
    return runner;
}

// One swatch of the pop-up: a colour in a frame that shows the focus.
class CColorSwatch : public QAbstractButton {
public:
    CColorSwatch(COLORREF colour, QWidget* parent)
        : QAbstractButton(parent)
        , m_colour(colour)
    {
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
    }
    COLORREF Colour() const { return m_colour; }
    void SetColour(COLORREF colour)
    {
        m_colour = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QPalette& pal = palette();
        QRect r = rect();
        if (hasFocus()) {
            Draw3dRect(p, r, Qt::black, Qt::black);
            Draw3dRect(p, r.adjusted(1, 1, -1, -1), Qt::white, Qt::white);
            Draw3dRect(p, r.adjusted(2, 2, -2, -2), Qt::black, Qt::black);
        } else {
            Draw3dRect(p, r, GetSysColor(COLOR_3DSHADOW, pal), GetSysColor(COLOR_3DHILIGHT, pal));
            Draw3dRect(p, r.adjusted(1, 1, -1, -1), GetSysColor(COLOR_WINDOWFRAME, pal),
                GetSysColor(COLOR_3DFACE, pal));
        }
        p.fillRect(
            r.adjusted(hasFocus() ? 3 : 2, hasFocus() ? 3 : 2, hasFocus() ? -3 : -2, hasFocus() ? -3 : -2),
            ColorFromRef(m_colour));
    }

private:
    COLORREF m_colour;
};

}  // namespace

void CColorPopup::SetColorDialogRunner(ColorDialogRunner runner)
{
    Runner() = runner ? std::move(runner) : ColorDialogRunner(RunDesktopColorDialog);
}

CColorPopup::CColorPopup(CColorButton* button, QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_button(button)
{
    setFixedSize(DialogUnitsToPixelsX(this, kWidthUnits), DialogUnitsToPixelsY(this, kHeightUnits));
    const auto x = [this](int units) { return DialogUnitsToPixelsX(this, units); };
    const auto y = [this](int units) { return DialogUnitsToPixelsY(this, units); };
    for (int i = 0; i < kPaletteSize; ++i) {
        auto* swatch = new CColorSwatch(kPalette[size_t(i)], this);
        swatch->setGeometry(x(2 + 11 * (i % 4)), y(2 + 10 * (i / 4)), x(11), y(10));
        SetDlgCtrlID(swatch, kFirstSwatchId + i);
        m_swatches[size_t(i)] = swatch;
    }
    auto* current = new CColorSwatch(s_currentColor, this);
    current->setGeometry(x(36), y(59), x(11), y(10));
    SetDlgCtrlID(current, kCurrentSwatchId);
    m_swatches[kPaletteSize] = current;
    m_separatorY = y(55);
    m_other = new QPushButton(QStringLiteral("&Other..."), this);
    m_other->setGeometry(x(2), y(58), x(32), y(12));
    SetDlgCtrlID(m_other, kOtherId);
    m_other->setMouseTracking(true);
    // The mouse is handled in the event filter; a click from the keyboard
    // (Enter, Space or the mnemonic on the focused control) is its command.
    connect(m_other, &QPushButton::clicked, this, &CColorPopup::OnOther);
    for (QAbstractButton* swatch : m_swatches)
        connect(swatch, &QAbstractButton::clicked, this, [this, swatch] { Choose(GetDlgCtrlID(swatch)); });
    setMouseTracking(true);
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

QAbstractButton* CColorPopup::Swatch(int id) const
{
    if (id == kOtherId)
        return m_other;
    const int index = id - kFirstSwatchId;
    return (index >= 0 && index <= kPaletteSize) ? m_swatches[size_t(index)] : nullptr;
}

int CColorPopup::DoModal()
{
    OnInitDialog();
    return exec();
}

void CColorPopup::OnInitDialog()
{
    Place();
    static_cast<CColorSwatch*>(m_swatches[kPaletteSize])->SetColour(s_currentColor);
    const auto* found = std::find(kPalette.begin(), kPalette.end(), s_currentColor & 0xFFFFFF);
    QAbstractButton* focus = m_swatches[kPaletteSize];
    if (found != kPalette.end()) {
        m_swatches[kPaletteSize]->hide();
        focus = m_swatches[size_t(found - kPalette.begin())];
    }
    focus->setFocus();
}

void CColorPopup::Place()
{
    if (!m_button)
        return;
    const QPoint below = m_button->mapToGlobal(QPoint(0, m_button->height()));
    QPoint at = below;
    const QScreen* screen = m_button->screen();
    if (screen) {
        const QRect area = screen->geometry();
        if (at.y() + height() > area.bottom() + 1)
            at.setY(m_button->mapToGlobal(QPoint(0, 0)).y() - height());
        if (at.x() + width() > area.right() + 1)
            at.setX(area.right() + 1 - width());
    }
    move(at);
}

QWidget* CColorPopup::ControlAt(QPoint global) const
{
    QWidget* w = childAt(mapFromGlobal(global));
    while (w && w->parentWidget() != this)
        w = w->parentWidget();
    return (w && w->isVisible()) ? w : nullptr;
}

void CColorPopup::Choose(int id)
{
    if (const auto* swatch = dynamic_cast<const CColorSwatch*>(Swatch(id))) {
        s_currentColor = swatch->Colour();
        done(IDOK);
    }
}

void CColorPopup::OnOther()
{
    // The pop-up gives up the mouse while the colour dialog runs; cancelling
    // that dialog cancels the pop-up and keeps the colour it had.
    m_inOther = true;
    hide();
    COLORREF colour = s_currentColor;
    const bool chosen = Runner()(m_button, colour, s_customColors);
    if (chosen)
        s_currentColor = colour & 0xFFFFFF;
    m_inOther = false;
    done(chosen ? IDOK : IDCANCEL);
}

void CColorPopup::reject()
{
    if (!m_inOther)
        done(IDCANCEL);
}

bool CColorPopup::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (QWidget* control = ControlAt(mouse->globalPosition().toPoint()))
            control->setFocus();
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        if (!rect().contains(mapFromGlobal(global)))
            done(IDCANCEL);
        else if (ControlAt(global) == m_other)
            OnOther();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        QWidget* control = ControlAt(mouse->globalPosition().toPoint());
        if (control && control == m_other)
            OnOther();
        else if (control && GetDlgCtrlID(control) >= kFirstSwatchId
            && GetDlgCtrlID(control) <= kCurrentSwatchId)
            Choose(GetDlgCtrlID(control));
        else
            done(IDCANCEL);
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void CColorPopup::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QWidget* focus = focusWidget();
        if (focus == m_other)
            OnOther();
        else if (focus)
            Choose(GetDlgCtrlID(focus));
        return;
    }
    QDialog::keyPressEvent(event);
}

void CColorPopup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), GetSysColor(COLOR_3DFACE, pal));
    DrawEdge(p, rect(), EDGE_RAISED, BF_RECT, pal);
    const int left = DialogUnitsToPixelsX(this, 2);
    const int right = width() - left;
    p.fillRect(left, m_separatorY, right - left, 1, GetSysColor(COLOR_3DSHADOW, pal));
    p.fillRect(left, m_separatorY + 1, right - left, 1, GetSysColor(COLOR_3DHILIGHT, pal));
}
