// The main toolbar: the fourteen buttons it knows, the layout the user
// chose, three text modes, and drop-down arrows on "Send mail", "Dial" and
// "Alphabet".
#pragma once

#include "platform/wintypes.h"

#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QAction;
class QMenu;

// Text modes ("Style" of "UserMan\MainToolbar").
constexpr u32 TBMODE_BUTTONS = 1;
constexpr u32 TBMODE_TEXT = 2;
constexpr u32 TBMODE_BUTTONS_TEXT = 3;

struct ToolbarButtonInfo {
    int image;
    u32 command;
    bool dropDown;
    const char* label;
};

// A button of the toolbar: its own label, the shared action's state.
class CToolbarButton : public QToolButton {
    Q_OBJECT
public:
    CToolbarButton(const ToolbarButtonInfo& info, QAction* action, QWidget* parent);
    const ToolbarButtonInfo& Info() const { return m_info; }
    // Asked when the arrow is pressed; null opens nothing.
    std::function<std::unique_ptr<QMenu>(CToolbarButton*)> dropMenu;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool OnArrow(QPoint pos) const;

    ToolbarButtonInfo m_info;
    QAction* m_action;
    std::unique_ptr<QMenu> m_menu;
};

class CMainToolbar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int kSeparator = 13;
    static constexpr int kImageSize = 22;
    static constexpr int kButtonSize = 28;

    using ActionLookup = std::function<QAction*(u32 id)>;
    CMainToolbar(ActionLookup actions, QWidget* parent = nullptr);

    static std::span<const ToolbarButtonInfo> Buttons();
    static std::vector<int> DefaultLayout();

    // Nothing when the mode is on already; restoreLayout first reads the
    // saved layout.
    void SetToolbarTextMode(u32 mode, bool restoreLayout);
    u32 TextMode() const { return m_nMode; }
    // Forgets the mode, so that the next SetToolbarTextMode applies.
    void ResetMode() { m_nMode = u32(-1); }

    const std::vector<int>& Layout() const { return m_layout; }
    void SetLayout(const std::vector<int>& layout);
    void ResetToolbarButtons();
    // Value "Data" of "UserMan\MainToolbar".
    void SaveLayout() const;
    bool RestoreLayout();
    CToolbarButton* ButtonOf(u32 command) const;

    std::function<std::unique_ptr<QMenu>(CToolbarButton*)> dropMenu;
    std::function<void(u32 mode)> modeChanged;

protected:
    void changeEvent(QEvent* event) override;

private:
    void Rebuild();
    // The image as it reads on the toolbar's face now.
    QIcon IconOf(int image) const;

    ActionLookup m_actions;
    std::vector<int> m_layout;
    u32 m_nMode = u32(-1);
};
