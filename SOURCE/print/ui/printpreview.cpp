#include "print/ui/printpreview.h"

#include <QAction>
#include <QKeyEvent>
#include <QVBoxLayout>

CPrintPreview::CPrintPreview(PrintMan& printMan, QWidget* parent)
    : QWidget(parent)
    , m_bar(new CPreviewBar(this))
    , m_pages(new CPrintPreviewWnd(printMan, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bar);
    layout->addWidget(m_pages, 1);
    connect(m_bar, &CPreviewBar::command, this, &CPrintPreview::OnCommand);
    connect(m_pages, &CPrintPreviewWnd::stateChanged, this, &CPrintPreview::UpdateCommands);
    setFocusProxy(m_pages);
    UpdateCommands();
}

void CPrintPreview::UpdateCommands()
{
    auto enable = [this](u32 id, bool on) {
        if (QAction* action = m_bar->Action(id))
            action->setEnabled(on);
    };
    enable(AFX_ID_PREVIEW_NEXT, m_pages->CanGoNext());
    enable(AFX_ID_PREVIEW_PREV, m_pages->CanGoPrevious());
    enable(AFX_ID_PREVIEW_NUMPAGE, m_pages->CanChangePageCount());
    enable(AFX_ID_PREVIEW_ZOOMIN, m_pages->CanZoomIn());
    enable(AFX_ID_PREVIEW_ZOOMOUT, m_pages->CanZoomOut());
    m_bar->SetNumPageImage(m_pages->PagesShown());
}

void CPrintPreview::OnCommand(u32 id)
{
    switch (id) {
    case AFX_ID_PREVIEW_NEXT:
        if (m_pages->CanGoNext())
            m_pages->OnNextPage();
        break;
    case AFX_ID_PREVIEW_PREV:
        if (m_pages->CanGoPrevious())
            m_pages->OnPreviousPage();
        break;
    case AFX_ID_PREVIEW_NUMPAGE:
        m_pages->OnNumPageChange();
        break;
    case AFX_ID_PREVIEW_ZOOMIN:
        m_pages->OnZoomIn();
        break;
    case AFX_ID_PREVIEW_ZOOMOUT:
        m_pages->OnZoomOut();
        break;
    case AFX_ID_PREVIEW_PRINT:
        emit printRequested(m_pages->CurrentPage());
        break;
    case ID_PREVIEW_PAGESETUP:
        emit pageSetupRequested();
        break;
    case AFX_ID_PREVIEW_CLOSE:
        emit closeRequested();
        break;
    default:
        break;
    }
    UpdateCommands();
}

void CPrintPreview::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        emit closeRequested();
        return;
    case Qt::Key_PageDown:
        OnCommand(AFX_ID_PREVIEW_NEXT);
        return;
    case Qt::Key_PageUp:
        OnCommand(AFX_ID_PREVIEW_PREV);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
