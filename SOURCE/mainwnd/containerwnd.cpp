#include "mainwnd/containerwnd.h"

#include "controls/cmdui.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/alphabetbar.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/contactinfopane.h"
#include "mainwnd/contactview.h"
#include "mainwnd/fieldchooser.h"
#include "mainwnd/gridcontactview.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/menus.h"
#include "mainwnd/rgridctrl.h"
#include "platform/fontconv.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"
#include "telephony/tapiman.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QRubberBand>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

namespace {

constexpr int kSideMargin = 2;
constexpr int kBottomMargin = 3;
constexpr int kTopMargin = 5;
constexpr int kRightArea = 72;
constexpr int kSplitterWidth = 4;
constexpr int kMinPane = 100;
constexpr int kInfoDelayMs = 250;

// Lower bound wins when the window is too small for both.
int ClampSize(int value, int low, int high)
{
    return std::clamp(value, low, std::max(low, high));
}

}  // namespace

CContainerWnd::CContainerWnd(
    CMainFrame& frame, DataMan& dataMan, UserMan& userMan, TapiMan& tapiMan, QWidget* parent)
    : QWidget(parent)
    , m_frame(frame)
    , m_dataMan(dataMan)
    , m_userMan(userMan)
    , m_tapiMan(tapiMan)
{
    setObjectName(QStringLiteral("TolvaContainerWndClass"));
    SetDlgCtrlID(this, kPaneId);
    setMouseTracking(true);
    m_infoTimer.setSingleShot(true);
    connect(&m_infoTimer, &QTimer::timeout, this, &CContainerWnd::OnInfoTimer);
    CreatePanes();
    MapCommands();
}

CContainerWnd::~CContainerWnd()
{
    // The grid's notices come back here: it goes while the members that
    // answer them still stand.
    m_infoTimer.stop();
    if (m_grid) {
        m_grid->onSelectionChanged = nullptr;
        delete m_grid->Widget();
    }
}

void CContainerWnd::CreatePanes()
{
    m_banner = new CBookBanner(this);
    m_grid = std::make_unique<CGridContactView>(m_dataMan, m_userMan, this);
    m_grid->SetCallInProgress([this] { return (m_tapiMan.GetFlags() & TAPIMAN_IN_CALL) != 0; });
    m_grid->Widget()->installEventFilter(this);
    m_grid->Viewport()->installEventFilter(this);
    m_grid->onSelectionChanged = [this] { OnSelectionChanged(); };
    m_grid->onHeaderMenu = [this](QPoint at) {
        m_contextMenu = m_frame.MakePopupMenu(kMenuHeaderPopup);
        m_contextMenu->exec(at);
        m_contextMenu.reset();
    };
    m_pager = new CPagerWnd(this);
    m_alphabetBar = new CLetterToolBar(m_pager);
    m_pager->SetBar(m_alphabetBar);
    m_alphabetBar->letterChosen = [this](u32 command) { OnCmdMsg(command); };
    m_bookPane = new CDockWnd(m_dataMan, m_userMan, this);
    m_bookPane->Tree()->installEventFilter(this);
    m_bookPane->currentBookChanged = [this] {
        RefreshForBook();
        if (m_selectionObserver)
            m_selectionObserver(m_dataMan.GetCurrentBook());
    };
    m_bookPane->dockChanged = [this] {
        m_banner->SetDocked(m_bookPane->DockState() == BOOKPANE_DOCKED);
        RecalcLayout();
    };
    m_bookPane->booksChanged = [this] { m_frame.RequestIdleUpdate(); };
    m_bookPane->runCommand = [this](u32 id) { m_frame.OnCommand(id); };
    WireDragAndDrop();
    connect(m_banner, &CBookBanner::bookButtonClicked, this, [this] { OnCmdMsg(ID_BANNER_BOOK_BUTTON); });
    connect(m_banner, &CBookBanner::findRequested, this,
        [this](const QString& text, bool all) { Find(text, all, m_userMan.m_dwFindFlags); });
    connect(m_banner, &CBookBanner::selectFieldsRequested, this,
        [this] { CDialogChooseFields(m_userMan, window()).DoModal(); });
    // Tab and Shift+Tab walk the panes in the container's order from each of them.
    for (QWidget* w : m_banner->FindControls())
        w->installEventFilter(this);
    m_banner->BookButton()->installEventFilter(this);
    m_alphabetBar->installEventFilter(this);

    if (m_userMan.GetFont(UFK_ALPHABET))
        ApplyAlphabetBarFont();
    else
        m_userMan.SetFont(UFK_ALPHABET, LogFontFromQFont(m_alphabetBar->font()));
    RebuildAlphabetBar();
    m_bookPane->setVisible(m_bookPane->DockState() != BOOKPANE_CLOSED);
    m_banner->SetDocked(m_bookPane->DockState() == BOOKPANE_DOCKED);
    RefreshForBook();
    if (m_userMan.m_dwMainFlags & MWF_INFOPANE)
        CreateInfoPane();
    m_grid->Widget()->setFocus();
}

