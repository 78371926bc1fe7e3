#include "controls/dialogpage.h"

#include "platform/msgbox.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

CDialogPage::CDialogPage(QWidget* host)
    : QDialog(host)
    , m_caption(new CGradientCaption(this))
    , m_body(new QWidget(this))
{
    // A page lives inside its host's frame, not in a window of its own.
    setWindowFlags(Qt::Widget);
    SetDlgCtrlID(m_caption, kCaptionId);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_body, 1);
    // Keys reach the page before its controls, as a message loop would
    // offer them to the page first.
    qApp->installEventFilter(this);
}

void CDialogPage::SetFocusRange(int firstId, int lastId)
{
    m_nFirstFocus = firstId;
    m_nLastFocus = lastId;
}

bool CDialogPage::OnInitDialog()
{
    m_caption->SetDialogLook(kCaptionPoints, true);
    return true;
}

void CDialogPage::OnOK()
{
    m_nResult = IDOK;
    SendMessage(parentWidget(), WM_COMMAND, MAKEWPARAM(IDOK, 0));
}

void CDialogPage::OnCancel()
{
    m_nResult = IDCANCEL;
    SendMessage(parentWidget(), WM_COMMAND, MAKEWPARAM(IDCANCEL, 0));
}

bool CDialogPage::PreTranslateMessage(QKeyEvent* key)
{
    auto* host = dynamic_cast<CPageKeyHost*>(parentWidget());
    if (!host)
        return false;
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (key->modifiers() & Qt::ControlModifier) {
        if (tab || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown)
            return host->OnPageKey(key, kPageKeyNext);
        return false;
    }
    if ((key->modifiers() & Qt::ShiftModifier) && tab)
        return host->OnPageKey(key, kPageKeyBack);
    return false;
}

bool CDialogPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // Only the first delivery, to the focus control: an ignored key
        // travels on to the parents and would be seen again.
        if (w == QApplication::focusWidget() && (w == this || isAncestorOf(w)))
            return PreTranslateMessage(static_cast<QKeyEvent*>(event));
    }
    return QDialog::eventFilter(watched, event);
}

void CDialogPage::focusInEvent(QFocusEvent* event)
{
    QDialog::focusInEvent(event);
    // A page whose range was never set keeps the focus itself rather than
    // leaving the keyboard with no control at all.
    if (QWidget* target = GetDlgItem(this, m_bFocusLast ? m_nLastFocus : m_nFirstFocus))
        target->setFocus(m_bFocusLast ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

void CDialogPage::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier)) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter on one of the page's buttons presses it; anywhere else it is OK,
    // which goes to the host.
    if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        button && isAncestorOf(button))
        button->click();
    else
        OnOK();
}

void CDialogPage::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CDialogPage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRegion face = QRegion(rect()).subtracted(m_caption->geometry());
    for (const QRect& r : face)
        p.fillRect(r, GetSysColor(COLOR_3DFACE, this));
}
