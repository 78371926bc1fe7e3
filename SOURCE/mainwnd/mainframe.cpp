#include "mainwnd/mainframe.h"

#include "controls/borderrebar.h"
#include "controls/iconmenu.h"
#include "core/dataman.h"
#include "core/errorreport.h"
#include "core/seexception.h"
#include "core/utilities.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/maintoolbar.h"
#include "mainwnd/menus.h"
#include "mainwnd/trayicon.h"
#include "platform/ui/menu.h"
#include "platform/ui/resources.h"
#include "platform/ui/window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

constexpr int kToolbarId = 59392;
constexpr int kStatusBarId = 59393;
constexpr int kRebarId = 59396;
constexpr int kProgramIcon = 128;
constexpr int kClockPeriodMs = 1000;

// Input that may change what the commands can do.
bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
        return true;
    default:
        return false;
    }
}

// Asks a command's rule without touching its action.
class CommandProbe : public CCmdUI {
public:
    explicit CommandProbe(u32 id)
        : CCmdUI(id, nullptr)
    {
    }
    void Enable(bool on) override
    {
        m_bEnabled = on;
        m_bEnableChanged = true;
    }
    void SetCheck(int) override { }
    void SetText(const QString&) override { }

    bool m_bEnabled = false;
};

}  // namespace

CMainFrame::CMainFrame(
    UserMan& userMan, DataMan& dataMan, TapiMan& tapiMan, bool startedAtLogon, QWidget* parent)
    : QMainWindow(parent)
    , m_userMan(userMan)
    , m_dataMan(dataMan)
    , m_tapiMan(tapiMan)
    , m_bStartedAtLogon(startedAtLogon)
{
    setObjectName(QStringLiteral("TolvaMainWndClass"));
    setWindowTitle(QString::fromUtf8(kProductName));
    setMinimumSize(kMinWidth, kMinHeight);
    setWindowIcon(LoadIconResource(kProgramIcon));
    CreateCommandActions(this);
    for (QAction* action : findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        const u32 id = GetCommandId(action);
        if (id != 0)
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    addActions(findChildren<QAction*>(Qt::FindDirectChildrenOnly));

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_rebar = new CBorderReBar(central);
    m_rebar->setObjectName(QStringLiteral("Rebar"));
    SetDlgCtrlID(m_rebar, kRebarId);
    column->addWidget(m_rebar);
    m_container = new CContainerWnd(*this, m_dataMan, m_userMan, m_tapiMan, central);
    column->addWidget(m_container, 1);
    setCentralWidget(central);

    CreateToolbar();
    CreateStatusBar();
    MapCommands();
    CreateMenus();

    m_clockTimer.setInterval(kClockPeriodMs);
    connect(&m_clockTimer, &QTimer::timeout, this, &CMainFrame::UpdateClock);
    m_clockTimer.start();
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, &CMainFrame::UpdateAllCommands);
    qApp->installEventFilter(this);
    SetUpTray();
    UpdateAllCommands();
}

CMainFrame::~CMainFrame()
{
    // A frame that outlives the application object (one held by a static)
    // has no filter left to remove.
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    m_openMenu.reset();
    m_idleTimer.stop();
    // The panes call back into the frame while they go: they go first,
    // while the frame's members still stand.
    delete takeCentralWidget();
    m_container = nullptr;
}

void CMainFrame::CreateToolbar()
{
    m_toolbar = new CMainToolbar([this](u32 id) { return Action(id); }, m_rebar);
    SetDlgCtrlID(m_toolbar, kToolbarId);
    m_rebar->AddBar(m_toolbar);
    m_toolbar->dropMenu = [this](CToolbarButton* button) { return MakeDropMenu(button); };
    m_toolbar->modeChanged = [this](u32 mode) {
        m_userMan.m_dwToolbarStyle = mode;
        RequestIdleUpdate();
    };
    m_toolbar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_toolbar, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        m_openMenu = MakePopupMenu(kMenuToolbarStyle);
        m_openMenu->exec(m_toolbar->mapToGlobal(at));
        m_openMenu.reset();
    });
    const u32 mode = m_userMan.m_dwToolbarStyle;
    m_toolbar->ResetMode();
    m_toolbar->SetToolbarTextMode(mode, true);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    SetDlgCtrlID(bar, kStatusBarId);
    // The panes show text as it is: a location's name is never markup.
    m_readyPane = new QLabel(bar);
    m_countPane = new QLabel(bar);
    m_countPane->setObjectName(QStringLiteral("pane%1").arg(ID_INDICATOR_COUNT));
    m_clockPane = new QLabel(bar);
    m_clockPane->setObjectName(QStringLiteral("pane%1").arg(ID_INDICATOR_CLOCK));
    m_clockPane->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_clockPane, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        m_openMenu = MakeClockMenu();
        m_openMenu->exec(m_clockPane->mapToGlobal(at));
        m_openMenu.reset();
    });
    for (QLabel* pane : {m_readyPane, m_countPane, m_clockPane})
        pane->setTextFormat(Qt::PlainText);
    bar->addWidget(m_readyPane, 1);
    bar->addPermanentWidget(m_countPane);
    bar->addPermanentWidget(m_clockPane);
    m_countPane->hide();

    // The entry that carries the mark, else the last one.
    const int count = m_dataMan.GetCount(DMK_TIME_ZONE);
    for (int i = 0; i < count && !m_pStatusTimeZone; ++i) {
        TimeZoneEntry* entry = m_dataMan.GetAt<TimeZoneEntry>(i);
        if (entry && (entry->m_dwFlags & TZ_UNDEFINED))
            m_pStatusTimeZone = entry;
    }
    if (!m_pStatusTimeZone && count > 0)
        m_pStatusTimeZone = m_dataMan.GetAt<TimeZoneEntry>(count - 1);
    UpdateStatusPanes(m_userMan.m_dwMainFlags & MWF_CONTACT_COUNT, false);
}

