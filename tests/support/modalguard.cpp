#include "support/modalguard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <cstdint>
#include <dlfcn.h>
#include <execinfo.h>
#include <gtest/gtest.h>
#include <link.h>

namespace {

constexpr int kCheckEveryMs = 100;
int g_graceMs = ModalWatchdog::kGraceMs;

// The code of a function of Qt's, by its exported name.
struct CodeRange {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;

    // A return address lies past the call, up to the function's end.
    bool Holds(void* returnAddress) const
    {
        const auto address = reinterpret_cast<std::uintptr_t>(returnAddress);
        return address > start && address <= end;
    }
};

CodeRange RangeOf(const char* symbol)
{
    void* address = ::dlsym(RTLD_DEFAULT, symbol);
    Dl_info info{};
    void* found = nullptr;
    if (!address || !::dladdr1(address, &info, &found, RTLD_DL_SYMENT) || !found)
        return {};
    const auto* entry = static_cast<const ElfW(Sym)*>(found);
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    return {start, start + entry->st_size};
}

// Whether the innermost event loop is a dialog's exec(): neither Qt nor
// the dialog says so, but the loop's caller does. A loop of the test's or
// of the program's own (a wait for an answer) is not.
bool InnermostLoopRunsADialog()
{
    static const CodeRange loop = RangeOf("_ZN10QEventLoop4execE6QFlagsINS_17ProcessEventsFlagEE");
    static const CodeRange dialog = RangeOf("_ZN7QDialog4execEv");
    void* frames[256];
    const int count = ::backtrace(frames, 256);
    for (int i = 0; i + 1 < count; ++i) {
        if (loop.Holds(frames[i]))
            return dialog.Holds(frames[i + 1]);
    }
    return false;
}

// What a person would read on the window: its title and its texts.
std::string Describe(QWidget* window)
{
    QString text
        = QStringLiteral("\"%1\" (%2)").arg(window->windowTitle(), window->metaObject()->className());
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        text += QStringLiteral(": ") + box->text();
    } else {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty())
                text += QStringLiteral("\n  ") + label->text();
        }
    }
    return text.toStdString();
}

}  // namespace

ModalWatchdog::ModalWatchdog()
{
    m_timer.setInterval(kCheckEveryMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Check(); });
    m_timer.start();
    qApp->installEventFilter(this);
}

ModalWatchdog::~ModalWatchdog()
{
    qApp->removeEventFilter(this);
}

void ModalWatchdog::SetGraceForTesting(int ms)
{
    g_graceMs = ms > 0 ? ms : kGraceMs;
}

bool ModalWatchdog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched)) {
        // Looked at from the first turn of the loop that follows: the
        // dialog's own, when exec() showed it.
        QTimer::singleShot(0, this, [this] { Check(); });
    } else if (event->type() == QEvent::Hide && watched == m_seen) {
        m_seen = nullptr;
        m_running = false;
    }
    return false;
}

void ModalWatchdog::Check()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != m_seen) {
        m_seen = modal;
        m_running = false;
    }
    if (!modal)
        return;
    if (!m_running) {
        // Only a window the program waits in: a test's own code does not
        // run until someone answers it. Counted from the moment it runs.
        if (qobject_cast<QDialog*>(modal) && InnermostLoopRunsADialog()) {
            m_running = true;
            m_since.start();
        }
        return;
    }
    if (!m_since.hasExpired(g_graceMs))
        return;
    ADD_FAILURE() << "A modal window waited " << m_since.elapsed() / 1000.0
                  << " s for an answer the test did not give: " << Describe(modal);
    m_seen = nullptr;
    m_running = false;
    // Closing may delete the window.
    const QPointer<QWidget> window(modal);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
        if (window && window->isVisible())
            dialog->done(QDialog::Rejected);
    }
    if (window && window->isVisible())
        window->close();
    if (window && window->isVisible())
        window->hide();
}
