#include "mainwnd/bookbanner.h"

#include "core/utilities.h"
#include "mainwnd/readablecolor.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

constexpr int IDS_LOOK_FOR = 59164;
constexpr int IDS_IN_ALL_BOOKS = 59167;
constexpr int IDS_IN_THIS_BOOK = 59402;
constexpr int IDS_FIND_NOW = 59403;
constexpr int kLetterArea = 70;
constexpr int kGap = 15;

QString Res(u32 id)
{
    return QString::fromStdString(LoadResString(id));
}

}  // namespace

CBookBanner::CBookBanner(QWidget* parent)
    : QWidget(parent)
    , m_bookButton(new QToolButton(this))
    , m_lookFor(new QLabel(Res(IDS_LOOK_FOR), this))
    , m_edit(new QLineEdit(this))
    , m_thisBook(new QRadioButton(Res(IDS_IN_THIS_BOOK), this))
    , m_allBooks(new QRadioButton(Res(IDS_IN_ALL_BOOKS), this))
    , m_findNow(new QPushButton(Res(IDS_FIND_NOW), this))
{
    setObjectName(QStringLiteral("BOOK_BANNER"));
    SetDlgCtrlID(this, kControlId);
    SetDlgCtrlID(m_edit, 1012);
    SetDlgCtrlID(m_findNow, 1014);
    SetDlgCtrlID(m_allBooks, 1016);
    SetDlgCtrlID(m_thisBook, 1017);
    m_bookButton->setAutoRaise(true);
    m_bookButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_bookButton->setFocusPolicy(Qt::TabFocus);
    QFont heavy = font();
    heavy.setBold(true);
    m_bookButton->setFont(heavy);
    QFont bold = font();
    bold.setBold(true);
    m_lookFor->setFont(bold);
    connect(m_bookButton, &QToolButton::clicked, this, &CBookBanner::bookButtonClicked);
    const auto find = [this] { emit findRequested(m_edit->text(), m_allBooks->isChecked()); };
    connect(m_findNow, &QPushButton::clicked, this, find);
    connect(m_edit, &QLineEdit::returnPressed, this, find);
    for (QWidget* w : FindControls())
        w->hide();
    m_lookFor->hide();
}

QList<QWidget*> CBookBanner::FindControls() const
{
    return {m_edit, m_thisBook, m_allBooks, m_findNow};
}

void CBookBanner::SetBookName(const QString& name)
{
    if (name == m_name)
        return;
    m_name = name;
    m_bookButton->setText(QStringLiteral("%1  \u25BE").arg(name));
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
    m_bDocked = docked;
    m_bookButton->setVisible(!docked && !m_bFindMode);
    update();
}

void CBookBanner::EnterFindMode()
{
    m_bFindMode = true;
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
    m_bFindMode = false;
    m_bAllBooks = m_allBooks->isChecked();
    m_lookFor->hide();
    for (QWidget* w : FindControls())
        w->hide();
    m_bookButton->setVisible(!m_bDocked);
    update();
}

void CBookBanner::resizeEvent(QResizeEvent*)
{
    LayoutControls();
}

void CBookBanner::LayoutControls()
{
    const int buttonWidth = std::min(m_bookButton->sizeHint().width(), std::max(0, width() - kLetterArea));
    m_bookButton->setGeometry(1, 1, buttonWidth, std::max(0, height() - 1));
    if (!m_bFindMode)
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
    m_findNow->setGeometry(x, top, m_findNow->sizeHint().width(), m_findNow->sizeHint().height());
}

void CBookBanner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor shadow = GetSysColor(COLOR_3DSHADOW, this);
    if (m_bFindMode) {
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
    if (m_bDocked) {
        QFont heavy = font();
        heavy.setBold(true);
        heavy.setPixelSize(std::max(12, height() * 15 / 25));
        p.setFont(heavy);
        p.drawText(QRect(14, 0, std::max(0, width() - 2 * kLetterArea), height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_name);
    }
}
