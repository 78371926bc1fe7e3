// The desktop's notification area. Where the desktop has none (offscreen,
// a plain X server) IsAvailable() is false and nothing is shown; tests
// install their own.
#pragma once

#include <QIcon>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class SystemTray {
public:
    enum class Event { ContextMenu, Click, DoubleClick };

    virtual ~SystemTray() = default;
    virtual bool IsAvailable() const = 0;
    // Adds the icon, or changes it when it is shown; false when the
    // desktop refused.
    virtual bool Show(const QIcon& icon, const QString& tip) = 0;
    virtual void Remove() = 0;

    // What the user did with the icon, at a screen point.
    std::function<void(Event event, QPoint at)> activated;
};

// What a QSystemTrayIcon::ActivationReason is to the program; nothing for
// a middle click.
std::optional<SystemTray::Event> TrayEventOf(int activationReason);

using SystemTrayFactory = std::function<std::unique_ptr<SystemTray>()>;
// A tray on QSystemTrayIcon unless a test installed another factory.
std::unique_ptr<SystemTray> CreateSystemTray();
// Null restores the desktop's.
void SetSystemTrayFactory(SystemTrayFactory factory);