void CMainFrame::CreateMenus()
{
    CIconMenu::LoadImageLists();
    m_mainMenu = std::make_unique<CIconMenu>();
    BuildMainMenu(menuBar(), [this](u32 id) { return Action(id); });
    m_mainMenu->ConvertMenu(menuBar());
    for (const CommandInfo& info : CommandTable()) {
        if (info.menuImage >= 0)
            m_mainMenu->SetItemImage(info.menuImage, i32(info.id));
    }
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
}

std::unique_ptr<QMenu> CMainFrame::MakePopupMenu(const char* name)
{
    auto menu = BuildPopupMenu(
        name, [this](u32 id) { return Action(id); }, this);
    if (!menu)
        return nullptr;
    m_mainMenu->ConvertMenu(menu.get());
    for (const CommandInfo& info : CommandTable()) {
        if (info.menuImage >= 0)
            m_mainMenu->SetItemImage(info.menuImage, i32(info.id));
    }
    // Items of their own text (the tray's "Tolva on the Web") route the same way.
    for (QAction* action : menu->findChildren<QAction*>()) {
        const u32 id = GetCommandId(action);
        if (id != 0 && id != 0xFFFFFFFF && action->parent() != this)
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    UpdateMenu(menu.get());
    return menu;
}

QAction* CMainFrame::Action(u32 id) const
{
    return findChild<QAction*>(CommandObjectName(id), Qt::FindDirectChildrenOnly);
}

void CMainFrame::OnCommand(u32 id)
{
    // The state may have changed since the item was drawn: a command runs
    // only while its rule allows it.
    CommandProbe probe(id);
    if (!OnUpdateCommandUI(probe) || !probe.m_bEnabled)
        return;
    if (!m_container->OnCmdMsg(id))
        m_commands.Execute(id);
    RequestIdleUpdate();
}

bool CMainFrame::OnUpdateCommandUI(CCmdUI& ui)
{
    return m_container->OnUpdateCmdMsg(ui) || m_commands.Update(ui);
}

bool CMainFrame::HasCommandHandler(u32 id)
{
    return m_container->Commands().Handles(id) || m_commands.Handles(id);
}

void CMainFrame::UpdateMenu(QMenu* menu)
{
    m_container->BeginCommandUpdate();
    m_mainMenu->UpdateCmdUI(menu, this);
    m_container->EndCommandUpdate();
}

void CMainFrame::UpdateAllCommands()
{
    m_container->BeginCommandUpdate();
    for (QAction* action : findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        const u32 id = GetCommandId(action);
        if (id == 0)
            continue;
        CCmdUI ui(id, action);
        ui.DoUpdate(this, true);
    }
    m_container->EndCommandUpdate();
}

void CMainFrame::RequestIdleUpdate()
{
    if (m_container && !m_idleTimer.isActive())
        m_idleTimer.start();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (IsInput(event->type()))
        RequestIdleUpdate();
    // The keypad's commands come before the focused pane, which would take
    // Num+6 without NumLock as the right arrow.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this) {
        if (const u32 id = KeypadCommand(*static_cast<QKeyEvent*>(event))) {
            OnCommand(id);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && m_container && m_container->isVisible())
        RequestIdleUpdate();
    // The desktop's colours changed: the menus and the rebar take them anew.
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange) {
        if (m_mainMenu)
            m_mainMenu->OnSysColorChange();
        if (m_rebar)
            m_rebar->update();
    }
    return QMainWindow::event(event);
}

