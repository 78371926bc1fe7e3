// Copy and paste of contacts: the selected rows go out as tab-separated
// text for other programs and in the program's own contact format; a
// paste takes the own format or a list of vCard files, the way a drop on
// the grid does.
#include "core/records.h"
#include "core/utilities.h"
#include "mainwnd/contactpayload.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/rgridctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace {

constexpr const char* kUnreadableClipboard = "The clipboard holds no contacts Tolva can read.";

// For a paste that may read many files.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

QByteArray CContainerWnd::BuildClipboardText() const
{
    return m_grid->SelectedRowsText();
}

QByteArray CContainerWnd::BuildClipboardContacts() const
{
    const std::vector<Contact*> contacts = m_grid->SelectedContacts();
    return contacts.empty() ? QByteArray() : WriteContactPayload(contacts);
}

QMimeData* CContainerWnd::BuildDataSource() const
{
    if (m_grid->SelectedCount() == 0)
        return nullptr;
    auto* data = new QMimeData;
    data->setText(QString::fromUtf8(BuildClipboardText()));
    // A contact that cannot be written leaves the own format out; the text
    // still goes.
    const QByteArray contacts = BuildClipboardContacts();
    if (!contacts.isEmpty())
        data->setData(ContactFormatMime(), contacts);
    return data;
}

void CContainerWnd::OnCopy()
{
    if (QMimeData* data = BuildDataSource())
        QGuiApplication::clipboard()->setMimeData(data);
}

bool CContainerWnd::CanPaste(const QMimeData* data) const
{
    return data && (data->hasFormat(ContactFormatMime()) || m_grid->Ctrl()->CanAcceptDrop(data));
}

void CContainerWnd::OnPaste()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (CanPaste(data))
        DoPaste(data);
}

void CContainerWnd::DoPaste(const QMimeData* data)
{
    if (!data)
        data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    // Damaged contacts on the clipboard are the clipboard's fault, not a
    // file's: say so, and add nothing.
    if (data->hasFormat(ContactFormatMime())) {
        std::vector<std::unique_ptr<Contact>> contacts;
        if (ReadContactPayload(data, contacts) != 0) {
            MsgStopText(kUnreadableClipboard, window());
            return;
        }
    }
    {
        // The grid's drops report their own failures and save what came in.
        WaitCursor wait;
        if (data->hasFormat(ContactFormatMime()))
            m_grid->Ctrl()->DropContacts(data);
        else
            m_grid->Ctrl()->DropFiles(data);
    }
    UpdateCount();
    m_frame.RequestIdleUpdate();
}
