#include "mainwnd/bookpane.h"

#include "controls/cmdui.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/booktree.h"
#include "mainwnd/editinghooks.h"
#include "mainwnd/popupwnd.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr int kCaptionHeight = 24;
constexpr int kCaptionLineY = 20;
constexpr int kGlyphSize = 12;

// The caption button's glyph: a cross while docked (close), a pin in the
// pop-up (dock), pressed a little lower.
QIcon CaptionGlyph(bool docked, QColor color)
{
    QPixmap pixmap(kGlyphSize * 2, kGlyphSize * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, 1.5));
    if (docked) {
        p.drawLine(QPointF(3, 3), QPointF(9, 9));
        p.drawLine(QPointF(9, 3), QPointF(3, 9));
    } else {
        p.drawRect(QRectF(4, 1.5, 4, 5));
        p.drawLine(QPointF(2, 6.5), QPointF(10, 6.5));
        p.drawLine(QPointF(6, 6.5), QPointF(6, 11));
    }
    return QIcon(pixmap);
}

}  // namespace

CDockWnd::CDockWnd(DataMan& dataMan, UserMan& userMan, QWidget* container)
    : QWidget(container)
    , m_dataMan(dataMan)
    , m_userMan(userMan)
    , m_container(container)
    , m_captionButton(new QToolButton(this))
    , m_tree(new CBookTreeCtrl(dataMan, userMan, this))
{
    setObjectName(QStringLiteral("BOOK_WINDOW"));
    setFocusPolicy(Qt::StrongFocus);
    m_captionButton->setObjectName(QStringLiteral("cmd%1").arg(ID_BOOKPANE_CAPTION));
    m_captionButton->setAutoRaise(true);
    m_captionButton->setFocusPolicy(Qt::NoFocus);
    m_captionButton->setIconSize(QSize(kGlyphSize, kGlyphSize));
    connect(m_captionButton, &QToolButton::clicked, this, &CDockWnd::OnCaptionButton);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CDockWnd::OnSelectionChanged);
    m_tree->installEventFilter(this);
    m_tree->booksChanged = [this] { AfterBooksChanged(); };
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] {
        m_dwPaneFlags &= ~DPF_SELECTION_WAITING;
        MakeCurrent(m_tree->currentItem());
        if (m_nDockState == BOOKPANE_POPUP)
            ClosePopup();
    });
    MapCommands();

    // The book to start in: the last one, unless the root is asked for.
    m_bFilling = true;
    FillTree();
    QTreeWidgetItem* start = nullptr;
    if (m_userMan.m_dwTreeState != BTS_START_IN_ROOT)
        start = FindBookItem(m_dataMan.GetCurrentBookId());
    if (!start)
        start = m_tree->topLevelItem(0);
    if (start) {
        m_tree->setCurrentItem(start);
        m_tree->scrollToItem(start);
        start->setExpanded(true);
        if (Book* book = m_tree->BookOf(start))
            m_dataMan.SetCurrentBook(book);
    }
    m_bFilling = false;
    // The pop-up is never reopened by itself at start.
    m_nDockState = m_userMan.m_dwTreeDockState == BOOKPANE_DOCKED ? BOOKPANE_DOCKED : BOOKPANE_CLOSED;
    m_userMan.m_dwTreeDockState = m_nDockState;
    m_captionButton->setIcon(CaptionGlyph(true, ColorFromRef(m_userMan.m_crTreeText)));
}

CDockWnd::~CDockWnd()
{
    m_hoverTimer.stop();
}

u32 CDockWnd::FillTree()
{
    return m_tree->Fill() ? 0 : RC_MISSING;
}

bool CDockWnd::ReloadTree()
{
    m_bFilling = true;
    const bool filled = FillTree() == 0;
    m_tree->SelectCurrentBook();
    m_bFilling = false;
    return filled;
}

void CDockWnd::ApplySettings()
{
    m_tree->ApplySettings();
    update();
}

QTreeWidgetItem* CDockWnd::FindBookItem(u32 bookId, QTreeWidgetItem* start) const
{
    return m_tree->FindBookItem(bookId, start);
}

Book* CDockWnd::SelectedBook() const
{
    return m_tree->BookOf(m_tree->currentItem());
}

int CDockWnd::TestSelection(int what) const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (what < 0 || what > 2)
        return -1;
    if (!item)
        return 0;
    const u32 id = m_tree->BookIdOf(item);
    const Book* root = m_dataMan.GetRootBook();
    const Book* deleted = m_dataMan.GetDeletedItemsBook();
    switch (what) {
    case 0:
        return root && id == root->m_duID;
    case 1:
        return deleted && id == deleted->m_duID;
    default:
        return m_tree->InDeletedItems(item);
    }
}

bool CDockWnd::BuiltInSelected() const
{
    return TestSelection(0) || TestSelection(1);
}

void CDockWnd::OnSelectionChanged()
{
    if (m_bFilling || m_tree->Filling())
        return;
    // A drag shows its target as the selection; that is not a choice.
    if (m_tree->Hovering() || m_tree->DraggingBook() || GetDragSourceKind() != DRAG_SOURCE_NONE
        || (gridDragging && gridDragging()))
        return;
    if (m_tree->InKeyMove()) {
        // Walking the tree by keys chooses the book only once the keys rest.
        m_dwPaneFlags |= DPF_SELECTION_WAITING;
        m_hoverTimer.start();
        return;
    }
    m_hoverTimer.stop();
    m_dwPaneFlags &= ~DPF_SELECTION_WAITING;
    MakeCurrent(m_tree->currentItem());
    if (m_nDockState == BOOKPANE_POPUP && (QApplication::mouseButtons() & Qt::LeftButton))
        ClosePopup();
}