void CMainFrame::GetBarsVisible(bool& toolbar, bool& statusBar) const
{
    toolbar = !m_rebar->isHidden();
    statusBar = !this->statusBar()->isHidden();
}

void CMainFrame::SetBarsVisible(bool toolbar, bool statusBarShown)
{
    m_rebar->setVisible(toolbar);
    statusBar()->setVisible(statusBarShown);
    RequestIdleUpdate();
}

void CMainFrame::InvalidateRebar()
{
    m_rebar->update();
}

void CMainFrame::SetToolbarTextMode(u32 mode, bool restoreLayout)
{
    m_toolbar->SetToolbarTextMode(mode, restoreLayout);
}

void CMainFrame::SetCurrentAlphabet(int index)
{
    const int count = m_dataMan.GetCount(DMK_ALPHABET);
    if (index < 0 || index >= count)
        return;
    for (int i = 0; i < count; ++i) {
        if (Alphabet* alphabet = m_dataMan.GetAt<Alphabet>(i))
            alphabet->m_dwFlags = i == index ? alphabet->m_dwFlags | ALPHABET_CURRENT
                                             : alphabet->m_dwFlags & ~ALPHABET_CURRENT;
    }
    m_dataMan.Save(DFK_NONDATA);
    m_container->RebuildAlphabetBar();
    // A letter of the old alphabet means nothing in the new one.
    m_container->SetCurrentLetterCommand(kFilterAll);
}

void CMainFrame::ApplyPreferences(u32 oldMainFlags)
{
    const u32 flags = m_userMan.m_dwMainFlags;
    InvalidateRebar();
    if ((flags ^ oldMainFlags) & MWF_CONTACT_COUNT)
        UpdateStatusPanes(flags & MWF_CONTACT_COUNT, false);
    if ((flags ^ oldMainFlags) & MWF_CLOCK_DATE)
        UpdateClock();
    SetBarsVisible(flags & MWF_TOOLBAR, flags & MWF_STATUSBAR);
    SetStaysOnTop(flags & MWF_TOPMOST);
}

void CMainFrame::SetStaysOnTop(bool on)
{
    if (on == bool(windowFlags() & Qt::WindowStaysOnTopHint))
        return;
    // Changing a window's flags hides it; it comes back as it was (normal,
    // maximized or minimized).
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown)
        show();
}

// The tray.

