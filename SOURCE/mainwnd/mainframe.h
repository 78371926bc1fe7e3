// The main window. It stands alone for now: a frame titled "Tolva" that
// UserMan places and shows, and that saves the window state on closing.
#pragma once

#include "core/userman.h"

#include <QMainWindow>

class CMainFrame : public QMainWindow, public MainWindowHost {
    Q_OBJECT
public:
    explicit CMainFrame(UserMan& userMan, QWidget* parent = nullptr);

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    UserMan& m_userMan;
};