void CDockWnd::MakeCurrent(QTreeWidgetItem* item)
{
    Book* book = m_tree->BookOf(item);
    if (!book || book == m_dataMan.GetCurrentBook())
        return;
    m_dataMan.SetCurrentBook(book);
    if (currentBookChanged)
        currentBookChanged();
}

void CDockWnd::SettleSelection()
{
    if (!(m_dwPaneFlags & DPF_SELECTION_WAITING))
        return;
    m_hoverTimer.stop();
    m_dwPaneFlags &= ~DPF_SELECTION_WAITING;
    MakeCurrent(m_tree->currentItem());
}

void CDockWnd::SetDocked()
{
    m_nDockState = BOOKPANE_DOCKED;
    m_userMan.m_dwTreeDockState = BOOKPANE_DOCKED;
    m_captionButton->setIcon(CaptionGlyph(true, ColorFromRef(m_userMan.m_crTreeText)));
    show();
    if (dockChanged)
        dockChanged();
}

void CDockWnd::SetClosed()
{
    m_nDockState = BOOKPANE_CLOSED;
    m_userMan.m_dwTreeDockState = BOOKPANE_CLOSED;
    hide();
    if (dockChanged)
        dockChanged();
}

void CDockWnd::SetPopupState()
{
    m_nDockState = BOOKPANE_POPUP;
    m_userMan.m_dwTreeDockState = BOOKPANE_POPUP;
    m_captionButton->setIcon(CaptionGlyph(false, ColorFromRef(m_userMan.m_crTreeText)));
    show();
    m_tree->setFocus();
}

CPopupWnd* CDockWnd::OpenPopup(const QRect& screenRect)
{
    if (m_nDockState == BOOKPANE_DOCKED)
        return nullptr;
    ClosePopup();
    QWidget* owner = m_container ? m_container->window() : nullptr;
    m_popup = new CPopupWnd(owner, this, screenRect);
    return m_popup;
}

void CDockWnd::ClosePopup()
{
    // The window goes later; the pane is back and no longer in it now.
    if (CPopupWnd* popup = m_popup) {
        m_popup = nullptr;
        popup->ReturnPane(true);
    }
}

void CDockWnd::OnCaptionButton()
{
    if (m_nDockState == BOOKPANE_DOCKED) {
        SetClosed();
        m_userMan.m_dwMainFlags &= ~MWF_BOOKPANE;
    } else if (m_nDockState == BOOKPANE_POPUP && m_popup) {
        m_userMan.m_nTreeDimX = width();
        hide();
        CPopupWnd* popup = m_popup;
        m_popup = nullptr;
        popup->ReturnPane(false);
        m_userMan.m_dwMainFlags |= MWF_BOOKPANE;
        SetDocked();
        m_tree->setFocus();
    }
}

void CDockWnd::resizeEvent(QResizeEvent*)
{
    m_captionButton->setGeometry(width() - 20, 1, 19, 18);
    m_tree->setGeometry(0, kCaptionHeight, width(), std::max(0, height() - kCaptionHeight));
}

void CDockWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor text = ColorFromRef(m_userMan.m_crTreeText);
    p.fillRect(rect(), ColorFromRef(m_userMan.m_crTreeBack));
    p.setPen(text);
    p.drawLine(2, kCaptionLineY, width() - 3, kCaptionLineY);
    QFont caption = font();
    caption.setPixelSize(11);
    p.setFont(caption);
    p.drawText(QRect(QPoint(5, 2), QPoint(width() - 26, kCaptionLineY - 3)), Qt::AlignLeft | Qt::AlignVCenter,
        tr("Address books"));
}

void CDockWnd::focusInEvent(QFocusEvent*)
{
    m_tree->setFocus();
}

bool CDockWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_tree)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        // Clicking anywhere outside the pop-up closes it.
        auto* focus = static_cast<QFocusEvent*>(event);
        if (m_nDockState == BOOKPANE_POPUP && focus->reason() != Qt::PopupFocusReason)
            QTimer::singleShot(0, this, [this] {
                if (m_nDockState == BOOKPANE_POPUP && !m_tree->hasFocus())
                    ClosePopup();
            });
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        SettleSelection();
        ClosePopup();
        return true;
    case Qt::Key_Escape:
        if (m_nDockState != BOOKPANE_POPUP)
            return false;
        ClosePopup();
        return true;
    case Qt::Key_Insert:
        ClosePopup();
        RunCommand(ID_BOOK_NEW);
        return true;
    case Qt::Key_Delete:
        ClosePopup();
        RunCommand(ID_BOOK_DELETE);
        return true;
    case Qt::Key_F2:
        ClosePopup();
        RunCommand(ID_BOOK_RENAME);
        return true;
    default:
        return false;
    }
}

void CDockWnd::RunCommand(u32 command)
{
    if (runCommand)
        runCommand(command);
    else
        m_commands.Execute(command);
}

void CDockWnd::AfterBooksChanged()
{
    if (booksChanged)
        booksChanged();
}
