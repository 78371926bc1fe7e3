#include "mainwnd/bookbanner.h"

#include "controls/flatbutton.h"
#include "core/utilities.h"
#include "mainwnd/readablecolor.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QToolButton>

namespace {

constexpr int IDS_LOOK_FOR = 59164;
constexpr int IDS_IN_ALL_BOOKS = 59167;
constexpr int IDS_IN_THIS_BOOK = 59402;
constexpr int IDS_FIND_NOW = 59403;
constexpr int IDS_SELECT_FIELDS = 59555;
constexpr u32 ID_BOOK_BUTTON = 32861;
constexpr int kLetterArea = 70;
constexpr int kGap = 15;

QString Res(u32 id)
{
    return QString::fromStdString(LoadResString(id));
}

// The tool tip of a command: its prompt after the last newline.
QString ToolTipOf(u32 id)
{
    const QString prompt = Res(id);
    return prompt.mid(prompt.lastIndexOf(QLatin1Char('\n')) + 1);
}

}  // namespace

CBookBanner::CBookBanner(QWidget* parent)
    : QWidget(parent)
    , m_bookButton(new QToolButton(this))
    , m_lookFor(new QLabel(Res(IDS_LOOK_FOR), this))
    , m_edit(new QLineEdit(this))
    , m_thisBook(new QRadioButton(Res(IDS_IN_THIS_BOOK), this))
    , m_allBooks(new QRadioButton(Res(IDS_IN_ALL_BOOKS), this))
    , m_selectFields(new CFlatButton(Res(IDS_SELECT_FIELDS), this))
    , m_findNow(new CFlatButton(Res(IDS_FIND_NOW), this))
{
    setObjectName(QStringLiteral("BOOK_BANNER"));
    SetDlgCtrlID(this, kControlId);
    SetDlgCtrlID(m_edit, 1012);
    SetDlgCtrlID(m_findNow, 1014);
    SetDlgCtrlID(m_allBooks, 1016);
    SetDlgCtrlID(m_thisBook, 1017);
    SetDlgCtrlID(m_selectFields, 1018);
    m_bookButton->setAutoRaise(true);
    m_bookButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_bookButton->setFocusPolicy(Qt::TabFocus);
    m_bookButton->setToolTip(ToolTipOf(ID_BOOK_BUTTON));
    QFont heavy = font();
    heavy.setBold(true);
    m_bookButton->setFont(heavy);
    QFont bold = font();
    bold.setBold(true);
    m_lookFor->setFont(bold);
    m_lookFor->setBuddy(m_edit);
    connect(m_bookButton, &QToolButton::clicked, this, &CBookBanner::bookButtonClicked);
    const auto find = [this] { emit findRequested(m_edit->text(), m_allBooks->isChecked()); };
    connect(m_findNow, &QPushButton::clicked, this, find);
    connect(m_edit, &QLineEdit::returnPressed, this, find);
    connect(m_selectFields, &QPushButton::clicked, this, &CBookBanner::selectFieldsRequested);
    for (QWidget* w : FindControls())
        w->hide();
    m_lookFor->hide();
}

QList<QWidget*> CBookBanner::FindControls() const
{
    return {m_edit, m_thisBook, m_allBooks, m_selectFields, m_findNow};
}

void CBookBanner::SetBookName(const QString& name)
{
    if (name == m_name)
        return;
    m_name = name;
    LayoutControls();
    update();
}

void CBookBanner::SetLetterText(const QString& text)
{
    if (text == m_letter)
        return;
    m_letter = text;
    update(width() - kLetterArea - 40, 0, kLetterArea + 40, height());
}

void CBookBanner::SetDocked(bool docked)
{
    ReleaseBookButton();
    m_nBannerFlags &= ~(BF_DOCKED | BF_UNDOCKED);
    m_nBannerFlags |= docked ? BF_DOCKED : BF_UNDOCKED;
    m_bookButton->setVisible(!docked && !InFindMode());
    update();
}

void CBookBanner::HoldBookButton()
{
    if (!(m_nBannerFlags & BF_UNDOCKED))
        return;
    m_nBannerFlags |= BF_BUTTON_DOWN;
    m_bookButton->setDown(true);
}

void CBookBanner::ReleaseBookButton()
{
    if (!(m_nBannerFlags & BF_BUTTON_DOWN))
        return;
    m_nBannerFlags &= ~BF_BUTTON_DOWN;
    m_bookButton->setDown(false);
    LayoutControls();
}

