#include "platform/ui/systemtray.h"

#include <QCursor>
#include <QSystemTrayIcon>

namespace {

class DesktopTray : public SystemTray {
public:
    DesktopTray()
    {
        QObject::connect(
            &m_icon, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
                if (!activated)
                    return;
                if (reason == QSystemTrayIcon::Context)
                    activated(Event::ContextMenu, QCursor::pos());
                else if (reason == QSystemTrayIcon::DoubleClick)
                    activated(Event::DoubleClick, QCursor::pos());
            });
    }
    bool IsAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    bool Show(const QIcon& icon, const QString& tip) override
    {
        if (!IsAvailable())
            return false;
        m_icon.setIcon(icon);
        m_icon.setToolTip(tip);
        m_icon.show();
        return true;
    }
    void Remove() override { m_icon.hide(); }

private:
    QSystemTrayIcon m_icon;
};

SystemTrayFactory& Factory()
{
    static SystemTrayFactory factory;
    return factory;
}

}  // namespace

std::unique_ptr<SystemTray> CreateSystemTray()
{
    if (Factory())
        return Factory()();
    return std::make_unique<DesktopTray>();
}

void SetSystemTrayFactory(SystemTrayFactory factory)
{
    Factory() = std::move(factory);
}
