#include "mainwnd/mainframe.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QStatusBar>

CMainFrame::CMainFrame(UserMan& userMan, QWidget* parent)
    : QMainWindow(parent)
    , m_userMan(userMan)
{
    setObjectName(QStringLiteral("TolvaMainWndClass"));
    setWindowTitle(QStringLiteral("Tolva"));
}

bool CMainFrame::IsMaximized() const
{
    return isMaximized();
}

RECT CMainFrame::NormalRect() const
{
    const QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool CMainFrame::IsToolbarVisible() const
{
    return false;
}

bool CMainFrame::IsStatusBarVisible() const
{
    return statusBar()->isVisible();
}

void CMainFrame::ShowBars(bool, bool statusBarShown)
{
    statusBar()->setVisible(statusBarShown);
}

void CMainFrame::SetTitle(const char* title)
{
    setWindowTitle(QString::fromUtf8(title));
}

void CMainFrame::MoveTo(const RECT& rect)
{
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CMainFrame::Show(ShowState state)
{
    switch (state) {
    case ShowState::Hide:
        hide();
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
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void CMainFrame::Update()
{
    update();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_userMan.SaveWindowState(*this);
    event->accept();
    // A hidden frame closing (a logout while in the tray) ends the run too.
    QCoreApplication::quit();
}
