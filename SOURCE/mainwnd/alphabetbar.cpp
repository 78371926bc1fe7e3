#include "mainwnd/alphabetbar.h"

#include "core/dataman.h"
#include "mainwnd/readablecolor.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

class CFocusMark : public QWidget {
public:
    explicit CFocusMark(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int width = std::max(2, fontMetrics().height() / 8);
        QColor tint = palette().color(QPalette::Highlight);
        tint.setAlpha(48);
        p.fillRect(rect(), tint);
        p.setPen(
            QPen(palette().color(QPalette::Highlight), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRectF(rect()).adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0));
    }
};

}  // namespace

CLetterToolBar::CLetterToolBar(QWidget* parent)
    : QWidget(parent)
    , m_focusMark(new CFocusMark(this))
{
    SetDlgCtrlID(this, kControlId);
    setObjectName(QStringLiteral("AlphabetBar"));
    setFocusPolicy(Qt::TabFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void CLetterToolBar::SetLetters(const QStringList& letters, int buttonHeight)
{
    for (auto& [command, button] : m_buttons)
        delete button;
    m_buttons.clear();
    m_hot = -1;
    m_focusMark->hide();
    m_nButtonHeight = buttonHeight;
    auto* column = static_cast<QVBoxLayout*>(layout());
    while (QLayoutItem* item = column->takeAt(0))
        delete item;
    const auto add = [&](u32 command, const QString& text) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("letter%1").arg(command));
        button->setText(text);
        button->setAutoRaise(true);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(kButtonWidth, buttonHeight);
        const int index = int(m_buttons.size());
        connect(button, &QToolButton::clicked, this, [this, command, index] {
            m_hot = index;
            m_nLastHot = command;
            if (letterChosen)
                letterChosen(command);
            SetCurrent(m_nCurrent);
        });
        column->addWidget(button);
        m_buttons.emplace_back(command, button);
    };
    // The commands of the letters stop before that of "All": a longer
    // alphabet shows its first letters only.
    const int count = std::min<int>(int(letters.size()), int(kFilterLastLetter - kFilterFirstLetter + 1));
    for (int i = 0; i < count; ++i)
        add(kFilterFirstLetter + u32(i), letters[i]);
    column->addSpacing(4);
    add(kFilterAll, tr("All"));
    column->addStretch(1);
    setFixedWidth(kButtonWidth);
    setMinimumHeight(int(m_buttons.size()) * buttonHeight + 4);
    SetCurrent(m_nCurrent);
}

void CLetterToolBar::SetCurrent(u32 command)
{
    m_nCurrent = command;
    for (auto& [id, button] : m_buttons)
        button->setChecked(id == command);
}

QToolButton* CLetterToolBar::Button(u32 command) const
{
    for (const auto& [id, button] : m_buttons) {
        if (id == command)
            return button;
    }
    return nullptr;
}

void CLetterToolBar::SetTextColor(const QColor& colour)
{
    m_textColor = colour;
    // Only the text colour is the bar's own; the rest follows the desktop.
    const QPalette desktop = QApplication::palette();
    QPalette own;
    own.setResolveMask(0);
    own.setColor(QPalette::ButtonText,
        ReadableColor(colour, desktop.color(QPalette::Button), desktop.color(QPalette::ButtonText)));
    m_bSettingPalette = true;
    setPalette(own);
    m_bSettingPalette = false;
}

bool CLetterToolBar::event(QEvent* event)
{
    const bool result = QWidget::event(event);
    // The desktop's palette changed (the bar hears of it as a change of its
    // own): once the change is through, the text colour is checked again.
    if (event->type() == QEvent::PaletteChange && !m_bSettingPalette && m_textColor.isValid())
        QTimer::singleShot(0, this, [this] { SetTextColor(m_textColor); });
    return result;
}

void CLetterToolBar::FocusButton(int index)
{
    if (m_buttons.empty())
        return;
    index = std::clamp(index, 0, int(m_buttons.size()) - 1);
    QToolButton* button = m_buttons[size_t(index)].second;
    if (layout())
        layout()->activate();
    m_focusMark->setGeometry(button->geometry());
    m_focusMark->show();
    m_focusMark->raise();
    if (auto* pager = qobject_cast<CPagerWnd*>(parentWidget() ? parentWidget()->parentWidget() : nullptr))
        pager->EnsureVisible(button);
    m_hot = index;
}

u32 CLetterToolBar::HotCommand() const
{
    return m_hot >= 0 && m_hot < int(m_buttons.size()) ? m_buttons[size_t(m_hot)].first : 0;
}

void CLetterToolBar::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    const u32 start = m_nLastHot ? m_nLastHot : m_nCurrent;
    int index = 0;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i].first == start)
            index = int(i);
    }
    FocusButton(index);
}

void CLetterToolBar::focusOutEvent(QFocusEvent* event)
{
    if (const u32 hot = HotCommand())
        m_nLastHot = hot;
    m_focusMark->hide();
    QWidget::focusOutEvent(event);
}

void CLetterToolBar::keyPressEvent(QKeyEvent* event)
{
    const int last = int(m_buttons.size()) - 1;
    switch (event->key()) {
    case Qt::Key_Home:
        FocusButton(0);
        break;
    case Qt::Key_End:
        FocusButton(last);
        break;
    case Qt::Key_Up:
    case Qt::Key_Left:
        FocusButton(m_hot - 1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        FocusButton(m_hot + 1);
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_hot >= 0 && m_hot <= last)
            m_buttons[size_t(m_hot)].second->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

CPagerWnd::CPagerWnd(QWidget* parent)
    : QScrollArea(parent)
{
    SetDlgCtrlID(this, kControlId);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::StyledPanel);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setSingleStep(20);
}

void CPagerWnd::SetBar(CLetterToolBar* bar)
{
    setWidget(bar);
}

void CPagerWnd::EnsureVisible(QWidget* button)
{
    ensureWidgetVisible(button, 0, 1);
}