void CContainerWnd::CreateInfoPane()
{
    if (m_infoPane)
        return;
    m_infoPane = new CContactInfoPane(m_userMan, this);
    m_infoPane->Browser()->installEventFilter(this);
    m_infoPane->onCommand = [this](u32 command) { OnCmdMsg(command); };
    m_infoPane->show();
    m_infoPane->FillHtml(GetFocusedContact());
    RecalcLayout();
}

void CContainerWnd::DestroyInfoPane()
{
    delete m_infoPane;
    m_infoPane = nullptr;
    RecalcLayout();
}

int CContainerWnd::BannerHeight() const
{
    return m_bFindMode ? CBookBanner::kFindHeight : CBookBanner::kHeight;
}

int CContainerWnd::BookPaneWidth() const
{
    return m_bookPane->DockState() == BOOKPANE_DOCKED && !m_bookPane->isHidden() ? m_userMan.m_nTreeDimX : -1;
}

void CContainerWnd::resizeEvent(QResizeEvent*)
{
    RecalcLayout();
}

void CContainerWnd::RecalcLayout()
{
    const int w = width();
    const int h = height();
    const int bannerH = BannerHeight();
    const int top = kTopMargin + bannerH + 10;
    const int bottom = h - kBottomMargin;
    const int right = w - kRightArea;
    m_banner->setGeometry(
        QRect(QPoint(kSideMargin, kTopMargin), QPoint(right - 1, kTopMargin + bannerH - 1)));
    const int treeWidth = BookPaneWidth();
    QRect grid(QPoint(kSideMargin, top), QPoint(right - 1, bottom - 1));
    if (treeWidth >= 0) {
        m_bookPane->setGeometry(
            QRect(QPoint(kSideMargin, top), QPoint(kSideMargin + treeWidth - 1, bottom - 1)));
        grid.setLeft(kSideMargin + treeWidth + kSplitterWidth);
    }
    if (m_infoPane) {
        const int s = m_userMan.GetContactInfoSize();
        QRect info;
        switch (m_userMan.m_dwInfoDockState) {
        case INFO_DOCK_TOP:
            info = QRect(QPoint(grid.left(), top), QPoint(right - 1, top + s - 1));
            grid.setTop(top + s + kSplitterWidth);
            break;
        case INFO_DOCK_BOTTOM:
            info = QRect(QPoint(grid.left(), bottom - s), QPoint(right - 1, bottom - 1));
            grid.setBottom(bottom - s - kSplitterWidth - 1);
            break;
        default:
            info = QRect(QPoint(right - s, top), QPoint(right - 1, bottom - 1));
            grid.setRight(right - s - kSplitterWidth - 1);
            break;
        }
        m_infoPane->setGeometry(info);
    }
    m_grid->Widget()->setGeometry(grid);
    m_pager->setGeometry(
        QRect(QPoint(w - kRightArea + 5, kTopMargin), QPoint(w - kSideMargin - 1, bottom - 1)));
    update();
}

void CContainerWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), GetSysColor(COLOR_3DFACE, this));
    if (m_bTracking) {
        const QRect band = m_nSplitMode == SPLIT_VERTICAL
            ? QRect(m_trackPos.x() - 3, BannerHeight() + 10, 6, height() - BannerHeight() - 13)
            : QRect(m_grid->Widget()->x(), m_trackPos.y() - 3, m_grid->Widget()->width(), 6);
        p.fillRect(band, GetSysColor(COLOR_3DSHADOW, this));
    }
}

// The splitter under a point: the strip right of the docked book pane, or
// the inner edge of the information pane.
int CContainerWnd::SplitterAt(QPoint pos, bool* bookPane) const
{
    const int treeWidth = BookPaneWidth();
    if (treeWidth >= 0) {
        const int x = kSideMargin + treeWidth;
        if (pos.x() >= x && pos.x() < x + kSplitterWidth && pos.y() >= m_bookPane->y()) {
            *bookPane = true;
            return SPLIT_VERTICAL;
        }
    }
    if (!m_infoPane)
        return SPLIT_NONE;
    const QRect info = m_infoPane->geometry();
    *bookPane = false;
    switch (m_userMan.m_dwInfoDockState) {
    case INFO_DOCK_TOP:
        if (pos.y() > info.bottom() && pos.y() <= info.bottom() + kSplitterWidth && pos.x() >= info.left()
            && pos.x() <= info.right())
            return SPLIT_HORIZONTAL;
        break;
    case INFO_DOCK_BOTTOM:
        if (pos.y() < info.top() && pos.y() >= info.top() - kSplitterWidth && pos.x() >= info.left()
            && pos.x() <= info.right())
            return SPLIT_HORIZONTAL;
        break;
    default:
        if (pos.x() < info.left() && pos.x() >= info.left() - kSplitterWidth && pos.y() >= info.top())
            return SPLIT_VERTICAL;
        break;
    }
    return SPLIT_NONE;
}

void CContainerWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bTracking) {
        m_trackPos = event->position().toPoint();
        update();
        return;
    }
    bool bookPane = false;
    const int mode = SplitterAt(event->position().toPoint(), &bookPane);
    QCursor cursor;
    if (mode != SPLIT_NONE && LoadCursorResource(mode, &cursor))
        setCursor(cursor);
    else if (mode != SPLIT_NONE)
        setCursor(mode == SPLIT_VERTICAL ? Qt::SplitHCursor : Qt::SplitVCursor);
    else
        unsetCursor();
}

void CContainerWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    bool bookPane = false;
    m_nSplitMode = SplitterAt(event->position().toPoint(), &bookPane);
    if (m_nSplitMode == SPLIT_NONE)
        return;
    m_bSplitBookPane = bookPane;
    m_bTracking = true;
    m_trackStart = m_trackPos = event->position().toPoint();
    grabMouse();
    update();
}

void CContainerWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bTracking)
        return;
    releaseMouse();
    m_bTracking = false;
    const QPoint end = event->position().toPoint();
    FinishSplit(m_nSplitMode == SPLIT_VERTICAL ? end.x() - m_trackStart.x() : end.y() - m_trackStart.y());
    m_nSplitMode = SPLIT_NONE;
    update();
}

void CContainerWnd::FinishSplit(int d)
{
    if (d == 0)
        return;
    const int w = width();
    const int h = height();
    const bool infoRight = m_infoPane && m_userMan.m_dwInfoDockState == INFO_DOCK_RIGHT;
    if (m_bSplitBookPane) {
        int high = w - 278;
        if (infoRight)
            high -= m_infoPane->width() + kSplitterWidth;
        m_userMan.m_nTreeDimX = ClampSize(m_userMan.m_nTreeDimX + d, kMinPane, high);
    } else if (m_userMan.m_dwInfoDockState == INFO_DOCK_RIGHT) {
        int high = w - 78;
        if (BookPaneWidth() >= 0)
            high -= BookPaneWidth() + 204;
        m_userMan.m_nInfoRight = ClampSize(m_userMan.m_nInfoRight - d, kMinPane, high);
    } else {
        const int high = h - (m_bFindMode ? 69 : 35) - 107;
        if (m_userMan.m_dwInfoDockState == INFO_DOCK_TOP)
            m_userMan.m_nInfoTop = ClampSize(m_userMan.m_nInfoTop + d, kMinPane, high);
        else
            m_userMan.m_nInfoBottom = ClampSize(m_userMan.m_nInfoBottom - d, kMinPane, high);
    }
    RecalcLayout();
}

QList<QWidget*> CContainerWnd::FocusChain() const
{
    QList<QWidget*> chain;
    if (m_bFindMode)
        chain = m_banner->FindControls();
    else if (m_bookPane->DockState() != BOOKPANE_DOCKED)
        chain << m_banner->BookButton();
    chain << m_alphabetBar << m_grid->Widget();
    if (m_infoPane)
        chain << m_infoPane->Browser();
    if (m_bookPane->isVisible())
        chain << m_bookPane->Tree();
    return chain;
}

