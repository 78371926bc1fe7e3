#include "editing/dialogpagehost.h"

#include "controls/flatbutton.h"
#include "editing/pagebar.h"
#include "platform/msgbox.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

bool IsTabKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
}

bool IsPageKey(const QKeyEvent* key)
{
    return IsTabKey(key) || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
}

bool IsShiftTab(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Backtab
        || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
}

// Buttons on the shadow-coloured margin: shadow face, window-coloured text
// (or, on a dark desktop where that would not show, a legible one).
void SetMarginColors(CFlatButton* button)
{
    const QColor window = GetSysColor(COLOR_WINDOW, button);
    const QColor legible = LegibleOn(window, GetSysColor(COLOR_3DSHADOW, button), button->palette());
    const ThemeColor text = legible == window ? ThemeColor(COLOR_WINDOW) : ThemeColor(legible);
    button->SetColors(COLOR_3DSHADOW, text, COLOR_3DSHADOW, text, COLOR_3DLIGHT, COLOR_3DDKSHADOW,
        COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, false);
}

}  // namespace

CDialogPageHost::CDialogPageHost(int templateId, QWidget* parent)
    : QDialog(parent)
    , m_templateId(templateId)
    , m_pageBar(new CPageBar(this))
    , m_stack(new QStackedLayout)
    , m_buttonRow(new QHBoxLayout)
    , m_ok(new CFlatButton(tr("OK"), this))
    , m_cancel(new CFlatButton(tr("Cancel"), this))
{
    SetDlgCtrlID(m_ok, IDOK);
    SetDlgCtrlID(m_cancel, IDCANCEL);
    SetMarginColors(m_ok);
    SetMarginColors(m_cancel);
    m_ok->setDefault(true);

    const int dx = DialogUnitsToPixelsX(this, 5);
    const int dy = DialogUnitsToPixelsY(this, 5);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(dx, dy, dx, dy);
    outer->setSpacing(dy);
    auto* top = new QHBoxLayout;
    top->setSpacing(dx);
    top->addWidget(m_pageBar, 0, Qt::AlignTop);
    // The pages are the host's own children (they talk to their parent);
    // the frame's one-pixel edge is drawn around them.
    auto* frameLayout = new QVBoxLayout;
    frameLayout->setContentsMargins(1, 1, 1, 1);
    frameLayout->addLayout(m_stack);
    top->addLayout(frameLayout, 1);
    outer->addLayout(top, 1);
    m_buttonRow->addStretch(1);
    m_buttonRow->addWidget(m_ok);
    m_buttonRow->addWidget(m_cancel);
    outer->addLayout(m_buttonRow);

    connect(m_pageBar, &CPageBar::commandTriggered, this, &CDialogPageHost::OnShowPage);
    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    qApp->installEventFilter(this);
}

CDialogPageHost::~CDialogPageHost() = default;

int CDialogPageHost::DoModal()
{
    return exec();
}

void CDialogPageHost::AddPage(
    CDialogPage* page, int command, const QString& label, int firstFocus, int lastFocus)
{
    page->SetFocusRange(firstFocus, lastFocus);
    m_pages.push_back({page, command});
    m_stack->addWidget(page);
    m_pageBar->AddButton(command, label);
    if (m_pages.size() == 1)
        m_stack->setCurrentWidget(page);
}

void CDialogPageHost::AddButton(QPushButton* button, int id)
{
    SetDlgCtrlID(button, id);
    if (auto* flat = qobject_cast<CFlatButton*>(button))
        SetMarginColors(flat);
    m_buttonRow->insertWidget(m_buttonRow->indexOf(m_ok), button);
}

int CDialogPageHost::CommandOf(const CDialogPage* page) const
{
    for (const PageEntry& e : m_pages)
        if (e.page == page)
            return e.command;
    return -1;
}

void CDialogPageHost::OnShowPage(int command)
{
    m_pageBar->CheckButton(command);
    for (const PageEntry& e : m_pages) {
        if (e.command != command)
            continue;
        if (!e.page->isHidden())
            return;
        m_stack->setCurrentWidget(e.page);
        e.page->setFocus(Qt::OtherFocusReason);
        return;
    }
}

CDialogPage* CDialogPageHost::GetActivePage() const
{
    for (const PageEntry& e : m_pages)
        if (!e.page->isHidden())
            return e.page;
    return nullptr;
}

CDialogPage* CDialogPageHost::SetActivePage(CDialogPage* page)
{
    CDialogPage* before = GetActivePage();
    const int command = CommandOf(page);
    if (command >= 0)
        OnShowPage(command);
    return before;
}

void CDialogPageHost::SwitchPage(QKeyEvent* key)
{
    const int count = PageCount();
    if (count == 0)
        return;
    const bool backward = IsShiftTab(key) || key->key() == Qt::Key_PageUp;
    int index = 0;
    for (int i = 0; i < count; ++i)
        if (PageAt(i) == GetActivePage())
            index = i;
    index = (index + (backward ? count - 1 : 1)) % count;
    SetActivePage(PageAt(index));
}

bool CDialogPageHost::OnPageKey(QKeyEvent* key, int how)
{
    m_nPendingKey = how;
    return PreTranslateMessage(key);
}