void CMainFrame::SetUpTray()
{
    m_tray = std::make_unique<CTrayIcon>();
    m_tray->SetNotificationWnd(this, Registered().WM_TRAY_NOTIFICATION);
    if (SystemTray* tray = m_tray->Tray()) {
        // The desktop's clicks arrive as the mouse messages of a notification.
        tray->activated = [this](SystemTray::Event e, QPoint at) {
            m_trayPoint = at;
            if (e == SystemTray::Event::Click) {
                OnTrayNotification(CTrayIcon::kIconId, WM_LBUTTONUP);
            } else if (e == SystemTray::Event::DoubleClick) {
                OnTrayNotification(CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
            } else {
                OnTrayNotification(CTrayIcon::kIconId, WM_RBUTTONDOWN);
                OnTrayNotification(CTrayIcon::kIconId, WM_RBUTTONUP);
            }
        };
    }
    AddTrayIcon();
}

void CMainFrame::AddTrayIcon()
{
    m_tray->SetIcon(windowIcon().isNull() ? QApplication::windowIcon() : windowIcon());
}

bool CMainFrame::HasTray() const
{
    // The desktop is asked each time: its panel may have ended since the
    // icon was added.
    return m_tray && m_tray->IsShown() && m_tray->IsAvailable();
}

int CMainFrame::OnTrayNotification(u32 iconId, u32 mouseMessage)
{
    if (iconId != CTrayIcon::kIconId)
        return 0;
    switch (mouseMessage) {
    case WM_RBUTTONDOWN:
        raise();
        break;
    case WM_RBUTTONUP:
        // A fault while the menu is up is logged and the program goes on.
        try {
            OnTrayMenu(m_trayPoint);
        } catch (CSeException* e) {
            // The fault unwound the menu's own frames without their clean-ups:
            // the menu still refers to the event loop it ran, which is gone,
            // so it is left as it is rather than destroyed.
            if (QMenu* menu = m_openMenu.release(); menu && !menu->isVisible())
                menu->setParent(nullptr);
            AppendErrorLog(BuildErrorReport(*e, {m_dataMan.GetLastError(), {}}));
            e->Delete();
        }
        break;
    // A click shows the window as a double click does.
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        OnRestore();
        break;
    default:
        break;
    }
    return 1;
}

void CMainFrame::OnTrayMenu(QPoint at)
{
    raise();
    m_openMenu = MakePopupMenu(kMenuTray);
    if (QAction* restore = Action(ID_TRAY_RESTORE))
        m_openMenu->setDefaultAction(restore);
    m_openMenu->exec(at);
    m_openMenu.reset();
}

void CMainFrame::HideToTray()
{
    if (isMaximized())
        m_userMan.m_dwMainFlags |= MWF_WAS_MAXIMIZED;
    else
        m_userMan.m_dwMainFlags &= ~MWF_WAS_MAXIMIZED;
    // Without a tray a hidden window could never come back.
    if (HasTray())
        hide();
    else
        showMinimized();
}

void CMainFrame::OnRestore()
{
    if (m_userMan.m_dwMainFlags & MWF_WAS_MAXIMIZED)
        showMaximized();
    else
        showNormal();
    raise();
    activateWindow();
}

void CMainFrame::SaveStateAndClose()
{
    m_bClosing = true;
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The close box hides to the tray when the user chose so; Exit, a
    // logout and the tray's Exit close. Where the desktop has no tray now
    // (none at all, or its panel has gone) a hidden window could never come
    // back, and a new start only finds this one running: the close box then
    // ends the program as Exit does.
    if (!m_bClosing && (m_userMan.m_dwMainFlags & MWF_CLOSE_TO_TRAY)) {
        // A tray that came after the start takes the icon first.
        if (!HasTray() && m_tray && m_tray->IsAvailable())
            AddTrayIcon();
        if (HasTray()) {
            event->ignore();
            HideToTray();
            return;
        }
    }
    m_bClosing = false;
    m_toolbar->SaveLayout();
    m_container->PrepareClose();
    m_userMan.SaveWindowState(*this);
    event->accept();
    // A hidden frame closing (a logout while in the tray) ends the run too.
    QCoreApplication::quit();
}

// MainWindowHost

bool CMainFrame::IsMaximized() const
{
    return isMaximized();
}

RECT CMainFrame::NormalRect() const
{
    // The place of the whole window with its frame, and the size of what
    // lies inside the frame, as MoveTo takes them.
    const QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    const QPoint at = r.topLeft() - (geometry().topLeft() - pos());
    return {at.x(), at.y(), at.x() + r.width(), at.y() + r.height()};
}

bool CMainFrame::IsToolbarVisible() const
{
    return !m_rebar->isHidden();
}

bool CMainFrame::IsStatusBarVisible() const
{
    return !statusBar()->isHidden();
}

void CMainFrame::ShowBars(bool toolbar, bool statusBarShown)
{
    SetBarsVisible(toolbar, statusBarShown);
}

void CMainFrame::SetTitle(const char* title)
{
    setWindowTitle(QString::fromUtf8(title));
}

void CMainFrame::MoveTo(const RECT& rect)
{
    // The rectangle places the window with its title bar and frame, and
    // sizes what lies inside the frame.
    resize(
        std::max(kMinWidth, int(rect.right - rect.left)), std::max(kMinHeight, int(rect.bottom - rect.top)));
    move(rect.left, rect.top);
    FitToScreen();
    m_bFitPending = true;
}

void CMainFrame::FitToScreen()
{
    // A window saved on a larger screen or at a smaller scale factor is
    // made to fit the room the screen leaves, and none keeps its title bar
    // out of reach.
    const QScreen* screen = QGuiApplication::screenAt(frameGeometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // The frame is known once the window has been made; nothing before.
    const QSize frame = frameGeometry().size() - size();
    const QSize fitted = size().boundedTo(room.size() - frame).expandedTo(minimumSize());
    const QSize whole = fitted + frame;
    const QPoint at(std::max(room.left(), std::min(x(), room.left() + room.width() - whole.width())),
        std::max(room.top(), std::min(y(), room.top() + room.height() - whole.height())));
    if (fitted != size())
        resize(fitted);
    if (at != pos())
        move(at);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // A window placed by MoveTo is fitted again once its frame is known.
    if (m_bFitPending && !event->spontaneous() && !isMaximized() && !isMinimized()) {
        m_bFitPending = false;
        FitToScreen();
    }
}

void CMainFrame::Show(ShowState state)
{
    switch (state) {
    case ShowState::Hide:
        // Started at logon: into the tray, or minimised where there is none.
        if (HasTray())
            hide();
        else
            showMinimized();
        break;
    case ShowState::Normal:
        showNormal();
        break;
    case ShowState::Maximized:
        showMaximized();
        break;
    }
}

void CMainFrame::SetTopmost()
{
    SetStaysOnTop(true);
}

void CMainFrame::Update()
{
    update();
}
