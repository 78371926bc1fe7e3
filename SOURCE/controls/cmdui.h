// Update-command-UI: before a menu shows, each of its commands asks the
// command target whether it is enabled, checked or renamed.
#pragma once

#include "platform/wintypes.h"

class QAction;
class QString;

class CCmdUI;

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the update handler of the command; false when it has none.
    virtual bool OnUpdateCommandUI(CCmdUI& ui) = 0;
    // Whether the command has a handler at all.
    virtual bool HasCommandHandler(u32 id) = 0;
};

class CCmdUI {
public:
    CCmdUI(u32 id, QAction* action)
        : m_nID(id)
        , m_pAction(action)
    {
    }
    virtual ~CCmdUI() = default;

    virtual void Enable(bool on = true);
    // 0 clear, 1 checked.
    virtual void SetCheck(int check = 1);
    virtual void SetText(const QString& text);

    // Asks the target; a command whose handler did not say otherwise is
    // enabled exactly when it has a command handler (when asked to).
    void DoUpdate(CCmdTarget* target, bool disableIfNoHandler);

    u32 m_nID;
    QAction* m_pAction;
    bool m_bEnableChanged = false;
};
