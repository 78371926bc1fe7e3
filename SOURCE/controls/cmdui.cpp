#include "controls/cmdui.h"

#include <QAction>

void CCmdUI::Enable(bool on)
{
    if (m_pAction)
        m_pAction->setEnabled(on);
    m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check)
{
    if (!m_pAction)
        return;
    m_pAction->setCheckable(true);
    m_pAction->setChecked(check != 0);
}

void CCmdUI::SetText(const QString& text)
{
    if (m_pAction)
        m_pAction->setText(text);
}

void CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler)
{
    m_bEnableChanged = false;
    if (!target)
        return;
    // An update handler that only checks or renames the item leaves the
    // enabling to the rule below.
    target->OnUpdateCommandUI(*this);
    if (disableIfNoHandler && !m_bEnableChanged)
        Enable(target->HasCommandHandler(m_nID));
}