void CContainerWnd::MoveFocus(bool forward)
{
    const QList<QWidget*> chain = FocusChain();
    qsizetype at = chain.indexOf(focusWidget());
    if (at < 0)
        at = forward ? -1 : 0;
    const qsizetype next = (at + (forward ? 1 : chain.size() - 1)) % chain.size();
    chain[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool CContainerWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            MoveFocus(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        // The book tree's own keys are the book pane's.
        if (key->key() == Qt::Key_Delete && (watched == m_grid->Widget() || watched == m_grid->Viewport())) {
            m_frame.OnCommand(ID_CONTACT_DELETE);
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && watched == m_grid->Widget()
            && !(key->modifiers() & Qt::AltModifier)) {
            m_frame.OnCommand(ID_CONTACT_PROPERTIES);
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        OpenContextMenu(
            static_cast<QWidget*>(watched), menu->globalPos(), menu->reason() == QContextMenuEvent::Keyboard);
        return true;
    } else if (event->type() == QEvent::FocusIn) {
        m_frame.RequestIdleUpdate();
    }
    return QWidget::eventFilter(watched, event);
}

void CContainerWnd::contextMenuEvent(QContextMenuEvent* event)
{
    QWidget* child = childAt(event->pos());
    if (child && m_pager->isAncestorOf(child))
        OpenContextMenu(m_pager, event->globalPos(), false);
}

void CContainerWnd::OpenContextMenu(QWidget* source, QPoint globalPos, bool fromKeyboard)
{
    const char* name = nullptr;
    QWidget* grid = m_grid->Widget();
    if (source == grid || grid->isAncestorOf(source)) {
        name = kMenuContactPopup;
        if (fromKeyboard)
            globalPos = m_grid->KeyboardMenuPoint();
    } else if (source == m_bookPane->Tree() || m_bookPane->isAncestorOf(source)) {
        name = kMenuBookPopup;
        if (fromKeyboard && m_bookPane->Tree()->currentItem())
            globalPos = m_bookPane->Tree()->viewport()->mapToGlobal(
                m_bookPane->Tree()->visualItemRect(m_bookPane->Tree()->currentItem()).topLeft()
                + QPoint(7, 7));
    } else if (source == m_pager || m_pager->isAncestorOf(source)) {
        name = kMenuAlphabetPopup;
    }
    if (!name)
        return;
    m_contextMenu = m_frame.MakePopupMenu(name);
    m_contextMenu->exec(globalPos);
    m_contextMenu.reset();
}

bool CContainerWnd::event(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        const auto* message = static_cast<WindowMessageEvent*>(event);
        const RegisteredIds& ids = Registered();
        const u32 msg = message->Message();
        if (msg == ids.WM_DIAL_HOTPHONE)
            OnDialHotPhone(int(message->LParam()));
        else if (msg == ids.WM_SEND_HOTMAIL)
            OnSendHotMail(int(message->LParam()));
        else if (msg == ids.WM_DIAL_PHONE)
            OnDialPhone(message->Text().toStdString());
        else if (msg == ids.WM_SEND_MAIL)
            OnSendMail(message->Text().toStdString());
        else if (msg == WM_COMMAND)
            m_frame.OnCommand(LOWORD(message->WParam()));
        else if (msg == WM_NOTIFY) {
            if (CGridContactView::IsSelectionNotice(message->LParam()))
                OnSelectionChanged();
        } else
            return QWidget::event(event);
        return true;
    }
    return QWidget::event(event);
}

void CContainerWnd::OnSelectionChanged()
{
    m_frame.RequestIdleUpdate();
    // A focused contact is the selected item; with none, the book shown.
    if (m_selectionObserver) {
        const Contact* contact = GetFocusedContact();
        m_selectionObserver(contact ? static_cast<const DataItem*>(contact) : m_dataMan.GetCurrentBook());
    }
    if (!m_infoPane)
        return;
    m_pInfoContact = GetFocusedContact();
    if (!m_pInfoContact) {
        m_infoTimer.stop();
        m_infoPane->FillHtml(nullptr);
        return;
    }
    m_infoTimer.start(kInfoDelayMs);
}

void CContainerWnd::OnInfoTimer()
{
    if (m_infoPane && m_pInfoContact && m_pInfoContact == GetFocusedContact())
        m_infoPane->FillHtml(m_pInfoContact);
}

Contact* CContainerWnd::GetFocusedContact() const
{
    return m_grid->FirstSelectedContact();
}

QString CContainerWnd::ContactCountText() const
{
    const int count = m_grid->RowCount();
    return count == 1 ? QStringLiteral("1 contact") : QStringLiteral("%1 contacts").arg(count);
}

void CContainerWnd::ApplyAlphabetBarFont()
{
    const LOGFONT* logFont = m_userMan.GetFont(UFK_ALPHABET);
    if (!logFont)
        return;
    const QFont font = QFontFromLogFont(*logFont);
    m_alphabetBar->setFont(font);
    m_nAlphabetButtonHeight = QFontMetrics(font).height() + 7;
    RebuildAlphabetBar();
}

void CContainerWnd::RebuildAlphabetBar()
{
    std::string letters;
    m_dataMan.GetCurrentAlphabetLetters(letters);
    QStringList list;
    const QString text = QString::fromStdString(letters);
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A letter outside the basic plane is one button, not two.
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        list << text.mid(i, length);
        i += length - 1;
    }
    m_alphabetBar->SetLetters(list, m_nAlphabetButtonHeight);
    m_alphabetBar->SetTextColor(ColorFromRef(m_userMan.GetColor(UC_ALPHABET_TEXT)));
    m_alphabetBar->SetCurrent(m_dataMan.GetAlphabetFilter());
}
