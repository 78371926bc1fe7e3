// The main window: menus, the toolbar in its rebar, the contacts container,
// the status bar with the contact count and the world clock, and the icon
// in the notification area. Every command goes to the container first
// (book pane, then the container's own map), then to the frame.
#pragma once

#include "controls/cmdui.h"
#include "core/userman.h"
#include "mainwnd/commands.h"

#include <QDateTime>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <memory>

class CBorderReBar;
class CContainerWnd;
class CIconMenu;
class CMainToolbar;
class CToolbarButton;
class CTrayIcon;
class DataMan;
class QLabel;
class QMenu;
class TapiMan;
struct TimeZoneEntry;

class CMainFrame : public QMainWindow, public MainWindowHost, public CCmdTarget {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 640;
    static constexpr int kMinHeight = 480;

    // startedAtLogon: the program was started with "-regrun".
    CMainFrame(UserMan& userMan, DataMan& dataMan, TapiMan& tapiMan, bool startedAtLogon = false,
        QWidget* parent = nullptr);
    ~CMainFrame() override;

    CContainerWnd* GetContainer() const { return m_container; }
    TapiMan& GetTapiMan() const { return m_tapiMan; }

    CMainToolbar* Toolbar() const { return m_toolbar; }
    CommandHooks& Hooks() { return m_hooks; }
    const CommandHooks& Hooks() const { return m_hooks; }
    QAction* Action(u32 id) const;

    // Routes a command: container (book pane first), then the frame.
    void OnCommand(u32 id);
    // Works out the state of every command now.
    void UpdateAllCommands();
    void UpdateMenu(QMenu* menu);
    // The state is worked out when the event loop next goes idle.
    void RequestIdleUpdate();
    std::unique_ptr<QMenu> MakePopupMenu(const char* name);
    // The list of the focused contact's numbers that the Dial button's
    // arrow opens; the one picked is dialed. rowPoint: where it opens when
    // the button is out of sight.
    void OpenDialList(QPoint rowPoint);

    // Status bar.
    void UpdateStatusPanes(bool showCount, bool countOnly);
    void SetStatusTimeZone(int index);
    void UpdateTimeZone();
    void UpdateClock();
    QString ClockText() const;
    QString CountText() const;
    bool HasCountPane() const;

    void GetBarsVisible(bool& toolbar, bool& statusBar) const;
    void SetBarsVisible(bool toolbar, bool statusBar);
    void InvalidateRebar();
    void SetToolbarTextMode(u32 mode, bool restoreLayout);
    // Makes the alphabet of that index current and rebuilds the bar.
    void SetCurrentAlphabet(int index);
    // After the Preferences dialog: what changed in the main-window flags.
    void ApplyPreferences(u32 oldMainFlags);

    // Tray and closing.
    bool HasTray() const;
    void HideToTray();
    void OnRestore();
    void SaveStateAndClose();
    void OnTrayMenu(QPoint at);
    // A notification of the tray icon: 0 when it is for another icon.
    int OnTrayNotification(u32 iconId, u32 mouseMessage);

    // MainWindowHost
    bool IsMaximized() const override;
    RECT NormalRect() const override;
    bool IsToolbarVisible() const override;
    bool IsStatusBarVisible() const override;
    void ShowBars(bool toolbar, bool statusBar) override;
    void SetTitle(const char* title) override;
    void MoveTo(const RECT& rect) override;
    void Show(ShowState state) override;
    void SetTopmost() override;
    void Update() override;

    // CCmdTarget
    bool OnUpdateCommandUI(CCmdUI& ui) override;
    bool HasCommandHandler(u32 id) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // mainframe.cpp
    void CreateToolbar();
    void CreateStatusBar();
    void CreateMenus();
    void SetUpTray();
    void AddTrayIcon();
    void SetStaysOnTop(bool on);
    void FitToScreen();
    // framecommands.cpp
    void MapCommands();
    void OnHotCommand(u32 id);
    std::unique_ptr<QMenu> MakeDropMenu(CToolbarButton* button);
    std::unique_ptr<QMenu> MakeDropMenu(u32 command);
    std::unique_ptr<QMenu> MakeClockMenu();
    void OnHelp(const QString& page);
    void OnCustomize();

    UserMan& m_userMan;
    DataMan& m_dataMan;
    TapiMan& m_tapiMan;
    bool m_bStartedAtLogon;

    CBorderReBar* m_rebar = nullptr;
    CMainToolbar* m_toolbar = nullptr;
    CContainerWnd* m_container = nullptr;
    std::unique_ptr<CIconMenu> m_mainMenu;
    std::unique_ptr<QMenu> m_openMenu;
    std::unique_ptr<CTrayIcon> m_tray;
    QPoint m_trayPoint;
    // Placed from a stored rectangle and not shown since.
    bool m_bFitPending = false;
    QLabel* m_readyPane = nullptr;
    QLabel* m_countPane = nullptr;
    QLabel* m_clockPane = nullptr;

    int m_nMenuPick = -1;
    // What the open drop-down list was made from: the hot commands check
    // their pick against it.
    u32 m_nMenuCommand = 0;
    u32 m_nMenuContactId = 0;
    int m_nMenuCount = 0;

    TimeZoneEntry* m_pStatusTimeZone = nullptr;
    qint64 m_clockOffsetSecs = 0;
    bool m_bClockInvalid = false;
    bool m_bInPreview = false;
    bool m_bClosing = false;
    QTimer m_clockTimer;
    QTimer m_idleTimer;

    CommandHooks m_hooks;
    CommandMap m_commands;
};
