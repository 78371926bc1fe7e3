// A modal dialog or message box that no test answers would wait for ever.
// Once one run with exec() has stood unanswered for the grace period,
// counted from the moment its exec() runs, the test fails, naming the
// window and its text, and the window is rejected as the Escape key would,
// so the run goes on. A test answers its dialogs well within the grace
// period (see OnModal); a dialog a test keeps open without running it
// (show(), open()) is left alone, whatever event loops run meanwhile.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class ModalWatchdog : public QObject {
public:
    static constexpr int kGraceMs = 10000;

    ModalWatchdog();
    ~ModalWatchdog() override;
    // For the watchdog's own tests; 0 restores kGraceMs.
    static void SetGraceForTesting(int ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Check();

    QTimer m_timer;
    QPointer<QWidget> m_seen;
    // m_seen runs in its exec(), since m_since.
    bool m_running = false;
    QElapsedTimer m_since;
};
