// A modal dialog or message box that no test answers would wait for ever.
// Once one has stood unanswered for the grace period while the program waits
// in an event loop of its own (a dialog's exec(), a message box), the test
// fails, naming the window and its text, and the window is rejected as the
// Escape key would, so the run goes on. A test answers its dialogs well
// within the grace period (see OnModal); a dialog a test keeps open without
// waiting in it (show(), open()) is left alone.
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
    // For the watchdog's own tests; 0 restores kGraceMs.
    static void SetGraceForTesting(int ms);

private:
    void Check();

    QTimer m_timer;
    QPointer<QWidget> m_seen;
    QElapsedTimer m_since;
};
