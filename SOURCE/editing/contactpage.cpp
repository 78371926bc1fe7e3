#include "editing/contactpage.h"

#include "controls/contexthelp.h"
#include "core/utilities.h"
#include "editing/contactpropsdlg.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QGridLayout>
#include <QLabel>
#include <QMenu>

CContactPage::CContactPage(CDialogContactProps* host, int captionId, const char* caption, HelpPairs help)
    : CDialogPage(host)
    , m_pHost(host)
    , m_grid(new QGridLayout(Body()))
{
    EnableContextHelp(this, std::move(help));
    SetDlgCtrlID(Caption(), captionId);
    Caption()->setText(tr(caption));
    const int dx = DialogUnitsToPixelsX(this, 7);
    const int dy = DialogUnitsToPixelsY(this, 7);
    m_grid->setContentsMargins(dx, dy, dx, dy);
    // The controls live in the body; their messages are the page's.
    Body()->installEventFilter(this);
}

void CContactPage::Load()
{
    if (Contact* contact = m_pHost ? m_pHost->GetContact() : nullptr)
        LoadFrom(*contact);
}

QLabel* CContactPage::AddLabel(const QString& text, QWidget* buddy, int row, int column, Qt::Alignment align)
{
    auto* label = new QLabel(text, Body());
    label->setBuddy(buddy);
    m_grid->addWidget(label, row, column, align);
    return label;
}

bool CContactPage::FillDropMenu(int, QMenu*)
{
    return false;
}

void CContactPage::OnTypePicked(int)
{
}

bool CContactPage::event(QEvent* e)
{
    if (e->type() == WindowMessageEvent::EventType()) {
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->Message() == WM_GETDROPMENU()) {
            auto* menu = reinterpret_cast<QMenu*>(message->LParam());
            message->SetResult(menu && FillDropMenu(int(message->WParam()), menu) ? 1 : 0);
            return true;
        }
        if (message->Message() == WM_COMMAND) {
            const unsigned id = LOWORD(message->WParam());
            if (id == ID_DROPMENU_PHONE_TYPE || id == ID_DROPMENU_EMAIL_TYPE) {
                OnTypePicked(m_nDropMenuSel);
                return true;
            }
        }
    }
    return CDialogPage::event(e);
}

bool CContactPage::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Body() && e->type() == WindowMessageEvent::EventType())
        return event(e);
    return CDialogPage::eventFilter(watched, e);
}
