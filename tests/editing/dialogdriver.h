// Answers a modal dialog that the code under test opens: the action runs
// once the dialog of the type asked for is up.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

template <class Dialog> class DialogDriver {
public:
    explicit DialogDriver(std::function<void(Dialog&)> action)
        : m_state(std::make_shared<State>(State{std::move(action)}))
    {
        m_state->waited.start();
        Poll(m_state);
    }
    bool Came() const { return m_state->came; }

private:
    struct State {
        std::function<void(Dialog&)> action;
        bool came = false;
        QElapsedTimer waited{};
    };
    // How long the dialog may take to come up: on a loaded machine under
    // the sanitizers a first dialog can take seconds.
    static constexpr qint64 kWaitMs = 20000;

    static void Poll(std::shared_ptr<State> state)
    {
        QTimer::singleShot(10, [state] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                state->came = true;
                state->action(*dialog);
            } else if (state->waited.elapsed() < kWaitMs) {
                Poll(state);
            } else if (QWidget* other = QApplication::activeModalWidget()) {
                // Another dialog came: close it, so the test fails rather than hangs.
                other->close();
            }
        });
    }

    std::shared_ptr<State> m_state;
};
