#include "support/modalguard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int kCheckEveryMs = 100;
int g_graceMs = ModalWatchdog::kGraceMs;

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
}

void ModalWatchdog::SetGraceForTesting(int ms)
{
    g_graceMs = ms > 0 ? ms : kGraceMs;
}

void ModalWatchdog::Check()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != m_seen) {
        m_seen = modal;
        m_since.start();
        return;
    }
    // Only a window the program waits in: a test's own code does not run
    // until someone answers it.
    if (!modal || QThread::currentThread()->loopLevel() == 0 || !m_since.hasExpired(g_graceMs))
        return;
    ADD_FAILURE() << "A modal window waited " << m_since.elapsed() / 1000.0
                  << " s for an answer the test did not give: " << Describe(modal);
    m_seen = nullptr;
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