void CBookBanner::EnterFindMode()
{
    m_nBannerFlags |= BF_FIND_MODE;
    m_bookButton->hide();
    (m_bAllBooks ? m_allBooks : m_thisBook)->setChecked(true);
    m_lookFor->show();
    for (QWidget* w : FindControls())
        w->show();
    LayoutControls();
    m_edit->setFocus();
    update();
}

void CBookBanner::LeaveFindMode()
{
    m_nBannerFlags &= ~BF_FIND_MODE;
    m_bAllBooks = m_allBooks->isChecked();
    m_lookFor->hide();
    for (QWidget* w : FindControls())
        w->hide();
    m_bookButton->setVisible(!(m_nBannerFlags & BF_DOCKED));
    update();
}

void CBookBanner::resizeEvent(QResizeEvent*)
{
    LayoutControls();
}

void CBookBanner::LayoutControls()
{
    // A name too long for the band loses its end to an ellipsis; the drop
    // arrow after it always shows.
    const QString arrow = QStringLiteral("  \u25BE");
    const QFontMetrics fm(m_bookButton->font());
    const int room = std::max(0, width() - kLetterArea);
    m_bookButton->setText(m_name + arrow);
    int buttonWidth = m_bookButton->sizeHint().width();
    if (buttonWidth > room) {
        const int frame = buttonWidth - fm.horizontalAdvance(m_name + arrow);
        const int nameRoom = std::max(0, room - frame - fm.horizontalAdvance(arrow));
        m_bookButton->setText(fm.elidedText(m_name, Qt::ElideRight, nameRoom) + arrow);
        buttonWidth = std::min(m_bookButton->sizeHint().width(), room);
    }
    m_bookButton->setGeometry(1, 1, buttonWidth, std::max(0, height() - 1));
    if (!InFindMode())
        return;
    const int lineHeight = m_edit->sizeHint().height();
    const int top = (height() - 2 * lineHeight) / 2;
    int x = 10;
    m_lookFor->setGeometry(x, top, m_lookFor->sizeHint().width(), lineHeight);
    x += m_lookFor->sizeHint().width() + 4;
    const int editWidth = fontMetrics().averageCharWidth() * 28;
    m_edit->setGeometry(x, top, editWidth, lineHeight);
    x += editWidth + kGap;
    const int radioWidth = std::max(m_thisBook->sizeHint().width(), m_allBooks->sizeHint().width());
    m_thisBook->setGeometry(x, top, radioWidth, lineHeight);
    m_allBooks->setGeometry(x, top + lineHeight, radioWidth, lineHeight);
    x += radioWidth + kGap;
    // The two buttons share one size, a little taller than the edit.
    const int buttonHeight = lineHeight + 2;
    const int textPad = fontMetrics().averageCharWidth() * 2;
    for (CFlatButton* button : {m_selectFields, m_findNow}) {
        const int w = fontMetrics().horizontalAdvance(button->text()) + textPad;
        button->setGeometry(x, top, w, buttonHeight);
        x += w + kGap;
    }
}

void CBookBanner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor shadow = GetSysColor(COLOR_3DSHADOW, this);
    if (InFindMode()) {
        p.fillRect(rect(), GetSysColor(COLOR_3DFACE, this));
        p.setPen(QPen(shadow, 3));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
        return;
    }
    p.fillRect(rect(), shadow);
    p.setPen(ReadableColor(GetSysColor(COLOR_WINDOW, this), shadow, GetSysColor(COLOR_WINDOWTEXT, this)));
    QFont large = font();
    large.setBold(true);
    large.setPixelSize(std::max(12, height() * 17 / 25));
    p.setFont(large);
    p.drawText(QRect(kLetterArea, 0, std::max(0, width() - kLetterArea - 10), height()),
        Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_letter);
    if (m_nBannerFlags & BF_DOCKED) {
        QFont heavy = font();
        heavy.setBold(true);
        heavy.setPixelSize(std::max(12, height() * 15 / 25));
        p.setFont(heavy);
        const int room = std::max(0, width() - 2 * kLetterArea);
        p.drawText(QRect(14, 0, room, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            p.fontMetrics().elidedText(m_name, Qt::ElideRight, room));
    }
}