bool CDialogPageHost::PreTranslateMessage(QKeyEvent* key)
{
    const int pending = m_nPendingKey;
    m_nPendingKey = kPendingNone;
    if (((key->modifiers() & Qt::ControlModifier) || pending == CDialogPage::kPageKeyNext)
        && IsPageKey(key)) {
        SwitchPage(key);
        return true;
    }
    if (!IsTabKey(key) && pending != CDialogPage::kPageKeyBack)
        return false;
    const bool backward = pending == CDialogPage::kPageKeyBack || IsShiftTab(key);
    CDialogPage* page = GetActivePage();
    if (!page)
        return false;
    page->m_bFocusLast = backward;
    QWidget* focus = QApplication::focusWidget();
    if (backward) {
        const QWidget* first = GetDlgItem(page, page->FirstFocusId());
        if (focus && focus == first) {
            m_pageBar->setFocus(Qt::BacktabFocusReason);
            return true;
        }
        if (focus == m_pageBar) {
            m_cancel->setFocus(Qt::BacktabFocusReason);
            return true;
        }
        return false;
    }
    if (focus == m_cancel) {
        m_pageBar->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (focus == m_pageBar) {
        page->setFocus(Qt::TabFocusReason);
        return true;
    }
    return false;
}

bool CDialogPageHost::PageBarTakesEnter()
{
    if (QApplication::focusWidget() != m_pageBar)
        return false;
    if (m_pageBar->HotItem() >= 0)
        OnShowPage(m_pageBar->CommandAt(m_pageBar->HotItem()));
    return true;
}

bool CDialogPageHost::LetActivePageFinish()
{
    CDialogPage* page = GetActivePage();
    if (!page || page->m_nResult == IDOK)
        return false;
    page->OnOK();
    return true;
}

void CDialogPageHost::OnOK()
{
    if (PageBarTakesEnter() || LetActivePageFinish())
        return;
    EndDialog(IDOK);
}

void CDialogPageHost::OnCancel()
{
    CDialogPage* page = GetActivePage();
    if (page && page->m_nResult != IDCANCEL) {
        page->OnCancel();
        return;
    }
    EndDialog(IDCANCEL);
}

bool CDialogPageHost::event(QEvent* e)
{
    if (e->type() == WindowMessageEvent::EventType()) {
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->Message() == WM_COMMAND) {
            const unsigned id = LOWORD(message->WParam());
            if (id == unsigned(IDOK))
                OnOK();
            else if (id == unsigned(IDCANCEL))
                OnCancel();
            else
                OnShowPage(int(id));
            return true;
        }
    }
    return QDialog::event(e);
}

bool CDialogPageHost::eventFilter(QObject* watched, QEvent* e)
{
    // Keys on the host's own controls (page bar, buttons): the pages hand
    // theirs on through OnPageKey.
    if (e->type() == QEvent::KeyPress && watched->isWidgetType() && watched == QApplication::focusWidget()) {
        auto* w = static_cast<QWidget*>(watched);
        if (isAncestorOf(w) && !IsInPage(w)) {
            auto* key = static_cast<QKeyEvent*>(e);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && w == m_pageBar) {
                OnOK();
                return true;
            }
            return PreTranslateMessage(key);
        }
    }
    return QDialog::eventFilter(watched, e);
}

QRect CDialogPageHost::PageRect() const
{
    return m_stack->geometry();
}

bool CDialogPageHost::IsInPage(const QWidget* widget) const
{
    for (const PageEntry& e : m_pages)
        if (e.page == widget || e.page->isAncestorOf(widget))
            return true;
    return false;
}

std::vector<QWidget*> CDialogPageHost::FocusRing() const
{
    std::vector<QWidget*> ring{m_pageBar};
    if (CDialogPage* page = GetActivePage()) {
        for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
            if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled()
                && w->isVisibleTo(page) && !w->focusProxy())
                ring.push_back(w);
        }
    }
    for (int i = 0; i < m_buttonRow->count(); ++i) {
        QWidget* w = m_buttonRow->itemAt(i)->widget();
        if (w && w->isEnabled() && !w->isHidden())
            ring.push_back(w);
    }
    return ring;
}

bool CDialogPageHost::focusNextPrevChild(bool next)
{
    const std::vector<QWidget*> ring = FocusRing();
    int at = -1;
    for (QWidget* w = QApplication::focusWidget(); w && at < 0 && w != this; w = w->parentWidget())
        for (size_t i = 0; i < ring.size(); ++i)
            if (ring[i] == w)
                at = int(i);
    if (at < 0)
        return QDialog::focusNextPrevChild(next);
    const int n = int(ring.size());
    ring[size_t((at + (next ? 1 : n - 1)) % n)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void CDialogPageHost::showEvent(QShowEvent* e)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(e);
}

void CDialogPageHost::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::PaletteChange) {
        for (int i = 0; i < m_buttonRow->count(); ++i)
            if (auto* button = qobject_cast<CFlatButton*>(m_buttonRow->itemAt(i)->widget()))
                SetMarginColors(button);
    }
    QDialog::changeEvent(e);
}

void CDialogPageHost::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect frame = PageRect().adjusted(-1, -1, 1, 1);
    for (const QRect& r : QRegion(rect()).subtracted(frame))
        p.fillRect(r, GetSysColor(COLOR_3DSHADOW, this));
    p.setPen(GetSysColor(COLOR_3DDKSHADOW, this));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
}
